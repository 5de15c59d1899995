#include "HidTestData.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include <gtest/gtest.h>

namespace keyloom::hid::test {

std::string ReadHidFixture(const std::string& name) {
  const std::string path = std::string(KEYLOOM_TEST_DATA_DIR) + "/hid/" + name;
  std::ifstream file(path, std::ios::binary);
  EXPECT_TRUE(file) << "missing fixture " << path;
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::vector<std::uint8_t> ReadHexFixture(const std::string& name) {
  std::istringstream lines(ReadHidFixture(name));
  std::vector<std::uint8_t> bytes;
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line.substr(0, line.find('#')));
    std::string word;
    while (words >> word) {
      bytes.push_back(static_cast<std::uint8_t>(std::stoul(word, nullptr, 16)));
    }
  }
  EXPECT_FALSE(bytes.empty()) << name;
  return bytes;
}

}  // namespace keyloom::hid::test

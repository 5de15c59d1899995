#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace keyloom::hid::test {

// The bytes of tests/data/hid/<name>.
std::string ReadHidFixture(const std::string& name);

// A fixture written as hexadecimal bytes with "#" comments.
std::vector<std::uint8_t> ReadHexFixture(const std::string& name);

}  // namespace keyloom::hid::test

#include "controls/CoordButtonFile.h"

#include <QFileInfo>
#include <array>
#include <cctype>
#include <charconv>
#include <string>

#include <pugixml.hpp>

namespace keyloom::controls {

namespace {

std::string WithoutBlanks(std::string_view text, bool alsoHash) {
  std::string kept;
  kept.reserve(text.size());
  for (const char c : text) {
    if (std::isspace(static_cast<unsigned char>(c)) == 0 && !(alsoHash && c == '#')) {
      kept.push_back(c);
    }
  }
  return kept;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

}  // namespace

std::uint32_t ParseKeyColor(std::string_view text, std::uint32_t fallback) {
  const std::string value = WithoutBlanks(text, true);
  std::string_view digits = value;
  if (digits.size() >= 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    digits.remove_prefix(2);
  }
  std::uint64_t color = 0;
  bool any = false;
  for (const char c : digits) {
    const int digit = HexDigit(c);
    if (digit < 0) {
      break;
    }
    color = color * 16 + static_cast<std::uint64_t>(digit);
    if (color > 0xFFFFFFFFU) {
      return fallback;
    }
    any = true;
  }
  return any ? static_cast<std::uint32_t>(color) : fallback;
}

QRect ParseKeyRect(std::string_view text) {
  const std::string value = WithoutBlanks(text, false);
  std::array<int, 4> numbers{};
  const char* next = value.data();
  const char* const end = value.data() + value.size();
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    if (i > 0) {
      if (next == end || *next != ',') {
        break;
      }
      ++next;
    }
    // std::from_chars takes no "+"; sscanf's "%d" does.
    if (next != end && *next == '+') {
      ++next;
    }
    int number = 0;
    const auto [stop, error] = std::from_chars(next, end, number);
    if (error != std::errc() || number > kMaxKeyCoordinate || number < -kMaxKeyCoordinate) {
      break;
    }
    numbers[i] = number;
    next = stop;
  }
  return {numbers[0], numbers[1], numbers[2], numbers[3]};
}

std::vector<CoordButton> ReadCoordButtons(const pugi::xml_document& document,
                                          std::uint32_t defaultColor) {
  std::vector<CoordButton> buttons;
  for (const pugi::xml_node key : document.child("positions").children()) {
    if (key.type() != pugi::node_element) {
      continue;
    }
    CoordButton button;
    button.id = key.attribute("id").as_int(-1);
    button.name = QString::fromUtf8(key.attribute("name").value());
    const pugi::xml_attribute color = key.attribute("color");
    button.color = color ? ParseKeyColor(color.value(), defaultColor) : defaultColor;
    button.rect = ParseKeyRect(key.attribute("rect").value());
    buttons.push_back(std::move(button));
  }
  return buttons;
}

std::vector<CoordButton> LoadCoordButtons(const QString& path, std::uint32_t defaultColor) {
  // pugixml takes a folder for a file of an impossible size and asks for that much memory.
  if (!QFileInfo(path).isFile()) {
    return {};
  }
  pugi::xml_document document;
  if (!document.load_file(path.toStdWString().c_str())) {
    return {};
  }
  return ReadCoordButtons(document, defaultColor);
}

QString CoordFilePath(const QString& appDir, const QString& setting) {
  QString file = setting;
  file.replace(QLatin1Char('\\'), QLatin1Char('/'));
  if (file.startsWith(QLatin1Char('/'))) {
    return appDir + file;
  }
  return appDir + QLatin1Char('/') + file;
}

}  // namespace keyloom::controls

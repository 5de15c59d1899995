#include "settings/Utf8Text.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace keyloom::settings {

namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

constexpr unsigned char kLastAscii = 0x7F;
constexpr unsigned char kContinuationLow = 0x80;
constexpr unsigned char kContinuationHigh = 0xBF;

// What a lead byte announces: the length of its sequence and the range its second byte must lie
// in (narrower than a plain continuation byte where overlong forms, surrogates or values above
// U+10FFFF would otherwise follow). Length 0: the byte cannot start a sequence.
struct LeadByte {
  std::size_t length = 0;
  unsigned char secondLow = kContinuationLow;
  unsigned char secondHigh = kContinuationHigh;
};

LeadByte Classify(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) {
    return {2};
  }
  if (lead == 0xE0) {
    return {3, 0xA0};
  }
  if (lead == 0xED) {
    return {3, kContinuationLow, 0x9F};
  }
  if (lead >= 0xE1 && lead <= 0xEF) {
    return {3};
  }
  if (lead == 0xF0) {
    return {4, 0x90};
  }
  if (lead >= 0xF1 && lead <= 0xF3) {
    return {4};
  }
  if (lead == 0xF4) {
    return {4, kContinuationLow, 0x8F};
  }
  return {};
}

// Whether the code point that starts at `pos` of valid UTF-8 text is one XML 1.0 allows.
bool IsXmlCharacter(std::string_view text, std::size_t pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x20) {
    return lead == '\t' || lead == '\n' || lead == '\r';
  }
  // U+FFFE and U+FFFF: EF BF BE and EF BF BF.
  return !(lead == 0xEF && text.substr(pos + 1, 1) == "\xBF" && pos + 2 < text.size() &&
           static_cast<unsigned char>(text[pos + 2]) >= 0xBE);
}

}  // namespace

std::string XmlText(std::string_view text) {
  const std::string valid = ValidUtf8(text.substr(0, text.find('\0')));
  std::string result;
  result.reserve(valid.size());
  std::size_t pos = 0;
  while (pos < valid.size()) {
    const std::size_t length = Classify(static_cast<unsigned char>(valid[pos])).length;
    const std::size_t size = length == 0 ? 1 : length;
    if (IsXmlCharacter(valid, pos)) {
      result += std::string_view(valid).substr(pos, size);
    } else {
      result += kReplacementCharacter;
    }
    pos += size;
  }
  return result;
}

std::string ValidUtf8(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead <= kLastAscii) {
      result += text[pos];
      ++pos;
      continue;
    }
    const LeadByte kind = Classify(lead);
    std::size_t taken = 1;
    while (taken < kind.length && pos + taken < text.size()) {
      const auto next = static_cast<unsigned char>(text[pos + taken]);
      const unsigned char low = taken == 1 ? kind.secondLow : kContinuationLow;
      const unsigned char high = taken == 1 ? kind.secondHigh : kContinuationHigh;
      if (next < low || next > high) {
        break;
      }
      ++taken;
    }
    if (taken == kind.length) {
      result += text.substr(pos, taken);
    } else {
      result += kReplacementCharacter;
    }
    pos += taken;
  }
  return result;
}

}  // namespace keyloom::settings

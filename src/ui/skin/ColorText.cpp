#include "ui/skin/ColorText.h"

#include <QStringList>
#include <vector>

#include "ui/layout/AttributeText.h"

namespace keyloom::ui {

namespace {

constexpr int kComponentMax = 255;

std::optional<QColor> ParseHexColor(const QString& digits) {
  if (digits.size() != 6 && digits.size() != 8) {
    return std::nullopt;
  }
  for (const QChar digit : digits) {
    const bool isHex = digit.isDigit() ||
                       (digit.toLower() >= QLatin1Char('a') && digit.toLower() <= QLatin1Char('f'));
    if (!isHex) {
      return std::nullopt;
    }
  }
  bool ok = false;
  const unsigned value = digits.toUInt(&ok, 16);
  if (!ok) {
    return std::nullopt;
  }
  if (digits.size() == 6) {
    return QColor(static_cast<int>((value >> 16) & 0xFFU), static_cast<int>((value >> 8) & 0xFFU),
                  static_cast<int>(value & 0xFFU));
  }
  return QColor(static_cast<int>((value >> 24) & 0xFFU), static_cast<int>((value >> 16) & 0xFFU),
                static_cast<int>((value >> 8) & 0xFFU), static_cast<int>(value & 0xFFU));
}

// The components between the parentheses of "rgb(...)" or "rgba(...)", `count` of them.
std::optional<QColor> ParseFunctionColor(const QString& arguments, int count) {
  const std::optional<std::vector<int>> values = ParseIntList(arguments);
  if (!values || static_cast<int>(values->size()) != count) {
    return std::nullopt;
  }
  for (const int value : *values) {
    if (value < 0 || value > kComponentMax) {
      return std::nullopt;
    }
  }
  const int alpha = count == 4 ? (*values)[3] : kComponentMax;
  return QColor((*values)[0], (*values)[1], (*values)[2], alpha);
}

}  // namespace

std::optional<QColor> ParseColor(const QString& text) {
  const QString value = text.trimmed();
  if (value.startsWith(QLatin1Char('#'))) {
    return ParseHexColor(value.mid(1));
  }
  if (!value.endsWith(QLatin1Char(')'))) {
    return std::nullopt;
  }
  if (value.startsWith(QLatin1String("rgba("), Qt::CaseInsensitive)) {
    return ParseFunctionColor(value.mid(5, value.size() - 6), 4);
  }
  if (value.startsWith(QLatin1String("rgb("), Qt::CaseInsensitive)) {
    return ParseFunctionColor(value.mid(4, value.size() - 5), 3);
  }
  return std::nullopt;
}

std::uint32_t ToAbgr(const QColor& color) {
  const QColor rgb = color.toRgb();
  return (static_cast<std::uint32_t>(rgb.alpha()) << 24) |
         (static_cast<std::uint32_t>(rgb.blue()) << 16) |
         (static_cast<std::uint32_t>(rgb.green()) << 8) | static_cast<std::uint32_t>(rgb.red());
}

QColor FromAbgr(std::uint32_t abgr) {
  return {static_cast<int>(abgr & 0xFFU), static_cast<int>((abgr >> 8) & 0xFFU),
          static_cast<int>((abgr >> 16) & 0xFFU), static_cast<int>((abgr >> 24) & 0xFFU)};
}

}  // namespace keyloom::ui

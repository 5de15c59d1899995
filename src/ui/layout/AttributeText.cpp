#include "ui/layout/AttributeText.h"

#include <QStringList>
#include <cstddef>
#include <limits>

namespace keyloom::ui {

std::optional<int> ParseInt(const QString& text) {
  QString digits = text.trimmed();
  bool negative = false;
  if (digits.startsWith(QLatin1Char('-')) || digits.startsWith(QLatin1Char('+'))) {
    negative = digits.startsWith(QLatin1Char('-'));
    digits.remove(0, 1);
  }
  int base = 10;
  if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
    base = 16;
    digits.remove(0, 2);
  }
  if (digits.isEmpty() || !digits.at(0).isLetterOrNumber()) {
    return std::nullopt;
  }
  bool ok = false;
  const qlonglong magnitude = digits.toLongLong(&ok, base);
  if (!ok) {
    return std::nullopt;
  }
  const qlonglong value = negative ? -magnitude : magnitude;
  if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
    return std::nullopt;
  }
  return static_cast<int>(value);
}

std::optional<bool> ParseBool(const QString& text) {
  const QString value = text.trimmed();
  if (value == QLatin1String("1") ||
      value.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) {
    return true;
  }
  if (value == QLatin1String("0") ||
      value.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) {
    return false;
  }
  return std::nullopt;
}

std::optional<std::vector<int>> ParseIntList(const QString& text) {
  std::vector<int> values;
  for (const QString& part : text.split(QLatin1Char(','))) {
    const std::optional<int> value = ParseInt(part);
    if (!value) {
      return std::nullopt;
    }
    values.push_back(*value);
  }
  return values;
}

}  // namespace keyloom::ui

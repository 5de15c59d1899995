#include "ui/skin/FontText.h"

#include <QStringList>

#include "ui/layout/AttributeText.h"

namespace keyloom::ui {

QFont DefaultFont(const QString& faces, int pixelSize) {
  QFont font;
  QStringList families;
  for (const QString& face : faces.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
    families.append(face.trimmed());
  }
  if (!families.isEmpty()) {
    font.setFamilies(families);
  }
  if (pixelSize > 0) {
    font.setPixelSize(pixelSize);
  }
  return font;
}

std::optional<QFont> ParseFont(const QString& text, const QFont& base) {
  QFont font = base;
  for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
    const qsizetype colon = part.indexOf(QLatin1Char(':'));
    if (colon < 0) {
      return std::nullopt;
    }
    const QString key = part.left(colon).trimmed().toLower();
    const QString value = part.mid(colon + 1).trimmed();
    if (key == QLatin1String("face")) {
      font.setFamilies({value});
      continue;
    }
    if (key == QLatin1String("size")) {
      const std::optional<int> size = ParseInt(value);
      if (!size || *size <= 0) {
        return std::nullopt;
      }
      font.setPixelSize(*size);
      continue;
    }
    const std::optional<bool> flag = ParseBool(value);
    if (!flag) {
      return std::nullopt;
    }
    if (key == QLatin1String("bold")) {
      font.setBold(*flag);
    } else if (key == QLatin1String("italic")) {
      font.setItalic(*flag);
    } else if (key == QLatin1String("underline")) {
      font.setUnderline(*flag);
    } else {
      return std::nullopt;
    }
  }
  return font;
}

}  // namespace keyloom::ui

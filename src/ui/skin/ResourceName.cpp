#include "ui/skin/ResourceName.h"

namespace keyloom::ui {

ResourceName ResourceName::Parse(const QString& text, const QString& defaultType) {
  const qsizetype colon = text.indexOf(QLatin1Char(':'));
  if (colon < 0) {
    return ResourceName{defaultType, text.trimmed()};
  }
  return ResourceName{text.left(colon).trimmed(), text.mid(colon + 1).trimmed()};
}

QString ResourceName::Key() const {
  return type.toLower() + QLatin1Char(':') + name.toLower();
}

}  // namespace keyloom::ui

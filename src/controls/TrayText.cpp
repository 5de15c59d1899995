#include "controls/TrayText.h"

namespace keyloom::controls {

QString CutTrayText(const QString& text, int maxLength) {
  if (maxLength <= 0) {
    return {};
  }
  if (text.size() <= maxLength) {
    return text;
  }
  qsizetype length = maxLength;
  if (text.at(length - 1).isHighSurrogate()) {
    --length;
  }
  return text.left(length);
}

}  // namespace keyloom::controls

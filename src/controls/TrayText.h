#pragma once

#include <QString>

namespace keyloom::controls {

// The longest texts the notification area takes, in UTF-16 code units: those of the Windows
// shell's notification record (128 and 256 characters with the terminator), kept on every
// platform so that the program looks the same everywhere.
inline constexpr int kMaxTipLength = 127;
inline constexpr int kMaxBalloonLength = 255;

// `text` cut to at most `maxLength` code units; a cut never splits a surrogate pair (the pair
// is dropped whole).
[[nodiscard]] QString CutTrayText(const QString& text, int maxLength);

[[nodiscard]] inline QString CutTrayTip(const QString& text) {
  return CutTrayText(text, kMaxTipLength);
}
[[nodiscard]] inline QString CutBalloonText(const QString& text) {
  return CutTrayText(text, kMaxBalloonLength);
}

}  // namespace keyloom::controls

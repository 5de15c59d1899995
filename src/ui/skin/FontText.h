#pragma once

#include <QFont>
#include <QString>
#include <optional>

namespace keyloom::ui {

// The default font of the UI definition: `faces` is a comma-separated list of families, the
// first installed one wins; `pixelSize` is the size in pixels at 100 %.
[[nodiscard]] QFont DefaultFont(const QString& faces, int pixelSize);

// A control's "font" attribute, "face:Family,size:14,bold:1,italic:0,underline:0" or any subset,
// applied to `base` (the default font). Refused when a part is unknown or does not read.
[[nodiscard]] std::optional<QFont> ParseFont(const QString& text, const QFont& base);

}  // namespace keyloom::ui

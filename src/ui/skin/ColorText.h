#pragma once

#include <QColor>
#include <QString>
#include <cstdint>
#include <optional>

namespace keyloom::ui {

// Colours as the skin writes them: "#RRGGBB", "#RRGGBBAA" (alpha last), "rgb(r,g,b)" and
// "rgba(r,g,b,a)" with components 0-255. Anything else is refused.
[[nodiscard]] std::optional<QColor> ParseColor(const QString& text);

// The renderer's colour layout: from the most significant byte down alpha, blue, green, red
// (0xAABBGGRR), as the key coordinate file writes key colours.
[[nodiscard]] std::uint32_t ToAbgr(const QColor& color);
[[nodiscard]] QColor FromAbgr(std::uint32_t abgr);

}  // namespace keyloom::ui

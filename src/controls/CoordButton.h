#pragma once

#include <QRect>
#include <QString>
#include <cstdint>

namespace keyloom::controls {

// One key of the keyboard picture, as the key coordinate file gives it.
struct CoordButton {
  // The key's code (the HID usage); -1 when the file gives none.
  int id = -1;
  QString name;
  bool checked = false;
  bool hovered = false;
  // Set by a press on the key, cleared by the release over it; not drawn.
  bool pressed = false;
  // In the picture's own pixels (its natural size), origin at its top-left; a QRect's right()
  // and bottom() are inclusive, so the key covers x .. x + width - 1.
  QRect rect;
  // The fill under the picture, 0xAABBGGRR.
  std::uint32_t color = 0xFFFFFFFF;

  friend bool operator==(const CoordButton&, const CoordButton&) = default;
};

}  // namespace keyloom::controls

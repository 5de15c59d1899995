#pragma once

#include <vector>

#include "controls/CoordButton.h"
#include "controls/PictureMapping.h"

class QPainter;

namespace keyloom::ui {
class Image;
}

namespace keyloom::controls {

// The pictures of a keyboard picture control; any may be missing.
struct CoordButtonPictures {
  const ui::Image* background = nullptr;
  const ui::Image* hover = nullptr;
  const ui::Image* checked = nullptr;
};

// Paints the keyboard picture, in this order: every key's colour over its rectangle; the
// background picture over the whole target; for every hovered key the hover picture's part
// under the key's rectangle, on the key; the same with the checked picture for every checked
// key (a hovered, checked key shows the checked look). Rectangles go through `mapping`; the
// parts of the pictures are rendered at the device's resolution.
void PaintCoordButtons(QPainter& painter, const PictureMapping& mapping, const QRectF& target,
                       const std::vector<CoordButton>& buttons,
                       const CoordButtonPictures& pictures);

}  // namespace keyloom::controls

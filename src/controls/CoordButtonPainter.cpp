#include "controls/CoordButtonPainter.h"

#include <QPainter>

#include "ui/skin/ColorText.h"
#include "ui/skin/Image.h"

namespace keyloom::controls {

namespace {

void DrawParts(QPainter& painter, const PictureMapping& mapping,
               const std::vector<CoordButton>& buttons, const ui::Image& picture,
               bool CoordButton::*flag) {
  for (const CoordButton& button : buttons) {
    if (button.*flag && !button.rect.isEmpty()) {
      picture.Draw(painter, mapping.ToTarget(button.rect), QRectF(button.rect));
    }
  }
}

}  // namespace

void PaintCoordButtons(QPainter& painter, const PictureMapping& mapping, const QRectF& target,
                       const std::vector<CoordButton>& buttons,
                       const CoordButtonPictures& pictures) {
  for (const CoordButton& button : buttons) {
    if (!button.rect.isEmpty()) {
      painter.fillRect(mapping.ToTarget(button.rect), ui::FromAbgr(button.color));
    }
  }
  if (pictures.background != nullptr) {
    pictures.background->Draw(painter, target,
                              QRectF(QPointF(0, 0), QSizeF(pictures.background->Size())));
  }
  if (pictures.hover != nullptr) {
    DrawParts(painter, mapping, buttons, *pictures.hover, &CoordButton::hovered);
  }
  if (pictures.checked != nullptr) {
    DrawParts(painter, mapping, buttons, *pictures.checked, &CoordButton::checked);
  }
}

}  // namespace keyloom::controls

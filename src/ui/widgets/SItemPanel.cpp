#include "ui/widgets/SItemPanel.h"

#include <QPainter>
#include <utility>

#include "settings/AsciiText.h"
#include "ui/layout/AttributeText.h"
#include "ui/skin/ISkinObj.h"

namespace keyloom::ui {

bool SItemPanel::IsClass(std::string_view className) const {
  return settings::EqualIgnoringAsciiCase(className, kClassName) || SWindow::IsClass(className);
}

void SItemPanel::SetLook(Look look) {
  look_ = std::move(look);
  update();
}

void SItemPanel::SetColumns(std::vector<Column> columns) {
  columns_ = std::move(columns);
  LayoutChildren();
}

void SItemPanel::LayoutChildren() {
  SWindow::LayoutChildren();
  for (const Column& column : columns_) {
    if (SWindow* child = FindChildByName(column.name, 1)) {
      child->setGeometry(column.left, 0, column.width, height());
    }
  }
}

bool SItemPanel::HoverChangesLook() const {
  return SWindow::HoverChangesLook() ||
         (look_.skin != nullptr ? HasHoverState(look_.skin.get()) : look_.hoverColor.has_value());
}

void SItemPanel::OnPaint(QPainter& painter) {
  const WindowState state = GetState();
  const int index = (state & kStateChecked) != 0 ? 2 : (state & kStateHover) != 0 ? 1 : 0;
  DrawBackground(painter, StateIndex4(state));
  if (look_.skin != nullptr) {
    look_.skin->Draw(painter, rect(), index);
  } else if (index == 2 && look_.selectedColor) {
    painter.fillRect(rect(), *look_.selectedColor);
  } else if (index == 1 && look_.hoverColor) {
    painter.fillRect(rect(), *look_.hoverColor);
  }
}

}  // namespace keyloom::ui

#pragma once

#include <string_view>

#include "controls/ToggleExLook.h"
#include "ui/widgets/SCheckBox.h"

namespace keyloom::controls {

// Tag "checkex": a check box drawn as a whole-control skin with an icon and a freely placed
// text (see ToggleExLook). Its icon takes the eight-state index (hover, pushed, disabled,
// checked) also when it has no skin of its own.
class SCheckBoxEx : public ui::SCheckBox {
 public:
  static constexpr std::string_view kClassName = "checkex";

  [[nodiscard]] std::string_view ClassName() const override { return kClassName; }
  [[nodiscard]] bool IsClass(std::string_view className) const override;

  ui::AttributeResult SetAttribute(std::string_view name, const QString& value) override;
  // The skin's natural size, else the base's.
  [[nodiscard]] QSize DesiredSize() const override;

  [[nodiscard]] const ToggleExLook& GetLook() const { return look_; }

 protected:
  void OnPaint(QPainter& painter) override;
  [[nodiscard]] bool HoverChangesLook() const override;
  // No focus rectangle: the focus mark is the base's `focusSkin` over the whole button, where the
  // skin gives one.
  void DrawFocusMark(QPainter& painter) override;

 private:
  ToggleExLook look_;
};

}  // namespace keyloom::controls

#pragma once

#include "ui/widgets/SWindow.h"

namespace keyloom::ui {

// Tag "img": a picture, its skin drawn in the state `iconIndex` (default 0) over the whole
// control. It passes the mouse on to its parent.
class SImageWnd : public SWindow {
 public:
  static constexpr std::string_view kClassName = "img";

  [[nodiscard]] std::string_view ClassName() const override { return kClassName; }
  [[nodiscard]] bool IsClass(std::string_view className) const override;

  AttributeResult SetAttribute(std::string_view name, const QString& value) override;

  [[nodiscard]] int GetIconIndex() const { return iconIndex_; }
  void SetIconIndex(int index);

 protected:
  void OnPaint(QPainter& painter) override;

 private:
  int iconIndex_ = 0;
};

}  // namespace keyloom::ui

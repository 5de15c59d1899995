#pragma once

#include <QPoint>
#include <optional>

#include "ui/widgets/SWindow.h"

namespace keyloom::ui {

// Tag "caption": the title bar of a frameless window; pressing the left button on it (or on a
// control in it that does not take the mouse) and moving drags the window.
class SCaption : public SWindow {
 public:
  static constexpr std::string_view kClassName = "caption";

  [[nodiscard]] std::string_view ClassName() const override { return kClassName; }
  [[nodiscard]] bool IsClass(std::string_view className) const override;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  // The press position relative to the window while the window is moved by hand (platforms
  // that do not move windows themselves); none otherwise.
  std::optional<QPoint> dragOffset_;
};

}  // namespace keyloom::ui

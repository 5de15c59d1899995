#pragma once

#include "ui/widgets/SWindow.h"

namespace keyloom::ui {

// Tag "text": a label. `multiLines="1"` wraps the text at word boundaries; otherwise it stays on
// one line, cut with an ellipsis. It passes the mouse on to its parent.
class SStatic : public SWindow {
 public:
  static constexpr std::string_view kClassName = "text";

  [[nodiscard]] std::string_view ClassName() const override { return kClassName; }
  [[nodiscard]] bool IsClass(std::string_view className) const override;

  AttributeResult SetAttribute(std::string_view name, const QString& value) override;

  [[nodiscard]] bool IsMultiLine() const { return multiLine_; }

 protected:
  void OnPaint(QPainter& painter) override;

 private:
  bool multiLine_ = false;
};

}  // namespace keyloom::ui

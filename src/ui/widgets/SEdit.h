#pragma once

#include "ui/widgets/SWindow.h"

class QKeyEvent;
class QLineEdit;
class QMouseEvent;

namespace keyloom::ui {

// Tag "edit": a single-line text field over the control's skin. Its text is the user's and is
// not translated; the cue text (`cueText`, shown while it is empty, in `cueColor`) is. Other
// attributes: `readOnly`, `number` (digits only), `maxLength`. Every change of the text, typed
// or set, fires the rich-edit notification (kEventRichEditNotify) with code kRichEditTextChanged.
//
// Subclasses see the keys and mouse buttons that reach the text first, through OnEditKeyPress
// and OnEditMouseButton, and may keep them from it; they see clicks even while the edit is
// disabled.
class SEdit : public SWindow {
 public:
  static constexpr std::string_view kClassName = "edit";

  SEdit();
  ~SEdit() override;

  [[nodiscard]] std::string_view ClassName() const override { return kClassName; }
  [[nodiscard]] bool IsClass(std::string_view className) const override;

  AttributeResult SetAttribute(std::string_view name, const QString& value) override;
  void SetText(const QString& text) override;
  [[nodiscard]] QString GetText() const override;
  void OnLanguageChanged() override;

  [[nodiscard]] const QString& GetCueText() const { return cueText_; }
  [[nodiscard]] QLineEdit* GetLineEdit() const { return lineEdit_; }

 protected:
  // A key press on its way to the text; true keeps it from the text.
  virtual bool OnEditKeyPress(QKeyEvent& event);
  // A press, release or double click of a mouse button on the text, also while the edit is
  // disabled; true keeps it from the text.
  virtual bool OnEditMouseButton(QMouseEvent& event);

  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void OnPaint(QPainter& painter) override;

 private:
  // Gives the text field the control's colours, font and alignment.
  void UpdateLook();

  QLineEdit* lineEdit_;
  QString cueText_;
  std::optional<QColor> cueColor_;
};

}  // namespace keyloom::ui

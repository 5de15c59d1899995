#pragma once

#include "ui/host/SHostDialog.h"
#include "ui/host/SMessageBox.h"

namespace keyloom::ui {

// The dialog of SMessageBox, built from the skin's message box layout. A button whose text needs
// more room than the layout gives it grows, away from the box's edge that the buttons start at,
// and the buttons after it move along.
class MessageBoxDialog : public SHostDialog {
 public:
  static constexpr const char* kLayoutName = "LAYOUT:SYS_XML_MSGBOX";

  explicit MessageBoxDialog(SMessageBox::Question question);

  void OnInitDialog() override;
  void OnEvent(EventArgs& args) override;
  void OnClose() override;

 private:
  void FitButtons();

  SMessageBox::Question question_;
};

}  // namespace keyloom::ui

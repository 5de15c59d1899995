#pragma once

#include "ui/host/SHostDialog.h"
#include "ui/host/SMessageBox.h"

namespace keyloom::ui {

// The dialog of SMessageBox, built from the skin's message box layout.
class MessageBoxDialog : public SHostDialog {
 public:
  static constexpr const char* kLayoutName = "LAYOUT:SYS_XML_MSGBOX";

  explicit MessageBoxDialog(SMessageBox::Question question);

  void OnInitDialog() override;
  void OnEvent(EventArgs& args) override;
  void OnClose() override;

 private:
  SMessageBox::Question question_;
};

}  // namespace keyloom::ui

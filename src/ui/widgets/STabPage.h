#pragma once

#include "ui/widgets/SWindow.h"

namespace keyloom::ui {

// Tag "page": one page of a tab control, with the `title` its tab shows (translated) and the
// state `iconIndex` of the tab control's icon skin (-1, the default: the tab's own index).
class STabPage : public SWindow {
 public:
  static constexpr std::string_view kClassName = "page";

  [[nodiscard]] std::string_view ClassName() const override { return kClassName; }
  [[nodiscard]] bool IsClass(std::string_view className) const override;

  AttributeResult SetAttribute(std::string_view name, const QString& value) override;
  void OnLanguageChanged() override;

  [[nodiscard]] const QString& GetTitle() const { return title_; }
  [[nodiscard]] const QString& GetDisplayTitle() const { return displayTitle_; }
  void SetTitle(const QString& title);
  [[nodiscard]] int GetIconIndex() const { return iconIndex_; }
  void SetIconIndex(int index);

 private:
  // Asks the tab control to draw its header again.
  void UpdateHeader();

  QString title_;
  QString displayTitle_;
  int iconIndex_ = -1;
};

}  // namespace keyloom::ui

#include "ui/widgets/STabPage.h"

#include "settings/AsciiText.h"
#include "ui/host/SApplication.h"
#include "ui/layout/AttributeText.h"

namespace keyloom::ui {

bool STabPage::IsClass(std::string_view className) const {
  return settings::EqualIgnoringAsciiCase(className, kClassName) || SWindow::IsClass(className);
}

AttributeResult STabPage::SetAttribute(std::string_view name, const QString& value) {
  if (settings::EqualIgnoringAsciiCase(name, "title")) {
    SetTitle(value);
    return AttributeResult::kHandled;
  }
  if (settings::EqualIgnoringAsciiCase(name, "iconIndex")) {
    const std::optional<int> index = ParseInt(value);
    if (!index) {
      return AttributeResult::kFailed;
    }
    SetIconIndex(*index);
    return AttributeResult::kHandled;
  }
  return SWindow::SetAttribute(name, value);
}

void STabPage::OnLanguageChanged() {
  SWindow::OnLanguageChanged();
  displayTitle_ = SApplication::Tr(title_);
  UpdateHeader();
}

void STabPage::SetTitle(const QString& title) {
  title_ = title;
  displayTitle_ = SApplication::Tr(title_);
  UpdateHeader();
}

void STabPage::SetIconIndex(int index) {
  iconIndex_ = index;
  UpdateHeader();
}

void STabPage::UpdateHeader() {
  if (SWindow* parent = GetParentWindow()) {
    parent->update();
  }
}

}  // namespace keyloom::ui

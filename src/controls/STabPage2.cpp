#include "controls/STabPage2.h"

#include "settings/AsciiText.h"
#include "ui/host/SApplication.h"
#include "ui/layout/AttributeText.h"
#include "ui/skin/ISkinObj.h"

namespace keyloom::controls {

bool STabPage2::IsClass(std::string_view className) const {
  return settings::EqualIgnoringAsciiCase(className, kClassName) || STabPage::IsClass(className);
}

ui::AttributeResult STabPage2::SetAttribute(std::string_view name, const QString& value) {
  const bool in = settings::EqualIgnoringAsciiCase(name, "ani_in");
  if (in || settings::EqualIgnoringAsciiCase(name, "ani_out")) {
    std::optional<std::shared_ptr<const ui::ISkinObj>> skin =
        ui::SApplication::SkinAttribute(value);
    if (!skin) {
      return ui::AttributeResult::kFailed;
    }
    (in ? inSkin_ : outSkin_) = std::move(*skin);
    return ui::AttributeResult::kHandled;
  }
  return STabPage::SetAttribute(name, value);
}

int STabPage2::InFrames() const {
  return inSkin_ != nullptr ? inSkin_->StateCount() : 0;
}

int STabPage2::OutFrames() const {
  return outSkin_ != nullptr ? outSkin_->StateCount() : 0;
}

}  // namespace keyloom::controls

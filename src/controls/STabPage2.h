#pragma once

#include <memory>
#include <string_view>

#include "controls/TabIconAnimation.h"
#include "ui/widgets/STabPage.h"

namespace keyloom::ui {
class ISkinObj;
}

namespace keyloom::controls {

// Tag "page2": a page of "tabctrl2" whose tab icon plays `ani_in` (a multi-state skin, one frame
// per state) while the mouse is over the tab and `ani_out` once after it left.
class STabPage2 : public ui::STabPage {
 public:
  static constexpr std::string_view kClassName = "page2";

  [[nodiscard]] std::string_view ClassName() const override { return kClassName; }
  [[nodiscard]] bool IsClass(std::string_view className) const override;

  ui::AttributeResult SetAttribute(std::string_view name, const QString& value) override;

  [[nodiscard]] const std::shared_ptr<const ui::ISkinObj>& GetInSkin() const { return inSkin_; }
  [[nodiscard]] const std::shared_ptr<const ui::ISkinObj>& GetOutSkin() const { return outSkin_; }
  // The frame counts of the two skins; 0 for a missing one.
  [[nodiscard]] int InFrames() const;
  [[nodiscard]] int OutFrames() const;

  [[nodiscard]] TabIconAnimation& Animation() { return animation_; }
  [[nodiscard]] const TabIconAnimation& Animation() const { return animation_; }

 private:
  std::shared_ptr<const ui::ISkinObj> inSkin_;
  std::shared_ptr<const ui::ISkinObj> outSkin_;
  TabIconAnimation animation_;
};

}  // namespace keyloom::controls

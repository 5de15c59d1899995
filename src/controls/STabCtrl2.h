#pragma once

#include <memory>
#include <string_view>

#include "controls/TabIconAnimation.h"
#include "controls/TimelineRegistration.h"
#include "ui/events/ITimelineHandler.h"
#include "ui/widgets/STabCtrl.h"

namespace keyloom::ui {
class ISkinObj;
}

namespace keyloom::controls {

// Tag "tabctrl2": a tab control that draws `tabHeadBgSkin` behind its tab headers and plays the
// icon animations of its "page2" pages: a tab the mouse comes over shows its page's "in" frames
// (the last one held), a tab the mouse left its "out" frames, each frame for kFrameIntervalMs,
// in place of the icon. Pages of another class show their icon only.
class STabCtrl2 : public ui::STabCtrl, public ui::ITimelineHandler {
 public:
  static constexpr std::string_view kClassName = "tabctrl2";
  static constexpr int kFrameIntervalMs = TabIconAnimation::kDefaultFrameIntervalMs;

  STabCtrl2();
  ~STabCtrl2() override;

  [[nodiscard]] std::string_view ClassName() const override { return kClassName; }
  [[nodiscard]] bool IsClass(std::string_view className) const override;

  ui::AttributeResult SetAttribute(std::string_view name, const QString& value) override;
  // Registers with the host's timeline and follows the tab hover and leave events.
  void OnCreate() override;
  void OnDestroy() override;

  // One timeline tick for every page's animation; answers whether one still animates.
  bool OnNextFrame() override;

  [[nodiscard]] const std::shared_ptr<const ui::ISkinObj>& GetHeaderBackgroundSkin() const {
    return headerSkin_;
  }

 protected:
  void DrawHeaderBackground(QPainter& painter, const QRect& header) override;
  // The page's running animation frame, else the base's icon.
  void DrawItemIcon(QPainter& painter, const QRect& rect, int index, int stateIndex) override;

 private:
  // Starts the hover or leave animation of tab `index`.
  void StartAnimation(int index, bool enter);
  // Repaints tab `index`, including the gaps a selected tab grows into.
  void UpdateItem(int index);

  std::shared_ptr<const ui::ISkinObj> headerSkin_;
  TimelineRegistration timeline_;
};

}  // namespace keyloom::controls

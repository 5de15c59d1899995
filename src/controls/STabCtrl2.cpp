#include "controls/STabCtrl2.h"

#include "controls/STabPage2.h"
#include "settings/AsciiText.h"
#include "ui/events/EventArgs.h"
#include "ui/events/EventIds.h"
#include "ui/events/Timeline.h"
#include "ui/host/SApplication.h"
#include "ui/layout/AttributeText.h"
#include "ui/skin/ISkinObj.h"

namespace keyloom::controls {

STabCtrl2::STabCtrl2() = default;

STabCtrl2::~STabCtrl2() = default;

bool STabCtrl2::IsClass(std::string_view className) const {
  return settings::EqualIgnoringAsciiCase(className, kClassName) || STabCtrl::IsClass(className);
}

ui::AttributeResult STabCtrl2::SetAttribute(std::string_view name, const QString& value) {
  if (settings::EqualIgnoringAsciiCase(name, "tabHeadBgSkin")) {
    std::optional<std::shared_ptr<const ui::ISkinObj>> skin =
        ui::SApplication::SkinAttribute(value);
    if (!skin) {
      return ui::AttributeResult::kFailed;
    }
    headerSkin_ = std::move(*skin);
    update();
    return ui::AttributeResult::kHandled;
  }
  return STabCtrl::SetAttribute(name, value);
}

void STabCtrl2::OnCreate() {
  STabCtrl::OnCreate();
  timeline_.Register(GetHostWnd(), this);
  Subscribe(
      ui::kEventTabItemHover,
      [this](ui::EventArgs& args) {
        StartAnimation(args.index, true);
        args.handled = true;
      },
      this);
  Subscribe(
      ui::kEventTabItemLeave,
      [this](ui::EventArgs& args) {
        StartAnimation(args.index, false);
        args.handled = true;
      },
      this);
}

void STabCtrl2::OnDestroy() {
  timeline_.Unregister();
  STabCtrl::OnDestroy();
}

void STabCtrl2::StartAnimation(int index, bool enter) {
  auto* page = dynamic_cast<STabPage2*>(GetItem(index));
  if (page == nullptr) {
    return;
  }
  if (enter) {
    page->Animation().Enter(kFrameIntervalMs);
  } else {
    page->Animation().Leave(kFrameIntervalMs);
  }
  UpdateItem(index);
  timeline_.Wake();
}

bool STabCtrl2::OnNextFrame() {
  bool animating = false;
  const int count = GetItemCount();
  for (int index = 0; index < count; ++index) {
    auto* page = dynamic_cast<STabPage2*>(GetItem(index));
    if (page == nullptr) {
      continue;
    }
    TabIconAnimation& animation = page->Animation();
    if (animation.Tick(ui::Timeline::kTickMs, kFrameIntervalMs, page->InFrames(),
                       page->OutFrames())) {
      UpdateItem(index);
    }
    animating = animation.IsAnimating(page->InFrames()) || animating;
  }
  return animating;
}

void STabCtrl2::UpdateItem(int index) {
  const int gap = GetTabLayout().interSize;
  update(ItemRect(index).adjusted(-gap, -gap, gap, gap));
}

void STabCtrl2::DrawHeaderBackground(QPainter& painter, const QRect& header) {
  if (headerSkin_ != nullptr) {
    headerSkin_->Draw(painter, header, 0);
  }
}

void STabCtrl2::DrawItemIcon(QPainter& painter, const QRect& rect, int index, int stateIndex) {
  if (const auto* page = dynamic_cast<const STabPage2*>(GetItem(index))) {
    const TabIconAnimation& animation = page->Animation();
    if (animation.GetState() == TabIconAnimation::State::kEntering &&
        page->GetInSkin() != nullptr) {
      page->GetInSkin()->Draw(painter, rect, animation.GetFrame());
      return;
    }
    if (animation.GetState() == TabIconAnimation::State::kLeaving &&
        page->GetOutSkin() != nullptr) {
      page->GetOutSkin()->Draw(painter, rect, animation.GetFrame());
      return;
    }
  }
  STabCtrl::DrawItemIcon(painter, rect, index, stateIndex);
}

}  // namespace keyloom::controls

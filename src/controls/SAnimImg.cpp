#include "controls/SAnimImg.h"

#include <QPainter>

#include "settings/AsciiText.h"
#include "ui/host/SApplication.h"
#include "ui/layout/AttributeText.h"
#include "ui/skin/ISkinObj.h"

namespace keyloom::controls {

SAnimImg::SAnimImg() = default;

SAnimImg::~SAnimImg() = default;

bool SAnimImg::IsClass(std::string_view className) const {
  return settings::EqualIgnoringAsciiCase(className, kClassName) || SWindow::IsClass(className);
}

ui::AttributeResult SAnimImg::SetAttribute(std::string_view name, const QString& value) {
  const auto is = [name](std::string_view known) {
    return settings::EqualIgnoringAsciiCase(name, known);
  };
  if (is("interval") || is("autorun")) {
    const std::optional<int> number = ui::ParseInt(value);
    if (!number) {
      return ui::AttributeResult::kFailed;
    }
    if (is("interval")) {
      animation_.SetInterval(*number);
    } else {
      animation_.SetAutorun(*number);
    }
    return ui::AttributeResult::kHandled;
  }
  if (is("ani_in") || is("ani_out")) {
    std::optional<std::shared_ptr<const ui::ISkinObj>> skin =
        ui::SApplication::SkinAttribute(value);
    if (!skin) {
      return ui::AttributeResult::kFailed;
    }
    (is("ani_in") ? inSkin_ : outSkin_) = std::move(*skin);
    update();
    return ui::AttributeResult::kHandled;
  }
  return SWindow::SetAttribute(name, value);
}

void SAnimImg::OnCreate() {
  SWindow::OnCreate();
  animation_.Create();
  timeline_.Register(GetHostWnd(), this);
}

void SAnimImg::OnDestroy() {
  timeline_.Unregister();
  SWindow::OnDestroy();
}

QSize SAnimImg::DesiredSize() const {
  return inSkin_ != nullptr ? inSkin_->NaturalSize() : QSize();
}

FrameAnimation::Frames SAnimImg::Frames() const {
  return {inSkin_ != nullptr ? inSkin_->StateCount() : 0,
          outSkin_ != nullptr ? outSkin_->StateCount() : 0};
}

bool SAnimImg::OnNextFrame() {
  const FrameAnimation::Frames frames = Frames();
  if (animation_.Tick(frames)) {
    update();
  }
  return animation_.IsAnimating(frames);
}

void SAnimImg::OnPaint(QPainter& painter) {
  FillBackgroundColor(painter);
  const QRect client = ClientRect();
  const FrameAnimation::State state = animation_.GetState();
  if (state == FrameAnimation::State::kIn && inSkin_ != nullptr) {
    inSkin_->Draw(painter, client, animation_.GetFrame());
  } else if (state == FrameAnimation::State::kOut && outSkin_ != nullptr) {
    outSkin_->Draw(painter, client, animation_.GetFrame());
  } else if (inSkin_ != nullptr) {
    inSkin_->Draw(painter, client, 0);
  }
}

void SAnimImg::enterEvent(QEnterEvent* event) {
  animation_.Hover();
  update();
  timeline_.Wake();
  SWindow::enterEvent(event);
}

void SAnimImg::leaveEvent(QEvent* event) {
  animation_.Leave();
  timeline_.Wake();
  SWindow::leaveEvent(event);
}

}  // namespace keyloom::controls

#include "controls/SShellNotifyIcon.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <algorithm>

#include <pugixml.hpp>

#include "settings/AsciiText.h"
#include "ui/host/SApplication.h"
#include "ui/host/SHostWnd.h"
#include "ui/layout/AttributeText.h"
#include "ui/skin/Image.h"

namespace keyloom::controls {

namespace {

// The icon shown when `ico` gives none that loads.
constexpr QLatin1StringView kLogoIcon("ICON:ICON_LOGO");
// Frame times below this are raised to it, as the system's timers do.
constexpr int kShortestFrameMs = 10;
// Balloon texts held for a fallback sink that is not set yet; the oldest go first.
constexpr std::size_t kHeldMessages = 32;

}  // namespace

SShellNotifyIcon::SShellNotifyIcon() {
  // The control has no look and takes no input: the layout may let it cover its parent.
  setAttribute(Qt::WA_TransparentForMouseEvents);
  QObject::connect(&frameTimer_, &QTimer::timeout, this, [this] { NextFrame(); });
}

SShellNotifyIcon::~SShellNotifyIcon() = default;

bool SShellNotifyIcon::IsClass(std::string_view className) const {
  return settings::EqualIgnoringAsciiCase(className, kClassName) || SWindow::IsClass(className);
}

ui::AttributeResult SShellNotifyIcon::SetAttribute(std::string_view name, const QString& value) {
  const auto is = [name](std::string_view known) {
    return settings::EqualIgnoringAsciiCase(name, known);
  };
  if (is("ico")) {
    LoadIcons(value);
    return ui::AttributeResult::kHandled;
  }
  if (is("tip")) {
    if (!value.isEmpty()) {
      const ui::SApplication* app = ui::SApplication::Instance();
      SetTip(created_ || app == nullptr ? value : app->ResolveValue(value));
    }
    return ui::AttributeResult::kHandled;
  }
  if (is("menu")) {
    return LoadMenu(value) ? ui::AttributeResult::kHandled : ui::AttributeResult::kFailed;
  }
  if (is("deficoidx") || is("startframe") || is("duration")) {
    const std::optional<int> number = ui::ParseInt(value);
    if (!number) {
      return ui::AttributeResult::kFailed;
    }
    (is("deficoidx") ? defaultIndex_ : is("startframe") ? startFrame_ : durationMs_) = *number;
    return ui::AttributeResult::kHandled;
  }
  return SWindow::SetAttribute(name, value);
}

void SShellNotifyIcon::OnCreate() {
  SWindow::OnCreate();
  hide();
  if (created_) {
    return;
  }
  created_ = true;
  if (defaultIndex_ < 0 || defaultIndex_ >= GetIconCount()) {
    defaultIndex_ = 0;
  }
  trayIcon_ = std::make_unique<QSystemTrayIcon>();
  QObject::connect(trayIcon_.get(), &QSystemTrayIcon::activated, this,
                   [this](QSystemTrayIcon::ActivationReason reason) { OnTrayActivated(reason); });
  if (icons_.empty()) {
    // The program's icon is the logo already when the program set one; otherwise it is drawn.
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull()) {
      const ui::SApplication* app = ui::SApplication::Instance();
      if (const std::shared_ptr<const ui::Image> logo =
              app != nullptr ? app->GetImage(kLogoIcon) : nullptr) {
        icon = logo->ToIcon();
      }
    }
    trayIcon_->setIcon(icon);
    shownIndex_ = -1;
  } else {
    ShowIconAt(defaultIndex_);
  }
  trayIcon_->setToolTip(ui::SApplication::Tr(tip_));
  ShowIcon();
}

void SShellNotifyIcon::OnDestroy() {
  frameTimer_.stop();
  if (trayIcon_ != nullptr) {
    trayIcon_->hide();
    trayIcon_.reset();
  }
  iconVisible_ = false;
  icons_.clear();
  SWindow::OnDestroy();
}

void SShellNotifyIcon::OnLanguageChanged() {
  SWindow::OnLanguageChanged();
  if (trayIcon_ != nullptr) {
    trayIcon_->setToolTip(ui::SApplication::Tr(tip_));
  }
}

void SShellNotifyIcon::ShowIcon() {
  if (trayIcon_ == nullptr) {
    return;
  }
  iconVisible_ = true;
  // Platforms without a display never get a notification area; elsewhere Qt puts the icon up
  // when one appears later.
  const QString platform = QGuiApplication::platformName();
  if (platform != QLatin1String("offscreen") && platform != QLatin1String("minimal")) {
    trayIcon_->show();
  }
}

void SShellNotifyIcon::HideIcon() {
  if (trayIcon_ != nullptr) {
    trayIcon_->hide();
    iconVisible_ = false;
  }
}

void SShellNotifyIcon::SetIconIndex(int index) {
  if (index < 0 || index >= GetIconCount()) {
    return;
  }
  defaultIndex_ = index;
  if (!IsAnimating()) {
    ShowIconAt(index);
  }
}

void SShellNotifyIcon::StartAnimation() {
  if (trayIcon_ == nullptr || startFrame_ < 0 ||
      GetIconCount() < startFrame_ + kMinAnimationFrames) {
    return;
  }
  currentFrame_ = startFrame_;
  frameTimer_.start(std::max(durationMs_, kShortestFrameMs));
}

void SShellNotifyIcon::StopAnimation() {
  currentFrame_ = 0;
  frameTimer_.stop();
  if (defaultIndex_ >= 0 && defaultIndex_ < GetIconCount()) {
    ShowIconAt(defaultIndex_);
  }
}

void SShellNotifyIcon::NextFrame() {
  if (currentFrame_ >= GetIconCount()) {
    currentFrame_ = startFrame_;
  }
  if (currentFrame_ < 0 || currentFrame_ >= GetIconCount()) {
    return;
  }
  ShowIconAt(currentFrame_);
  ++currentFrame_;
}

void SShellNotifyIcon::ShowBalloon(const QString& text) {
  const QString shown = CutBalloonText(text);
  if (trayIcon_ == nullptr || !iconVisible_ || !IsTrayAvailable()) {
    DeliverFallback(shown);
    return;
  }
  lastBalloon_ = shown;
  trayIcon_->showMessage(QString(), shown, QSystemTrayIcon::NoIcon, kBalloonTimeoutMs);
}

bool SShellNotifyIcon::IsTrayAvailable() const {
  return QSystemTrayIcon::isSystemTrayAvailable();
}

void SShellNotifyIcon::SetFallbackMessageSink(MessageSink sink) {
  fallbackSink_ = std::move(sink);
  if (!fallbackSink_) {
    return;
  }
  std::vector<QString> held;
  held.swap(heldMessages_);
  for (const QString& text : held) {
    fallbackSink_(text);
  }
}

void SShellNotifyIcon::OnTrayActivated(QSystemTrayIcon::ActivationReason reason) {
  if (reason == QSystemTrayIcon::Context) {
    ShowMenu();
    return;
  }
  if (reason != QSystemTrayIcon::Trigger) {
    return;
  }
  ui::SHostWnd* host = GetHostWnd();
  if (host == nullptr) {
    return;
  }
  // A minimised window counts as hidden: the click brings it back instead of hiding it.
  if (host->isVisible() && !host->isMinimized()) {
    host->hide();
    return;
  }
  host->setWindowState(host->windowState() & ~Qt::WindowMinimized);
  host->show();
  host->raise();
  host->activateWindow();
}

void SShellNotifyIcon::OnPaint(QPainter& /*painter*/) {}

void SShellNotifyIcon::LoadIcons(const QString& names) {
  icons_.clear();
  const ui::SApplication* app = ui::SApplication::Instance();
  if (app == nullptr) {
    return;
  }
  for (const QString& name : names.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
    if (const std::shared_ptr<const ui::Image> image = app->GetImage(name.trimmed())) {
      icons_.push_back(image->ToIcon());
    }
  }
}

bool SShellNotifyIcon::LoadMenu(const QString& name) {
  const ui::SApplication* app = ui::SApplication::Instance();
  pugi::xml_document document;
  if (app == nullptr || !app->LoadXml(name, document)) {
    return false;
  }
  menuKind_ = ui::PopupMenu::KindOf(document.document_element());
  if (menuKind_ != ui::PopupMenu::Kind::kNone) {
    menuName_ = name;
  }
  return true;
}

void SShellNotifyIcon::SetTip(const QString& tip) {
  tip_ = CutTrayTip(tip);
  if (trayIcon_ != nullptr) {
    trayIcon_->setToolTip(ui::SApplication::Tr(tip_));
  }
}

void SShellNotifyIcon::ShowIconAt(int index) {
  shownIndex_ = index;
  if (trayIcon_ != nullptr) {
    trayIcon_->setIcon(icons_[static_cast<std::size_t>(index)]);
  }
}

void SShellNotifyIcon::ShowMenu() {
  if (menuKind_ == ui::PopupMenu::Kind::kNone) {
    return;
  }
  const std::optional<ui::PopupMenu> menu = ui::PopupMenu::Load(menuName_);
  ui::SHostWnd* host = GetHostWnd();
  if (!menu || host == nullptr) {
    return;
  }
  menu->TrackPopupMenu(QCursor::pos(), *host);
}

void SShellNotifyIcon::DeliverFallback(const QString& text) {
  if (fallbackSink_) {
    fallbackSink_(text);
    return;
  }
  if (heldMessages_.size() >= kHeldMessages) {
    heldMessages_.erase(heldMessages_.begin());
  }
  heldMessages_.push_back(text);
}

}  // namespace keyloom::controls

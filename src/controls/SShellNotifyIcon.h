#pragma once

#include <QIcon>
#include <QString>
#include <QSystemTrayIcon>
#include <QTimer>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "controls/TrayText.h"
#include "ui/host/PopupMenu.h"
#include "ui/widgets/SWindow.h"

namespace keyloom::controls {

// Tag "shellnotifyicon": the program's icon in the notification area (QSystemTrayIcon). It draws
// nothing in its window. The icon appears when the control is created and goes with it.
//
// Attributes: `ico` (icon names separated by ";"; names that do not load are skipped; without
// any, the program's window icon is shown, or "ICON:ICON_LOGO" when it has none), `tip` (a named
// string at load time; set later, the text itself, shown at once; at most kMaxTipLength characters,
// longer tips are cut), `menu` (a skin XML resource: "menu" root: classic menu,
// "menuRoot"/"menuItem": extended menu, anything else: no menu), `deficoidx` (the icon shown while
// not animating), `startframe` (the first icon of the animation loop) and `duration` (milliseconds
// per animation frame).
//
// The mouse: a left click (Qt reports it as QSystemTrayIcon::Trigger, which platforms deliver
// on the press or on the completed click as they do) shows the host window in front when it is
// hidden and hides it when it is visible; a right click (Context) shows the tray menu at the
// cursor, whose commands reach the host window as OnCommand(0, id), or as command events for
// named items of an extended menu.
//
// Without a notification area (IsTrayAvailable false, e.g. a desktop without a tray or the
// offscreen platform) the control still keeps its state, and ShowBalloon hands its text to the
// fallback message sink (held until a sink is set).
class SShellNotifyIcon : public ui::SWindow {
 public:
  static constexpr std::string_view kClassName = "shellnotifyicon";
  static constexpr int kDefaultDurationMs = 200;
  static constexpr int kDefaultStartFrame = 1;
  static constexpr int kBalloonTimeoutMs = 1000;
  // An animation needs at least this many icons from the start frame on.
  static constexpr int kMinAnimationFrames = 4;

  using MessageSink = std::function<void(const QString& text)>;

  SShellNotifyIcon();
  ~SShellNotifyIcon() override;

  [[nodiscard]] std::string_view ClassName() const override { return kClassName; }
  [[nodiscard]] bool IsClass(std::string_view className) const override;

  ui::AttributeResult SetAttribute(std::string_view name, const QString& value) override;
  // Puts the icon into the tray.
  void OnCreate() override;
  // Takes the icon out of the tray and drops the icons.
  void OnDestroy() override;
  // Translates the tip again.
  void OnLanguageChanged() override;

  // Shows the icon in the tray again after HideIcon (once created). On the platforms without a
  // display ("offscreen", "minimal") the icon is only marked shown.
  void ShowIcon();
  void HideIcon();
  // Makes icon `index` the default; shown at once unless animating. Ignored for an index
  // outside the icons.
  void SetIconIndex(int index);
  // Cycles through the icons from the start frame on, one per `duration`; only when there are at
  // least startframe + kMinAnimationFrames icons and the icon exists.
  void StartAnimation();
  // Stops cycling and shows the default icon (the icon stays as it is without icons).
  void StopAnimation();
  // One animation step: the icon at the current frame (back to the start frame after the last
  // icon), then the next frame. Leaves the icon unchanged when there is no icon at the start frame.
  void NextFrame();
  // A message beside the icon, with an empty title, for kBalloonTimeoutMs; the text is cut to
  // kMaxBalloonLength characters. Without a tray it goes to the fallback message sink.
  void ShowBalloon(const QString& text);

  // Whether the desktop has a notification area now (it may come later, when a panel starts).
  [[nodiscard]] bool IsTrayAvailable() const;
  // Where ShowBalloon's texts go while there is no tray (or the icon is hidden). Texts shown
  // before a sink is set (the last 32) are handed to it at once, in order. An empty sink holds
  // them again.
  void SetFallbackMessageSink(MessageSink sink);

  // What a click on the icon does (see the class comment); public so that tests can click.
  void OnTrayActivated(QSystemTrayIcon::ActivationReason reason);

  [[nodiscard]] bool IsIconCreated() const { return trayIcon_ != nullptr; }
  [[nodiscard]] bool IsIconVisible() const { return iconVisible_; }
  [[nodiscard]] int GetIconCount() const { return static_cast<int>(icons_.size()); }
  [[nodiscard]] int GetDefaultIndex() const { return defaultIndex_; }
  [[nodiscard]] int GetStartFrame() const { return startFrame_; }
  [[nodiscard]] int GetDuration() const { return durationMs_; }
  [[nodiscard]] int GetCurrentFrame() const { return currentFrame_; }
  [[nodiscard]] bool IsAnimating() const { return frameTimer_.isActive(); }
  // The index of the icon shown in the tray; -1 for the skin's logo (no icons).
  [[nodiscard]] int GetShownIconIndex() const { return shownIndex_; }
  [[nodiscard]] const QString& GetTip() const { return tip_; }
  [[nodiscard]] const QString& GetMenuName() const { return menuName_; }
  [[nodiscard]] ui::PopupMenu::Kind GetMenuKind() const { return menuKind_; }
  // The last balloon text shown in the tray (after cutting); empty when none went there.
  [[nodiscard]] const QString& GetLastBalloon() const { return lastBalloon_; }

 protected:
  void OnPaint(QPainter& painter) override;

 private:
  void LoadIcons(const QString& names);
  // False when the resource cannot be loaded (nothing changed).
  bool LoadMenu(const QString& name);
  void SetTip(const QString& tip);
  // Shows icon `index` (an index into the icons) in the tray.
  void ShowIconAt(int index);
  void ShowMenu();
  void DeliverFallback(const QString& text);

  std::vector<QIcon> icons_;
  QString tip_;
  QString menuName_;
  ui::PopupMenu::Kind menuKind_ = ui::PopupMenu::Kind::kNone;
  int defaultIndex_ = 0;
  int startFrame_ = kDefaultStartFrame;
  int durationMs_ = kDefaultDurationMs;
  int currentFrame_ = 0;
  int shownIndex_ = -1;
  bool created_ = false;
  bool iconVisible_ = false;
  QString lastBalloon_;
  QTimer frameTimer_;
  std::unique_ptr<QSystemTrayIcon> trayIcon_;
  MessageSink fallbackSink_;
  std::vector<QString> heldMessages_;
};

}  // namespace keyloom::controls

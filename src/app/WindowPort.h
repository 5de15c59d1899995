#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace keyloom::ui {
class PopupMenu;
}  // namespace keyloom::ui

namespace keyloom::app {

class ResponsiveClock;

// What the main window's flows (the key assignment, the backup and restore, the tray's
// housekeeping) need of the window, which implements it. The keyboard's state is not part of it:
// the flows change it through the connection, which tells the window.
class WindowPort {
 public:
  virtual ~WindowPort() = default;

  // The owner of the flows' dialogs and message boxes: the main window.
  [[nodiscard]] virtual QWidget* Owner() = 0;
  // The clock of the connection's pauses, when it keeps the window alive through them (not
  // owned); null: none.
  [[nodiscard]] virtual ResponsiveClock* SequenceClock() const = 0;

  // The profile the profile list shows; -1 for none.
  [[nodiscard]] virtual int ShownProfile() const = 0;
  // Picks the profile `index` (0-2) as a pick in the profile list does.
  virtual void ShowProfile(int index) = 0;
  // Marks the keys of the connection's slot table again (what the keys' tooltips and the list of
  // assignments say depends on the macro library too).
  virtual void MarkAssignedKeys() = 0;
  // Shows `ledMode` in the LED mode list (when given; nothing is sent) and loads the lighting
  // controls from the connection's record of the mode shown.
  virtual void ShowLighting(std::optional<int> ledMode) = 0;
  // The name the LED mode list gives `ledMode`; its number without the list.
  [[nodiscard]] virtual QString LedModeName(int ledMode) const = 0;
  // Pops up `menu` under the window's button `buttonName`, its top-left corner at the button's
  // bottom-left; nothing without the button.
  virtual void ShowMenuUnder(const QString& buttonName, const ui::PopupMenu& menu) = 0;

  // Tells the user `text` (translated) on the window's notice line: what came of what they just
  // did; in place of `replacing`, when that is shown.
  virtual void Tell(const QString& text, const QString& replacing = QString()) = 0;

  // Lets go of the keyboard and shows "Disconnected"; opens it again as at the start, without
  // reading its profile (true when it opened).
  virtual void Disconnect() = 0;
  virtual bool Reconnect() = 0;
};

}  // namespace keyloom::app

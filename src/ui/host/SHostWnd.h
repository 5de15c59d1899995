#pragma once

#include <QPointer>
#include <QSize>
#include <QString>
#include <QWidget>
#include <map>
#include <optional>
#include <string_view>

#include "ui/events/Timeline.h"
#include "ui/widgets/SWindow.h"

namespace keyloom::ui {

struct EventArgs;
class ITimelineHandler;
class PopupMenu;
class ScaledView;

// A top-level window built from a layout (LAYOUT:name): a frameless window that draws its own
// title bar (a "caption" control drags it). The layout's document element `SOUI` gives the
// window's `title` (translated), `width`, `height` (pixels at 100 %), `resize` (0: fixed size)
// and `scale` (1: a window whose whole content is scaled to its size); its child `root` is the
// client area, a control of class "window".
//
// A scaled window takes any size from half its layout's size on; its edges resize it: within
// kEdgeWidth pixels of an edge the cursor shows the resize arrows and a press of the left button
// hands the resize to the window system. The content is drawn at the largest scale at which the
// layout's size fits the window, and the root fills the whole window at that scale: where the
// window's proportions differ from the layout's, the root is that much wider or taller, and its
// controls are placed by their `pos` as usual. At a scale of 1 the root is an ordinary child of
// the window; the first other scale puts it into a view that draws it scaled (ScaledView), where
// it stays.
//
// The window messages of the program arrive as virtual calls: OnInitDialog once after creation,
// OnClose for a close request, OnDestroy when the window is destroyed, OnDeviceChange (called by
// the program), OnCommand for menu commands, and OnEvent for every control event that no
// subscriber handled.
class SHostWnd : public QWidget {
 public:
  // System commands (SendSysCommand).
  static constexpr int kSysCommandMinimize = 0xF020;
  static constexpr int kSysCommandMaximize = 0xF030;
  static constexpr int kSysCommandRestore = 0xF120;

  // `layoutName` is "LAYOUT:name" or just the name.
  explicit SHostWnd(QString layoutName);
  ~SHostWnd() override;

  SHostWnd(const SHostWnd&) = delete;
  SHostWnd& operator=(const SHostWnd&) = delete;

  // Builds the window and its controls from the layout, owned by `owner` (the window stays above
  // its owner; none for the main window), then calls OnInitDialog. False, with nothing built,
  // when the layout cannot be loaded or the window was created before.
  bool Create(QWidget* owner = nullptr);
  [[nodiscard]] bool IsCreated() const { return root_ != nullptr; }

  // The client area's control; null before creation and after destruction.
  [[nodiscard]] SWindow* GetRoot() const { return root_; }

  // The lookups of SWindow, below the root.
  [[nodiscard]] SWindow* FindChildByName(const QString& name,
                                         int depth = SWindow::kAllLevels) const;
  [[nodiscard]] SWindow* FindChildByID(int id, int depth = SWindow::kAllLevels) const;
  [[nodiscard]] SWindow* FindChildByName2(const QString& name, std::string_view className,
                                          int depth = SWindow::kAllLevels) const;
  [[nodiscard]] SWindow* FindChildByID2(int id, std::string_view className,
                                        int depth = SWindow::kAllLevels) const;
  template <class T>
  [[nodiscard]] T* FindChildByName2(const QString& name, int depth = SWindow::kAllLevels) const {
    return dynamic_cast<T*>(FindChildByName2(name, T::kClassName, depth));
  }
  template <class T>
  [[nodiscard]] T* FindChildByID2(int id, int depth = SWindow::kAllLevels) const {
    return dynamic_cast<T*>(FindChildByID2(id, T::kClassName, depth));
  }

  // Destroys the window: hides it, calls OnDestroy, then ends its controls (SWindow::Destroy).
  // Once; the object itself stays until its owner deletes it.
  void DestroyWindow();
  // A close request (closeEvent, hence OnClose while the window is not destroyed), from the
  // event loop.
  void PostCloseRequest();
  // Minimise, maximise or restore (kSysCommand...); other commands do nothing.
  void SendSysCommand(int command);
  // The language-changed broadcast: every text of the window (title, control texts, tooltips,
  // items, tab titles, column headers) is translated again with the current translator.
  void SendLanguageChanged();
  // Centres the window over its owner, or on its screen without one.
  void CenterWindow();

  // The layout's size: the window's size at 100 %.
  [[nodiscard]] QSize DesignSize() const { return designSize_; }
  // Whether the content is scaled to the window (the layout's `scale`).
  [[nodiscard]] bool IsScaled() const { return scaled_; }
  // The scale the content is drawn at: 1 for a window that is not scaled.
  [[nodiscard]] qreal ContentScale() const;
  // Gives a scaled window the size FittedSize chooses for `preferred` (empty: the layout's size)
  // on the screen it is on. A window that is not scaled keeps its size.
  void FitToScreen(const QSize& preferred = {});
  // The size of a scaled window for the available area of a screen: `preferred` bounded by
  // `available` and by the smallest size, or, without a preferred size, the layout's size,
  // scaled down with its proportions until it fits.
  [[nodiscard]] static QSize FittedSize(const QSize& design, const QSize& preferred,
                                        const QSize& available);
  // A scaled window is never smaller than the layout's size times this.
  static constexpr qreal kSmallestScale = 0.5;
  // How far from its edges a scaled window's edges resize it, in pixels.
  static constexpr int kEdgeWidth = 6;
  // The edges of a scaled window that a press at `pos` (in the window) resizes; none away from
  // the edges, none while the window is maximised or full screen, and none for a window that is
  // not scaled.
  [[nodiscard]] Qt::Edges EdgesAt(const QPoint& pos) const;

  // Named integer properties of the window.
  void SetWindowProperty(const QString& name, int value);
  [[nodiscard]] std::optional<int> GetWindowProperty(const QString& name) const;
  bool RemoveWindowProperty(const QString& name);

  // The window's timeline (see Timeline).
  void RegisterTimelineHandler(ITimelineHandler* handler);
  void UnregisterTimelineHandler(ITimelineHandler* handler);
  void WakeTimeline();
  [[nodiscard]] Timeline& GetTimeline() { return timeline_; }

  virtual void OnInitDialog() {}
  // A close request (the system's close, PostCloseRequest); destroys the window by default.
  virtual void OnClose();
  // The window is being destroyed; its controls still exist. The application's main window
  // ends the message loop with exit code 0 here; overrides call the base.
  virtual void OnDestroy();
  virtual void OnDeviceChange() {}
  // A command: a menu item's id with notification code 0.
  virtual void OnCommand(int notifyCode, int id);
  // A popup menu owned by the window is about to show: the window may mark or take out items of
  // `menu`, the copy that shows. Does nothing by default.
  virtual void OnInitMenu(PopupMenu& menu);
  // A control event that no subscriber handled; set args.handled for the ones dealt with.
  virtual void OnEvent(EventArgs& args);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  // The mouse over the edges of a scaled window's system window (see EdgesAt).
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Builds the scaled view and moves the root into it, keeping the focus where it was.
  void CreateScaledView();
  // Scales the content to the window's size.
  void ApplyScale();
  // The resize arrows over the edges, the resize on a press there; true for an event taken.
  bool HandleEdgeEvent(const QMouseEvent& event);

  QString layoutName_;
  QString title_;
  QSize designSize_;
  QPointer<SWindow> root_;
  bool scaled_ = false;
  // Made the first time the content is drawn at a scale other than 1.
  ScaledView* view_ = nullptr;
  // The resize arrows are shown.
  bool edgeCursor_ = false;
  bool destroyed_ = false;
  std::map<QString, int> properties_;
  Timeline timeline_;
};

}  // namespace keyloom::ui

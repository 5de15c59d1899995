#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <memory>

#include "macro_dialog/KeyboardCapture.h"
#include "macro_dialog/QtKeyTranslation.h"

namespace keyloom::macro {

namespace {

// The virtual-key code given to the listeners for a key that has none.
constexpr std::uint32_t kNoVirtualKey = 0;

// Holds the keyboard for the capture window while the hook is installed, and hands the window's
// keystrokes to the hook.
class WindowCapture : public QObject {
 public:
  // The window becomes active (and stops being so) with the system's focus window, which Qt
  // does not always tell the window itself about, as when it is shown again.
  WindowCapture() {
    QObject::connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this] { UpdateGrab(); });
  }

  void SetHook(KeyboardHook* hook) { hook_ = hook; }

  bool Start() {
    installed_ = window_ != nullptr;
    UpdateGrab();
    return installed_;
  }

  bool Stop() {
    installed_ = false;
    UpdateGrab();
    return true;
  }

  void SetWindow(QWidget* window) {
    if (window_ == window) {
      return;
    }
    if (window_ != nullptr) {
      window_->removeEventFilter(this);
      if (QWidget::keyboardGrabber() == window_) {
        window_->releaseKeyboard();
      }
    }
    window_ = window;
    if (window_ != nullptr) {
      window_->installEventFilter(this);
    }
    UpdateGrab();
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != window_) {
      return false;
    }
    switch (event->type()) {
      case QEvent::Show:
      case QEvent::Hide:
      case QEvent::WindowActivate:
      case QEvent::WindowDeactivate:
        UpdateGrab();
        return false;
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
        return installed_ && !forwarding_ && OnKey(*static_cast<QKeyEvent*>(event));
      default:
        return false;
    }
  }

 private:
  // The keyboard is held only while it is of use and the user sees why: the hook installed, the
  // window shown and active.
  void UpdateGrab() {
    const bool wanted = installed_ && window_ != nullptr && window_->isVisible() && IsActive();
    if (wanted && QWidget::keyboardGrabber() != window_) {
      window_->grabKeyboard();
    } else if (!wanted && window_ != nullptr && QWidget::keyboardGrabber() == window_) {
      window_->releaseKeyboard();
    }
  }

  // Active as a widget, or as a window: some platforms give a window shown again the focus
  // without telling the widget.
  [[nodiscard]] bool IsActive() const {
    const QWindow* handle = window_->windowHandle();
    return window_->isActiveWindow() || (handle != nullptr && handle->isActive());
  }

  bool OnKey(QKeyEvent& event) {
    const bool press = event.type() == QEvent::KeyPress;
    // Windows repeats only the key-down message of a held key; the releases between Qt's
    // repeats are not keystrokes.
    if (!press && event.isAutoRepeat()) {
      return Forward(event);
    }
    const QtKeyEvent key{event.key(), event.nativeScanCode(), event.nativeVirtualKey(),
                         event.modifiers(), press};
    const std::uint32_t virtualKey = VirtualKeyFromQtKey(key).value_or(kNoVirtualKey);
    if (hook_ != nullptr &&
        hook_->Dispatch(kHookActionCode, KeyMessageFromQtKey(key), {virtualKey})) {
      return true;
    }
    return Forward(event);
  }

  // While the window holds the keyboard its key events come to the window itself; those that no
  // listener swallowed go on to the widget that has the focus, as they would have without the
  // capture.
  bool Forward(QKeyEvent& event) {
    QWidget* focus = window_->focusWidget();
    if (focus == nullptr || focus == window_) {
      return false;
    }
    const std::unique_ptr<QKeyEvent> copy(event.clone());
    forwarding_ = true;
    QCoreApplication::sendEvent(focus, copy.get());
    forwarding_ = false;
    event.setAccepted(copy->isAccepted());
    return true;
  }

  KeyboardHook* hook_ = nullptr;
  QPointer<QWidget> window_;
  bool installed_ = false;
  bool forwarding_ = false;
};

WindowCapture& TheCapture() {
  static WindowCapture capture;
  return capture;
}

}  // namespace

KeyboardHook& KeyboardCapture::Hook() {
  static KeyboardHook hook(KeyboardHook::SystemHook{[] { return TheCapture().Start(); },
                                                    [] { return TheCapture().Stop(); }});
  TheCapture().SetHook(&hook);
  return hook;
}

void KeyboardCapture::SetWindow(QWidget* window) {
  TheCapture().SetWindow(window);
}

}  // namespace keyloom::macro

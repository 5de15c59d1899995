#include "ui/host/AccessibleFactory.h"

#include <QAccessible>
#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QApplication>
#include <QGuiApplication>
#include <QList>
#include <QWindow>

#include "ui/host/SHostDialog.h"
#include "ui/host/SHostWnd.h"
#include "ui/host/ScaledView.h"
#include "ui/widgets/SMcListView.h"
#include "ui/widgets/SMcListViewAccessible.h"
#include "ui/widgets/SWindow.h"
#include "ui/widgets/SWindowAccessible.h"

namespace keyloom::ui {

namespace {

// The view of a scaled window: its one child is the root control it draws.
class ScaledViewAccessible : public QAccessibleWidget {
 public:
  explicit ScaledViewAccessible(ScaledView* view) : QAccessibleWidget(view, QAccessible::Pane) {}

  [[nodiscard]] int childCount() const override { return Content() != nullptr ? 1 : 0; }
  [[nodiscard]] QAccessibleInterface* child(int index) const override {
    return index == 0 && Content() != nullptr ? QAccessible::queryAccessibleInterface(Content())
                                              : nullptr;
  }
  [[nodiscard]] int indexOfChild(const QAccessibleInterface* child) const override {
    return child != nullptr && Content() != nullptr && child->object() == Content() ? 0 : -1;
  }

 private:
  [[nodiscard]] QWidget* Content() const { return static_cast<ScaledView*>(widget())->Content(); }
};

// The application: its windows, without the root controls that a view draws.
class ApplicationAccessible : public QAccessibleObject {
 public:
  ApplicationAccessible() : QAccessibleObject(qApp) {}

  [[nodiscard]] QWindow* window() const override { return nullptr; }
  [[nodiscard]] int childCount() const override { return static_cast<int>(TopLevels().size()); }
  [[nodiscard]] int indexOfChild(const QAccessibleInterface* child) const override {
    return child != nullptr ? static_cast<int>(TopLevels().indexOf(child->object())) : -1;
  }
  [[nodiscard]] QAccessibleInterface* parent() const override { return nullptr; }
  [[nodiscard]] QAccessibleInterface* child(int index) const override {
    const QList<QObject*> windows = TopLevels();
    return index >= 0 && index < windows.size()
               ? QAccessible::queryAccessibleInterface(windows.at(index))
               : nullptr;
  }
  [[nodiscard]] QAccessibleInterface* focusChild() const override {
    QWindow* focus = QGuiApplication::focusWindow();
    return focus != nullptr ? focus->accessibleRoot() : nullptr;
  }
  [[nodiscard]] QString text(QAccessible::Text type) const override {
    switch (type) {
      case QAccessible::Name:
        return QGuiApplication::applicationName();
      case QAccessible::Description:
        return QGuiApplication::applicationVersion();
      default:
        return {};
    }
  }
  [[nodiscard]] QAccessible::Role role() const override { return QAccessible::Application; }
  [[nodiscard]] QAccessible::State state() const override { return {}; }

 private:
  static QList<QObject*> TopLevels() {
    QList<QObject*> windows;
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
      if (window->type() == Qt::Popup || window->type() == Qt::Desktop) {
        continue;
      }
      QAccessibleInterface* root = window->accessibleRoot();
      QObject* object = root != nullptr ? root->object() : nullptr;
      const auto* widget = qobject_cast<const QWidget*>(object);
      if (object != nullptr && (widget == nullptr || widget->graphicsProxyWidget() == nullptr)) {
        windows.append(object);
      }
    }
    return windows;
  }
};

QAccessibleInterface* CreateAccessible(const QString& className, QObject* object) {
  if (object == nullptr) {
    return nullptr;
  }
  if (object == qApp) {
    return className == QLatin1String(object->metaObject()->className()) ? new ApplicationAccessible
                                                                         : nullptr;
  }
  if (auto* view = dynamic_cast<ScaledView*>(object)) {
    return new ScaledViewAccessible(view);
  }
  if (auto* host = dynamic_cast<SHostWnd*>(object)) {
    return new QAccessibleWidget(host, dynamic_cast<SHostDialog*>(host) != nullptr
                                           ? QAccessible::Dialog
                                           : QAccessible::Window);
  }
  if (auto* list = dynamic_cast<SMcListView*>(object)) {
    return new SMcListViewAccessible(list);
  }
  if (auto* control = dynamic_cast<SWindow*>(object)) {
    return new SWindowAccessible(control);
  }
  return nullptr;
}

}  // namespace

void InstallAccessibleFactory() {
  static const bool installed = [] {
    QAccessible::installFactory(&CreateAccessible);
    return true;
  }();
  static_cast<void>(installed);
}

}  // namespace keyloom::ui

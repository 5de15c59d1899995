#include "controls/CoordButtonImageAccessible.h"

#include <cstddef>
#include <optional>

#include "controls/CoordButtonImage.h"
#include "ui/widgets/SPartAccessible.h"

namespace keyloom::controls {

namespace {

// One key of the picture.
class CoordButtonAccessible : public ui::SPartAccessible<CoordButtonImage>,
                              public QAccessibleActionInterface {
 public:
  CoordButtonAccessible(CoordButtonImage* picture, std::size_t index)
      : SPartAccessible(picture), index_(index) {}

  [[nodiscard]] bool isValid() const override {
    return Owner() != nullptr && index_ < Owner()->ButtonCount();
  }

  [[nodiscard]] QString text(QAccessible::Text type) const override {
    if (!isValid()) {
      return {};
    }
    if (type == QAccessible::Name) {
      return Owner()->KeyName(index_);
    }
    return type == QAccessible::Description ? Owner()->KeyDescription(index_) : QString();
  }
  void setText(QAccessible::Text /*type*/, const QString& /*text*/) override {}

  [[nodiscard]] QRect rect() const override {
    if (!isValid()) {
      return {};
    }
    const QRect local = Owner()->PictureToControl(Owner()->ButtonAt(index_).rect).toRect();
    return {Owner()->mapToGlobal(local.topLeft()), Owner()->mapToGlobal(local.bottomRight())};
  }
  [[nodiscard]] QAccessible::Role role() const override { return QAccessible::PushButton; }
  [[nodiscard]] QAccessible::State state() const override {
    QAccessible::State state;
    if (!isValid()) {
      state.invalid = true;
      return state;
    }
    state.focusable = true;
    state.focused = Owner()->hasFocus() && Owner()->FocusedKey() == index_;
    state.disabled = !Owner()->isEnabled();
    state.invisible = !Owner()->isVisible() || Owner()->ButtonAt(index_).rect.isEmpty();
    return state;
  }
  void* interface_cast(QAccessible::InterfaceType type) override {
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                : nullptr;
  }

  [[nodiscard]] QStringList actionNames() const override {
    return isValid() && Owner()->isEnabled() ? QStringList{pressAction()} : QStringList();
  }
  void doAction(const QString& actionName) override {
    if (actionName == pressAction() && isValid() && Owner()->isEnabled()) {
      Owner()->ClickButtonAt(index_);
    }
  }
  [[nodiscard]] QStringList keyBindingsForAction(const QString& /*actionName*/) const override {
    return {};
  }

 private:
  std::size_t index_;
};

QAccessibleInterface* CreatePictureAccessible(const QString& /*className*/, QObject* object) {
  auto* picture = dynamic_cast<CoordButtonImage*>(object);
  return picture != nullptr ? new CoordButtonImageAccessible(picture) : nullptr;
}

}  // namespace

void InstallCoordButtonImageAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(&CreatePictureAccessible);
    return true;
  }();
  static_cast<void>(installed);
}

CoordButtonImageAccessible::CoordButtonImageAccessible(CoordButtonImage* picture)
    : SWindowAccessible(picture) {}

CoordButtonImageAccessible::~CoordButtonImageAccessible() {
  for (const QAccessible::Id id : keys_) {
    if (id != 0) {
      QAccessible::deleteAccessibleInterface(id);
    }
  }
}

CoordButtonImage* CoordButtonImageAccessible::Picture() const {
  return static_cast<CoordButtonImage*>(widget());
}

int CoordButtonImageAccessible::childCount() const {
  return static_cast<int>(Picture()->ButtonCount());
}

QAccessibleInterface* CoordButtonImageAccessible::child(int index) const {
  if (index < 0 || index >= childCount()) {
    return nullptr;
  }
  const auto key = static_cast<std::size_t>(index);
  if (keys_.size() < Picture()->ButtonCount()) {
    keys_.resize(Picture()->ButtonCount(), 0);
  }
  if (keys_[key] == 0) {
    // Qt's cache owns the key's interface from here on; the destructor deletes it there.
    // NOLINTNEXTLINE(clang-analyzer-cplusplus.NewDeleteLeaks)
    keys_[key] =
        QAccessible::registerAccessibleInterface(new CoordButtonAccessible(Picture(), key));
  }
  return QAccessible::accessibleInterface(keys_[key]);
}

int CoordButtonImageAccessible::indexOfChild(const QAccessibleInterface* child) const {
  for (std::size_t index = 0; index < keys_.size(); ++index) {
    if (child != nullptr && keys_[index] != 0 &&
        QAccessible::accessibleInterface(keys_[index]) == child) {
      return static_cast<int>(index);
    }
  }
  return -1;
}

QAccessibleInterface* CoordButtonImageAccessible::childAt(int x, int y) const {
  const std::optional<std::size_t> key = Picture()->KeyAt(Picture()->mapFromGlobal(QPoint(x, y)));
  return key ? child(static_cast<int>(*key)) : nullptr;
}

QAccessibleInterface* CoordButtonImageAccessible::focusChild() const {
  const std::optional<std::size_t> key = Picture()->FocusedKey();
  return Picture()->hasFocus() && key ? child(static_cast<int>(*key)) : nullptr;
}

}  // namespace keyloom::controls

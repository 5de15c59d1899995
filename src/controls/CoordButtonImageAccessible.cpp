#include "controls/CoordButtonImageAccessible.h"

#include <QPointer>
#include <QWindow>
#include <cstddef>
#include <optional>

#include "controls/CoordButtonImage.h"

namespace keyloom::controls {

namespace {

// One key of the picture.
class CoordButtonAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
 public:
  CoordButtonAccessible(CoordButtonImage* picture, std::size_t index)
      : picture_(picture), index_(index) {}

  [[nodiscard]] bool isValid() const override {
    return picture_ != nullptr && index_ < picture_->ButtonCount();
  }
  [[nodiscard]] QObject* object() const override { return nullptr; }
  [[nodiscard]] QWindow* window() const override {
    const QAccessibleInterface* parent = this->parent();
    return parent != nullptr ? parent->window() : nullptr;
  }
  [[nodiscard]] QAccessibleInterface* parent() const override {
    return picture_ != nullptr ? QAccessible::queryAccessibleInterface(picture_.data()) : nullptr;
  }
  [[nodiscard]] QAccessibleInterface* child(int /*index*/) const override { return nullptr; }
  [[nodiscard]] int childCount() const override { return 0; }
  [[nodiscard]] int indexOfChild(const QAccessibleInterface* /*child*/) const override {
    return -1;
  }
  [[nodiscard]] QAccessibleInterface* childAt(int /*x*/, int /*y*/) const override {
    return nullptr;
  }

  [[nodiscard]] QString text(QAccessible::Text type) const override {
    if (!isValid()) {
      return {};
    }
    if (type == QAccessible::Name) {
      return picture_->KeyName(index_);
    }
    return type == QAccessible::Description ? picture_->KeyDescription(index_) : QString();
  }
  void setText(QAccessible::Text /*type*/, const QString& /*text*/) override {}

  [[nodiscard]] QRect rect() const override {
    if (!isValid()) {
      return {};
    }
    const QRect local = picture_->PictureToControl(picture_->ButtonAt(index_).rect).toRect();
    return {picture_->mapToGlobal(local.topLeft()), picture_->mapToGlobal(local.bottomRight())};
  }
  [[nodiscard]] QAccessible::Role role() const override { return QAccessible::PushButton; }
  [[nodiscard]] QAccessible::State state() const override {
    QAccessible::State state;
    if (!isValid()) {
      state.invalid = true;
      return state;
    }
    state.focusable = true;
    state.focused = picture_->hasFocus() && picture_->FocusedKey() == index_;
    state.disabled = !picture_->isEnabled();
    state.invisible = !picture_->isVisible() || picture_->ButtonAt(index_).rect.isEmpty();
    return state;
  }
  void* interface_cast(QAccessible::InterfaceType type) override {
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                : nullptr;
  }

  [[nodiscard]] QStringList actionNames() const override {
    return isValid() && picture_->isEnabled() ? QStringList{pressAction()} : QStringList();
  }
  void doAction(const QString& actionName) override {
    if (actionName == pressAction() && isValid() && picture_->isEnabled()) {
      picture_->ClickButtonAt(index_);
    }
  }
  [[nodiscard]] QStringList keyBindingsForAction(const QString& /*actionName*/) const override {
    return {};
  }

 private:
  QPointer<CoordButtonImage> picture_;
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

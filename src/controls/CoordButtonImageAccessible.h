#pragma once

#include <QAccessible>
#include <vector>

#include "ui/widgets/SWindowAccessible.h"

namespace keyloom::controls {

class CoordButtonImage;

// The keyboard picture for a screen reader: a control whose children are its keys, in the order
// of the key coordinate file. Each key is a button named by its key name ("F5"), described by
// what it does where the window told the picture (its tooltip, "F5: macro “Copy”") or as
// "assigned" where it is marked without one; it is focused while the picture has the focus and
// its mark is on the key, and its action "Press" clicks it as the mouse does.
class CoordButtonImageAccessible : public ui::SWindowAccessible {
 public:
  explicit CoordButtonImageAccessible(CoordButtonImage* picture);
  ~CoordButtonImageAccessible() override;

  CoordButtonImageAccessible(const CoordButtonImageAccessible&) = delete;
  CoordButtonImageAccessible& operator=(const CoordButtonImageAccessible&) = delete;

  [[nodiscard]] int childCount() const override;
  [[nodiscard]] QAccessibleInterface* child(int index) const override;
  [[nodiscard]] int indexOfChild(const QAccessibleInterface* child) const override;
  [[nodiscard]] QAccessibleInterface* childAt(int x, int y) const override;
  [[nodiscard]] QAccessibleInterface* focusChild() const override;

 private:
  [[nodiscard]] CoordButtonImage* Picture() const;

  // The keys' interfaces, made when first asked for and registered with Qt, which hands their
  // ids to the screen reader; they go with the picture's interface.
  mutable std::vector<QAccessible::Id> keys_;
};

// Makes the keyboard picture's interface for screen readers; once per process, after the
// toolkit's (RegisterControls does it).
void InstallCoordButtonImageAccessibility();

}  // namespace keyloom::controls

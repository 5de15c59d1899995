#pragma once

#include <cstddef>
#include <vector>

namespace keyloom::ui {
class SWindow;
}

namespace keyloom::app {

// Check-style controls that make one choice together, in order. The choice is the index of the
// first checked control, or -1 when none is checked. The controls belong to their window; the
// group keeps plain pointers to them.
class ColourGroup {
 public:
  // Appends `control` and unchecks it. A control missing from the layout (null) is left out, so
  // the indices of the controls after it move down by one.
  void Add(ui::SWindow* control);

  // The index of the first checked control; -1 when none is checked.
  [[nodiscard]] int Value() const;

  // Checks control `index` and unchecks every other one; an index outside the group unchecks
  // them all.
  void Select(int index);

  [[nodiscard]] std::size_t Size() const { return controls_.size(); }
  void Clear() { controls_.clear(); }

 private:
  std::vector<ui::SWindow*> controls_;
};

}  // namespace keyloom::app

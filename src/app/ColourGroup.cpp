#include "app/ColourGroup.h"

#include <algorithm>

#include "ui/widgets/SWindow.h"

namespace keyloom::app {

void ColourGroup::Add(ui::SWindow* control) {
  if (control == nullptr) {
    return;
  }
  control->SetCheck(false);
  controls_.push_back(control);
}

int ColourGroup::Value() const {
  const auto checked =
      std::find_if(controls_.begin(), controls_.end(),
                   [](const ui::SWindow* control) { return control->IsChecked(); });
  return checked == controls_.end() ? -1 : static_cast<int>(checked - controls_.begin());
}

void ColourGroup::Select(int index) {
  // Unchecking first: a radio button that is checked clears its siblings, which must not undo
  // the new choice.
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    if (static_cast<int>(i) != index) {
      controls_[i]->SetCheck(false);
    }
  }
  if (index >= 0 && static_cast<std::size_t>(index) < controls_.size()) {
    controls_[static_cast<std::size_t>(index)]->SetCheck(true);
  }
}

}  // namespace keyloom::app

#include "controls/CoordButtonSet.h"

#include <algorithm>

namespace keyloom::controls {

bool CoordButtonSet::Hits(const CoordButton& button, const QPointF& point) {
  const QRect& rect = button.rect;
  return point.x() >= rect.left() && point.x() < rect.left() + rect.width() &&
         point.y() >= rect.top() && point.y() < rect.top() + rect.height();
}

std::optional<std::size_t> CoordButtonSet::HitTest(const QPointF& point) const {
  const auto found =
      std::find_if(buttons_.begin(), buttons_.end(),
                   [&point](const CoordButton& button) { return Hits(button, point); });
  if (found == buttons_.end()) {
    return std::nullopt;
  }
  return static_cast<std::size_t>(found - buttons_.begin());
}

std::optional<std::size_t> CoordButtonSet::LastHit(const QPointF& point) const {
  const auto found =
      std::find_if(buttons_.rbegin(), buttons_.rend(),
                   [&point](const CoordButton& button) { return Hits(button, point); });
  if (found == buttons_.rend()) {
    return std::nullopt;
  }
  return static_cast<std::size_t>(buttons_.rend() - found) - 1;
}

bool CoordButtonSet::MouseMove(const QPointF& point) {
  bool changed = false;
  for (CoordButton& button : buttons_) {
    const bool hit = Hits(button, point);
    changed = changed || button.hovered != hit;
    button.hovered = hit;
  }
  return changed;
}

bool CoordButtonSet::MouseLeave() {
  bool changed = false;
  for (CoordButton& button : buttons_) {
    changed = changed || button.hovered;
    button.hovered = false;
  }
  return changed;
}

void CoordButtonSet::ApplyPress(std::size_t index, bool handledByListener) {
  CoordButton& pressed = buttons_.at(index);
  if (!handledByListener) {
    if (selectionType_ == kSelectionSingle) {
      for (CoordButton& button : buttons_) {
        button.checked = false;
      }
    }
    if (selectionType_ == kSelectionSingle || selectionType_ == kSelectionMultiple) {
      CoordButton* first = Find(pressed.id);
      first->checked = !first->checked;
    }
  }
  pressed.pressed = true;
}

void CoordButtonSet::ApplyRelease(std::size_t index) {
  buttons_.at(index).pressed = false;
}

bool CoordButtonSet::IsChecked(int id) const {
  const CoordButton* button = Find(id);
  return button != nullptr && button->checked;
}

bool CoordButtonSet::SetChecked(int id, bool checked) {
  return ForButtons(id, [checked](CoordButton& button) { button.checked = checked; });
}

bool CoordButtonSet::ToggleChecked(int id) {
  return ForButtons(id, [](CoordButton& button) { button.checked = !button.checked; });
}

bool CoordButtonSet::SetColor(int id, std::uint32_t color) {
  return ForButtons(id, [color](CoordButton& button) { button.color = color; });
}

CoordButton* CoordButtonSet::Find(int id) {
  const auto found = std::find_if(buttons_.begin(), buttons_.end(),
                                  [id](const CoordButton& button) { return button.id == id; });
  return found != buttons_.end() ? &*found : nullptr;
}

const CoordButton* CoordButtonSet::Find(int id) const {
  const auto found = std::find_if(buttons_.begin(), buttons_.end(),
                                  [id](const CoordButton& button) { return button.id == id; });
  return found != buttons_.end() ? &*found : nullptr;
}

template <class Change>
bool CoordButtonSet::ForButtons(int id, Change change) {
  if (id == kAllButtons) {
    std::for_each(buttons_.begin(), buttons_.end(), change);
    return !buttons_.empty();
  }
  CoordButton* button = Find(id);
  if (button == nullptr) {
    return false;
  }
  change(*button);
  return true;
}

}  // namespace keyloom::controls

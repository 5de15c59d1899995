#pragma once

#include <QPointF>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "controls/CoordButton.h"

namespace keyloom::controls {

// The keys of a keyboard picture with their flags, and what the mouse does to them. Points are
// in the picture's pixels. Keys keep their file order; "the first key" is the first in that
// order, which decides between overlapping keys and between keys with the same id.
//
// A press goes to the first key hit: the owner reports it to its listener, then ApplyPress. A
// release goes to the first key hit: the owner reports it when IsPressed, then ApplyRelease. The
// owner calls the listener itself, between the two steps, so that a listener may change the keys
// (or end the control) while it runs.
class CoordButtonSet {
 public:
  // The id that stands for every key.
  static constexpr int kAllButtons = 0x7FFFFFFF;
  // The set's own selection on a press that no listener took.
  static constexpr int kSelectionNone = 0;
  static constexpr int kSelectionSingle = 1;
  static constexpr int kSelectionMultiple = 2;

  CoordButtonSet() = default;
  explicit CoordButtonSet(std::vector<CoordButton> buttons) : buttons_(std::move(buttons)) {}

  [[nodiscard]] const std::vector<CoordButton>& Buttons() const { return buttons_; }
  [[nodiscard]] int GetSelectionType() const { return selectionType_; }
  void SetSelectionType(int type) { selectionType_ = type; }

  // Whether `point` is on the key: left <= x < right, top <= y < bottom.
  [[nodiscard]] static bool Hits(const CoordButton& button, const QPointF& point);
  // The first key hit by `point`; nothing for none.
  [[nodiscard]] std::optional<std::size_t> HitTest(const QPointF& point) const;
  // The last key hit by `point`, whose name the tooltip shows; nothing for none.
  [[nodiscard]] std::optional<std::size_t> LastHit(const QPointF& point) const;

  // The mouse moved to `point`: every key hit is hovered, every other one not. Answers whether a
  // hovered flag changed.
  bool MouseMove(const QPointF& point);
  // The mouse left the picture: no key is hovered. Answers whether a flag changed.
  bool MouseLeave();

  // After the press on key `index` was reported: unless the listener answered true
  // (`handledByListener`), the selection type applies (single: every key unchecked, then the
  // first key with the pressed key's id checked; multiple: that key's check inverted); then the
  // key is pressed.
  void ApplyPress(std::size_t index, bool handledByListener);
  [[nodiscard]] bool IsPressed(std::size_t index) const { return buttons_.at(index).pressed; }
  // After a release over key `index` (reported when it was pressed): the key is not pressed.
  void ApplyRelease(std::size_t index);

  [[nodiscard]] bool HasButton(int id) const { return Find(id) != nullptr; }
  // The checked flag of the first key with this id; false when there is none.
  [[nodiscard]] bool IsChecked(int id) const;
  // The first key with this id, or every key for kAllButtons. False when no key was found.
  bool SetChecked(int id, bool checked);
  bool ToggleChecked(int id);
  bool SetColor(int id, std::uint32_t color);

 private:
  [[nodiscard]] CoordButton* Find(int id);
  [[nodiscard]] const CoordButton* Find(int id) const;
  // Applies `change` to the first key with this id, or to every key for kAllButtons.
  template <class Change>
  bool ForButtons(int id, Change change);

  std::vector<CoordButton> buttons_;
  int selectionType_ = kSelectionNone;
};

}  // namespace keyloom::controls

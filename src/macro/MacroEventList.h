#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "macro/MacroLibrary.h"
#include "macro/MacroNode.h"
#include "storage/EditResult.h"

namespace keyloom::macro {

// The events of the macro group that the key assignment dialog shows, with the edits its events
// list offers and the recorder makes. Every edit goes through the library's locked update
// (MacroLibrary::Update), which saves the whole library, and then tells the change listener (the
// list view) to refresh. Without a shown group every edit does nothing. When the library reads
// its file again, its owner must call Rebind from the library's reload listener.
class MacroEventList {
 public:
  using ChangeListener = std::function<void()>;

  void SetChangeListener(ChangeListener listener) { changed_ = std::move(listener); }

  // The group whose events are shown, or null; tells the listener.
  void SetGroup(MacroNode* group);
  [[nodiscard]] MacroNode* group() const { return group_; }

  [[nodiscard]] int Count() const { return group_ != nullptr ? group_->ChildCount() : 0; }
  // The event at `index`, or null when there is none.
  [[nodiscard]] MacroNode* EventAt(int index) const;

  // Shows the group that stands where the shown one stood in `previousRoot`, the library's groups
  // before it read its file again: the same name at the same row, else the first group of that
  // name; none when no group has it any more.
  void Rebind(const MacroNode& previousRoot);

  using Change = std::function<bool(MacroNode& group)>;
  // Makes `change` to the shown group through the library's update and refreshes the list. An
  // edit of the rows the user sees (every edit below but AddEvent) is left out when the file had
  // changed on disk meanwhile: the list then shows the group as it is now.
  storage::EditResult Edit(const Change& change, MacroLibrary::WhenChangedOnDisk whenChanged);

  // Appends an event: "code" the low 8 bits of `code`, "state", "name" and "delay" as given,
  // numbers as decimal text. A code whose low 8 bits are 0 adds nothing.
  storage::EditResult AddEvent(std::int32_t code, std::int32_t state, std::string_view name,
                               std::int64_t delay);
  // The same on a group, without saving.
  static bool AppendEvent(MacroNode& group, std::int32_t code, std::int32_t state,
                          std::string_view name, std::int64_t delay);

  // Moves the event one row up (from index to index - 1); the first row stays where it is.
  storage::EditResult MoveUp(int index);
  // Moves the event one row down; from the last row it "moves" past the end and the order
  // stays as it is, which still counts as moved.
  storage::EditResult MoveDown(int index);
  // Deletes the event at `index` (MacroNode::kLast: the last one).
  storage::EditResult DeleteEvent(int index);
  // Deletes every event of the group.
  storage::EditResult Clear();

  struct DelayEdit {
    storage::EditResult edit;
    std::string shown;  // what the delay field shows afterwards
  };
  // The user typed `text` into the delay of event `index`. Text that begins with a decimal
  // integer (after blanks and a sign) is stored as typed ("12ms" is kept whole and reads as 12)
  // when it differs from the stored delay; other text puts the stored delay back, as does a file
  // that changed on disk meanwhile.
  DelayEdit EditDelay(int index, std::string_view text);

  // Tells the listener to refresh.
  void Refresh() const;

  // How the list shows an event's state: "key down" when "state" reads as 0, "key up" when it
  // reads as 1, "replace" for any other value.
  [[nodiscard]] static std::string_view StateText(const MacroNode& event);

 private:
  MacroNode* group_ = nullptr;
  ChangeListener changed_;
};

}  // namespace keyloom::macro

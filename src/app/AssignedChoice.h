#pragma once

#include <QString>
#include <optional>

#include "keymap/KeyContent.h"
#include "macro/AssignmentStore.h"
#include "macro/MacroLibrary.h"
#include "protocol/KeyAssignmentRecord.h"
#include "protocol/SelectedKeys.h"
#include "settings/AppConfig.h"

namespace keyloom::app {

// What the user chose in the key assignment dialog, as the window tells it afterwards ("F5 now
// plays “Copy”"). It is found from the record the dialog handed back: the macro of the library,
// or the key combination or media key of the catalogues, that builds exactly that record (the
// dialog's remembered choices, its page and entries, are asked first), else, for a single key,
// the key's name. A name is thus told only when it is the one that went into the record.
struct AssignedChoice {
  // What the key does with it: plays a macro or a key combination, or sends one other key (a
  // key of the keyboard or a media key).
  enum class Kind { kUnknown, kPlays, kSends };

  Kind kind = Kind::kUnknown;
  // The macro's name, the catalogue entry's (shown translated) or the key's; empty when not
  // known.
  QString name;
  // The macro or key combination did not fit into the record whole.
  bool shortened = false;
  // The dialog's page of the choice (MacroRecordDlg::kMacroPage ...).
  int page = -1;
  // What the key map keeps of it: the kind and the untranslated name of the macro or entry;
  // none when the choice is not known.
  std::optional<keymap::ContentLabel> label;
};

// The choice behind `record`, which the dialog handed back for `keys` after OK.
[[nodiscard]] AssignedChoice DescribeChoice(const protocol::KeyAssignmentRecord& record,
                                            const protocol::SelectedKeys& keys,
                                            const macro::AssignmentStore& store,
                                            const macro::MacroLibrary& library,
                                            const settings::AppConfig& config);

}  // namespace keyloom::app

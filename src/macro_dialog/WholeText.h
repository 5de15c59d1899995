#pragma once

#include <QString>

namespace keyloom::ui {
class SEdit;
}

namespace keyloom::macro {

// Shows `text` in the edit whole. The edit's length limit is for what the user types; a longer
// text that the program shows (a name or a number kept in a file) raises it, so that showing a
// value never cuts it, and a cut value never reaches the file.
void ShowWholeText(ui::SEdit& edit, const QString& text);

}  // namespace keyloom::macro

#include "macro_dialog/WholeText.h"

#include <QLineEdit>

#include "ui/widgets/SEdit.h"

namespace keyloom::macro {

void ShowWholeText(ui::SEdit& edit, const QString& text) {
  QLineEdit* line = edit.GetLineEdit();
  if (line->maxLength() < text.size()) {
    line->setMaxLength(static_cast<int>(text.size()));
  }
  edit.SetText(text);
}

}  // namespace keyloom::macro

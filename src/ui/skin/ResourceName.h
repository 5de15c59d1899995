#pragma once

#include <QString>

namespace keyloom::ui {

// A skin resource named "type:name" ("LAYOUT:macro", "main:state_add_png"). Types and names
// compare without regard to case.
struct ResourceName {
  QString type;
  QString name;

  // Splits at the first ':'; a text without one is a name of `defaultType`. The name must not be
  // empty; the type may be, which no index entry matches.
  [[nodiscard]] static ResourceName Parse(const QString& text, const QString& defaultType = {});

  // "type:name" in lower case, the form in which the index keeps it.
  [[nodiscard]] QString Key() const;
};

}  // namespace keyloom::ui

#pragma once

#include <QHash>
#include <QString>
#include <optional>

namespace pugi {
class xml_node;
}

namespace keyloom::ui {

// One translation of the user-interface texts, from a "translator:" resource:
//   <language name="cn"><item src="Connected" dst="已连接"/>...</language>
// `src` is the text as the layouts and the program give it; of two items with one source the
// first counts. Items without a source are left out.
class Translator {
 public:
  // Reads the language element; false (and nothing kept) when it is not a "language" element.
  bool Load(const pugi::xml_node& language);

  // The language's name ("cn", "en").
  [[nodiscard]] const QString& Name() const { return name_; }

  // The translation of `text`; nothing when the translator has none.
  [[nodiscard]] std::optional<QString> Translate(const QString& text) const;

 private:
  QString name_;
  QHash<QString, QString> items_;
};

}  // namespace keyloom::ui

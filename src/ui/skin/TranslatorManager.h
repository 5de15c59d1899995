#pragma once

#include <QString>
#include <memory>
#include <vector>

namespace keyloom::ui {

class Translator;

// The installed translators and the current language. Texts are translated by the translator
// whose name is the current language; while no language has been set, by the translator
// installed last. A text without a translation is shown as it is.
class TranslatorManager {
 public:
  // Installs `translator`, replacing an installed one of the same name.
  void InstallTranslator(std::shared_ptr<const Translator> translator);

  void SetLanguage(const QString& language);
  [[nodiscard]] const QString& GetLanguage() const { return language_; }

  // The translator in use; null when none applies.
  [[nodiscard]] const Translator* Current() const;

  [[nodiscard]] QString Translate(const QString& text) const;

 private:
  std::vector<std::shared_ptr<const Translator>> translators_;
  QString language_;
};

}  // namespace keyloom::ui

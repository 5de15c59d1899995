#include "ui/skin/TranslatorManager.h"

#include <algorithm>
#include <utility>

#include "ui/skin/Translator.h"

namespace keyloom::ui {

void TranslatorManager::InstallTranslator(std::shared_ptr<const Translator> translator) {
  if (translator == nullptr) {
    return;
  }
  std::erase_if(translators_, [&translator](const auto& installed) {
    return installed->Name() == translator->Name();
  });
  translators_.push_back(std::move(translator));
}

void TranslatorManager::SetLanguage(const QString& language) {
  language_ = language;
}

const Translator* TranslatorManager::Current() const {
  if (language_.isEmpty()) {
    return translators_.empty() ? nullptr : translators_.back().get();
  }
  const auto found =
      std::find_if(translators_.begin(), translators_.end(),
                   [this](const auto& installed) { return installed->Name() == language_; });
  return found == translators_.end() ? nullptr : found->get();
}

QString TranslatorManager::Translate(const QString& text) const {
  const Translator* translator = Current();
  if (translator == nullptr || text.isEmpty()) {
    return text;
  }
  return translator->Translate(text).value_or(text);
}

}  // namespace keyloom::ui

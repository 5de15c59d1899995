#include "app/Language.h"

#include <memory>
#include <utility>

#include "ui/host/SApplication.h"
#include "ui/skin/Translator.h"
#include "ui/skin/TranslatorManager.h"

namespace keyloom::app {

namespace {

// The language that the Chinese translation names itself.
constexpr const char* kChineseLanguageName = "cn";

}  // namespace

QString Translated(const char* text) {
  return ui::SApplication::Tr(QString::fromUtf8(text));
}

bool ShowsChinese(const ui::SApplication& app) {
  const ui::Translator* current = app.GetTranslatorManager().Current();
  return current != nullptr && current->Name() == QLatin1String(kChineseLanguageName);
}

QString TranslatorNameFor(bool isChinese) {
  return QLatin1String(isChinese ? kChineseTranslator : kEnglishTranslator);
}

bool InstallTranslator(ui::SApplication& app, const QString& name) {
  std::shared_ptr<ui::Translator> translator = app.LoadTranslator(name);
  if (translator == nullptr) {
    return false;
  }
  ui::TranslatorManager& translators = app.GetTranslatorManager();
  translators.SetLanguage(translator->Name());
  translators.InstallTranslator(std::move(translator));
  return true;
}

}  // namespace keyloom::app

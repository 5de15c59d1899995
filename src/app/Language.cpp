#include "app/Language.h"

#include <memory>
#include <utility>

#include "ui/host/SApplication.h"
#include "ui/skin/Translator.h"
#include "ui/skin/TranslatorManager.h"

namespace keyloom::app {

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

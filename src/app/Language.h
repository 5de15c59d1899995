#pragma once

#include <QString>

namespace keyloom::ui {
class SApplication;
}

namespace keyloom::app {

// The skin's two translations (resources of type "translator").
inline constexpr const char* kChineseTranslator = "lang_cn";
inline constexpr const char* kEnglishTranslator = "lang_en";

// `text` (a text of the program, in UTF-8) in the current language.
[[nodiscard]] QString Translated(const char* text);

// Whether the application's texts are shown in Chinese now (its translator is "lang_cn").
[[nodiscard]] bool ShowsChinese(const ui::SApplication& app);

// kChineseTranslator when the configuration asks for Chinese, else kEnglishTranslator.
[[nodiscard]] QString TranslatorNameFor(bool isChinese);

// Loads the skin's translation `name`, makes its language the current one and installs it in the
// application's translator manager; texts shown from then on are in that language (a window
// shows its texts again after SHostWnd::SendLanguageChanged). False, with nothing changed, when
// the skin has no such translation or it does not read; the texts then stay as they are (at the
// start: as the layouts and the program give them, in English).
bool InstallTranslator(ui::SApplication& app, const QString& name);

}  // namespace keyloom::app

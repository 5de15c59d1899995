#include "DialogTestSupport.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTest>
#include <fstream>
#include <optional>
#include <sstream>
#include <utility>

#include "controls/RegisterControls.h"
#include "ui/skin/ResourceProvider.h"
#include "ui/skin/Translator.h"
#include "ui/skin/TranslatorManager.h"

namespace keyloom::macro::test {

std::unique_ptr<ui::SApplication> MakeApplication(const QString& translator) {
  const QString folder = QStringLiteral(KEYLOOM_BIN_DIR "/uires");
  auto app = std::make_unique<ui::SApplication>();
  std::optional<ui::ResourceProvider> skin = ui::ResourceProvider::OpenFolder(folder);
  if (!skin || !app->AddResourceProvider(std::move(*skin))) {
    qFatal("the skin in %s does not load", qPrintable(folder));
  }
  std::shared_ptr<ui::Translator> loaded = app->LoadTranslator(translator);
  if (loaded == nullptr) {
    qFatal("the skin has no translation %s", qPrintable(translator));
  }
  app->GetTranslatorManager().SetLanguage(loaded->Name());
  app->GetTranslatorManager().InstallTranslator(std::move(loaded));
  controls::RegisterControls(*app);
  return app;
}

void Click(QWidget& control) {
  // The press goes where the system would send it: to the widget under the mouse.
  QPoint position = control.rect().center();
  QWidget* target = control.childAt(position);
  if (target != nullptr) {
    position = target->mapFrom(&control, position);
  } else {
    target = &control;
  }
  QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, position);
}

void DeleteDestroyedControls() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

KeyboardHook::SystemHook FakeSystemHook::Make() {
  return {[this] {
            ++installs;
            installed = installable;
            return installable;
          },
          [this] {
            ++removes;
            installed = false;
            return true;
          }};
}

std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteFile(const std::filesystem::path& file, std::string_view bytes) {
  std::ofstream out(file, std::ios::binary);
  out << bytes;
}

}  // namespace keyloom::macro::test

#include "QtFuzzSupport.h"

#include <QApplication>
#include <optional>
#include <utility>

#include <pugixml.hpp>

#include "controls/RegisterControls.h"
#include "ui/events/UiTrace.h"
#include "ui/host/SApplication.h"
#include "ui/skin/ResourceProvider.h"

namespace keyloom::fuzz {

void StartQt() {
  static int argc = 1;
  static char name[] = "keyloom-fuzz";
  static char* argv[] = {name, nullptr};
  if (QApplication::instance() != nullptr) {
    return;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // The toolkit's trace lines (unknown tags, failed lookups) would flood the fuzzer's output.
  ui::SetTraceSink([](std::string_view) {});
  static QApplication application(argc, argv);
}

ui::SApplication& SkinApplication() {
  static ui::SApplication* application = [] {
    auto* app = new ui::SApplication();
    std::optional<ui::ResourceProvider> provider =
        ui::ResourceProvider::OpenFolder(QStringLiteral(KEYLOOM_SKIN_DIR));
    if (!provider || !app->AddResourceProvider(std::move(*provider))) {
      qFatal("the skin %s does not load", KEYLOOM_SKIN_DIR);
    }
    controls::RegisterControls(*app);
    return app;
  }();
  return *application;
}

bool ParseInput(const std::uint8_t* data, std::size_t size, pugi::xml_document& document) {
  return static_cast<bool>(document.load_buffer(data, size));
}

}  // namespace keyloom::fuzz

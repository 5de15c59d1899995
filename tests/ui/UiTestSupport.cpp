#include "UiTestSupport.h"

#include <QCoreApplication>
#include <QEvent>
#include <optional>
#include <utility>

#include "ui/skin/ResourceProvider.h"

namespace keyloom::ui::test {

QString FixtureSkinFolder() {
  return QStringLiteral(KEYLOOM_TEST_DATA_DIR "/ui/uires");
}

QString BareSkinFolder() {
  return QStringLiteral(KEYLOOM_TEST_DATA_DIR "/ui/bare");
}

std::unique_ptr<SApplication> MakeApplication(const QString& folder) {
  auto app = std::make_unique<SApplication>();
  std::optional<ResourceProvider> provider = ResourceProvider::OpenFolder(folder);
  if (!provider || !app->AddResourceProvider(std::move(*provider))) {
    qFatal("the test skin %s does not load", qPrintable(folder));
  }
  return app;
}

TraceCapture::TraceCapture()
    : previous_(SetTraceSink([this](std::string_view line) { lines_.emplace_back(line); })) {}

TraceCapture::~TraceCapture() {
  SetTraceSink(std::move(previous_));
}

void DeleteDestroyedControls() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace keyloom::ui::test

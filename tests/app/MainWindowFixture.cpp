#include "MainWindowFixture.h"

#include <QTest>
#include <cstdio>
#include <optional>
#include <utility>

#include "app/Language.h"
#include "controls/CoordButtonImage.h"
#include "controls/RegisterControls.h"
#include "ui/skin/ResourceProvider.h"
#include "ui/widgets/SStatic.h"

namespace keyloom::app::test {

namespace {

const QString kSkinFolder = QStringLiteral(KEYLOOM_BIN_DIR "/uires");
const QString kInstanceName = QStringLiteral("Keyloom.MainWindowTest");

// The simulated keyboard fills the reply bytes that carry no slot with this.
constexpr std::uint8_t kUnused = sim::SimulatedKeyboard::kUnusedReplyByte;
constexpr std::uint8_t kReportId = 0x07;

}  // namespace

std::unique_ptr<ui::SApplication> MakeApplication(const QString& translator) {
  auto app = std::make_unique<ui::SApplication>();
  std::optional<ui::ResourceProvider> skin = ui::ResourceProvider::OpenFolder(kSkinFolder);
  if (!skin || !app->AddResourceProvider(std::move(*skin))) {
    qFatal("the skin in %s does not load", qPrintable(kSkinFolder));
  }
  if (!InstallTranslator(*app, translator)) {
    qFatal("the skin has no translation %s", qPrintable(translator));
  }
  controls::RegisterControls(*app);
  return app;
}

MainWindowUnderTest::MainWindowUnderTest() : MainWindowUnderTest(Options{}) {}

MainWindowUnderTest::MainWindowUnderTest(const Options& options) {
  connection::KeyboardConnection::Settings settings;
  settings.simulate = options.backend == nullptr;
  settings.backend = options.backend;
  settings.dataDir = options.dataDir;
  settings.clock =
      options.clock != nullptr ? static_cast<protocol::Clock*>(options.clock) : &clock_;
  settings.transferTrace = [this](std::string_view line) { trace_.emplace_back(line); };
  auto keyboard = std::make_unique<connection::KeyboardConnection>(std::move(settings));
  if (keyboard->Simulator() != nullptr) {
    keyboard->Simulator()->SetPlugged(options.plugged);
  }
  window_ = std::make_unique<CMainDlg>(std::move(keyboard), kInstanceName);
  window_->SetResponsiveClock(options.clock);
  if (!window_->Create()) {
    qFatal("the main window does not build");
  }
  window_->StartKeyboard();
}

MainWindowUnderTest::~MainWindowUnderTest() = default;

sim::SimulatedKeyboard& MainWindowUnderTest::keyboard() {
  sim::SimulatedKeyboard* keyboard = window_->Connection().Simulator();
  if (keyboard == nullptr) {
    qFatal("the main window talks to no simulated keyboard");
  }
  return *keyboard;
}

TraceLines MainWindowUnderTest::TakeTrace() {
  return std::exchange(trace_, {});
}

bool MainWindowUnderTest::ShowAndWait() {
  window_->show();
  return QTest::qWaitForWindowExposed(window_.get());
}

bool MainWindowUnderTest::Click(const char* name) {
  ui::SWindow* control = window_->FindChildByName(QLatin1String(name));
  if (control == nullptr || !control->isVisibleTo(window_.get())) {
    return false;
  }
  QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, control->rect().center());
  return true;
}

QStringList MainWindowUnderTest::Messages() {
  return window_->GetTrayCommands().GetNoticeLine().Messages();
}

QString MainWindowUnderTest::StatusText() const {
  const auto* status = window_->FindChildByID2<ui::SStatic>(CMainDlg::kStatusTextId);
  return status != nullptr ? status->GetDisplayText() : QStringLiteral("(no status text)");
}

bool MainWindowUnderTest::IsShown(const char* name) const {
  const ui::SWindow* control = window_->FindChildByName(QLatin1String(name));
  return control != nullptr && control->isVisibleTo(window_.get());
}

bool MainWindowUnderTest::IsChecked(const char* name) const {
  const ui::SWindow* control = window_->FindChildByName(QLatin1String(name));
  return control != nullptr && control->IsChecked();
}

std::vector<int> MainWindowUnderTest::CheckedKeys() const {
  std::vector<int> keys;
  if (const controls::CoordButtonImage* picture = window_->GetKeyboardPicture()) {
    for (const controls::CoordButton& button : picture->GetButtons()) {
      if (button.checked) {
        keys.push_back(button.id);
      }
    }
  }
  return keys;
}

std::string TransferLine(const char* direction, const std::array<std::uint8_t, 8>& bytes, bool ok) {
  std::string line = direction;
  line += ' ';
  for (const std::uint8_t byte : bytes) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned>(byte));
    line += digits;
  }
  line += ok ? " ok" : " fail";
  return line;
}

TraceLines SelectProfileLines(int profileNumber, bool ok) {
  return {TransferLine("set", {kReportId, 0xfc, static_cast<std::uint8_t>(profileNumber)}, ok),
          "pause 50"};
}

TraceLines SlotReadLines(const std::array<std::uint8_t, 24>& slots, bool ok) {
  using Reply = std::array<std::uint8_t, 8>;
  std::array<Reply, 4> replies{};
  if (ok) {
    const auto* m = slots.data();
    const auto* r = slots.data() + 12;
    replies[0] = {kReportId, kUnused, m[0], m[1], m[2], m[3], m[4], m[5]};
    replies[1] = {kReportId, m[6], m[7], m[8], m[9], m[10], m[11], kUnused};
    replies[2] = {kReportId, r[0], r[1], r[2], r[3], r[4], r[5], r[6]};
    replies[3] = {kReportId, r[7], r[8], r[9], r[10], r[11], kUnused, kUnused};
  } else {
    for (Reply& reply : replies) {
      reply = {kReportId};
    }
  }
  TraceLines lines{"pause 50", TransferLine("set", {kReportId, 0xfb, 0x01}, ok), "pause 10"};
  for (const Reply& reply : replies) {
    lines.emplace_back("pause 10");
    lines.push_back(TransferLine("get", reply, ok));
  }
  return lines;
}

TraceLines LightingLines(int ledMode, const std::array<std::uint8_t, 5>& record, bool ok) {
  return {"pause 50", TransferLine("set",
                                   {kReportId, 0xf7, static_cast<std::uint8_t>(ledMode), record[0],
                                    record[1], record[2], record[3], record[4]},
                                   ok)};
}

TraceLines Lines(std::initializer_list<TraceLines> parts) {
  TraceLines lines;
  for (const TraceLines& part : parts) {
    lines.insert(lines.end(), part.begin(), part.end());
  }
  return lines;
}

}  // namespace keyloom::app::test

#include "app/AppShell.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLocale>
#include <QStandardPaths>
#include <cstdio>
#include <filesystem>
#include <future>
#include <iostream>
#include <memory>
#include <optional>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>

#include "app/AutoProfileSwitching.h"
#include "app/CMainDlg.h"
#include "app/CommandLine.h"
#include "app/DeviceChangeNotifier.h"
#include "app/FirstPaintReporter.h"
#include "app/Language.h"
#include "app/ResponsiveClock.h"
#include "app/Screenshots.h"
#include "app/SessionBus.h"
#include "app/SingleInstanceGuard.h"
#include "app/SystemFonts.h"
#include "app/UserSettings.h"
#include "app/WindowActivation.h"
#include "autoprofile/AutoProfileFile.h"
#include "autoprofile/FocusWatcher.h"
#include "connection/KeyboardConnection.h"
#include "controls/RegisterControls.h"
#include "hid/DeviceMonitor.h"
#include "macro/AssignmentStore.h"
#include "protocol/SteadyClock.h"
#include "settings/AppConfig.h"
#include "settings/AppPaths.h"
#include "ui/host/SApplication.h"
#include "ui/skin/Image.h"
#include "ui/skin/PictureCache.h"
#include "ui/skin/ResourceProvider.h"

namespace keyloom::app {

namespace {

// The skin folder, relative to the data folder.
constexpr const char* kSkinFolder = "uires";
constexpr const char* kLogoIcon = "ICON:ICON_LOGO";
// The installed desktop entry, org.keyloom.Keyloom.desktop, without its extension.
constexpr const char* kDesktopEntryName = "org.keyloom.Keyloom";
// The skin's named string that names the instance.
constexpr int kInstanceNameIndex = 0;

QString ToQString(const std::filesystem::path& path) {
  return QDir::toNativeSeparators(QString::fromStdU16String(path.u16string()));
}

std::filesystem::path Absolute(const std::filesystem::path& path) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? path : absolute;
}

void ReportInstance(const char* what) {
  if (qEnvironmentVariableIntValue(AppShell::kReportInstanceVariable) == 1) {
    std::printf("instance: %s\n", what);
    std::fflush(stdout);
  }
}

// The keyboard connection of the options, or null, with the reason told, when the simulated
// keyboard's failure plan (KEYLOOM_SIMULATE_FAIL) is not understood.
std::unique_ptr<connection::KeyboardConnection> MakeConnection(
    const LaunchOptions& options, const settings::AppConfig& config,
    const std::filesystem::path& userDataDir, protocol::Clock& clock) {
  connection::KeyboardConnection::Settings connection;
  connection.clock = &clock;
  connection.simulate = options.simulate;
  connection.dataDir = userDataDir;
  connection.selector = {config.vendorId, config.productId, config.interfaceNumber,
                         config.collectionNumber};
  if (options.trace) {
    connection.transferTrace = [](std::string_view line) { std::cerr << line << std::endl; };
  }
  // The diagnostics of discovery and of the transport go to standard output, as the toolkit's do.
  connection.diagnostics = [](std::string_view line) { std::cout << line << std::endl; };
  connection::MadeConnection made = connection::MakeConnection(std::move(connection));
  if (!made.connection) {
    std::fprintf(stderr, "%s: %s\n", kProgramName, made.problem.c_str());
  }
  return std::move(made.connection);
}

// Profiles that follow the application act through the main window: its profile list, its
// messages, and --trace on standard error.
AutoProfileSwitching::Hooks AutoProfileHooks(CMainDlg& mainDlg, bool trace) {
  AutoProfileSwitching::Hooks hooks;
  hooks.selectedProfile = [&mainDlg] { return mainDlg.Connection().State().profileIndex + 1; };
  hooks.select = [&mainDlg](int profile) { mainDlg.ShowProfile(profile - 1); };
  // Nothing is decided before the keyboard's start, nor while a dialog is open.
  hooks.busy = [&mainDlg] {
    return !mainDlg.Started() || QApplication::activeModalWidget() != nullptr;
  };
  hooks.tell = [&mainDlg](const char* text) { mainDlg.GetTrayCommands().ShowMessage(text); };
  if (trace) {
    hooks.trace = [](std::string_view line) { std::cerr << line << std::endl; };
  }
  hooks.note = [](std::string_view line) {
    std::cerr << kProgramName << ": " << line << std::endl;
  };
  return hooks;
}

}  // namespace

AppShell::AppShell(LaunchOptions options) : options_(std::move(options)) {}

std::optional<int> AppShell::TakeFileOptions() {
  // Files named on the command line are relative to the folder the program was started in, which
  // it leaves below.
  if (options_.configFile) {
    options_.configFile = Absolute(*options_.configFile);
    settings::AppConfig probe;
    if (!probe.LoadFile(*options_.configFile)) {
      std::fprintf(stderr, "%s: cannot read the configuration file %s\n", kProgramName,
                   qPrintable(ToQString(*options_.configFile)));
      return kExitUsage;
    }
    settings::AppConfig::SetGlobalFile(*options_.configFile);
  }
  if (options_.dataDir) {
    options_.dataDir = Absolute(*options_.dataDir);
    // The key assignment dialog keeps its choices there, and the macro library beside them.
    macro::AssignmentStore::SetGlobalFolder(*options_.dataDir);
  }
  // The user's own configuration, over the program's: their language, their window's size. In a
  // portable copy the user's folder is the program's, and the settings go into its config.xml.
  // Not value_or: finding the per-user folder creates it, which --data-dir must not cause.
  userDataDir_ = options_.dataDir ? *options_.dataDir : settings::UserDataDir();
  settings::AppConfig::SetGlobalUserFile(
      settings::UserConfigFile(userDataDir_, settings::DataDir()));
  settingsFile_ = userDataDir_.empty()
                      ? std::filesystem::path()
                      : userDataDir_ / settings::PathFromUtf8(settings::kConfigFileName);
  if (options_.screenshotFile) {
    options_.screenshotFile = QDir::current().absoluteFilePath(*options_.screenshotFile);
  }
  if (options_.dialogScreenshot) {
    options_.dialogScreenshot->file =
        QDir::current().absoluteFilePath(options_.dialogScreenshot->file);
  }
  return std::nullopt;
}

std::filesystem::path AppShell::EnterDataFolder() {
  QCoreApplication::setApplicationName(QLatin1String(kProgramName));
  QCoreApplication::setApplicationVersion(QLatin1String(KEYLOOM_VERSION));

  // Every relative name of the program ("uires", "config.xml") is found in the data folder: the
  // program's own folder in a portable copy or a build tree, else the installed data folder.
  std::filesystem::path dataDir = settings::DataDir();
  if (!QDir::setCurrent(ToQString(dataDir))) {
    std::fprintf(stderr, "%s: cannot enter the data folder %s\n", kProgramName,
                 qPrintable(ToQString(dataDir)));
  }
  // The skin names the key coordinate file relative to this folder too.
  ui::SApplication::SetAppDir(ToQString(dataDir));
  return dataDir;
}

bool AppShell::LoadSkin(ui::SApplication& app, const std::filesystem::path& dataDir) {
  // The skin's large pictures, once decoded, start the next run from the user's cache.
  ui::PictureCache::SetFolder(
      QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
      QStringLiteral("/keyloom/pictures"));
  std::optional<ui::ResourceProvider> skin =
      ui::ResourceProvider::OpenFolder(QLatin1String(kSkinFolder));
  if (!skin) {
    std::fprintf(stderr, "%s: the skin is missing: %s has no readable %s\n", kProgramName,
                 qPrintable(ToQString(dataDir / kSkinFolder)),
                 ui::ResourceProvider::kIndexFileName);
    return false;
  }
  if (!app.AddResourceProvider(std::move(*skin))) {
    std::fprintf(stderr, "%s: the skin's UI definition %s cannot be read\n", kProgramName,
                 ui::SApplication::kDefaultUiDefinition);
  }

  // Wayland compositors find the program's icon through the name of its desktop entry, which
  // the window must have when it is made.
  QGuiApplication::setDesktopFileName(QLatin1String(kDesktopEntryName));

  // The configuration, kept for the whole run, and the translation it asks for, else the one of
  // the system's language. Without that translation the texts stay as the layouts give them.
  const settings::AppConfig& config = settings::AppConfig::Global();
  InstallTranslator(app,
                    TranslatorNameFor(config.IsChineseFor(QLocale::system().name().toStdString())));

  controls::RegisterControls(app);
  return true;
}

bool AppShell::CreateMainWindow(CMainDlg& mainDlg, ResponsiveClock& sequenceClock,
                                const std::filesystem::path& dataDir) {
  mainDlg.SetResponsiveClock(&sequenceClock);
  mainDlg.SetUserSettings(UserSettings(settingsFile_));
  if (!mainDlg.Create()) {
    std::fprintf(stderr, "%s: the skin has no main window: %s cannot be loaded from %s\n",
                 kProgramName, CMainDlg::kLayoutName, qPrintable(ToQString(dataDir / kSkinFolder)));
    return false;
  }
  return true;
}

void AppShell::ShowMainWindow(ui::SApplication& app, CMainDlg& mainDlg) {
  // The window first; the logo and the keyboard after. The logo stands for the program in task
  // bars and window switchers: under X11 the window's icon property holds it at every size the
  // skin has, which took a third of the window's show. The keyboard's start (about 150 ms of the
  // protocol's pauses) follows. A picture of the window shows the keyboard as read.
  const auto startAfterPaint = [&app, &mainDlg] {
    if (const std::shared_ptr<const ui::Image> logo = app.GetImage(QLatin1String(kLogoIcon))) {
      QApplication::setWindowIcon(logo->ToIcon());
    }
    mainDlg.StartKeyboard();
  };
  const bool screenshot = options_.screenshotFile || options_.dialogScreenshot;
  if (screenshot) {
    startAfterPaint();
  } else {
    new FirstPaintWatcher(mainDlg, startAfterPaint);
  }
  mainDlg.CenterWindow();
  mainDlg.showNormal();

  if (FirstPaintReporter::IsRequested()) {
    FirstPaintReporter::Watch(mainDlg);
  }
  if (options_.screenshotFile) {
    ScheduleWindowScreenshot(mainDlg, *options_.screenshotFile);
  }
  if (options_.dialogScreenshot) {
    ScheduleDialogScreenshot(mainDlg, *options_.dialogScreenshot);
  }
}

int AppShell::Run(char* programPath) {
  if (const std::optional<int> refused = TakeFileOptions()) {
    return *refused;
  }

  // Qt prepares what it needs of the platform (OLE and COM on Windows) by itself. Its application
  // object brings rendering and image decoding; it takes no options of its own from the command
  // line, which keyloom has read already.
  int qtArgc = 1;
  char* qtArgv[] = {programPath, nullptr};
  // Before the first thread: the environment is changed here if at all. Then the fonts' part
  // that needs nothing of Qt begins aside while Qt starts.
  AvoidFutileSessionBusLaunch();
  const std::shared_future<void> fontConfiguration = ReadFontConfigurationAside().share();
  QApplication qtApplication(qtArgc, qtArgv);
  // The session bus, which the accessibility bridge asks for at the first control's text, and
  // Qt's list of the system's fonts are made ready on threads of their own while the skin is read
  // and the window's controls are made: on Linux, fontconfig's configuration and font list are
  // more than half the work before a window with one line of text can paint. The window's first
  // text waits for the list (Qt's font list is locked meanwhile); both threads end before the
  // application object.
  const std::jthread sessionBus = ConnectSessionBusAside();
  const std::jthread systemFonts([fontConfiguration] {
    if (fontConfiguration.valid()) {
      fontConfiguration.wait();
    }
    static_cast<void>(QFontDatabase::families());
  });
  const std::filesystem::path dataDir = EnterDataFolder();

  // The toolkit with the skin; the names of the controls (NamedIdTable) are built into it, and it
  // draws what other toolkits take from system resources itself.
  ui::SApplication app;
  if (!LoadSkin(app, dataDir)) {
    return kExitNoMainWindow;
  }
  const settings::AppConfig& config = settings::AppConfig::Global();

  const QString instanceName =
      app.GetString(kInstanceNameIndex).value_or(QLatin1String(kProgramName));
  SingleInstanceGuard guard(instanceName);
  if (guard.Acquire() == SingleInstanceGuard::Role::kSecond) {
    return kExitOk;
  }
  ReportInstance("first");

  // The window stays alive through the pauses of the keyboard's sequences.
  ResponsiveClock sequenceClock;
  std::unique_ptr<connection::KeyboardConnection> keyboard =
      MakeConnection(options_, config, userDataDir_, sequenceClock);
  if (!keyboard) {
    return kExitUsage;
  }
  // The device monitor listens before the keyboard is first opened, so that a keyboard plugged
  // in while the window starts is not missed: its change waits until the loop runs.
  std::unique_ptr<hid::DeviceMonitor> monitor = hid::OpenDeviceMonitor();
  // The window's first text needs fontconfig ready: should it be slower than all the above, the
  // window waits for it rather than have Qt read it a second time.
  if (fontConfiguration.valid()) {
    fontConfiguration.wait();
  }
  CMainDlg mainDlg(std::move(keyboard), instanceName);
  if (!CreateMainWindow(mainDlg, sequenceClock, dataDir)) {
    return kExitNoMainWindow;
  }
  guard.SetActivationHandler([&mainDlg] {
    BringToFront(mainDlg);
    ReportInstance("activated");
  });
  // Where the system has a device monitor (Linux), every change it reports reaches the main
  // window; Windows tells the window itself.
  std::unique_ptr<DeviceChangeNotifier> deviceChanges;
  if (monitor) {
    deviceChanges = std::make_unique<DeviceChangeNotifier>(
        std::move(monitor), [&mainDlg] { mainDlg.OnDeviceChange(); });
  }
  // The window as the user left it, within the screen. A screenshot shows it at its layout's
  // size, whatever the screen.
  if (!options_.screenshotFile) {
    mainDlg.FitToScreen(QSize(config.windowWidth, config.windowHeight));
  }
  protocol::SteadyClock clock;
  const std::filesystem::path rulesFile =
      userDataDir_ / settings::PathFromUtf8(autoprofile::kAutoProfileFileName);
  const AutoProfileSwitching autoProfile(
      autoprofile::OpenFocusWatcher(autoprofile::FocusEnvironment::OfProcess()), rulesFile, clock,
      AutoProfileHooks(mainDlg, options_.trace));
  mainDlg.SetAutoProfileEnvironment(
      {rulesFile, [&autoProfile] { return autoProfile.Windows(); }, autoProfile.Limit()});
  ShowMainWindow(app, mainDlg);

  // Once the loop ends, the device monitor, the main window, the guard, the toolkit and Qt go, in
  // this order.
  return app.Run(mainDlg);
}

}  // namespace keyloom::app

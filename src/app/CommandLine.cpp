#include "app/CommandLine.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <cstddef>
#include <optional>
#include <string_view>

#include "protocol/KeyNameTable.h"

namespace keyloom::app {

namespace {

constexpr const char* kDescription =
    "Configures the profiles, keys, macros and lighting of a USB gaming keyboard.";

std::filesystem::path PathFromArgument(const QString& value) {
  return {value.toStdU16String()};
}

QString Usage(const QCommandLineParser& parser) {
  // The parser's own text names the program only once an application object exists, which
  // --help does not need.
  return QStringLiteral("Usage: %1 [options]\n").arg(QLatin1String(kProgramName)) +
         parser.helpText().section(QLatin1Char('\n'), 1) +
         QStringLiteral(
             "\nExit status: %1 done (the window was closed, or the running copy "
             "was brought forward), %2 the skin is missing or broken, %3 bad "
             "arguments.\n")
             .arg(kExitOk)
             .arg(kExitNoMainWindow)
             .arg(kExitUsage);
}

CommandLineResult Fail(const QString& problem) {
  CommandLineResult result;
  result.action = CommandLineResult::Action::kFail;
  result.text =
      QStringLiteral("%1: %2\nTry '%1 --help'.\n").arg(QLatin1String(kProgramName), problem);
  result.exitStatus = kExitUsage;
  return result;
}

// The pages of the key assignment dialog are numbered from 0.
constexpr int kLastDialogPage = 3;

// A key as keyloomctl takes it: a name of the key name table (case does not matter; "'" for the
// apostrophe key, which the table names with a typographic quote), or a key code from 1 to 255,
// decimal or hexadecimal ("0x04").
std::optional<std::uint8_t> ParseKey(const QString& text) {
  const QByteArray name = text == QLatin1String("'") ? QByteArray("\xE2\x80\x98") : text.toUtf8();
  if (const auto usage = protocol::UsageFromName(
          std::string_view(name.constData(), static_cast<std::size_t>(name.size())))) {
    return usage;
  }
  bool isNumber = false;
  const bool hex = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
  const uint code = (hex ? text.mid(2) : text).toUInt(&isNumber, hex ? 16 : 10);
  if (!isNumber || code == 0 || code > 0xFF) {
    return std::nullopt;
  }
  return static_cast<std::uint8_t>(code);
}

CommandLineResult Print(const QString& text) {
  CommandLineResult result;
  result.action = CommandLineResult::Action::kPrint;
  result.text = text;
  return result;
}

}  // namespace

CommandLineResult ParseCommandLine(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QLatin1String(kDescription));
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("Show this help and end."));
  const QCommandLineOption version(QStringLiteral("version"),
                                   QStringLiteral("Show the program's version and end."));
  const QCommandLineOption simulate(
      QStringLiteral("simulate"),
      QStringLiteral("Talk to the simulated keyboard instead of a real one."));
  const QCommandLineOption config(QStringLiteral("config"),
                                  QStringLiteral("Read the configuration from FILE."),
                                  QStringLiteral("FILE"));
  const QCommandLineOption dataDir(
      QStringLiteral("data-dir"),
      QStringLiteral("Keep the user's files and the simulated keyboard's state in DIR."),
      QStringLiteral("DIR"));
  const QCommandLineOption trace(
      QStringLiteral("trace"),
      QStringLiteral("Write every transfer and pause to standard error (set/get HEX ok|fail, "
                     "pause MS)."));
  const QCommandLineOption screenshot(
      QStringLiteral("screenshot"),
      QStringLiteral("Start as usual, save the main window as a PNG image in FILE and end."),
      QStringLiteral("FILE"));
  const QCommandLineOption dialogScreenshot(
      QStringLiteral("screenshot-dialog"),
      QStringLiteral("Start as usual, open the key assignment dialog for KEY as a click on it "
                     "would (a key name such as A, F5 or \"Ctrl Left\", or a key code such as "
                     "0x04), save it as a PNG image in FILE (the argument after KEY) and end."),
      QStringLiteral("KEY"));
  const QCommandLineOption dialogPage(
      QStringLiteral("screenshot-dialog-page"),
      QStringLiteral("The page of the dialog to save with --screenshot-dialog: 0 macro, 1 single "
                     "key, 2 media key, 3 shortcut."),
      QStringLiteral("N"));
  parser.addOptions(
      {help, version, simulate, config, dataDir, trace, screenshot, dialogScreenshot, dialogPage});

  if (!parser.parse(arguments)) {
    return Fail(parser.errorText());
  }
  // The only argument that is not an option's is the file of --screenshot-dialog.
  QStringList positional = parser.positionalArguments();
  std::optional<QString> dialogFile;
  if (parser.isSet(dialogScreenshot) && !positional.isEmpty()) {
    dialogFile = positional.takeFirst();
  }
  if (!positional.isEmpty()) {
    return Fail(QStringLiteral("unexpected argument '%1'.").arg(positional.first()));
  }
  if (parser.isSet(help)) {
    return Print(Usage(parser));
  }
  if (parser.isSet(version)) {
    return Print(
        QStringLiteral("%1 %2\n").arg(QLatin1String(kProgramName), QLatin1String(KEYLOOM_VERSION)));
  }

  CommandLineResult result;
  LaunchOptions& options = result.options;
  options.simulate = parser.isSet(simulate);
  options.trace = parser.isSet(trace);
  for (const QCommandLineOption* fileOption : {&config, &dataDir, &screenshot}) {
    if (parser.isSet(*fileOption) && parser.value(*fileOption).isEmpty()) {
      return Fail(QStringLiteral("--%1 needs a name that is not empty.")
                      .arg(fileOption->names().constFirst()));
    }
  }
  if (parser.isSet(config)) {
    options.configFile = PathFromArgument(parser.value(config));
  }
  if (parser.isSet(dataDir)) {
    options.dataDir = PathFromArgument(parser.value(dataDir));
  }
  if (parser.isSet(screenshot)) {
    options.screenshotFile = parser.value(screenshot);
  }
  if (parser.isSet(dialogPage) && !parser.isSet(dialogScreenshot)) {
    return Fail(QStringLiteral("--screenshot-dialog-page needs --screenshot-dialog."));
  }
  if (parser.isSet(dialogScreenshot)) {
    const std::optional<std::uint8_t> key = ParseKey(parser.value(dialogScreenshot));
    if (!key) {
      return Fail(QStringLiteral("--screenshot-dialog: '%1' is neither a key name nor a key code "
                                 "from 1 to 255.")
                      .arg(parser.value(dialogScreenshot)));
    }
    if (!dialogFile || dialogFile->isEmpty()) {
      return Fail(QStringLiteral("--screenshot-dialog needs a KEY and a FILE."));
    }
    LaunchOptions::DialogScreenshot shot;
    shot.keyCode = *key;
    shot.keyName = QString::fromUtf8(protocol::NameFromUsage(*key).value_or(std::string_view()));
    shot.file = *dialogFile;
    if (parser.isSet(dialogPage)) {
      bool isNumber = false;
      const int page = parser.value(dialogPage).toInt(&isNumber);
      if (!isNumber || page < 0 || page > kLastDialogPage) {
        return Fail(QStringLiteral("--screenshot-dialog-page takes 0, 1, 2 or 3."));
      }
      shot.page = page;
    }
    options.dialogScreenshot = shot;
  }
  return result;
}

}  // namespace keyloom::app

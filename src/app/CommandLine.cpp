#include "app/CommandLine.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace keyloom::app {

namespace {

constexpr const char* kProgramName = "keyloom";
constexpr const char* kDescription =
    "Configures the profiles, keys, macros and lighting of a USB gaming keyboard.";

std::filesystem::path PathFromArgument(const QString& value) {
  return std::filesystem::path(value.toStdU16String());
}

QString Usage(const QCommandLineParser& parser) {
  // The parser's own text names the program only once an application object exists, which
  // --help does not need.
  return QStringLiteral("Usage: %1 [options]\n").arg(QLatin1String(kProgramName)) +
         parser.helpText().section(QLatin1Char('\n'), 1);
}

CommandLineResult Fail(const QString& problem) {
  CommandLineResult result;
  result.action = CommandLineResult::Action::kFail;
  result.text =
      QStringLiteral("%1: %2\nTry '%1 --help'.\n").arg(QLatin1String(kProgramName), problem);
  result.exitStatus = kExitUsage;
  return result;
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
  parser.addOptions({help, version, simulate, config, dataDir, trace, screenshot});

  if (!parser.parse(arguments)) {
    return Fail(parser.errorText());
  }
  if (!parser.positionalArguments().isEmpty()) {
    return Fail(
        QStringLiteral("unexpected argument '%1'.").arg(parser.positionalArguments().first()));
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
  return result;
}

}  // namespace keyloom::app

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <cstdint>
#include <optional>
#include <ostream>

#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace keyloom::app {
namespace {

CommandLineResult Parse(const QStringList& arguments) {
  return ParseCommandLine(QStringList{QStringLiteral("keyloom")} + arguments);
}

struct KeyCase {
  const char* key;
  std::uint8_t code;
  const char* name;
};

// Names the case in test listings by its key rather than by its bytes.
void PrintTo(const KeyCase& key, std::ostream* out) {
  *out << key.key;
}

class DialogScreenshotKey : public testing::TestWithParam<KeyCase> {};

TEST_P(DialogScreenshotKey, OpensForTheKeyAsAClickOnItWould) {
  const KeyCase& key = GetParam();
  const CommandLineResult result =
      Parse({QStringLiteral("--screenshot-dialog"), QString::fromUtf8(key.key),
             QStringLiteral("dialog.png")});
  ASSERT_EQ(result.action, CommandLineResult::Action::kRun) << result.text.toStdString();
  ASSERT_TRUE(result.options.dialogScreenshot.has_value());
  const LaunchOptions::DialogScreenshot& shot = *result.options.dialogScreenshot;
  EXPECT_EQ(shot.keyCode, key.code);
  EXPECT_EQ(shot.keyName.toStdString(), key.name);
  EXPECT_EQ(shot.file, QStringLiteral("dialog.png"));
  EXPECT_FALSE(shot.page.has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Keys, DialogScreenshotKey,
    testing::Values(KeyCase{"F5", 0x3E, "F5"}, KeyCase{"ctrl left", 0xE0, "Ctrl Left"},
                    // A digit is the key's name, not its code.
                    KeyCase{"1", 0x1E, "1"}, KeyCase{"0x04", 0x04, "A"},
                    KeyCase{"'", 0x34, "\xE2\x80\x98"},
                    // A code the key name table does not name opens the dialog all the same.
                    KeyCase{"0xF0", 0xF0, ""}));

TEST(DialogScreenshotOptions, TakeThePageToShow) {
  const CommandLineResult result =
      Parse({QStringLiteral("--screenshot-dialog-page"), QStringLiteral("3"),
             QStringLiteral("--screenshot-dialog"), QStringLiteral("A"), QStringLiteral("a.png")});
  ASSERT_EQ(result.action, CommandLineResult::Action::kRun) << result.text.toStdString();
  EXPECT_EQ(result.options.dialogScreenshot->page, std::optional<int>(3));
}

TEST(DialogScreenshotOptions, RefuseWhatTheyCannotUse) {
  for (const QStringList& arguments :
       {QStringList{QStringLiteral("--screenshot-dialog"), QStringLiteral("Nope"),
                    QStringLiteral("a.png")},
        QStringList{QStringLiteral("--screenshot-dialog"), QStringLiteral("0x00"),
                    QStringLiteral("a.png")},
        QStringList{QStringLiteral("--screenshot-dialog"), QStringLiteral("256"),
                    QStringLiteral("a.png")},
        // The file is missing.
        QStringList{QStringLiteral("--screenshot-dialog"), QStringLiteral("A")},
        QStringList{QStringLiteral("--screenshot-dialog"), QStringLiteral("A"),
                    QStringLiteral("a.png"), QStringLiteral("--screenshot-dialog-page"),
                    QStringLiteral("4")},
        QStringList{QStringLiteral("--screenshot-dialog"), QStringLiteral("A"),
                    QStringLiteral("a.png"), QStringLiteral("--screenshot-dialog-page"),
                    QStringLiteral("one")},
        QStringList{QStringLiteral("--screenshot-dialog-page"), QStringLiteral("1")},
        QStringList{QStringLiteral("--screenshot-dialog"), QStringLiteral("A"),
                    QStringLiteral("a.png"), QStringLiteral("b.png")}}) {
    const CommandLineResult result = Parse(arguments);
    EXPECT_EQ(result.action, CommandLineResult::Action::kFail)
        << arguments.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(result.exitStatus, kExitUsage);
    EXPECT_FALSE(result.text.isEmpty());
  }
}

// keyloom itself on the offscreen platform and the simulated keyboard.
class DialogScreenshotRun : public testing::Test {
 protected:
  int Run(const QString& program, const QStringList& arguments, QByteArray* output = nullptr) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
    environment.remove(QStringLiteral("QT_SCALE_FACTOR"));
    process.setProcessEnvironment(environment);
    process.start(
        QStringLiteral(KEYLOOM_BIN_DIR "/") + program,
        QStringList{QStringLiteral("--simulate"), QStringLiteral("--data-dir"), data_.path()} +
            arguments);
    if (!process.waitForFinished(60000)) {
      process.kill();
      process.waitForFinished();
      return -1;
    }
    if (output != nullptr) {
      *output = process.readAllStandardOutput();
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  }

  QString Shot(int page) {
    const QString file = data_.filePath(QStringLiteral("page%1.png").arg(page));
    EXPECT_EQ(Run(QStringLiteral("keyloom"),
                  {QStringLiteral("--screenshot-dialog"), QStringLiteral("F5"), file,
                   QStringLiteral("--screenshot-dialog-page"), QString::number(page)}),
              kExitOk);
    return file;
  }

  QTemporaryDir data_;
  QTemporaryDir runtime_;
};

TEST_F(DialogScreenshotRun, SavesEachPageAndSendsNothing) {
  const QImage macroPage(Shot(0));
  const QImage singleKeyPage(Shot(1));
  ASSERT_FALSE(macroPage.isNull());
  ASSERT_FALSE(singleKeyPage.isNull());
  // The dialog alone, at its layout's size.
  EXPECT_EQ(macroPage.size(), QSize(900, 660));
  EXPECT_EQ(singleKeyPage.size(), macroPage.size());
  EXPECT_NE(singleKeyPage, macroPage);

  // The dialog was cancelled: the keyboard holds no assignment.
  QByteArray slots;
  ASSERT_EQ(Run(QStringLiteral("keyloomctl"), {QStringLiteral("--json"), QStringLiteral("slots")},
                &slots),
            0);
  const QJsonObject table = QJsonDocument::fromJson(slots).object();
  int assigned = 0;
  for (const char* half : {"macroSlots", "remapSlots"}) {
    const QJsonArray entries = table.value(QLatin1String(half)).toArray();
    EXPECT_EQ(entries.size(), 12);
    for (const QJsonValue slot : entries) {
      assigned += slot.toObject().value(QLatin1String("code")).toInt() != 0 ? 1 : 0;
    }
  }
  EXPECT_EQ(assigned, 0);
}

}  // namespace
}  // namespace keyloom::app

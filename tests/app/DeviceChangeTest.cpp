#include <QClipboard>
#include <QGuiApplication>
#include <QTest>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "MainWindowFixture.h"
#include "app/Language.h"
#include "hid/HidBackend.h"
#include "protocol/CommandFrame.h"
#include "ui/widgets/SComboBox.h"

namespace keyloom::app {
namespace {

using test::Lines;
using test::MainWindowUnderTest;
using test::SelectProfileLines;
using test::SlotReadLines;

constexpr std::uint8_t kKeyA = 0x04;
constexpr std::uint8_t kKeyB = 0x05;
constexpr std::uint8_t kKeyC = 0x06;

// What another program does to the keyboard meanwhile: key `key` sends B, in remap slot `slot`
// of the first profile.
void RemapBehindTheWindow(sim::SimulatedKeyboard& keyboard, std::size_t slot, std::uint8_t key) {
  QVERIFY(
      keyboard.SetFeature(protocol::CommandFrame::AssignKeyMapping(0, slot, key, kKeyB).report()));
}

std::array<std::uint8_t, 24> RemapSlots(std::initializer_list<std::uint8_t> keys) {
  std::array<std::uint8_t, 24> slots{};
  std::size_t slot = 12;
  for (const std::uint8_t key : keys) {
    slots[slot++] = key;
  }
  return slots;
}

// A keyboard that is found but may or may not be opened; once opened it takes every frame and
// answers zeros.
class FakeHandle final : public hid::HidHandle {
 public:
  bool SetFeature(const hid::Report& /*report*/) override { return true; }
  bool GetFeature(hid::Report& /*report*/) override { return true; }
};

class FakeBackend final : public hid::HidBackend {
 public:
  bool present = true;
  hid::OpenError error = hid::OpenError::kAccessDenied;  // kNone: it opens
  std::string path = "/dev/hidraw7";

  std::vector<hid::HidInterfaceInfo> FindInterfaces(
      const hid::DeviceSelector& /*selector*/, const hid::DiagnosticTrace& /*trace*/) override {
    if (!present) {
      return {};
    }
    hid::HidInterfaceInfo info;
    info.path = path;
    return {info};
  }

  hid::OpenResult OpenPath(const std::string& /*path*/) override {
    hid::OpenResult result;
    if (error == hid::OpenError::kNone) {
      result.handle = std::make_unique<FakeHandle>();
    } else {
      result.error = error;
    }
    return result;
  }
};

class DeviceChangeTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<ui::SApplication> app_;

 private Q_SLOTS:
  void init() { app_ = test::MakeApplication(QLatin1String(kEnglishTranslator)); }
  void cleanup() { app_.reset(); }

  // Any device change while the keyboard stays: opened again, profile selected, slots read and
  // marked again; still "Connected", no message.
  void changeWhileConnected() {
    MainWindowUnderTest main;
    (void)main.TakeTrace();
    RemapBehindTheWindow(main.keyboard(), 0, kKeyA);

    main.window().OnDeviceChange();

    QCOMPARE(main.TakeTrace(), Lines({SelectProfileLines(1), SlotReadLines(RemapSlots({kKeyA}))}));
    QCOMPARE(main.StatusText(), QStringLiteral("Connected"));
    QVERIFY(main.Messages().isEmpty());
    QCOMPARE(main.CheckedKeys(), std::vector<int>{kKeyA});
  }

  // Unplugged: "Disconnected" without a message or a frame, the old handle kept; plugged in
  // again: "Connected", and the slots as the keyboard has them now.
  void unplugAndPlugBackIn() {
    MainWindowUnderTest main;
    RemapBehindTheWindow(main.keyboard(), 0, kKeyA);
    main.window().OnDeviceChange();
    (void)main.TakeTrace();

    main.keyboard().SetPlugged(false);
    main.window().OnDeviceChange();

    QVERIFY(main.TakeTrace().empty());
    QCOMPARE(main.StatusText(), QStringLiteral("Disconnected"));
    QVERIFY(main.Messages().isEmpty());
    QCOMPARE(main.window().Connection().Device().state(), hid::HidDevice::State::kOpen);

    main.keyboard().SetPlugged(true);
    RemapBehindTheWindow(main.keyboard(), 1, kKeyC);
    main.window().OnDeviceChange();

    QCOMPARE(main.TakeTrace(),
             Lines({SelectProfileLines(1), SlotReadLines(RemapSlots({kKeyA, kKeyC}))}));
    QCOMPARE(main.StatusText(), QStringLiteral("Connected"));
    QVERIFY(main.Messages().isEmpty());
    QCOMPARE(main.CheckedKeys(), (std::vector<int>{kKeyA, kKeyC}));
  }

  // The keyboard comes after the start: the window connects and reads the profile it shows.
  void keyboardPluggedInAfterTheStart() {
    MainWindowUnderTest::Options unplugged;
    unplugged.plugged = false;
    MainWindowUnderTest main(unplugged);
    QVERIFY(main.window()
                .FindChildByName2<ui::SComboBox>(QStringLiteral("cmb_profile"))
                ->SetCurSel(1, true));
    (void)main.TakeTrace();

    main.keyboard().SetPlugged(true);
    main.window().OnDeviceChange();

    QCOMPARE(main.TakeTrace(), Lines({SelectProfileLines(2), SlotReadLines()}));
    QCOMPARE(main.StatusText(), QStringLiteral("Connected"));
  }

  // Found but not to be opened by this user: the notice names the node, the udev rule and the
  // command, in the language of the window, until the keyboard connects.
  void permissionProblemIsExplained() {
    FakeBackend backend;
    MainWindowUnderTest::Options options;
    options.backend = &backend;
    MainWindowUnderTest main(options);

    QCOMPARE(main.StatusText(), QStringLiteral("Disconnected"));
    QCOMPARE(main.Messages(), QStringList{QStringLiteral("Failed to open USB")});
    QVERIFY(main.IsShown("permission_notice"));
    const QString text =
        main.window().FindChildByName(QStringLiteral("permission_notice_text"))->GetDisplayText();
    QVERIFY2(text.contains(QStringLiteral("/dev/hidraw7")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("70-keyloom.rules")), qPrintable(text));
    QCOMPARE(main.window()
                 .FindChildByName(QStringLiteral("permission_notice_command"))
                 ->GetDisplayText(),
             QStringLiteral("sudo udevadm control --reload && sudo udevadm trigger "
                            "--subsystem-match=hidraw"));
    QVERIFY(main.IsShown("btn_copy_command"));

    main.window().SwitchLanguage(true);
    const QString chinese =
        main.window().FindChildByName(QStringLiteral("permission_notice_text"))->GetDisplayText();
    QVERIFY2(chinese.startsWith(QString::fromUtf8("已在 /dev/hidraw7 找到键盘")),
             qPrintable(chinese));
    QVERIFY2(chinese.contains(QString::fromUtf8("无权打开它。允许")), qPrintable(chinese));
    QVERIFY(main.IsShown("permission_notice"));

    // The rule applied: the next device change connects.
    backend.error = hid::OpenError::kNone;
    main.window().OnDeviceChange();
    QVERIFY(!main.IsShown("permission_notice"));
    QCOMPARE(main.StatusText(), QString::fromUtf8("已连接"));
  }

  void copyButtonCopiesTheCommand() {
    FakeBackend backend;
    MainWindowUnderTest::Options options;
    options.backend = &backend;
    MainWindowUnderTest main(options);
    QVERIFY(main.ShowAndWait());

    QVERIFY(main.Click("btn_copy_command"));

    QCOMPARE(QGuiApplication::clipboard()->text(),
             QStringLiteral("sudo udevadm control --reload && sudo udevadm trigger "
                            "--subsystem-match=hidraw"));
    QVERIFY(main.Messages().contains(QStringLiteral("The command was copied to the clipboard.")));
  }

  // Only a denied open explains permissions: a keyboard that is absent, or busy, does not; a
  // path that is no hidraw node gets no udev advice.
  void otherFailuresGetNoPermissionNotice_data() {
    QTest::addColumn<bool>("present");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("notice");
    QTest::addColumn<bool>("command");
    QTest::newRow("absent") << false << int(hid::OpenError::kAccessDenied)
                            << QStringLiteral("/dev/hidraw7") << false << false;
    QTest::newRow("busy") << true << int(hid::OpenError::kBusy) << QStringLiteral("/dev/hidraw7")
                          << false << false;
    QTest::newRow("windows path") << true << int(hid::OpenError::kAccessDenied)
                                  << QStringLiteral(
                                         "\\\\?\\hid#vid_258a&pid_002a&mi_01&col02#7&1&0001")
                                  << true << false;
  }

  void otherFailuresGetNoPermissionNotice() {
    QFETCH(bool, present);
    QFETCH(int, error);
    QFETCH(QString, path);
    QFETCH(bool, notice);
    QFETCH(bool, command);
    FakeBackend backend;
    backend.present = present;
    backend.error = static_cast<hid::OpenError>(error);
    backend.path = path.toStdString();
    MainWindowUnderTest::Options options;
    options.backend = &backend;
    MainWindowUnderTest main(options);

    QCOMPARE(main.StatusText(), QStringLiteral("Disconnected"));
    QCOMPARE(main.IsShown("permission_notice"), notice);
    QCOMPARE(main.IsShown("permission_notice_command"), command);
    QCOMPARE(main.IsShown("btn_copy_command"), command);
  }

  // The keyboard that could not be opened goes away: the notice goes with it.
  void noticeLeavesWithTheKeyboard() {
    FakeBackend backend;
    MainWindowUnderTest::Options options;
    options.backend = &backend;
    MainWindowUnderTest main(options);
    QVERIFY(main.IsShown("permission_notice"));

    backend.present = false;
    main.window().OnDeviceChange();

    QVERIFY(!main.IsShown("permission_notice"));
    QCOMPARE(main.StatusText(), QStringLiteral("Disconnected"));
  }
};

}  // namespace
}  // namespace keyloom::app

QTEST_MAIN(keyloom::app::DeviceChangeTest)
#include "DeviceChangeTest.moc"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "macro/KeyboardEventRecord.h"
#include "macro_dialog/QtKeyTranslation.h"
#include "protocol/KeyNameTable.h"

namespace keyloom::macro {
namespace {

// XKB key codes are the kernel's key codes plus 8.
constexpr std::uint32_t Place(std::uint32_t kernelKeyCode) {
  return kernelKeyCode + 8;
}

struct Case {
  const char* what;
  QtKeyEvent event;
  std::optional<std::uint32_t> virtualKey;
};

QtKeyEvent Key(int key, std::uint32_t scanCode = 0, std::uint32_t keysym = 0,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  return {key, scanCode, keysym, modifiers, true};
}

// Names the case in test listings by what it is rather than by its bytes.
void PrintTo(const Case& c, std::ostream* out) {
  *out << c.what;
}

class QtKeyTranslationTest : public testing::TestWithParam<Case> {};

TEST_P(QtKeyTranslationTest, GivesTheVirtualKeyWindowsReports) {
  EXPECT_EQ(VirtualKeyFromQtKey(GetParam().event), GetParam().virtualKey) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Keys, QtKeyTranslationTest,
    testing::Values(
        // Keys without a virtual key.
        Case{"no key", Key(0), std::nullopt},
        Case{"a media key", Key(Qt::Key_VolumeUp), std::nullopt},
        Case{"a layout's letter without its place", Key(Qt::Key_Odiaeresis), std::nullopt},
        // Letters, digits and the keys that do not depend on the layout.
        Case{"A", Key(Qt::Key_A), 0x41}, Case{"Z", Key(Qt::Key_Z), 0x5A},
        Case{"7", Key(Qt::Key_7), 0x37}, Case{"F1", Key(Qt::Key_F1), 0x70},
        Case{"F12", Key(Qt::Key_F12), 0x7B}, Case{"F13", Key(Qt::Key_F13), 0x7C},
        Case{"Esc", Key(Qt::Key_Escape), 0x1B}, Case{"Enter", Key(Qt::Key_Return), 0x0D},
        Case{"Shift+Tab", Key(Qt::Key_Backtab), 0x09}, Case{"Space", Key(Qt::Key_Space), 0x20},
        Case{"Arrow Left", Key(Qt::Key_Left), 0x25}, Case{"PageDown", Key(Qt::Key_PageDown), 0x22},
        Case{"PrintScreen", Key(Qt::Key_Print), 0x2C}, Case{"Pause", Key(Qt::Key_Pause), 0x13},
        Case{"App", Key(Qt::Key_Menu), 0x5D}, Case{"CapsLock", Key(Qt::Key_CapsLock), 0x14},
        // The typewriter keys: by their place when it is known, else by the US characters.
        Case{"! without its place", Key(Qt::Key_Exclam), 0x31},
        Case{"( without its place", Key(Qt::Key_ParenLeft), 0x39},
        Case{"* without its place", Key(Qt::Key_Asterisk), 0x38},
        Case{": without its place", Key(Qt::Key_Colon), 0xBA},
        Case{"~ without its place", Key(Qt::Key_AsciiTilde), 0xC0},
        Case{"? without its place", Key(Qt::Key_Question), 0xBF},
        Case{"AZERTY & on the 1 key", Key(Qt::Key_Ampersand, Place(2)), 0x31},
        Case{"AZERTY é on the 2 key", Key(Qt::Key_Eacute, Place(3)), 0x32},
        Case{"German ö on the ; key", Key(Qt::Key_Odiaeresis, Place(39)), 0xBA},
        Case{"a letter follows the layout", Key(Qt::Key_Q, Place(30)), 0x51},
        Case{"a key Qt does not name, by its place", Key(0, Place(30)), 0x41},
        // Modifiers by their side.
        Case{"Shift without more", Key(Qt::Key_Shift), 0xA0},
        Case{"Shift_R by keysym", Key(Qt::Key_Shift, 0, 0xFFE2), 0xA1},
        Case{"Shift_R by place", Key(Qt::Key_Shift, Place(54)), 0xA1},
        Case{"Shift_L by keysym over place", Key(Qt::Key_Shift, Place(54), 0xFFE1), 0xA0},
        Case{"Ctrl right by place", Key(Qt::Key_Control, Place(97)), 0xA3},
        Case{"Ctrl left", Key(Qt::Key_Control, Place(29), 0xFFE3), 0xA2},
        Case{"Alt right by keysym", Key(Qt::Key_Alt, 0, 0xFFEA), 0xA5},
        Case{"AltGr", Key(Qt::Key_AltGr, Place(100), 0xFE03), 0xA5},
        Case{"Super left", Key(Qt::Key_Super_L, Place(125), 0xFFEB), 0x5B},
        Case{"Super right", Key(Qt::Key_Super_R), 0x5C},
        Case{"Meta right by keysym", Key(Qt::Key_Meta, 0, 0xFFE8), 0x5C},
        // The keypad.
        Case{"Pad 7", Key(Qt::Key_7, Place(71), 0, Qt::KeypadModifier), 0x67},
        Case{"Pad 0", Key(Qt::Key_0, 0, 0, Qt::KeypadModifier), 0x60},
        Case{"Pad *", Key(Qt::Key_Asterisk, Place(55), 0, Qt::KeypadModifier), 0x6A},
        Case{"Pad +", Key(Qt::Key_Plus, 0, 0, Qt::KeypadModifier), 0x6B},
        Case{"Pad -", Key(Qt::Key_Minus, 0, 0, Qt::KeypadModifier), 0x6D},
        Case{"Pad .", Key(Qt::Key_Period, 0, 0, Qt::KeypadModifier), 0x6E},
        Case{"Pad , (decimal comma)", Key(Qt::Key_Comma, 0, 0, Qt::KeypadModifier), 0x6E},
        Case{"Pad /", Key(Qt::Key_Slash, 0, 0, Qt::KeypadModifier), 0x6F},
        Case{"Pad Enter is Enter", Key(Qt::Key_Enter, Place(96), 0, Qt::KeypadModifier), 0x0D},
        Case{"Pad 7 without NumLock is Home", Key(Qt::Key_Home, Place(71), 0, Qt::KeypadModifier),
             0x24}));

TEST(QtKeyTranslation, KeypadEnterIsRecordedAsEnter) {
  const auto virtualKey = VirtualKeyFromQtKey(Key(Qt::Key_Enter, Place(96), 0, Qt::KeypadModifier));
  ASSERT_TRUE(virtualKey);
  const auto usage = protocol::UsageFromVirtualKey(*virtualKey);
  ASSERT_TRUE(usage);
  EXPECT_EQ(*usage, 0x28);
  EXPECT_EQ(protocol::NameFromUsage(*usage), "Enter");
}

TEST(QtKeyTranslation, SystemMessagesWhileAltIsHeld) {
  QtKeyEvent event = Key(Qt::Key_A);
  EXPECT_EQ(KeyMessageFromQtKey(event), kKeyDownMessage);
  event.press = false;
  EXPECT_EQ(KeyMessageFromQtKey(event), kKeyUpMessage);
  event.modifiers = Qt::AltModifier;
  EXPECT_EQ(KeyMessageFromQtKey(event), kSystemKeyUpMessage);
  event.press = true;
  EXPECT_EQ(KeyMessageFromQtKey(event), kSystemKeyDownMessage);
  // Alt itself goes down before its modifier is held, and is a system key all the same.
  EXPECT_EQ(KeyMessageFromQtKey(Key(Qt::Key_Alt)), kSystemKeyDownMessage);
  EXPECT_EQ(KeyMessageFromQtKey(Key(Qt::Key_AltGr)), kSystemKeyDownMessage);
}

}  // namespace
}  // namespace keyloom::macro

"""Tests of the skin tools: the generators reproduce the committed skin byte for byte, the key
table is a well-formed keyboard, and the skin check passes on the skin and catches each kind of
fault in a damaged copy of it.

  python3 -m unittest discover -s tools/skin -p "test_*.py"
"""

from __future__ import annotations

import filecmp
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.normpath(os.path.join(HERE, "..", ".."))
UIRES = os.path.join(REPO, "skin", "uires")
MANIFEST = os.path.join(REPO, "skin", "manifest.txt")
sys.path.insert(0, HERE)

import check_skin  # noqa: E402
import make_images  # noqa: E402
import make_keyboard  # noqa: E402
import skinlib  # noqa: E402


def generated_files(folder: str) -> list[str]:
    found = []
    for root, _dirs, names in os.walk(folder):
        for name in names:
            found.append(os.path.relpath(os.path.join(root, name), folder))
    return sorted(found)


class GeneratorsReproduceTheSkin(unittest.TestCase):
    def test_each_generator_writes_exactly_the_committed_files(self):
        for script in ("make_images.py", "make_keyboard.py"):
            with self.subTest(script=script), tempfile.TemporaryDirectory() as out:
                subprocess.run([sys.executable, os.path.join(HERE, script), "--out", out],
                               check=True)
                written = generated_files(out)
                self.assertTrue(written)
                for relative in written:
                    self.assertTrue(
                        filecmp.cmp(os.path.join(out, relative), os.path.join(UIRES, relative),
                                    shallow=False),
                        "{} differs from the committed file".format(relative))


class KeyTable(unittest.TestCase):
    def setUp(self):
        self.keys = make_keyboard.layout()
        self.by_name = {key.name: key for key in self.keys}

    def test_holds_the_usages_and_names_of_the_program_key_table(self):
        report = check_skin.Report()
        table = check_skin.read_key_table(
            os.path.join(REPO, "src", "protocol", "KeyNameTable.h"), report)
        self.assertEqual(report.failures, [])
        self.assertEqual({key.usage: key.name for key in self.keys}, table)

    def test_every_row_of_the_main_block_is_fifteen_units_wide(self):
        right_edge = make_keyboard.ORIGIN_X + 15 * make_keyboard.UNIT
        for name in ("F12", "Backspace", "\\", "Enter", "Shift Right", "Ctrl Right"):
            key = self.by_name[name]
            self.assertEqual(key.x + key.w, right_edge, name)

    def test_the_keypad_tall_keys_span_two_rows(self):
        self.assertEqual(self.by_name["Pad +"].h, 2 * make_keyboard.UNIT)
        self.assertEqual(self.by_name["Pad Enter"].h, 2 * make_keyboard.UNIT)
        self.assertEqual(self.by_name["Pad 0"].w, 2 * make_keyboard.UNIT)

    def test_key_colours_are_opaque_enough_and_in_renderer_order(self):
        colour = make_keyboard.backlight(self.by_name["Esc"])
        self.assertRegex(colour, r"^[0-9A-F]{8}$")
        alpha, blue, red = int(colour[0:2], 16), int(colour[2:4], 16), int(colour[6:8], 16)
        self.assertEqual(alpha, make_keyboard.BACKLIGHT_ALPHA)
        self.assertGreater(blue, red, "AABBGGRR: the accent is blue-heavy, so BB > RR")


class MessageBoxIcons(unittest.TestCase):
    """The message box shows frame N of its icon image for the kind whose MessageBoxIcon value
    is N; each kind has a tone of its own."""

    def test_the_frames_follow_the_program_order_of_kinds(self):
        with open(os.path.join(REPO, "src", "ui", "host", "SMessageBox.h"),
                  encoding="utf-8") as handle:
            header = handle.read()
        values = {name.lower(): int(value) for name, value in
                  re.findall(r"\bk([A-Z][a-z]+) = (-?\d+)", header.split("enum class "
                                                                          "MessageBoxIcon")[1]
                             .split("};")[0])}
        program_order = sorted((kind for kind, value in values.items() if value >= 0),
                               key=values.get)
        self.assertEqual([kind for kind, _tone in make_images.MESSAGE_ICONS], program_order)

        frames = ET.parse(os.path.join(UIRES, "image", "msg_icons.svg")).getroot().findall(
            check_skin.SVG_NS + "g")
        self.assertEqual(len(frames), len(program_order))
        tones = [skinlib.colour(tone) for _kind, tone in make_images.MESSAGE_ICONS]
        self.assertEqual(len(set(tones)), len(tones), "each kind in a tone of its own")
        for frame, tone in zip(frames, tones):
            self.assertEqual(frame[0].get("stroke"), tone)


class TextWidthEstimate(unittest.TestCase):
    def test_wide_characters_take_a_full_em_and_bold_is_wider(self):
        self.assertAlmostEqual(check_skin.text_width("中文", 10, False),
                               20 * check_skin.TEXT_WIDTH_MARGIN)
        self.assertGreater(check_skin.text_width("Speed", 13, True),
                           check_skin.text_width("Speed", 13, False))


class PositionGrammar(unittest.TestCase):
    def test_edges_sizes_and_centre_offsets(self):
        cases = [
            ("10,20,30,40", (10, 20, 30, 40)),
            ("-52,12,@40,@32", (248, 12, 288, 44)),
            ("0,0,-0,-0", (0, 0, 300, 200)),
            ("|-50,|-10,@100,@20", (100, 90, 200, 110)),
        ]
        for pos, expected in cases:
            rect = check_skin.resolve_pos(pos, 300, 200)
            self.assertEqual((rect.left, rect.top, rect.right, rect.bottom), expected, pos)

    def test_rejects_sizes_in_place_of_edges_and_short_forms(self):
        for pos in ("@10,0,10,10", "0,@10,10,10", "1,2", "a,b,c,d"):
            self.assertIsNone(check_skin.resolve_pos(pos, 300, 200), pos)


class SkinCheck(unittest.TestCase):
    """Each case damages a copy of the skin in one way and expects the check to say so."""

    def run_check(self, folder: str) -> list[str]:
        report = check_skin.run(REPO, os.path.join(folder, "uires"),
                                os.path.join(folder, "manifest.txt"))
        return report.failures

    def damaged(self, path: str, *replacements: str):
        """A damage that replaces, in the file at path, each old text by the new one that
        follows it."""
        def damage(folder: str) -> None:
            full = os.path.join(folder, path)
            with open(full, encoding="utf-8") as handle:
                text = handle.read()
            for old, new in zip(replacements[::2], replacements[1::2]):
                self.assertIn(old, text, "the case no longer applies to {}".format(path))
                text = text.replace(old, new, 1)
            with open(full, "w", encoding="utf-8") as handle:
                handle.write(text)
        return damage

    def test_the_skin_passes(self):
        report = check_skin.run(REPO, UIRES, MANIFEST)
        self.assertEqual(report.failures, [])
        self.assertGreater(report.checks, 1000)

    def test_each_fault_is_reported(self):
        main = "uires/layout/main.xml"
        led = "uires/layout/ledmode.xml"
        macro = "uires/layout/macro.xml"
        cn = "uires/translation/lang_cn.xml"
        en = "uires/translation/lang_en.xml"

        def extra_file(folder: str) -> None:
            with open(os.path.join(folder, "uires", "image", "stray.svg"), "w") as handle:
                handle.write('<svg xmlns="http://www.w3.org/2000/svg"/>')

        cases = [
            ("resource missing from the index",
             self.damaged("uires/uires.idx",
                          '<file name="state_add_png" path="image/state_add.svg"/>', ""),
             "does not name main:state_add_png"),
            ("file of a resource missing",
             self.damaged("uires/uires.idx", 'path="image/state_up.svg"',
                          'path="image/gone.svg"'),
             "the file of main:state_up_png is missing"),
            ("file nobody names", extra_file, "stray.svg: no resource names this file"),
            ("InstanceName not first",
             self.damaged("uires/values/string.xml", 'name="InstanceName"', 'name="Other"'),
             "entry 0 must be InstanceName"),
            ("frames that do not divide the image",
             self.damaged("uires/values/skin.xml",
                          'src="main:state_add_png" states="4"', 'src="main:state_add_png" '
                          'states="3"'),
             "does not divide into 3 frames"),
            ("unknown skin", self.damaged(main, 'skin="skin_btn_more"', 'skin="skin_nothing"'),
             "unknown skin skin_nothing"),
            ("unknown colour", self.damaged(main, '@color/divider', '@color/nothing'),
             "unknown colour @color/nothing"),
            ("include that does not resolve",
             self.damaged(main, 'src="LAYOUT:ledmode"', 'src="LAYOUT:nothing"'),
             "cannot include LAYOUT:nothing"),
            ("required control renamed",
             self.damaged(led, 'name="cmb_led_mode"', 'name="cmb_effect"'),
             "lacks cmb_led_mode"),
            ("required control of another class",
             self.damaged(main, '<combobox name="cmb_profile"', '<edit name="cmb_profile"',
                          "</combobox>", "</edit>"),
             "cmb_profile is a edit, expected combobox"),
            ("tray icon without its id",
             self.damaged(main, 'id="110"', 'id="111"'), "lacks id 110"),
            ("swatch moved out of its group",
             self.damaged(led, '\t\t\t<radioex name="bar_color7" pos="210,36,@28,@28" '
                               'class="swatch" iconSkin="skin_swatch_white" tip="White"/>\n',
                          ""),
             "lacks bar_color7"),
            ("tab page missing",
             self.damaged(macro, '<page2 title="Shortcut"', '<page title="Shortcut"'),
             "must hold 4 page2 pages"),
            ("effect list one short",
             self.damaged(led, '\t\t\t\t<item text="Reactive" data="9"/>\n', ""),
             "cmb_led_mode must list 10 entries"),
            ("control outside its parent",
             self.damaged(main, 'pos="-52,12,@40,@32"', 'pos="-30,12,@40,@32"'),
             "btn_close: lies outside its parent"),
            ("visible siblings overlapping",
             self.damaged(main, '<imgbtn name="btn_min" pos="-96,12,@40,@32"',
                          '<imgbtn name="btn_min" pos="-120,12,@40,@32"'),
             "btn_more and btn_min overlap"),
            ("panels that one effect shows together overlapping",
             self.damaged(led, '<window name="udef_area_parent" pos="492,56,@616,@96">',
                          '<window name="udef_area_parent" pos="288,56,@616,@96">'),
             "bar_brightness_parent and udef_area_parent overlap"),
            ("text too long for its control",
             self.damaged(cn, 'dst="亮度"', 'dst="{}"'.format("亮度" * 12)),
             "(translator:lang_cn) needs about"),
            ("text only one translation holds",
             self.damaged(cn, '<item src="Exit" dst="退出"/>', ""),
             "only one of translator:lang_cn and translator:lang_en holds 'Exit'"),
            ("English that does not map to itself",
             self.damaged(en, 'src="Speed" dst="Speed"', 'src="Speed" dst="Velocity"'),
             "'Speed' must map to itself"),
            ("Chinese left untranslated in English",
             self.damaged(en, 'dst="Macro files (mcr)"', 'dst="mcr文件(mcr)"'),
             "'mcr文件(mcr)' needs an English translation"),
            ("translation of a text shown nowhere",
             self.damaged(cn, '<language name="cn">',
                          '<language name="cn">\n\t<item src="Unused" dst="未用"/>'),
             "'Unused' is shown nowhere"),
            ("tray menu command the program does not handle",
             self.damaged("uires/menu/menu_tray.xml", '<item id="1">', '<item id="7">'),
             "SMENU:menu_tray: items must be commands 1 or 6"),
            ("language item missing from the more menu",
             self.damaged("uires/menu/menu_more.xml", 'name="jp"', 'name="en"'),
             "the items zh_cn and jp switch the language"),
            ("key missing from the coordinate file",
             self.damaged("uires/xml/keyboard.xml", '<key id="4" ', '<key id="200" '),
             "usage 4 (A) is missing"),
            ("key with another name",
             self.damaged("uires/xml/keyboard.xml", 'name="Esc"', 'name="Escape"'),
             "named 'Escape', the table says 'Esc'"),
            ("keys overlapping",
             self.damaged("uires/xml/keyboard.xml", 'rect="120,40,40,40"',
                          'rect="70,40,40,40"'),
             "key coordinate file: key 58: overlaps key 41"),
            ("layout missing from the index",
             self.damaged("uires/uires.idx",
                          '<file name="SYS_XML_MSGBOX" path="layout/msgbox.xml"/>', ""),
             "no layout LAYOUT:SYS_XML_MSGBOX"),
            ("layout that is not XML",
             self.damaged("uires/layout/msgbox.xml", "</SOUI>", "</SOUIX>"),
             "not well-formed XML"),
        ]
        for label, damage, expected in cases:
            with self.subTest(label), tempfile.TemporaryDirectory() as folder:
                shutil.copytree(UIRES, os.path.join(folder, "uires"))
                shutil.copy(MANIFEST, os.path.join(folder, "manifest.txt"))
                damage(folder)
                failures = self.run_check(folder)
                self.assertTrue(any(expected in failure for failure in failures),
                                "expected {!r} among:\n{}".format(expected, "\n".join(failures)))


if __name__ == "__main__":
    unittest.main()

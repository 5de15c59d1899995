#!/usr/bin/env python3
"""Writes the keyboard picture of the main window and its key coordinate file.

One table below describes the full-size 104-key ANSI keyboard: rows, key widths in key units,
and for every key its HID usage, its name (as the program's key name table gives it) and the
legend printed on it. From it this script writes, into skin/uires:

  image/keyboard_normal.svg    every key at rest            (main:img_keboard_normal_png)
  image/keyboard_hover.svg     every key under the mouse    (main:img_keboard_floating_png)
  image/keyboard_checked.svg   every key carrying an assignment (main:img_keboard_checked_png)
  image/keyboard_pressed.svg   every key held down          (main:img_keboard_pressed_png)
  xml/keyboard.xml             the key coordinate file: <positions> with one <key> per key

All four pictures share one size and coordinate system, the one of the coordinate file: the
keyboard picture control cuts a key's rectangle out of the hover and checked pictures unscaled.
Each key's rectangle is left transparent around its keycap, so the key colour that the control
paints under the picture shows as a thin backlight around every key.

Run it again after a change; the output is byte for byte the same for the same table.

  tools/skin/make_keyboard.py [--out SKIN_FOLDER]
"""

from __future__ import annotations

import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import skinlib  # noqa: E402
from skinlib import Svg, colour, mix, num  # noqa: E402

UNIT = 40  # pixels per key unit
ORIGIN_X = 40  # top-left corner of the key area in the picture
ORIGIN_Y = 40
WIDTH = 1000
HEIGHT = 340

# Legends: a text; ("dual", shifted, unshifted) for two symbols on one key; ("stack", line1,
# line2) for two equal lines; ("glyph", name) for a drawn symbol; "" for none.
UP = ("glyph", "up")
DOWN = ("glyph", "down")
LEFT = ("glyph", "left")
RIGHT = ("glyph", "right")
MENU = ("glyph", "menu")

# The keys, row by row. A row is (top in key units, items); an item is either a gap (a number, in
# key units) or a key (width, usage, name, legend[, height]).
ROWS = [
    (0.0, [
        (1, 0x29, "Esc", "Esc"), 1.0,
        (1, 0x3A, "F1", "F1"), (1, 0x3B, "F2", "F2"), (1, 0x3C, "F3", "F3"),
        (1, 0x3D, "F4", "F4"), 0.5,
        (1, 0x3E, "F5", "F5"), (1, 0x3F, "F6", "F6"), (1, 0x40, "F7", "F7"),
        (1, 0x41, "F8", "F8"), 0.5,
        (1, 0x42, "F9", "F9"), (1, 0x43, "F10", "F10"), (1, 0x44, "F11", "F11"),
        (1, 0x45, "F12", "F12"), 0.5,
        (1, 0x46, "PrintScreen", "PrtSc"), (1, 0x47, "ScrollLock", "ScrLk"),
        (1, 0x48, "PAUSE", "Pause"),
    ]),
    (1.5, [
        (1, 0x35, "~", ("dual", "~", "`")), (1, 0x1E, "1", ("dual", "!", "1")),
        (1, 0x1F, "2", ("dual", "@", "2")), (1, 0x20, "3", ("dual", "#", "3")),
        (1, 0x21, "4", ("dual", "$", "4")), (1, 0x22, "5", ("dual", "%", "5")),
        (1, 0x23, "6", ("dual", "^", "6")), (1, 0x24, "7", ("dual", "&", "7")),
        (1, 0x25, "8", ("dual", "*", "8")), (1, 0x26, "9", ("dual", "(", "9")),
        (1, 0x27, "0", ("dual", ")", "0")), (1, 0x2D, "-", ("dual", "_", "-")),
        (1, 0x2E, "=", ("dual", "+", "=")), (2, 0x2A, "Backspace", "Backspace"), 0.5,
        (1, 0x49, "Insert", "Ins"), (1, 0x4A, "Home", "Home"), (1, 0x4B, "PageUp", "PgUp"), 0.5,
        (1, 0x53, "NumLock", ("stack", "Num", "Lock")), (1, 0x54, "Pad /", "/"),
        (1, 0x55, "Pad *", "*"), (1, 0x56, "Pad -", "-"),
    ]),
    (2.5, [
        (1.5, 0x2B, "Tab", "Tab"),
        (1, 0x14, "Q", "Q"), (1, 0x1A, "W", "W"), (1, 0x08, "E", "E"), (1, 0x15, "R", "R"),
        (1, 0x17, "T", "T"), (1, 0x1C, "Y", "Y"), (1, 0x18, "U", "U"), (1, 0x0C, "I", "I"),
        (1, 0x12, "O", "O"), (1, 0x13, "P", "P"), (1, 0x2F, "[", ("dual", "{", "[")),
        (1, 0x30, "]", ("dual", "}", "]")), (1.5, 0x31, "\\", ("dual", "|", "\\")), 0.5,
        (1, 0x4C, "Delete", "Del"), (1, 0x4D, "End", "End"), (1, 0x4E, "PageDown", "PgDn"), 0.5,
        (1, 0x5F, "Pad 7", "7"), (1, 0x60, "Pad 8", "8"), (1, 0x61, "Pad 9", "9"),
        (1, 0x57, "Pad +", "+", 2),
    ]),
    (3.5, [
        (1.75, 0x39, "CapsLock", "Caps Lock"),
        (1, 0x04, "A", "A"), (1, 0x16, "S", "S"), (1, 0x07, "D", "D"), (1, 0x09, "F", "F"),
        (1, 0x0A, "G", "G"), (1, 0x0B, "H", "H"), (1, 0x0D, "J", "J"), (1, 0x0E, "K", "K"),
        (1, 0x0F, "L", "L"), (1, 0x33, ";", ("dual", ":", ";")),
        (1, 0x34, "\u2018", ("dual", "\"", "'")), (2.25, 0x28, "Enter", "Enter"), 4.0,
        (1, 0x5C, "Pad 4", "4"), (1, 0x5D, "Pad 5", "5"), (1, 0x5E, "Pad 6", "6"),
    ]),
    (4.5, [
        (2.25, 0xE1, "Shift Left", "Shift"),
        (1, 0x1D, "Z", "Z"), (1, 0x1B, "X", "X"), (1, 0x06, "C", "C"), (1, 0x19, "V", "V"),
        (1, 0x05, "B", "B"), (1, 0x11, "N", "N"), (1, 0x10, "M", "M"),
        (1, 0x36, ",", ("dual", "<", ",")), (1, 0x37, ".", ("dual", ">", ".")),
        (1, 0x38, "/", ("dual", "?", "/")), (2.75, 0xE5, "Shift Right", "Shift"), 1.5,
        (1, 0x52, "Arrow Up", UP), 1.5,
        (1, 0x59, "Pad 1", "1"), (1, 0x5A, "Pad 2", "2"), (1, 0x5B, "Pad 3", "3"),
        (1, 0x58, "Pad Enter", "Enter", 2),
    ]),
    (5.5, [
        (1.25, 0xE0, "Ctrl Left", "Ctrl"), (1.25, 0xE3, "Win Left", "Win"),
        (1.25, 0xE2, "Alt Left", "Alt"), (6.25, 0x2C, "SpaceBar", ""),
        (1.25, 0xE6, "Alt Right", "Alt"), (1.25, 0xE7, "Win Right", "Win"),
        (1.25, 0x65, "App", MENU), (1.25, 0xE4, "Ctrl Right", "Ctrl"), 0.5,
        (1, 0x50, "Arrow Left", LEFT), (1, 0x51, "Arrow Down", DOWN),
        (1, 0x4F, "Arrow Right", RIGHT), 0.5,
        (2, 0x62, "Pad 0", "0"), (1, 0x63, "Pad .", "."),
    ]),
]

# The backlight colour under each key runs across the keyboard within the accent family.
BACKLIGHT_LEFT = colour("accent")
BACKLIGHT_RIGHT = colour("accent_alt")
BACKLIGHT_ALPHA = 0x73


class Key:
    def __init__(self, x, y, w, h, usage, name, legend):
        self.x, self.y, self.w, self.h = x, y, w, h
        self.usage, self.name, self.legend = usage, name, legend


def layout() -> list[Key]:
    """The keys with their rectangles in pixels, in table order."""
    keys = []
    for top, items in ROWS:
        left = 0.0
        for item in items:
            if isinstance(item, (int, float)):
                left += item
                continue
            width, usage, name, legend = item[:4]
            height = item[4] if len(item) > 4 else 1
            keys.append(
                Key(
                    ORIGIN_X + round(left * UNIT), ORIGIN_Y + round(top * UNIT),
                    round(width * UNIT), round(height * UNIT), usage, name, legend,
                )
            )
            left += width
    return keys


def backlight(key: Key) -> str:
    """The key colour as AABBGGRR, as the key coordinate file stores it."""
    span = WIDTH - 2 * ORIGIN_X
    t = max(0.0, min(1.0, (key.x + key.w / 2 - ORIGIN_X) / span))
    r, g, b = skinlib.rgb(mix(BACKLIGHT_LEFT, BACKLIGHT_RIGHT, t))
    return "{:02X}{:02X}{:02X}{:02X}".format(BACKLIGHT_ALPHA, b, g, r)


# Looks -------------------------------------------------------------------------------------------

LOOKS = {
    "normal": {
        "side": "#171c25", "side_edge": "#2e3747", "top_from": "#2c3443", "top_to": "#242b38",
        "legend": "#d5dce7", "legend_dim": "#8b97a8", "ring": None, "dot": False, "press": 0,
    },
    "hover": {
        "side": "#1b2330", "side_edge": colour("accent"), "top_from": "#3a4559",
        "top_to": "#303a4c", "legend": colour("text_strong"), "legend_dim": "#b4bfcd",
        "ring": (colour("accent"), 0.55), "dot": False, "press": 0,
    },
    "checked": {
        "side": "#0c2830", "side_edge": colour("accent"), "top_from": "#14495a",
        "top_to": "#0f3845", "legend": colour("accent_hover"), "legend_dim": "#7fd9ea",
        "ring": (colour("accent"), 0.35), "dot": True, "press": 0,
    },
    "pressed": {
        "side": "#0b6b80", "side_edge": colour("accent_hover"), "top_from": colour("accent_hover"),
        "top_to": colour("accent"), "legend": colour("text_on_accent"), "legend_dim": "#0b3a46",
        "ring": (colour("accent"), 0.8), "dot": False, "press": 1,
    },
}


def draw_glyph(svg: Svg, name: str, cx: float, cy: float, fill: str) -> None:
    if name == "menu":
        svg.rect(cx - 7, cy - 6, 14, 12, rx=2, stroke=fill, stroke_width=1.5)
        for dy in (-2.5, 0.5, 3.5):
            svg.path("M{} {}H{}".format(num(cx - 4), num(cy + dy - 0.5), num(cx + 4)),
                     stroke=fill, stroke_width=1.5)
        return
    # Arrow heads: a filled triangle pointing the key's way.
    s = 5.0
    points = {
        "up": [(0, -s), (s, s * 0.7), (-s, s * 0.7)],
        "down": [(0, s), (-s, -s * 0.7), (s, -s * 0.7)],
        "left": [(-s, 0), (s * 0.7, -s), (s * 0.7, s)],
        "right": [(s, 0), (-s * 0.7, s), (-s * 0.7, -s)],
    }[name]
    d = "M" + "L".join("{} {}".format(num(cx + px), num(cy + py)) for px, py in points) + "Z"
    svg.path(d, fill=fill)


def draw_legend(svg: Svg, key: Key, look: dict, cx: float, cy: float, top_w: float) -> None:
    legend = key.legend
    if legend == "":
        return
    if isinstance(legend, tuple):
        kind = legend[0]
        if kind == "glyph":
            draw_glyph(svg, legend[1], cx, cy, look["legend"])
        elif kind == "dual":
            svg.text(cx, cy - 3, legend[1], 10, look["legend_dim"])
            svg.text(cx, cy + 10, legend[2], 12, look["legend"], weight="bold")
        elif kind == "stack":
            svg.text(cx, cy - 1.5, legend[1], 9.5, look["legend"])
            svg.text(cx, cy + 9.5, legend[2], 9.5, look["legend"])
        return
    if len(legend) == 1:
        size, weight = 14, "bold"
    elif len(legend) <= 3 and legend[0] == "F" and legend[1:].isdigit():
        size, weight = 11, "bold"
    else:
        size, weight = 10.5, "normal"
        if top_w < 30 and len(legend) > 4:
            size = 9.5
    svg.text(cx, cy + size * 0.36, legend, size, look["legend"], weight=weight)


def draw_key(svg: Svg, key: Key, look: dict) -> None:
    x, y, w, h = key.x, key.y, key.w, key.h
    if look["ring"]:
        ring_colour, ring_opacity = look["ring"]
        svg.rect(x + 1, y + 1, w - 2, h - 2, rx=skinlib.RADIUS_KEYCAP + 1,
                 stroke=skinlib.paint(ring_colour, ring_opacity), stroke_width=1)
    # Keycap: the darker skirt, then the lighter top surface with a thicker front lip.
    svg.rect(x + 2.5, y + 2.5, w - 5, h - 5, rx=skinlib.RADIUS_KEYCAP, fill=look["side"],
             stroke=look["side_edge"], stroke_width=1)
    press = look["press"]
    top_x, top_y, top_w, top_h = x + 5, y + 4 + press, w - 10, h - 11
    grad = svg.linear([(0, look["top_from"]), (1, look["top_to"])])
    svg.rect(top_x, top_y, top_w, top_h, rx=4, fill=grad)
    svg.path("M{} {}H{}".format(num(top_x + 4), num(top_y + 0.5), num(top_x + top_w - 4)),
             stroke=skinlib.paint("#ffffff", 0.10), stroke_width=1, cap="butt")
    if look["dot"]:
        svg.circle(x + w - 9, y + 8, 2.5, fill=colour("accent"))
    draw_legend(svg, key, look, top_x + top_w / 2, top_y + top_h / 2, top_w)


def draw_case(svg: Svg, keys: list[Key]) -> None:
    """The keyboard's case, with a rounded hole in every key rectangle for the backlight."""
    case_x, case_y, case_w, case_h = 12, 12, WIDTH - 24, HEIGHT - 24
    body = svg.linear([(0, "#1a2029"), (1, "#0f1318")])
    holes = "".join(
        skinlib.rounded_rect_path(k.x + 0.5, k.y + 0.5, k.w - 1, k.h - 1,
                                  skinlib.RADIUS_KEYCAP + 1) for k in keys)
    svg.path(skinlib.rounded_rect_path(case_x, case_y, case_w, case_h, 18) + holes,
             fill=body, fill_rule="evenodd")
    svg.rect(case_x + 0.5, case_y + 0.5, case_w - 1, case_h - 1, rx=17.5,
             stroke=colour("border"), stroke_width=1)
    svg.path("M{} {}H{}".format(case_x + 18, case_y + 1.5, case_x + case_w - 18),
             stroke=skinlib.paint("#ffffff", 0.08), stroke_width=1, cap="butt")
    # Light bar along the front edge.
    bar = svg.linear([(0, colour("accent"), 0), (0.2, colour("accent"), 0.9),
                      (0.8, colour("accent_alt"), 0.9), (1, colour("accent_alt"), 0)],
                     x1=0, y1=0, x2=1, y2=0)
    svg.rect(160, HEIGHT - 28, WIDTH - 320, 3, rx=1.5, fill=bar)
    # Lock indicators above the numeric keypad.
    left = ORIGIN_X + 19 * UNIT
    for index, label in enumerate(("Num", "Caps", "Scroll")):
        cx = left + 26 + index * 54
        svg.rect(cx - 9, ORIGIN_Y + 12, 18, 4, rx=2, fill=colour("accent"),
                 opacity=0.9 if index == 0 else 0.25)
        svg.text(cx, ORIGIN_Y + 30, label, 9, colour("text_dim"))


def picture(keys: list[Key], look_name: str) -> Svg:
    svg = Svg(WIDTH, HEIGHT)
    draw_case(svg, keys)
    look = LOOKS[look_name]
    for key in keys:
        draw_key(svg, key, look)
    return svg


def coordinate_file(keys: list[Key]) -> str:
    lines = [
        '<?xml version="1.0" encoding="utf-8"?>',
        "<!-- Written by tools/skin/make_keyboard.py. One key per element: id is the key's HID",
        "     usage, rect is x,y,width,height in the keyboard picture, color is AABBGGRR. -->",
        "<positions>",
    ]
    for key in keys:
        lines.append(
            '\t<key id="{}" name={} rect="{},{},{},{}" color="{}"/>'.format(
                key.usage, skinlib.quoteattr(key.name), key.x, key.y, key.w, key.h,
                backlight(key),
            )
        )
    lines.append("</positions>")
    return "\n".join(lines) + "\n"


def check_table(keys: list[Key]) -> None:
    usages = [k.usage for k in keys]
    if len(keys) != 104 or len(set(usages)) != 104:
        raise SystemExit("the key table must hold 104 keys with distinct usages")
    for a in keys:
        for b in keys:
            if a is not b and a.x < b.x + b.w and b.x < a.x + a.w and a.y < b.y + b.h \
                    and b.y < a.y + a.h:
                raise SystemExit("keys {} and {} overlap".format(a.name, b.name))
        if a.x + a.w > WIDTH - ORIGIN_X or a.y + a.h > HEIGHT - ORIGIN_Y:
            raise SystemExit("key {} lies outside the picture".format(a.name))


def main() -> None:
    parser = argparse.ArgumentParser(description="Writes the keyboard pictures and key file.")
    parser.add_argument("--out", default=skinlib.uires_dir(),
                        help="the skin folder to write into (default: skin/uires)")
    out = parser.parse_args().out
    keys = layout()
    check_table(keys)
    for look, file_name in (("normal", "keyboard_normal.svg"), ("hover", "keyboard_hover.svg"),
                            ("checked", "keyboard_checked.svg"),
                            ("pressed", "keyboard_pressed.svg")):
        picture(keys, look).save(os.path.join(out, "image", file_name))
    skinlib.write_text(os.path.join(out, "xml", "keyboard.xml"), coordinate_file(keys))


if __name__ == "__main__":
    main()

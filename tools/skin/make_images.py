#!/usr/bin/env python3
"""Writes every image of the skin except the keyboard pictures, and values/color.xml.

  tools/skin/make_images.py [--out SKIN_FOLDER]

Images go to skin/uires/image as SVG. Multi-state images lay their frames side by side, left to
right, in the orders of skinlib.STATES_*; values/skin.xml names each image's state count.
Icons are drawn on a 20-pixel (controls) or 24-pixel (section headers) grid with 2-pixel strokes
and round caps; buttons and inputs have 8-pixel corners, panels 10, pills are fully round.

Run it again after a change; the output is byte for byte the same for the same input.
"""

from __future__ import annotations

import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import skinlib  # noqa: E402
from skinlib import (  # noqa: E402
    LED_COLOURS, PALETTE, STATES_BUTTON, STATES_CHECK_BUTTON, STATES_CHECK_ICON, STATES_TAB,
    Svg, colour, mix, num, paint, strip,
)

OUT = os.path.join(skinlib.uires_dir(), "image")  # set by main()

# Glyphs on a 20 x 20 grid, drawn with 2-pixel round strokes unless marked as filled.
GLYPHS_20 = {
    "plus": ["M10 4V16M4 10H16"],
    "trash": ["M4 6H16", "M8 6V4H12V6", "M5.5 6L6.5 16H13.5L14.5 6", "M8.5 9V13M11.5 9V13"],
    "import": ["M10 3V12", "M6 8L10 12L14 8", "M4 13V16H16V13"],
    "export": ["M10 12V3", "M6 7L10 3L14 7", "M4 13V16H16V13"],
    "up": ["M10 16V4", "M5 9L10 4L15 9"],
    "down": ["M10 4V16", "M5 11L10 16L15 11"],
    "clear": ["M3 5H14M3 10H10M3 15H8", "M12 12L17 17M17 12L12 17"],
    "min": ["M4 10H16"],
    "max": ["M6 4H14A2 2 0 0 1 16 6V14A2 2 0 0 1 14 16H6A2 2 0 0 1 4 14V6A2 2 0 0 1 6 4Z"],
    "restore": ["M7 4H14A2 2 0 0 1 16 6V13",
                "M5 7H11A2 2 0 0 1 13 9V15A2 2 0 0 1 11 17H5A2 2 0 0 1 3 15V9A2 2 0 0 1 5 7Z"],
    "close": ["M5 5L15 15M15 5L5 15"],
    "chevron": ["M6 8L10 12L14 8"],
    "layers": ["M10 3L17 7L10 11L3 7Z", "M3 10.5L10 14.5L17 10.5", "M3 14L10 18L17 14"],
    "plug": ["M7.5 2.5V6M12.5 2.5V6", "M5 6H15V9A5 5 0 0 1 5 9Z", "M10 14V18"],
    "target": ["M10 2V5M10 15V18M2 10H5M15 10H18",
               "M10 4A6 6 0 1 1 10 16A6 6 0 1 1 10 4Z"],
    "macro": ["M3 5H12M3 10H10M3 15H8"],
    "key": ["M6 3H14A3 3 0 0 1 17 6V14A3 3 0 0 1 14 17H6A3 3 0 0 1 3 14V6A3 3 0 0 1 6 3Z",
            "M7 13.5L10 6.5L13 13.5M8.3 11H11.7"],
    "media": ["M8 15V5L16 3V13"],
    "function": ["M7 7V5.5A2.5 2.5 0 0 1 9.5 3H14.5A2.5 2.5 0 0 1 17 5.5V10.5A2.5 2.5 0 0 1 "
                 "14.5 13H13",
                 "M5.5 7H10.5A2.5 2.5 0 0 1 13 9.5V14.5A2.5 2.5 0 0 1 10.5 17H5.5A2.5 2.5 0 0 1 "
                 "3 14.5V9.5A2.5 2.5 0 0 1 5.5 7Z"],
}

# Filled details of some glyphs: (cx, cy, r) dots.
GLYPH_DOTS_20 = {
    "target": [(10, 10, 1.75)],
    "macro": [(15, 14, 3)],
    "media": [(6, 15, 2.25), (14, 13, 2.25)],
}

# Section icons on a 24 x 24 grid.
GLYPHS_24 = {
    "keyboard": ["M5 6H19A3 3 0 0 1 22 9V15A3 3 0 0 1 19 18H5A3 3 0 0 1 2 15V9A3 3 0 0 1 5 6Z",
                 "M6 10H6.01M10 10H10.01M14 10H14.01M18 10H18.01", "M8 14H16"],
    "rgb": ["M12 3A5 5 0 1 1 12 13A5 5 0 1 1 12 3Z",
            "M8.5 10A5 5 0 1 1 8.5 20A5 5 0 1 1 8.5 10Z",
            "M15.5 10A5 5 0 1 1 15.5 20A5 5 0 1 1 15.5 10Z"],
    "sparkles": ["M10 4L11.8 9.2L17 11L11.8 12.8L10 18L8.2 12.8L3 11L8.2 9.2Z",
                 "M18 3V7M16 5H20", "M18 16V20M16 18H20"],
}


def glyph(svg: Svg, name: str, x: float, y: float, stroke: str, scale: float = 1.0,
          table=None, dots=None) -> None:
    table = table or GLYPHS_20
    dots = GLYPH_DOTS_20 if dots is None else dots
    svg.open_group(translate=(x, y), scale=scale)
    for d in table[name]:
        svg.path(d, stroke=stroke, stroke_width=skinlib.STROKE_ICON / scale)
    for cx, cy, r in dots.get(name, []):
        svg.circle(cx, cy, r, fill=stroke)
    svg.close_group()


def save(svg: Svg, name: str) -> None:
    svg.save(os.path.join(OUT, name + ".svg"))


# Buttons -----------------------------------------------------------------------------------------

def icon_button(name: str, glyph_name: str) -> None:
    """A 28 x 28 tool button: a glyph that lights up on a rounded plate."""
    def draw(svg: Svg, state: str) -> None:
        ink = {"normal": "text_dim", "hover": "text_strong", "pushed": "accent_hover",
               "disabled": "text_disabled"}[state]
        if state == "hover":
            svg.rect(0, 0, 28, 28, rx=skinlib.RADIUS_BUTTON, fill="bg_hover")
        elif state == "pushed":
            svg.rect(0, 0, 28, 28, rx=skinlib.RADIUS_BUTTON, fill="accent_deep")
        glyph(svg, glyph_name, 4, 4, colour(ink))
    save(strip(28, 28, STATES_BUTTON, draw), name)


def title_button(name: str, glyph_name: str, danger: bool = False) -> None:
    """A 40 x 32 button of a title bar."""
    def draw(svg: Svg, state: str) -> None:
        ink = {"normal": "text", "hover": "text_strong", "pushed": "text_strong",
               "disabled": "text_disabled"}[state]
        if state == "hover":
            svg.rect(0, 0, 40, 32, rx=skinlib.RADIUS_BUTTON,
                     fill="danger" if danger else "bg_hover")
        elif state == "pushed":
            svg.rect(0, 0, 40, 32, rx=skinlib.RADIUS_BUTTON,
                     fill="danger_pressed" if danger else "bg_pressed")
        glyph(svg, glyph_name, 10, 6, colour(ink))
    save(strip(40, 32, STATES_BUTTON, draw), name)


def more_button() -> None:
    def draw(svg: Svg, state: str) -> None:
        ink = {"normal": "text", "hover": "text_strong", "pushed": "accent_hover",
               "disabled": "text_disabled"}[state]
        if state == "hover":
            svg.rect(0, 0, 40, 32, rx=skinlib.RADIUS_BUTTON, fill="bg_hover")
        elif state == "pushed":
            svg.rect(0, 0, 40, 32, rx=skinlib.RADIUS_BUTTON, fill="accent_deep")
        for cx in (14, 20, 26):
            svg.circle(cx, 16, 1.75, fill=ink)
    save(strip(40, 32, STATES_BUTTON, draw), "more_menu")


def plate(svg: Svg, w: float, h: float, fill, border, radius=skinlib.RADIUS_BUTTON,
          highlight: float = 0.0) -> None:
    """A rounded plate with a 1-pixel border drawn inside its edge."""
    if fill is not None:
        svg.rect(0, 0, w, h, rx=radius, fill=fill)
    if border is not None:
        svg.rect(0.5, 0.5, w - 1, h - 1, rx=radius - 0.5, stroke=border, stroke_width=1)
    if highlight:
        svg.path("M{} 1.5H{}".format(num(radius), num(w - radius)),
                 stroke=paint("#ffffff", highlight), stroke_width=1, cap="butt")


def text_buttons() -> None:
    """Nine-slice backgrounds of push buttons with text (margins 10 on every side)."""
    def primary(svg: Svg, state: str) -> None:
        if state == "disabled":
            plate(svg, 48, 36, "#173640", None)
            return
        top, bottom = {"normal": ("#4fe0f5", "accent"), "hover": ("#8cf0fc", "accent_hover"),
                       "pushed": ("accent_pressed", "accent_pressed")}[state]
        plate(svg, 48, 36, svg.linear([(0, top), (1, bottom)]), None,
              highlight=0.35 if state != "pushed" else 0)
    save(strip(48, 36, STATES_BUTTON, primary), "state_ok")

    secondary = {
        "normal": ("bg_raised", "border_strong"), "hover": ("bg_hover", "#4a576b"),
        "pushed": ("bg_pressed", "accent_deep"), "disabled": ("bg_panel", "divider"),
        "checked": (paint("danger", 0.16), paint("danger", 0.9)),
    }

    def secondary_plate(svg: Svg, state: str) -> None:
        fill, border = secondary[state]
        plate(svg, 48, 36, fill, border, highlight=0.05 if state in ("normal", "hover") else 0)
    save(strip(48, 36, STATES_BUTTON, secondary_plate), "state_cancel")

    def toggle(svg: Svg, state: str) -> None:
        fill, border = secondary[state]
        plate(svg, 48, 40, fill, border, highlight=0.05 if state in ("normal", "hover") else 0)
    save(strip(48, 40, STATES_CHECK_BUTTON, toggle), "btn_toggle")

    def danger(svg: Svg, state: str) -> None:
        fill, border = {
            "normal": (paint("danger", 0.08), paint("danger", 0.55)),
            "hover": (paint("danger", 0.18), paint("danger", 1.0)),
            "pushed": (paint("danger", 0.30), paint("danger_pressed", 1.0)),
            "disabled": (None, paint("#3b2a31", 1.0)),
        }[state]
        plate(svg, 48, 36, fill, border)
    save(strip(48, 36, STATES_BUTTON, danger), "btn_danger")

    def option(svg: Svg, state: str) -> None:
        if state == "hover":
            plate(svg, 48, 36, paint("bg_hover", 0.7), None)
        elif state == "pushed":
            plate(svg, 48, 36, "bg_pressed", None)
    save(strip(48, 36, STATES_CHECK_BUTTON, option), "option_bg")


def fields() -> None:
    """Inputs and drop-down lists (nine-slice, margins 10)."""
    looks = {
        "normal": ("bg_input", "border"), "hover": ("#131821", "border_strong"),
        "pushed": ("bg_input", "accent"), "disabled": ("bg_panel", "divider"),
    }

    def field(svg: Svg, state: str) -> None:
        fill, border = looks[state]
        plate(svg, 48, 36, fill, border)
    for name in ("cbox_profile_normal", "state_color_effects", "input_bg"):
        save(strip(48, 36, STATES_BUTTON, field), name)

    def inline(svg: Svg, state: str) -> None:
        if state == "hover":
            plate(svg, 48, 28, None, "border_strong", radius=6)
        elif state == "pushed":
            plate(svg, 48, 28, "bg_input", "accent", radius=6)
    save(strip(48, 28, STATES_BUTTON, inline), "inline_edit")

    svg = Svg(48, 32)
    svg.rect(0, 0, 48, 32, rx=6, fill="bg_row_selected")
    svg.rect(0, 8, 3, 16, rx=1.5, fill="accent")
    save(svg, "cbox_profile_selected")

    def dropdown(svg: Svg, state: str) -> None:
        ink = {"normal": "text_dim", "hover": "text_strong", "pushed": "accent",
               "disabled": "text_disabled"}[state]
        glyph(svg, "chevron", 0, 0, colour(ink))
    save(strip(20, 20, STATES_BUTTON, dropdown), "btn_dropdown")


def panels() -> None:
    def panel(name: str) -> None:
        svg = Svg(48, 48)
        plate(svg, 48, 48, "bg_input", "border", radius=skinlib.RADIUS_PANEL)
        save(svg, name)
    panel("bg_macro_group")
    panel("image_bg_macro_content")

    svg = Svg(48, 32)
    plate(svg, 48, 32, paint("accent", 0.10), paint("accent", 0.55))
    save(svg, "bg_macr_keys")

    def header(svg: Svg, state: str) -> None:
        if state == "hover":
            svg.rect(0, 0, 48, 31, rx=4, fill=paint("bg_hover", 0.6))
        elif state == "pushed":
            svg.rect(0, 0, 48, 31, rx=4, fill="bg_pressed")
        svg.rect(0, 31, 48, 1, fill="divider")
        svg.rect(47, 9, 1, 14, fill="divider")
    save(strip(48, 32, ("normal", "hover", "pushed"), header), "list_header")

    def sort_mark(svg: Svg, direction: str) -> None:
        d = "M3 7.5L6 4.5L9 7.5" if direction == "ascending" else "M3 4.5L6 7.5L9 4.5"
        svg.path(d, stroke="accent", stroke_width=skinlib.STROKE_ICON)
    save(strip(12, 12, ("ascending", "descending"), sort_mark), "sort_mark")

    def pill(svg: Svg, state: str) -> None:
        fill, border = {
            "normal": ("bg_raised", "border"), "hover": ("bg_hover", "border_strong"),
            "pushed": ("accent_deep", "accent"), "disabled": ("bg_panel", "divider"),
        }[state]
        plate(svg, 48, 32, fill, border, radius=16, highlight=0.05)
    save(strip(48, 32, STATES_BUTTON, pill), "state_func_bg")


def tabs() -> None:
    def tab(svg: Svg, state: str) -> None:
        head = "M0 8A8 8 0 0 1 8 0H40A8 8 0 0 1 48 8V44H0Z"
        if state == "hover":
            svg.path(head, fill=paint("bg_hover", 0.6))
        elif state == "selected":
            svg.path(head, fill="bg_raised")
            svg.rect(0, 41, 48, 3, rx=1.5, fill="accent")
    save(strip(48, 44, STATES_TAB, tab), "tab_item")

    svg = Svg(48, 44)
    svg.rect(0, 43, 48, 1, fill="divider")
    save(svg, "tab_head_bg")

    # Page icons sit 2 pixels down in a 20 x 24 frame so that the hover animation can lift them.
    pages = ["macro", "key", "media", "function"]
    base, lit = colour("text"), colour("accent_hover")
    lifts = [0, -0.5, -1, -1.5, -1.5]

    def rest(svg: Svg, page: str) -> None:
        glyph(svg, page, 0, 2, base)
    save(strip(20, 24, pages, rest), "tab_icons")

    for page in pages:
        def entering(svg: Svg, frame: int, page=page) -> None:
            glyph(svg, page, 0, 2 + lifts[frame], mix(base, lit, frame / 4))

        def leaving(svg: Svg, frame: int, page=page) -> None:
            glyph(svg, page, 0, 2 + lifts[4 - frame], mix(lit, base, frame / 4))
        save(strip(20, 24, list(range(5)), entering), "tab_{}_in".format(page))
        save(strip(20, 24, list(range(5)), leaving), "tab_{}_out".format(page))


# Check-style controls ----------------------------------------------------------------------------

def radio_icon() -> None:
    def draw(svg: Svg, state: str) -> None:
        checked = state.startswith("checked")
        plain = state.replace("checked_", "").replace("checked", "normal")
        if checked:
            ring = {"normal": "accent", "hover": "accent_hover", "pushed": "accent_pressed",
                    "disabled": "text_disabled"}[plain]
            svg.circle(9, 9, 7, stroke=ring, stroke_width=2)
            svg.circle(9, 9, 3.5, fill=ring)
        else:
            ring = {"normal": "border_strong", "hover": "text_dim", "pushed": "accent",
                    "disabled": "border"}[plain]
            svg.circle(9, 9, 7, fill="bg_input", stroke=ring, stroke_width=2)
    save(strip(18, 18, STATES_CHECK_ICON, draw), "radio_direction")


def record_icons() -> None:
    def record(svg: Svg, state: str) -> None:
        checked = state.startswith("checked")
        plain = state.replace("checked_", "").replace("checked", "normal")
        fill = {"normal": "danger", "hover": "danger_hover", "pushed": "danger_pressed",
                "disabled": "text_disabled"}[plain]
        if checked:
            svg.circle(10, 10, 9, fill=paint(fill, 0.22))
            svg.rect(6, 6, 8, 8, rx=2, fill=fill)
        else:
            svg.circle(10, 10, 8.5, stroke=paint(fill, 0.45), stroke_width=1)
            svg.circle(10, 10, 5.5, fill=fill)
    save(strip(20, 20, STATES_CHECK_ICON, record), "state_record")

    # The single-key page shows this box disabled as its capture indicator, so the disabled
    # frames are drawn lit.
    def capture(svg: Svg, state: str) -> None:
        ink = {"normal": "text_dim", "hover": "text_strong", "pushed": "accent",
               "disabled": "accent", "checked": "accent", "checked_hover": "accent_hover",
               "checked_pushed": "accent_pressed", "checked_disabled": "accent"}[state]
        if state.startswith("checked") or state == "disabled":
            svg.circle(10, 10, 9.5, fill=paint("accent", 0.16))
        glyph(svg, "target", 0, 0, colour(ink))
    save(strip(20, 20, STATES_CHECK_ICON, capture), "state_capture")


def swatches() -> None:
    def swatch(name: str, fill_for, slashed: bool = False) -> None:
        def draw(svg: Svg, state: str) -> None:
            checked = state.startswith("checked")
            plain = state.replace("checked_", "").replace("checked", "normal")
            svg.open_group(opacity=0.35 if plain == "disabled" else None)
            fill, tick = fill_for(svg)
            svg.circle(10, 10, 9, fill=fill)
            edge = {"normal": paint("#ffffff", 0.14), "hover": paint("#ffffff", 0.55),
                    "pushed": paint("#000000", 0.35), "disabled": paint("#ffffff", 0.14)}[plain]
            svg.circle(10, 10, 8.5, stroke=edge, stroke_width=1)
            if plain == "pushed":
                svg.circle(10, 10, 9, fill=paint("#000000", 0.18))
            if slashed:
                svg.path("M5 15L15 5", stroke="accent" if checked else "text_dim",
                         stroke_width=2)
            elif checked:
                svg.path("M6 10.5L8.75 13.25L14 7.5", stroke=tick, stroke_width=2)
            svg.close_group()
        save(strip(20, 20, STATES_CHECK_ICON, draw), name)

    for key, _label, value in LED_COLOURS:
        tick = colour("text_on_accent") if skinlib.luminance(value) > 0.6 else "#ffffff"
        swatch("swatch_" + key, lambda svg, v=value, t=tick: (v, t))

    def rainbow(svg: Svg):
        stops = [(i / 6, c) for i, c in enumerate(
            ["#ff3b3b", "#ffd60a", "#2bea5b", "#1fe0ff", "#2f6bff", "#c04dff", "#ff3b3b"])]
        return svg.linear(stops, x1=0, y1=0, x2=1, y2=1), "#ffffff"
    swatch("state_auto_color", rainbow)

    def off(svg: Svg):
        return colour("bg_raised"), colour("accent")
    swatch("swatch_off", off, slashed=True)

    def ring(svg: Svg, state: str) -> None:
        if state == "hover":
            svg.circle(14, 14, 13, stroke="border_strong", stroke_width=1.5)
        elif state == "pushed":
            svg.circle(14, 14, 13, stroke="accent_deep", stroke_width=2)
        elif state == "checked":
            svg.circle(14, 14, 13, stroke="accent", stroke_width=2)
    save(strip(28, 28, STATES_CHECK_BUTTON, ring), "state_color_select")


def slider() -> None:
    svg = Svg(40, 36)
    svg.rect(0, 15, 40, 6, rx=3, fill="#262e3a")
    save(svg, "bg_progress_bg")

    svg = Svg(40, 36)
    svg.rect(0, 15, 40, 6, rx=3, fill="accent")
    save(svg, "bg_progress_pos")

    def thumb(svg: Svg, state: str) -> None:
        if state == "hover":
            svg.circle(12, 12, 11.5, fill=paint("accent", 0.22))
        if state == "pushed":
            svg.circle(12, 12, 11.5, fill=paint("accent", 0.32))
            svg.circle(12, 12, 8, fill="accent", stroke="accent_hover", stroke_width=2)
        elif state == "disabled":
            svg.circle(12, 12, 8, fill="text_disabled")
        else:
            svg.circle(12, 12, 8, fill="text_strong", stroke="accent", stroke_width=2)
    save(strip(24, 24, STATES_BUTTON, thumb), "state_progres_thum")


# Icons and marks ---------------------------------------------------------------------------------

def logo_mark(svg: Svg, size: float, state: str = "normal") -> None:
    """The Keyloom mark on a 28-unit grid: a rounded key with a K in it."""
    s = size / 28.0
    svg.open_group(scale=s)
    top, bottom = {"normal": ("accent", "accent_alt"), "hover": ("accent_hover", "#60a5fa"),
                   "pushed": ("accent_pressed", "#2563eb"),
                   "disabled": ("border_strong", "border")}[state]
    svg.rect(0, 0, 28, 28, rx=8, fill=svg.linear([(0, top), (1, bottom)], x1=0, y1=0, x2=1,
                                                  y2=1))
    svg.path("M5 1.5H23", stroke=paint("#ffffff", 0.35), stroke_width=1, cap="round")
    ink = colour("text_on_accent") if state != "disabled" else colour("bg_panel")
    svg.path("M10 8V20M18.5 8L12.5 14L18.5 20", stroke=ink, stroke_width=2.75)
    svg.circle(20.5, 14, 1.75, fill=ink)
    svg.close_group()


def logos() -> None:
    def draw(svg: Svg, state: str) -> None:
        logo_mark(svg, 28, state)
    save(strip(28, 28, STATES_BUTTON, draw), "table_main_icon")
    svg = Svg(64, 64)
    logo_mark(svg, 64)
    save(svg, "logo")


def section_icons() -> None:
    for name, glyph_name in (("ioc_func_macro", "keyboard"), ("ioc_func_rgb", "rgb"),
                             ("icon_color_effects", "sparkles")):
        svg = Svg(24, 24)
        glyph(svg, glyph_name, 0, 0, colour("accent"), table=GLYPHS_24, dots={})
        save(svg, name)
    for name, glyph_name in (("cbox_profile_ico", "layers"), ("icon_status", "plug")):
        svg = Svg(20, 20)
        glyph(svg, glyph_name, 0, 0, colour("text_dim"))
        save(svg, name)


# The frames of the message box icons, in the order of the program's MessageBoxIcon values
# (src/ui/host/SMessageBox.h), each kind in a tone of its own.
MESSAGE_ICONS = (("information", "accent"), ("question", "accent_alt"), ("warning", "warning"),
                 ("error", "danger"))


def message_icons() -> None:
    def draw(svg: Svg, kind: str) -> None:
        tone = dict(MESSAGE_ICONS)[kind]
        if kind == "warning":
            d = "M17.4 6.5A3 3 0 0 1 22.6 6.5L36.1 30.5A3 3 0 0 1 33.5 35H6.5A3 3 0 0 1 " \
                "3.9 30.5Z"
            svg.path(d, fill=paint(tone, 0.16), stroke=tone, stroke_width=2)
            svg.path("M20 15V23", stroke=tone, stroke_width=2.5)
            svg.circle(20, 28.5, 1.6, fill=tone)
            return
        svg.circle(20, 20, 17, fill=paint(tone, 0.16), stroke=tone, stroke_width=2)
        if kind == "information":
            svg.path("M20 18V28", stroke=tone, stroke_width=2.5)
            svg.circle(20, 13, 1.6, fill=tone)
        elif kind == "question":
            svg.path("M15.5 16A4.5 4.5 0 1 1 21.5 20.2C20.6 20.6 20 21.4 20 22.4V23.5",
                     stroke=tone, stroke_width=2.5)
            svg.circle(20, 28.5, 1.6, fill=tone)
        else:
            svg.path("M14.5 14.5L25.5 25.5M25.5 14.5L14.5 25.5", stroke=tone, stroke_width=2.5)
    # In the order of the program's icon kinds (ui::MessageBoxIcon).
    save(strip(40, 40, [kind for kind, _tone in MESSAGE_ICONS], draw), "msg_icons")


# Backgrounds and illustrations -------------------------------------------------------------------

def backdrop(svg: Svg, w: int, h: int, glows) -> None:
    svg.rect(0, 0, w, h, fill=svg.linear([(0, "#10141a"), (1, "#0b0e12")]))
    for cx, cy, r, tone, strength in glows:
        svg.circle(cx, cy, r, fill=svg.radial([(0, tone, strength), (1, tone, 0)]))
    grid = []
    for x in range(40, w, 40):
        grid.append("M{}.5 0V{}".format(x, h))
    for y in range(40, h, 40):
        grid.append("M0 {}.5H{}".format(y, w))
    svg.path("".join(grid), stroke=paint("#ffffff", 0.022), stroke_width=1, cap="butt")


def backgrounds() -> None:
    svg = Svg(1180, 720)
    backdrop(svg, 1180, 720, [(260, 260, 560, colour("accent"), 0.09),
                              (1040, 720, 520, colour("accent_alt"), 0.08)])
    save(svg, "table_main_bg")

    svg = Svg(900, 600)
    backdrop(svg, 900, 600, [(120, 80, 420, colour("accent"), 0.08),
                             (860, 600, 420, colour("accent_alt"), 0.07)])
    save(svg, "win_macro_bg")

    # The band of the key assignment dialog; its right half holds a text.
    svg = Svg(852, 44)
    plate(svg, 852, 44, "bg_panel", "divider", radius=skinlib.RADIUS_PANEL)
    save(svg, "kb_macro_bg")


def glow_rings(svg: Svg, cx: float, cy: float) -> None:
    for radius, strength in ((22, 0.45), (34, 0.25), (46, 0.12)):
        svg.circle(cx, cy, radius, stroke=paint("accent", strength), stroke_width=1.5)


def mini_key(svg: Svg, x, y, w, h, lit: bool, radius=3.5) -> None:
    if lit:
        svg.rect(x - 4, y - 4, w + 8, h + 8, rx=radius + 3, fill=paint("accent", 0.18))
        svg.rect(x, y, w, h, rx=radius, fill="accent")
    else:
        svg.rect(x, y, w, h, rx=radius, fill="#2a3140", stroke="#343d4d", stroke_width=1)


def demos() -> None:
    """The illustration of the single-key page, 320 x 120."""
    case = [(0, "#1a2029"), (1, "#0f1318")]

    svg = Svg(320, 120)
    svg.rect(0.5, 12.5, 319, 95, rx=12, fill=svg.linear(case), stroke="border", stroke_width=1)
    lit = (4, 2)
    widths = [[1] * 14, [1.5] + [1] * 12 + [1.5], [1.75] + [1] * 11 + [2.25],
              [2.25] + [1] * 10 + [2.75]]
    unit, left, top = 20, 20, 24
    for row, keys in enumerate(widths):
        x = 0.0
        for col, width in enumerate(keys):
            mini_key(svg, left + x * unit, top + row * 18, width * unit - 3, 15,
                     (col, row) == lit)
            x += width
    glow_rings(svg, left + 4 * unit + 8.5, top + 2 * 18 + 7.5)
    save(svg, "img_keboard_demo")


def keycap() -> None:
    """The lit keycap of the media-key and shortcut pictures: 64 x 64, a nine-slice frame with
    16-pixel margins, glowing around its edge."""
    svg = Svg(64, 64)
    svg.rect(1, 1, 62, 62, rx=16, fill=paint("accent", 0.16))
    svg.rect(6, 6, 52, 52, rx=11, fill="accent")
    svg.rect(9, 8, 46, 40, rx=9, fill=paint("#ffffff", 0.14))
    save(svg, "keycap")


# The media keys of the keyboard's usages 0xE8-0xFB, one glyph each, in the order of their usages;
# the key assignment dialog picks a frame by usage.
MEDIA_GLYPHS = ("play_pause", "stop", "previous", "next", "eject", "volume_up", "volume_down",
                "mute", "browser", "back", "forward", "stop", "search", "scroll_up",
                "scroll_down", "edit", "sleep", "coffee", "refresh", "calculator")


def media_glyphs() -> None:
    """32 x 32 glyphs drawn dark on the lit keycap."""
    def draw(svg: Svg, name: str) -> None:
        media_key_glyph(svg, name, colour("text_on_accent"))
    save(strip(32, 32, MEDIA_GLYPHS, draw), "media_glyphs")


def media_key_glyph(svg: Svg, name: str, ink: str) -> None:
    stroke = 2.5
    if name == "play_pause":
        svg.path("M6 9L15 16L6 23Z", fill=ink)
        svg.path("M20 9V23M26 9V23", stroke=ink, stroke_width=stroke)
    elif name == "stop":
        svg.rect(9, 9, 14, 14, rx=2, fill=ink)
    elif name == "next":
        svg.path("M8 9L18 16L8 23Z", fill=ink)
        svg.path("M23 9V23", stroke=ink, stroke_width=stroke)
    elif name == "previous":
        svg.path("M24 9L14 16L24 23Z", fill=ink)
        svg.path("M9 9V23", stroke=ink, stroke_width=stroke)
    elif name == "eject":
        svg.path("M16 7L25 18H7Z", fill=ink)
        svg.path("M7 24H25", stroke=ink, stroke_width=stroke)
    elif name in ("volume_up", "volume_down", "mute"):
        svg.path("M5 13H10L16 8V24L10 19H5Z", fill=ink)
        if name == "mute":
            svg.path("M20 12L27 20M27 12L20 20", stroke=ink, stroke_width=stroke)
        else:
            svg.path("M20 16H28", stroke=ink, stroke_width=stroke)
            if name == "volume_up":
                svg.path("M24 12V20", stroke=ink, stroke_width=stroke)
    elif name == "browser":
        svg.circle(16, 16, 10, stroke=ink, stroke_width=2)
        svg.path("M6 16H26M16 6C12 9 12 23 16 26M16 6C20 9 20 23 16 26", stroke=ink,
                 stroke_width=2)
    elif name in ("back", "forward"):
        d = "M25 16H8M14 10L8 16L14 22" if name == "back" else "M7 16H24M18 10L24 16L18 22"
        svg.path(d, stroke=ink, stroke_width=stroke)
    elif name == "search":
        svg.circle(14, 14, 7, stroke=ink, stroke_width=stroke)
        svg.path("M19 19L26 26", stroke=ink, stroke_width=stroke)
    elif name in ("scroll_up", "scroll_down"):
        d = "M9 19L16 12L23 19" if name == "scroll_up" else "M9 13L16 20L23 13"
        svg.path(d, stroke=ink, stroke_width=stroke)
    elif name == "edit":
        svg.path("M8 24L9 19L20 8L24 12L13 23Z", stroke=ink, stroke_width=2)
        svg.path("M17 11L21 15", stroke=ink, stroke_width=2)
    elif name == "sleep":
        svg.path("M21 7A10 10 0 1 0 25 21A8 8 0 0 1 21 7Z", fill=ink)
    elif name == "coffee":
        svg.path("M7 12H21V19A5 5 0 0 1 16 24H12A5 5 0 0 1 7 19Z", stroke=ink, stroke_width=2)
        svg.path("M21 14H23A3 3 0 0 1 23 20H21M11 6V9M15 6V9", stroke=ink, stroke_width=2)
    elif name == "refresh":
        svg.path("M24 16A8 8 0 1 1 21.5 10.2", stroke=ink, stroke_width=stroke)
        svg.path("M22.5 5V10.5H17", stroke=ink, stroke_width=stroke)
    elif name == "calculator":
        svg.rect(8, 5, 16, 22, rx=3, stroke=ink, stroke_width=2)
        svg.rect(11, 8, 10, 5, rx=1, fill=ink)
        for x in (12, 16, 20):
            for y in (17, 22):
                svg.circle(x, y, 1.4, fill=ink)


# Colour table ------------------------------------------------------------------------------------

def colour_table(uires: str) -> None:
    lines = [
        '<?xml version="1.0" encoding="utf-8"?>',
        "<!-- Written by tools/skin/make_images.py from its palette: edit the palette there so",
        "     that the images and these colours stay the same. -->",
        "<color>",
    ]
    for name, value in PALETTE.items():
        lines.append('\t<text name="{}" value="{}"/>'.format(name, value))
    lines.append('\t<text name="transparent" value="#00000000"/>')
    for key, _label, value in LED_COLOURS:
        lines.append('\t<text name="led_{}" value="{}"/>'.format(key, value))
    lines.append("</color>")
    skinlib.write_text(os.path.join(uires, "values", "color.xml"), "\n".join(lines) + "\n")


def main() -> None:
    global OUT
    parser = argparse.ArgumentParser(description="Writes the skin's images and colour table.")
    parser.add_argument("--out", default=skinlib.uires_dir(),
                        help="the skin folder to write into (default: skin/uires)")
    uires = parser.parse_args().out
    OUT = os.path.join(uires, "image")
    for name, glyph_name in (("state_add", "plus"), ("state_del", "trash"),
                             ("state_import", "import"), ("state_export", "export"),
                             ("state_up", "up"), ("state_down", "down"),
                             ("state_clear", "clear")):
        icon_button(name, glyph_name)
    for name, glyph_name in (("btn_min", "min"), ("btn_max", "max"),
                             ("btn_restore", "restore")):
        title_button(name, glyph_name)
    title_button("btn_close", "close", danger=True)
    more_button()
    text_buttons()
    fields()
    panels()
    tabs()
    radio_icon()
    record_icons()
    swatches()
    slider()
    logos()
    section_icons()
    message_icons()
    backgrounds()
    demos()
    keycap()
    media_glyphs()
    colour_table(uires)


if __name__ == "__main__":
    main()

"""Draws an approximate picture of a window from its layout, for tools/skin/preview.py.

The picture uses the skin's own images, nine-slice margins, colours, style classes and texts
(optionally translated), with every control in its resting state except those listed in
CHECKED, and sample rows in the lists. It is a design aid: the program's toolkit decides the
real drawing.
"""

from __future__ import annotations

import os
import xml.etree.ElementTree as ET
from xml.sax.saxutils import escape

import check_skin
import skinlib
from skinlib import Svg, num

CHECKED = {
    "radio_direction_left", "bar_color3", "udef_area1_color2", "udef_area2_color5",
    "udef_area3_color1", "udef_area4_color8", "udef_area5_color3", "udef_area6_color6",
    "chk_macro_realy_delay",
}
SAMPLE_TEXT = {
    "text_recording_keys": "Ctrl Left,A",
    "edit_single_key": "F5",
    "cmb_media_keys": "Play/Pause",
    "cmb_function_keys": "Copy",
    "edit_macro_repeat_times": "1",
    "edit_macro_delay_time": "50",
    "msgtext": "Restore the factory settings? The key assignments of all three profiles and the lighting are reset on the keyboard. Your macros on this computer are kept.",
}
SAMPLE_ROWS = {
    "macro_group": [{"group_name": "Group 1"}, {"group_name": "Reload"},
                    {"group_name": "Build order"}],
    "key_info": [
        {"key_code": "224", "key_name": "Ctrl Left", "key_state": "key down", "key_delay": "35"},
        {"key_code": "4", "key_name": "A", "key_state": "key down", "key_delay": "120"},
        {"key_code": "4", "key_name": "A", "key_state": "key up", "key_delay": "20"},
        {"key_code": "224", "key_name": "Ctrl Left", "key_state": "key up", "key_delay": "0"},
    ],
}
FONT = "Noto Sans, Noto Sans CJK SC"


class Mockup:
    def __init__(self, uires: str, png_dir: str, keyboard_png: str, translation: dict):
        self.hidden = frozenset()
        self.selections = {}
        self.report = check_skin.Report()
        self.skin = check_skin.Skin(uires, self.report)
        self.values = check_skin.Values(self.skin, self.report)
        self.png_dir = png_dir
        self.keyboard_png = keyboard_png
        self.translation = translation
        self.skin_elements = {}
        root = self.skin.xml("values:skin")
        for entry in root:
            self.skin_elements[entry.get("name")] = entry

    # Helpers -----------------------------------------------------------------------------------

    def tr(self, text: str) -> str:
        if text.startswith("@string/"):
            text = self.values.strings.get(text[8:], text)
        return self.translation.get(text, text)

    def colour(self, value: str | None, default: str) -> str:
        if not value:
            return default
        if value.startswith("@color/"):
            value = self.values.colours.get(value[7:], default)
        return value

    def paint_attrs(self, value: str) -> str:
        """fill and fill-opacity for a #RRGGBB or #RRGGBBAA colour."""
        if len(value) == 9:
            return 'fill="{}" fill-opacity="{}"'.format(value[:7], num(int(value[7:], 16) / 255))
        return 'fill="{}"'.format(value)

    def image_href(self, resource: str) -> tuple[str, int, int] | None:
        path = self.skin.path(resource)
        if path is None:
            return None
        width, height = check_skin.image_size(path)
        png = os.path.join(self.png_dir, os.path.basename(path)[:-4] + ".png")
        return png, width, height

    def draw_skin(self, svg: Svg, name: str, x, y, w, h, state: int = 0) -> None:
        entry = self.skin_elements.get(name)
        if entry is None or w <= 0 or h <= 0:
            return
        if entry.tag == "colorrect":
            key = ("normal", "hover", "pushed", "disabled")[min(max(state, 0), 3)]
            fill = self.colour(entry.get(key) or entry.get("normal"), "#00000000")
            border = entry.get("border")
            radius = entry.get("radius", "0")
            svg.raw('<rect x="{}" y="{}" width="{}" height="{}" rx="{}" {}{}/>'.format(
                num(x), num(y), num(w), num(h), radius, self.paint_attrs(fill),
                ' stroke="{}" stroke-width="{}"'.format(self.colour(border, "#000000")[:7],
                                                        entry.get("borderWidth", "1"))
                if border else ""))
            return
        image = self.image_href(entry.get("src", ""))
        if image is None:
            return
        href, width, height = image
        states = int(entry.get("states", "1"))
        frame_w = width / states
        state = min(max(state, 0), states - 1)
        source_x = state * frame_w
        if entry.tag == "imglist":
            self.blit(svg, href, width, height, (source_x, 0, frame_w, height), (x, y, w, h))
            return
        left, top, right, bottom = (int(v) for v in entry.get("margin").split(","))
        xs_src = [0, left, frame_w - right, frame_w]
        ys_src = [0, top, height - bottom, height]
        xs_dst = [0, left, w - right, w]
        ys_dst = [0, top, h - bottom, h]
        for i in range(3):
            for j in range(3):
                sw, sh = xs_src[i + 1] - xs_src[i], ys_src[j + 1] - ys_src[j]
                dw, dh = xs_dst[i + 1] - xs_dst[i], ys_dst[j + 1] - ys_dst[j]
                if sw > 0 and sh > 0 and dw > 0 and dh > 0:
                    self.blit(svg, href, width, height,
                              (source_x + xs_src[i], ys_src[j], sw, sh),
                              (x + xs_dst[i], y + ys_dst[j], dw, dh))

    @staticmethod
    def blit(svg: Svg, href: str, width, height, source, target) -> None:
        sx, sy, sw, sh = source
        tx, ty, tw, th = target
        svg.raw('<svg x="{}" y="{}" width="{}" height="{}" viewBox="{} {} {} {}" '
                'preserveAspectRatio="none"><image width="{}" height="{}" href="{}" '
                'preserveAspectRatio="none"/></svg>'.format(
                    num(tx), num(ty), num(tw), num(th), num(sx), num(sy), num(sw), num(sh),
                    width, height, href))

    def skin_size(self, name: str) -> tuple[float, float]:
        return self.values.skins.get(name, {"size": (0, 0)})["size"]

    def draw_text(self, svg: Svg, text: str, x, y, w, h, style: dict, colour_key="colortext"):
        if not text:
            return
        size, bold = check_skin.font_of(style)
        fill = self.colour(style.get(colour_key), skinlib.colour("text"))
        align, valign = style.get("align", "left"), style.get("valign", "middle")
        lines = [text]
        if style.get("multilines") == "1":
            lines = self.wrap(text, w, size, bold)
        line_h = size * 1.45
        block = line_h * len(lines)
        if valign == "top":
            first = y + size * 1.05
        elif valign == "bottom":
            first = y + h - block + size * 1.05
        else:
            first = y + (h - block) / 2 + size * 1.05
        anchor = {"left": "start", "center": "middle", "right": "end"}[align]
        tx = {"left": x, "center": x + w / 2, "right": x + w}[align]
        for index, line in enumerate(lines):
            svg.raw('<text x="{}" y="{}" font-family="{}" font-size="{}"{} text-anchor="{}" '
                    'fill="{}">{}</text>'.format(
                        num(tx), num(first + index * line_h), FONT, size,
                        ' font-weight="bold"' if bold else "", anchor, fill[:7], escape(line)))

    @staticmethod
    def wrap(text: str, width, size, bold) -> list[str]:
        wide = any(check_skin.is_wide(c) for c in text)
        tokens = list(text) if wide else text.split(" ")
        joiner = "" if wide else " "
        lines, current = [], ""
        for token in tokens:
            candidate = current + joiner + token if current else token
            if check_skin.text_width(candidate, size, bold) / check_skin.TEXT_WIDTH_MARGIN > width \
                    and current:
                lines.append(current)
                current = token
            else:
                current = candidate
        if current:
            lines.append(current)
        return lines

    # Controls ----------------------------------------------------------------------------------

    def render(self, resource: str, target_svg: str, hidden=frozenset(),
               selections=None) -> None:
        """Draws the layout without the controls named in hidden; selections maps comboboxes
        to the entry they show."""
        self.hidden = hidden
        self.selections = selections or {}
        layout = check_skin.Layout(resource, self.skin, self.values, self.report)
        root = layout.root
        svg = Svg(int(root.rect.width), int(root.rect.height))
        svg.rect(0, 0, root.rect.width, root.rect.height, fill=skinlib.colour("bg_window"))
        self.draw_control(svg, root, 0, 0, layout)
        skinlib.write_text(target_svg, svg.document())

    def draw_control(self, svg: Svg, control, ox: float, oy: float, layout) -> None:
        style = control.style(self.values.classes)
        if style.get("visible", "1") == "0" or control.name in self.hidden:
            return
        rect = control.rect
        x, y, w, h = ox + rect.left, oy + rect.top, rect.width, rect.height
        tag = control.tag
        if style.get("colorbkgnd"):
            svg.raw('<rect x="{}" y="{}" width="{}" height="{}" {}/>'.format(
                num(x), num(y), num(w), num(h),
                self.paint_attrs(self.colour(style["colorbkgnd"], "#000000"))))
        checked = control.name in CHECKED or style.get("checked") == "1"
        text = self.tr((control.element.text or "").strip() or style.get("text", "")
                       or SAMPLE_TEXT.get(control.name, ""))
        margin = [int(v) for v in style.get("margin", "0,0,0,0").split(",")]
        inner = (x + margin[0], y + margin[1], w - margin[0] - margin[2],
                 h - margin[1] - margin[3])

        if tag in ("checkex", "radioex"):
            skin_name = style.get("skin")
            if skin_name:
                states = self.values.skins[skin_name]["states"]
                self.draw_skin(svg, skin_name, x, y, w, h, states - 1 if checked else 0)
            icon = style.get("iconskin")
            icon_w = 0
            if icon:
                icon_w, icon_h = self.skin_size(icon)
                ix, iy = (int(v) for v in style.get("iconpos", "0,0").split(","))
                enabled = style.get("enable", "1") != "0"
                index = (4 if checked else 0) + (0 if enabled else 3)
                self.draw_skin(svg, icon, x + ix, y + iy, icon_w, icon_h, index)
                icon_w += ix
            offset = icon_w + int(style.get("textx", "0"))
            key = "colortextdisabled" if style.get("enable", "1") == "0" else "colortext"
            self.draw_text(svg, text, x + offset, y, w - offset, h, style, key)
            return
        if tag == "img":
            self.draw_skin(svg, style.get("skin", ""), x, y, w, h,
                           int(style.get("iconindex", "0")))
            return
        if style.get("skin") and tag not in ("tabctrl2",):
            self.draw_skin(svg, style["skin"], x, y, w, h, 0)
        if tag == "cbimg":
            svg.raw('<image x="{}" y="{}" width="{}" height="{}" href="{}"/>'.format(
                num(x), num(y), num(w), num(h), self.keyboard_png))
            return
        if tag == "combobox":
            items = [c for c in layout.controls if c.tag == "item" and c.parent is control]
            current = self.selections.get(control.name, int(style.get("cursel", "0")))
            shown = SAMPLE_TEXT.get(control.name, "")
            if items and current < len(items):
                item = items[current].element
                shown = item.get("text") or (item.text or "").strip()
            button = style.get("btnskin")
            bw, bh = self.skin_size(button) if button else (0, 0)
            self.draw_text(svg, self.tr(shown), inner[0], inner[1], inner[2] - bw, inner[3],
                           style)
            if button:
                self.draw_skin(svg, button, x + w - bw - margin[2], y + (h - bh) / 2, bw, bh)
            return
        if tag == "sliderbar":
            value = int(style.get("value", "0"))
            low, high = int(style.get("min", "0")), int(style.get("max", "1"))
            thumb = style.get("thumbskin")
            tw, th = self.skin_size(thumb)
            self.draw_skin(svg, style.get("bkgndskin", ""), x, y, w, h)
            position = x + tw / 2 + (w - tw) * (value - low) / max(high - low, 1)
            self.draw_skin(svg, style.get("posskin", ""), x, y, position - x, h)
            self.draw_skin(svg, thumb, position - tw / 2, y + (h - th) / 2, tw, th)
            return
        if tag in ("text", "button", "edit", "editex"):
            self.draw_text(svg, text, inner[0], inner[1], inner[2], inner[3], style)
            return
        if tag == "tabctrl2":
            self.draw_tabs(svg, control, x, y, w, h, style, layout)
            return
        if tag in ("listview", "mclistview"):
            self.draw_list(svg, control, inner, style, layout)
            return
        for child in control.children:
            if child.rect is not None:
                self.draw_control(svg, child, inner[0], inner[1], layout)

    def draw_tabs(self, svg: Svg, control, x, y, w, h, style, layout) -> None:
        strip_h = float(style.get("tabheight", "0"))
        tab_w = float(style.get("tabwidth", "0"))
        self.draw_skin(svg, style.get("tabheadbgskin", ""), x, y, w, strip_h)
        current = self.selections.get(control.name, int(style.get("cursel", "0")))
        pages = [c for c in control.children if c.tag in ("page", "page2")]
        for index, page in enumerate(pages):
            tx = x + index * tab_w
            self.draw_skin(svg, style.get("tabskin", ""), tx, y, tab_w, strip_h,
                           2 if index == current else 0)
            icon = style.get("iconskin")
            if icon:
                iw, ih = self.skin_size(icon)
                self.draw_skin(svg, icon, tx + float(style.get("icon-x", "0")),
                               y + float(style.get("icon-y", "0")), iw, ih,
                               int(page.attrs.get("iconindex", str(index))))
            text_x = float(style.get("text-x", "0"))
            key = "colortextpushed" if index == current else "colortext"
            self.draw_text(svg, self.tr(page.attrs.get("title", "")), tx + text_x, y,
                           tab_w - text_x, strip_h, style, key)
        if current < len(pages):
            for child in pages[current].children:
                if child.rect is not None:
                    self.draw_control(svg, child, x, y + strip_h, layout)

    def draw_list(self, svg: Svg, control, inner, style, layout) -> None:
        x, y, w, h = inner
        template = control.element.find("template")
        header_h = 0.0
        if control.tag == "mclistview":
            header_h = float(style.get("headerheight", "0"))
            left = x
            header = control.element.find("header")
            for item in header.iter("item"):
                width = float(item.get("width", "0"))
                if header.get("itemSkin"):
                    self.draw_skin(svg, header.get("itemSkin"), left, y, width, header_h)
                self.draw_text(svg, self.tr((item.text or "").strip()), left + 12, y, width - 12,
                               header_h, style)
                left += width
        row_h = float(template.get("itemHeight"))
        for index, sample in enumerate(SAMPLE_ROWS.get(control.name, [])):
            top = y + header_h + index * row_h
            if top + row_h > y + h:
                break
            if style.get("itemskin"):
                self.draw_skin(svg, style["itemskin"], x, top, w, row_h, 2 if index == 0 else 0)
            row = ET.Element("row")
            for child in template:
                row.append(child)
            row_control = check_skin.Control(row, None, check_skin.Rect(0, 0, w, row_h))
            self.fill_row(svg, row_control, x, top, w, row_h, sample)

    def fill_row(self, svg: Svg, row, x, y, w, h, sample) -> None:
        for element in row.element:
            attrs = check_skin.lower_attrs(element)
            rect = check_skin.resolve_pos(attrs["pos"], w, h)
            control = check_skin.Control(element, row, rect)
            style = control.style(self.values.classes)
            cx, cy = x + rect.left, y + rect.top
            if element.tag == "window":
                self.fill_row(svg, control, cx, cy, rect.width, rect.height, sample)
                continue
            if element.tag == "img":
                self.draw_skin(svg, style.get("skin", ""), cx, cy, rect.width, rect.height,
                               int(style.get("iconindex", "0")))
                continue
            name = attrs.get("name", "")
            if element.tag in ("edit", "editex") and style.get("skin"):
                self.draw_skin(svg, style["skin"], cx, cy, rect.width, rect.height, 0)
            margin = [int(v) for v in style.get("margin", "0,0,0,0").split(",")]
            self.draw_text(svg, self.tr(sample.get(name, "")), cx + margin[0], cy,
                           rect.width - margin[0] - margin[2], rect.height, style)

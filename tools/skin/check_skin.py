#!/usr/bin/env python3
"""Checks Keyloom's skin folder against what the program needs from it.

  tools/skin/check_skin.py [--repo DIR] [--uires DIR] [--manifest FILE]

The repository defaults to the one holding this script, the skin folder to skin/uires and the
manifest to skin/manifest.txt in it. What is checked:

  index      uires.idx names every resource of the manifest; every file it names exists, and
             every file of the skin folder is named by it (or by the keyboard picture's crdxml)
  files      every file is well-formed XML; images are SVG with an integer size
  values     the first named string is InstanceName; colours parse; skins name existing images
             whose width divides into their frames; nine-slice margins fit a frame
  layouts    well-formed, SOUI with a root; includes resolve; tags are known; skins, images,
             style classes, @string and @color references resolve; every control the manifest
             asks for is there with an accepted tag (and inside its parent, and grouped with its
             radio partners); tab pages and list entries are counted; positions parse, controls
             stay inside their parents, and visible siblings do not overlap, except panels that
             no lighting effect shows together
  texts      both translations hold the same texts, every text of the layouts, menus, the
             program and its catalogues, and nothing else; English maps each English text
             (and a language's own name) to itself and translates the Chinese ones; by a
             conservative estimate of the font's widths, every text fits its control in both
             languages
  menus      the tray menu carries only the commands the program handles; the "more" menu has
             the language items and the upgrade command; the list of assignments holds only
             the item that stands for an empty list; the texts of every menu are shown
  keys       the key coordinate file holds one key per usage of the key name table, with its
             name, inside the keyboard picture, without overlaps, with an opaque-enough colour

Exit status 0 when every check passes, 1 when any fails; each failure is printed on one line.
"""

from __future__ import annotations

import argparse
import copy
import os
import re
import sys
import xml.etree.ElementTree as ET

SVG_NS = "{http://www.w3.org/2000/svg}"

# Tags that a layout may use: the toolkit's controls, the program's own, and the structural
# elements of lists, combo boxes and includes.
CONTROL_TAGS = {
    "window", "caption", "text", "img", "button", "imgbtn", "check", "radio", "edit", "combobox",
    "sliderbar", "tabctrl", "page", "listview", "mclistview", "cbimg", "tabctrl2", "page2",
    "editex", "radioex", "checkex", "anmimg", "shellnotifyicon", "keycaps",
}
STRUCTURE_TAGS = {"items", "item", "header", "template", "include"}
SKIN_ATTRIBUTES = {
    "skin", "iconskin", "btnskin", "thumbskin", "posskin", "bkgndskin", "tabskin",
    "tabinterskin", "frameskin", "tabheadbgskin", "ani_in", "ani_out", "focusskin", "itemskin",
    "sortskin", "capskin", "glyphskin",
}
IMAGE_ATTRIBUTES = {"bg", "chking", "chked"}
COLOUR = re.compile(r"^(#[0-9a-fA-F]{6}([0-9a-fA-F]{2})?|rgba?\(\s*\d+(\s*,\s*\d+){2,3}\s*\))$")
DEFAULT_FONT_SIZE = 13


class Report:
    def __init__(self):
        self.failures: list[str] = []
        self.checks = 0

    def expect(self, condition: bool, message: str) -> bool:
        self.checks += 1
        if not condition:
            self.failures.append(message)
        return condition


def lower_attrs(element) -> dict[str, str]:
    return {k.lower(): v for k, v in element.attrib.items()}


def parse_xml(path: str, report: Report):
    try:
        return ET.parse(path).getroot()
    except (ET.ParseError, OSError) as error:
        report.expect(False, "{}: not well-formed XML ({})".format(path, error))
        return None


def number_list(text: str | None, count: int, default: list[float]) -> list[float]:
    """count comma-separated numbers, or default when text is absent or not that (the layout
    check reports such values)."""
    if text is None:
        return default
    parts = text.split(",")
    try:
        values = [float(part) for part in parts]
    except ValueError:
        return default
    return values if len(values) == count else default


def number(text: str | None, default: float = 0.0) -> float:
    return number_list(text, 1, [default])[0]


# Numeric attributes of controls and how many numbers each holds.
NUMERIC_ATTRIBUTES = {
    "margin": 4, "iconpos": 2, "textx": 1, "texty": 1, "itemheight": 1,
    "headerheight": 1, "tabheight": 1, "tabwidth": 1, "text-x": 1, "text-y": 1, "icon-x": 1,
    "icon-y": 1, "min": 1, "max": 1, "value": 1, "cursel": 1, "iconindex": 1, "maxlength": 1,
}


# Index and files ---------------------------------------------------------------------------------

class Skin:
    """The skin folder as the program sees it: resources by type:name."""

    def __init__(self, uires: str, report: Report):
        self.uires = uires
        self.report = report
        self.files: dict[str, str] = {}
        index = parse_xml(os.path.join(uires, "uires.idx"), report)
        if index is None:
            return
        report.expect(index.tag == "resource", "uires.idx: the document element must be resource")
        for group in index:
            for entry in group:
                key = "{}:{}".format(group.tag, entry.get("name", "")).lower()
                path = entry.get("path", "")
                report.expect(key not in self.files, "uires.idx: {} is named twice".format(key))
                report.expect(os.path.isfile(os.path.join(uires, path)),
                              "uires.idx: the file of {} is missing: {}".format(key, path))
                self.files[key] = path

    def path(self, resource: str) -> str | None:
        relative = self.files.get(resource.lower())
        return os.path.join(self.uires, relative) if relative else None

    def xml(self, resource: str):
        path = self.path(resource)
        return parse_xml(path, self.report) if path and os.path.isfile(path) else None


def image_size(path: str) -> tuple[int, int] | None:
    """The width and height of an SVG image, or None when it has no integer size or cannot
    be read (the file check reports why)."""
    try:
        root = ET.parse(path).getroot()
        return int(root.get("width")), int(root.get("height"))
    except (ET.ParseError, OSError, TypeError, ValueError):
        return None


def check_files(skin: Skin, extra: set[str], report: Report) -> None:
    named = {os.path.normpath(p) for p in skin.files.values()} | extra
    for folder, _dirs, names in os.walk(skin.uires):
        for name in names:
            path = os.path.join(folder, name)
            relative = os.path.normpath(os.path.relpath(path, skin.uires))
            if relative == "uires.idx":
                continue
            report.expect(relative in named, "{}: no resource names this file".format(relative))
            root = parse_xml(path, report)
            if root is None or not name.endswith(".svg"):
                continue
            report.expect(root.tag == SVG_NS + "svg", "{}: not an SVG image".format(relative))
            size = image_size(path)
            report.expect(size is not None and root.get("viewBox") is not None,
                          "{}: an image needs an integer width, height and a viewBox"
                          .format(relative))


# Values ------------------------------------------------------------------------------------------

class Values:
    def __init__(self, skin: Skin, report: Report):
        self.strings: dict[str, str] = {}
        self.colours: dict[str, str] = {}
        self.skins: dict[str, dict] = {}
        self.classes: dict[str, dict[str, str]] = {}
        self._read_strings(skin, report)
        self._read_colours(skin, report)
        self._read_skins(skin, report)
        self._read_uidef(skin, report)

    def _read_strings(self, skin: Skin, report: Report) -> None:
        root = skin.xml("values:string")
        if root is None:
            return
        entries = list(root)
        report.expect(root.tag == "string", "values:string: the document element must be string")
        report.expect(bool(entries) and entries[0].get("name") == "InstanceName"
                      and bool(entries[0].get("value")),
                      "values:string: entry 0 must be InstanceName with a value")
        for entry in entries:
            name = entry.get("name", "")
            report.expect(name not in self.strings, "values:string: {} twice".format(name))
            self.strings[name] = entry.get("value", "")

    def _read_colours(self, skin: Skin, report: Report) -> None:
        root = skin.xml("values:color")
        if root is None:
            return
        report.expect(root.tag == "color", "values:color: the document element must be color")
        for entry in root:
            name, value = entry.get("name", ""), entry.get("value", "")
            report.expect(COLOUR.match(value) is not None,
                          "values:color: {} is not a colour: {}".format(name, value))
            report.expect(name not in self.colours, "values:color: {} twice".format(name))
            self.colours[name] = value

    def resolve_colour(self, value: str, where: str, report: Report) -> None:
        if value.startswith("@color/"):
            report.expect(value[7:] in self.colours, "{}: unknown colour {}".format(where, value))
        else:
            report.expect(COLOUR.match(value) is not None,
                          "{}: not a colour: {}".format(where, value))

    def _read_skins(self, skin: Skin, report: Report) -> None:
        root = skin.xml("values:skin")
        if root is None:
            return
        report.expect(root.tag == "skin", "values:skin: the document element must be skin")
        for entry in root:
            name = entry.get("name", "")
            where = "values:skin {}".format(name)
            report.expect(name not in self.skins, "{}: named twice".format(where))
            info = {"kind": entry.tag, "states": 4 if entry.tag == "colorrect" else 1,
                    "size": (0, 0)}
            if entry.tag in ("imglist", "imgframe"):
                path = skin.path(entry.get("src", ""))
                if report.expect(path is not None and os.path.isfile(path),
                                 "{}: unknown image {}".format(where, entry.get("src"))):
                    states = max(1, int(number(entry.get("states"), 1)))
                    width, height = image_size(path) or (0, 0)
                    report.expect(states >= 1 and width % states == 0,
                                  "{}: width {} does not divide into {} frames"
                                  .format(where, width, states))
                    info["states"] = states
                    info["size"] = (width // max(states, 1), height)
                    if entry.tag == "imgframe":
                        margin = number_list(entry.get("margin"), 4, [-1, -1, -1, -1])
                        frame_w, frame_h = info["size"]
                        report.expect(min(margin) >= 0 and margin[0] + margin[2] <= frame_w
                                      and margin[1] + margin[3] <= frame_h,
                                      "{}: margins larger than a frame".format(where))
            elif entry.tag == "colorrect":
                for attribute in ("normal", "hover", "pushed", "disabled", "checked", "border"):
                    if entry.get(attribute):
                        self.resolve_colour(entry.get(attribute), where, report)
            elif entry.tag == "gradation":
                for attribute in ("from", "to"):
                    self.resolve_colour(entry.get(attribute, ""), where, report)
            else:
                report.expect(False, "{}: unknown kind of skin {}".format(where, entry.tag))
            self.skins[name] = info

    def _read_uidef(self, skin: Skin, report: Report) -> None:
        root = skin.xml("UIDEF:XML_INIT")
        if root is None:
            return
        report.expect(root.tag == "uidef", "UIDEF:XML_INIT: the document element must be uidef")
        font = root.find("font")
        report.expect(font is not None and "CJK" in font.get("face", ""),
                      "UIDEF:XML_INIT: the default font must list a CJK family for Chinese")
        for tag in ("string", "color", "skin"):
            element = root.find(tag)
            report.expect(element is not None and skin.path(element.get("src", "")) is not None,
                          "UIDEF:XML_INIT: {} must name its values resource".format(tag))
        style = root.find("style")
        for entry in (style if style is not None else []):
            self.classes[entry.get("name", "")] = {
                k.lower(): v for k, v in entry.attrib.items() if k != "name"}


# Layouts -----------------------------------------------------------------------------------------

class Rect:
    def __init__(self, left, top, right, bottom):
        self.left, self.top, self.right, self.bottom = left, top, right, bottom

    @property
    def width(self):
        return self.right - self.left

    @property
    def height(self):
        return self.bottom - self.top

    def overlaps(self, other: "Rect") -> bool:
        return (self.left < other.right and other.left < self.right and self.top < other.bottom
                and other.top < self.bottom)


def resolve_pos(pos: str, width: float, height: float) -> Rect | None:
    """The rectangle of a four-part pos inside a parent client area of width x height."""
    parts = [p.strip() for p in pos.split(",")]
    if len(parts) != 4:
        return None

    def coordinate(text: str, extent: float, start: float | None) -> float | None:
        match = re.fullmatch(r"([@|-]?)(-?\d+)", text)
        if not match:
            return None
        prefix, value = match.group(1), int(match.group(2))
        if prefix == "":
            return float(value)
        if prefix == "-":
            return extent - value
        if prefix == "|":
            return extent / 2 + value
        return None if start is None else start + value

    left = coordinate(parts[0], width, None)
    top = coordinate(parts[1], height, None)
    if left is None or top is None or parts[0].startswith("@") or parts[1].startswith("@"):
        return None
    right = coordinate(parts[2], width, left)
    bottom = coordinate(parts[3], height, top)
    if right is None or bottom is None:
        return None
    return Rect(left, top, right, bottom)


class Control:
    """A control of an expanded layout, with its rectangle in its parent's client area."""

    def __init__(self, element, parent: "Control | None", rect: Rect | None):
        self.element = element
        self.parent = parent
        self.rect = rect
        self.attrs = lower_attrs(element)
        self.children: list[Control] = []

    @property
    def name(self) -> str:
        return self.attrs.get("name", "")

    @property
    def tag(self) -> str:
        return self.element.tag

    def ancestors(self):
        node = self.parent
        while node is not None:
            yield node
            node = node.parent

    def style(self, classes: dict[str, dict[str, str]]) -> dict[str, str]:
        merged = dict(classes.get(self.attrs.get("class", ""), {}))
        merged.update(self.attrs)
        return merged


class Layout:
    def __init__(self, resource: str, skin: Skin, values: Values, report: Report):
        self.resource = resource
        self.controls: list[Control] = []
        self.texts: list[tuple[str, Control | None, str]] = []
        self.root = None
        document = skin.xml(resource)
        if document is None:
            report.expect(False, "{}: missing".format(resource))
            return
        where = resource
        report.expect(document.tag == "SOUI", "{}: the document element must be SOUI".format(where))
        root = document.find("root")
        if not report.expect(root is not None, "{}: no root element".format(where)):
            return
        self._expand_includes(root, skin, report, [resource.lower()])
        width = number(document.get("width"))
        height = number(document.get("height"))
        report.expect(width > 0 and height > 0, "{}: width and height are needed".format(where))
        if document.get("title"):
            self.texts.append((document.get("title"), None, "title"))
        self.root = Control(root, None, Rect(0, 0, width, height))
        self._walk(self.root, skin, values, report)

    def _expand_includes(self, element, skin: Skin, report: Report, chain: list[str]) -> None:
        for index, child in enumerate(list(element)):
            if child.tag != "include":
                self._expand_includes(child, skin, report, chain)
                continue
            source = child.get("src", "")
            element.remove(child)
            if not report.expect(source.lower() not in chain,
                                 "{}: includes itself through {}".format(chain[0], source)):
                continue
            included = skin.xml(source)
            if not report.expect(included is not None and included.find("root") is not None,
                                 "{}: cannot include {}".format(chain[0], source)):
                continue
            parts = [copy.deepcopy(c) for c in included.find("root")]
            for offset, part in enumerate(parts):
                element.insert(index + offset, part)
            self._expand_includes(element, skin, report, chain + [source.lower()])
            return

    def child_area(self, control: Control) -> tuple[float, float, float]:
        """Width and height of the area a control's children are laid out in, and the height
        taken by a tab strip."""
        rect = control.rect
        if rect is None:
            return 0, 0, 0
        margin = number_list(control.attrs.get("margin"), 4, [0, 0, 0, 0])
        width = rect.width - margin[0] - margin[2]
        height = rect.height - margin[1] - margin[3]
        if control.tag in ("tabctrl", "tabctrl2"):
            strip = number(control.attrs.get("tabheight"))
            return width, height - strip, strip
        return width, height, 0

    def _walk(self, control: Control, skin: Skin, values: Values, report: Report) -> None:
        where = "{} {}".format(self.resource, control.name or control.tag)
        self._check_references(control, skin, values, report, where)
        width, height, _strip = self.child_area(control)
        for element in control.element:
            tag = element.tag
            if tag in ("items", "header"):
                for key, value in lower_attrs(element).items():
                    report.expect(key not in SKIN_ATTRIBUTES or value in values.skins,
                                  "{} {}: unknown skin {}".format(where, tag, value))
                for item in element.iter("item"):
                    text = item.get("text") or (item.text or "").strip()
                    entry = Control(item, control, None)
                    if tag == "header":
                        report.expect(number(item.get("width"), -1) > 0,
                                      "{}: column {} needs a width".format(where,
                                                                         item.get("name")))
                    self.controls.append(entry)
                    if text:
                        self.texts.append((text, entry, "item"))
                continue
            if tag == "template":
                row_height = number(element.get("itemHeight"))
                report.expect(row_height > 0, "{}: a template needs itemHeight".format(where))
                row = Control(element, control, Rect(0, 0, width, row_height))
                self._walk(row, skin, values, report)
                continue
            if not report.expect(tag in CONTROL_TAGS, "{}: unknown tag {}".format(where, tag)):
                continue
            attrs = lower_attrs(element)
            if tag in ("page", "page2"):
                rect = Rect(0, 0, width, height)
                if attrs.get("title"):
                    self.texts.append((attrs["title"], None, "title"))
            elif "pos" in attrs:
                rect = resolve_pos(attrs["pos"], width, height)
                report.expect(rect is not None, "{} {}: bad pos {}".format(
                    self.resource, attrs.get("name", tag), attrs["pos"]))
            else:
                rect = None
                report.expect(tag == "shellnotifyicon",
                              "{} {}: a pos is needed".format(self.resource,
                                                              attrs.get("name", tag)))
            child = Control(element, control, rect)
            control.children.append(child)
            self.controls.append(child)
            text = (element.text or "").strip() or attrs.get("text", "")
            if text:
                self.texts.append((text, child, "text"))
            # Tooltips and what a screen reader says are not drawn: no room to check.
            for attribute in ("tip", "accname", "accdesc"):
                if attrs.get(attribute):
                    self.texts.append((attrs[attribute], child, "tip"))
            self._walk(child, skin, values, report)

    def _check_references(self, control: Control, skin: Skin, values: Values, report: Report,
                          where: str) -> None:
        for key, value in control.attrs.items():
            if key in NUMERIC_ATTRIBUTES:
                report.expect(number_list(value, NUMERIC_ATTRIBUTES[key], []) != [],
                              "{}: {} must be {} number(s): {}".format(
                                  where, key, NUMERIC_ATTRIBUTES[key], value))
            if key in SKIN_ATTRIBUTES:
                report.expect(value in values.skins, "{}: unknown skin {}".format(where, value))
            elif key in IMAGE_ATTRIBUTES:
                report.expect(skin.path(value) is not None,
                              "{}: unknown image {}".format(where, value))
            elif key == "class" and control.tag != "template":
                report.expect(value in values.classes,
                              "{}: unknown style class {}".format(where, value))
            elif key == "ico":
                report.expect(all(skin.path(v) for v in value.split(";")),
                              "{}: unknown icon {}".format(where, value))
            elif key == "menu":
                report.expect(skin.path(value) is not None,
                              "{}: unknown menu {}".format(where, value))
            elif key == "crdxml":
                data_folder = os.path.dirname(os.path.normpath(skin.uires))
                report.expect(os.path.isfile(os.path.join(data_folder, value.lstrip("/\\"))),
                              "{}: the key coordinate file {} is missing".format(where, value))
            if value.startswith("@string/"):
                report.expect(value[8:] in values.strings,
                              "{}: unknown string {}".format(where, value))
            elif value.startswith("@color/"):
                report.expect(value[7:] in values.colours,
                              "{}: unknown colour {}".format(where, value))
        text = (control.element.text or "").strip()
        if text.startswith("@string/"):
            report.expect(text[8:] in values.strings, "{}: unknown string {}".format(where, text))

    def find(self, name: str) -> list[Control]:
        return [c for c in self.controls if c.name == name]


def check_geometry(layout: Layout, exclusive: set[frozenset[str]], report: Report) -> None:
    """Controls stay inside their parents; visible siblings do not overlap."""
    for control in layout.controls:
        rect, parent = control.rect, control.parent
        if rect is None or parent is None or parent.rect is None or control.tag == "item":
            continue
        width, height, _strip = layout.child_area(parent)
        report.expect(rect.left >= 0 and rect.top >= 0 and rect.right <= width + 0.01
                      and rect.bottom <= height + 0.01 and rect.width > 0 and rect.height > 0,
                      "{} {}: lies outside its parent".format(layout.resource,
                                                              control.name or control.tag))
    for control in [layout.root] + layout.controls:
        if control is None:
            continue
        shown = [c for c in control.children
                 if c.rect is not None and c.attrs.get("visible", "1") != "0"
                 and c.tag not in ("page", "page2")]
        for i, first in enumerate(shown):
            for second in shown[i + 1:]:
                if frozenset((first.name, second.name)) in exclusive:
                    continue
                report.expect(not first.rect.overlaps(second.rect),
                              "{}: {} and {} overlap".format(layout.resource, label(first),
                                                             label(second)))


def label(control: Control) -> str:
    """A control's name, or its tag and position when it has none."""
    return control.name or "{} at {}".format(control.tag, control.attrs.get("pos"))


# Texts -------------------------------------------------------------------------------------------

def is_wide(character: str) -> bool:
    return ord(character) >= 0x2E80


# Measured against Noto Sans and Noto Sans CJK SC as librsvg draws them, the estimate below
# comes within 1 % of the real width; the factor leaves room for other renderers and hinting.
TEXT_WIDTH_MARGIN = 1.05


def text_width(text: str, size: float, bold: bool) -> float:
    """A generous estimate of a text's width in pixels in the skin's fonts."""
    width = 0.0
    for character in text:
        if is_wide(character):
            width += size * 1.0
        elif character in "il.,:;'|!()[]`":
            width += size * 0.30
        elif character == " ":
            width += size * 0.27
        elif character in "mwMW":
            width += size * 0.88
        elif character.isupper():
            width += size * 0.68
        elif character.isdigit():
            width += size * 0.58
        else:
            width += size * 0.57
    return width * (1.07 if bold else 1.0) * TEXT_WIDTH_MARGIN


def font_of(style: dict[str, str]) -> tuple[float, bool]:
    size, bold = DEFAULT_FONT_SIZE, False
    for part in style.get("font", "").split(","):
        key, _sep, value = part.partition(":")
        if key.strip() == "size":
            size = number(value, DEFAULT_FONT_SIZE)
        elif key.strip() == "bold":
            bold = value.strip() == "1"
    return size, bold


def room_for_text(control: Control, kind: str, values: Values) -> tuple[float, float, int] | None:
    """Width available to a control's text, its font size, and how many lines it may take."""
    style = control.style(values.classes)
    if kind == "item":
        owner = control.parent
        if owner.tag == "mclistview":
            return number(control.attrs.get("width")) - 12, DEFAULT_FONT_SIZE, 1
        owner_style = owner.style(values.classes)
        margin = number_list(owner_style.get("margin"), 4, [0, 0, 0, 0])
        size, _bold = font_of(owner_style)
        return owner.rect.width - margin[0] - margin[2] - 24, size, 1
    if kind != "text" or control.rect is None:
        return None
    size, _bold = font_of(style)
    margin = number_list(style.get("margin"), 4, [0, 0, 0, 0])
    width = control.rect.width - margin[0] - margin[2]
    if control.tag in ("button",):
        width -= 16
    if control.tag in ("checkex", "radioex"):
        icon = values.skins.get(style.get("iconskin", ""), {"size": (0, 0)})["size"][0]
        icon_x = number_list(style.get("iconpos"), 2, [0, 0])[0]
        width -= icon_x + icon + number(style.get("textx")) + 4
    lines = 1
    if style.get("multilines") == "1":
        lines = max(1, int(control.rect.height // (size * 1.4)))
    return width, size, lines


# The language menu's items, which read the same in every language.
LANGUAGE_NAMES = {"中文"}


def has_cjk(text: str) -> bool:
    return any("\u3000" <= c <= "\u9fff" or "\uff00" <= c <= "\uffef" for c in text)


def check_texts(layouts: list[Layout], menus: list[str], program_texts: list[str],
                translations: dict[str, dict[str, str]], values: Values, report: Report) -> None:
    names = sorted(translations)
    if len(names) == 2:
        first, second = (set(translations[n]) for n in names)
        for text in sorted(first ^ second):
            report.expect(False, "translations: only one of {} holds {!r}".format(
                " and ".join(names), text))
    shown: set[str] = set(program_texts) | set(menus)
    for layout in layouts:
        for text, _control, _kind in layout.texts:
            shown.add(values.strings.get(text[8:], text) if text.startswith("@string/") else text)
    for name, table in translations.items():
        for text in sorted(shown):
            report.expect(text in table, "{}: no translation of {!r}".format(name, text))
        for text in sorted(set(table) - shown):
            report.expect(False, "{}: {!r} is shown nowhere".format(name, text))
    # The program's texts are English, except a few that it takes in Chinese (the macro
    # files' filter); English translates those. A language is named in its own tongue.
    english = translations.get("translator:lang_en", {})
    for text, translated in sorted(english.items()):
        if has_cjk(text) and text not in LANGUAGE_NAMES:
            report.expect(translated != text and not has_cjk(translated),
                          "translator:lang_en: {!r} needs an English translation".format(text))
        else:
            report.expect(translated == text,
                          "translator:lang_en: {!r} must map to itself".format(text))
    # Fit: each text in each language within its control, by a generous estimate.
    for layout in layouts:
        tab_widths = {}
        for control in layout.controls:
            if control.tag == "tabctrl2":
                tab_widths[id(control)] = (number(control.attrs.get("tabwidth"))
                                           - number(control.attrs.get("text-x")) - 8)
        for text, control, kind in layout.texts:
            if kind == "tip":
                continue
            if kind == "title":
                continue
            room = room_for_text(control, kind, values) if control is not None else None
            if room is None:
                continue
            width, size, lines = room
            bold = font_of(control.style(values.classes))[1] if kind == "text" else False
            for name, table in translations.items():
                shown_text = table.get(text, text)
                needed = text_width(shown_text, size, bold)
                report.expect(needed <= width * lines,
                              "{} {}: {!r} ({}) needs about {} pixels, has {}".format(
                                  layout.resource, control.name or control.tag, shown_text,
                                  name, int(needed), int(width * lines)))
        for control in layout.controls:
            if control.tag != "tabctrl2":
                continue
            for page in control.children:
                title = page.attrs.get("title", "")
                for name, table in translations.items():
                    shown_text = table.get(title, title)
                    needed = text_width(shown_text, 13, True)
                    report.expect(needed <= tab_widths[id(control)],
                                  "{}: tab {!r} ({}) needs about {} pixels".format(
                                      layout.resource, shown_text, name, int(needed)))


def read_translation(skin: Skin, resource: str, report: Report) -> dict[str, str]:
    root = skin.xml(resource)
    table: dict[str, str] = {}
    if root is None:
        report.expect(False, "{}: missing".format(resource))
        return table
    report.expect(root.tag == "language" and bool(root.get("name")),
                  "{}: the document element must be language with a name".format(resource))
    for item in root:
        src, dst = item.get("src", ""), item.get("dst", "")
        report.expect(bool(src) and bool(dst), "{}: an item needs src and dst".format(resource))
        report.expect(src not in table, "{}: {!r} twice".format(resource, src))
        table[src] = dst
    return table


# Menus -------------------------------------------------------------------------------------------

HANDLED_COMMANDS = {"1", "6"}
# The item of the list of assignments that stands for an empty list.
EMPTY_ASSIGNMENTS_COMMAND = "2"


def check_menus(skin: Skin, report: Report) -> list[str]:
    texts: list[str] = []
    tray = skin.xml("SMENU:menu_tray")
    if tray is not None:
        report.expect(tray.tag == "menu", "SMENU:menu_tray: the document element must be menu")
        ids = set()
        for item in tray.iter("item"):
            ids.add(item.get("id"))
            texts.append((item.text or "").strip())
        report.expect(ids <= HANDLED_COMMANDS and "6" in ids,
                      "SMENU:menu_tray: items must be commands 1 or 6, with 6 (exit) present")
    more = skin.xml("SMENUEX:menu_more")
    if more is not None:
        report.expect(more.tag == "menuRoot",
                      "SMENUEX:menu_more: the document element must be menuRoot")
        named, ids = set(), set()
        for item in more.iter("menuItem"):
            if item.get("sep") == "1":
                continue
            report.expect(bool(item.get("text")), "SMENUEX:menu_more: an item needs a text")
            texts.append(item.get("text", ""))
            if item.get("name"):
                named.add(item.get("name"))
            if item.get("id"):
                ids.add(item.get("id"))
            if not item.get("name") and not item.get("id"):
                report.expect(item.find("menuItem") is not None,
                              "SMENUEX:menu_more: {!r} does nothing".format(item.get("text")))
        report.expect({"zh_cn", "jp"} <= named,
                      "SMENUEX:menu_more: the items zh_cn and jp switch the language")
        report.expect(ids <= HANDLED_COMMANDS and "1" in ids,
                      "SMENUEX:menu_more: items must be commands 1 or 6, with 1 (upgrade)")
    assignments = skin.xml("SMENUEX:menu_assignments")
    if assignments is not None:
        items = list(assignments.iter("menuItem"))
        report.expect(assignments.tag == "menuRoot" and
                      [item.get("id") for item in items] == [EMPTY_ASSIGNMENTS_COMMAND],
                      "SMENUEX:menu_assignments: a menuRoot whose one item is command {}, which "
                      "the program takes out when there are assignments".format(
                          EMPTY_ASSIGNMENTS_COMMAND))
    # The program's other menus (the profile copy, the list of assignments): their texts are
    # shown too.
    for resource in sorted(k for k in skin.files
                           if k.startswith(("smenu:", "smenuex:"))
                           and k not in ("smenu:menu_tray", "smenuex:menu_more")):
        menu = skin.xml(resource)
        for item in menu.iter() if menu is not None else []:
            if item.tag in ("item", "menuItem") and item.get("sep") != "1":
                texts.append(item.get("text") or (item.text or "").strip())
    return texts


# Keys --------------------------------------------------------------------------------------------

def read_key_table(path: str, report: Report) -> dict[int, str]:
    """Usage to name, from the program's key name table."""
    table: dict[int, str] = {}
    try:
        with open(path, encoding="utf-8") as handle:
            source = handle.read()
    except OSError:
        report.expect(False, "{}: cannot read the key name table".format(path))
        return table
    for match in re.finditer(r'\{0x([0-9A-Fa-f]{2}), 0x([0-9A-Fa-f]{2}), "((?:[^"\\]|\\.)*)"\}',
                             source):
        name = match.group(3).encode("latin-1").decode("unicode_escape").encode(
            "latin-1").decode("utf-8")
        table[int(match.group(2), 16)] = name
    report.expect(len(table) == 104, "{}: expected 104 usages, found {}".format(path, len(table)))
    return table


def check_keys(layout: Layout, skin: Skin, key_table: dict[int, str], report: Report) -> None:
    pictures = [c for c in layout.controls if c.tag == "cbimg"]
    if not report.expect(len(pictures) == 1, "{}: one keyboard picture".format(layout.resource)):
        return
    picture = pictures[0]
    data_folder = os.path.dirname(os.path.normpath(skin.uires))
    path = os.path.join(data_folder, picture.attrs.get("crdxml", "").lstrip("/\\"))
    root = parse_xml(path, report) if os.path.isfile(path) else None
    if root is None:
        return
    sizes = set()
    for attribute in ("bg", "chking", "chked"):
        image = skin.path(picture.attrs.get(attribute, ""))
        if image:
            sizes.add(image_size(image))
    for resource in ("main:img_keboard_pressed_png",):
        image = skin.path(resource)
        if image:
            sizes.add(image_size(image))
    report.expect(len(sizes) == 1 and None not in sizes,
                  "keyboard pictures differ in size or have none: {}".format(sizes))
    width, height = next(iter(sizes)) if len(sizes) == 1 and None not in sizes else (0, 0)
    report.expect(picture.rect is not None and (picture.rect.width, picture.rect.height)
                  == (width, height), "img_keyboard: its size must be the pictures' size")
    report.expect(root.tag == "positions", "key coordinate file: the document element must be "
                  "positions")
    seen: dict[int, Rect] = {}
    for key in root:
        try:
            usage = int(key.get("id", ""))
            x, y, w, h = (int(v) for v in key.get("rect", "").split(","))
        except ValueError:
            report.expect(False, "key coordinate file: a key needs an id and a rect: {}"
                          .format(key.attrib))
            continue
        where = "key coordinate file: key {}".format(usage)
        report.expect(usage in key_table, "{}: not a usage of the key name table".format(where))
        report.expect(key.get("name") == key_table.get(usage),
                      "{}: named {!r}, the table says {!r}".format(where, key.get("name"),
                                                                    key_table.get(usage)))
        report.expect(usage not in seen, "{}: listed twice".format(where))
        rect = Rect(x, y, x + w, y + h)
        report.expect(w > 0 and h > 0 and x >= 0 and y >= 0 and x + w <= width
                      and y + h <= height, "{}: outside the picture".format(where))
        for other, other_rect in seen.items():
            report.expect(not rect.overlaps(other_rect),
                          "{}: overlaps key {}".format(where, other))
        colour = key.get("color", "")
        report.expect(re.fullmatch(r"[0-9A-Fa-f]{8}", colour) is not None
                      and int(colour[:2], 16) > 0,
                      "{}: color must be AABBGGRR with a visible alpha".format(where))
        seen[usage] = rect
    for usage in sorted(set(key_table) - set(seen)):
        report.expect(False, "key coordinate file: usage {} ({}) is missing".format(
            usage, key_table[usage]))


# Manifest ----------------------------------------------------------------------------------------

# The fewest fields each kind of manifest entry takes.
MANIFEST_FIELDS = {"control": 3, "control-id": 3, "group": 2, "pages": 4, "items": 3, "mode": 4}


def check_manifest(manifest_path: str, repo: str, skin: Skin, values: Values,
                   layouts: dict[str, Layout], report: Report):
    program_texts: list[str] = []
    key_table: dict[int, str] = {}
    modes: dict[str, dict[str, dict[int, set[str]]]] = {}
    with open(manifest_path, encoding="utf-8") as handle:
        lines = handle.read().splitlines()
    for number, line in enumerate(lines, 1):
        if not line.strip() or line.startswith("#"):
            continue
        keyword, _sep, rest = line.partition(" ")
        fields = rest.split()
        where = "{}:{}".format(os.path.basename(manifest_path), number)
        if len(fields) < MANIFEST_FIELDS.get(keyword, 1):
            report.expect(False, "{}: too few fields for {}".format(where, keyword))
        elif keyword == "resource":
            report.expect(skin.path(rest.strip()) is not None,
                          "{}: uires.idx does not name {}".format(where, rest.strip()))
        elif keyword in ("control", "control-id"):
            layout = layouts.get(fields[0].lower())
            if not report.expect(layout is not None, "{}: no layout {}".format(where, fields[0])):
                continue
            tags = fields[1].split("|")
            if keyword == "control":
                found = layout.find(fields[2])
                label = fields[2]
            else:
                found = [c for c in layout.controls if c.attrs.get("id") == fields[2]]
                label = "id " + fields[2]
            if not report.expect(bool(found), "{}: {} lacks {}".format(where, fields[0], label)):
                continue
            fitting = [c for c in found if c.tag in tags]
            if not report.expect(bool(fitting), "{}: {} is a {}, expected {}".format(
                    where, label, found[0].tag, fields[1])):
                continue
            if len(fields) == 5 and fields[3] == "in":
                report.expect(any(a.name == fields[4] for c in fitting for a in c.ancestors()),
                              "{}: {} must lie inside {}".format(where, label, fields[4]))
        elif keyword in ("group", "pages", "items", "mode") and \
                fields[0].lower() not in layouts:
            report.expect(False, "{}: no layout {}".format(where, fields[0]))
        elif keyword == "group":
            layout = layouts.get(fields[0].lower())
            parents = {id(c.parent) for name in fields[1:] for c in layout.find(name)}
            report.expect(len(parents) == 1, "{}: {} must share one parent".format(
                where, ", ".join(fields[1:])))
        elif keyword in ("pages", "items", "mode") and \
                not fields[{"pages": 3, "items": 2, "mode": 2}[keyword]].isdigit():
            report.expect(False, "{}: a count or entry must be a number".format(where))
        elif keyword == "pages":
            layout = layouts.get(fields[0].lower())
            owners = layout.find(fields[1])
            pages = [c for c in owners[0].children if c.tag == fields[2]] if owners else []
            report.expect(len(pages) == int(fields[3]), "{}: {} must hold {} {} pages".format(
                where, fields[1], fields[3], fields[2]))
        elif keyword == "items":
            layout = layouts.get(fields[0].lower())
            owners = layout.find(fields[1])
            items = [c for c in layout.controls if c.tag == "item" and owners
                     and c.parent is owners[0]]
            report.expect(len(items) == int(fields[2]), "{}: {} must list {} entries".format(
                where, fields[1], fields[2]))
        elif keyword == "mode":
            per_layout = modes.setdefault(fields[0].lower(), {})
            per_layout.setdefault(fields[1], {})[int(fields[2])] = set(fields[3:])
        elif keyword == "text":
            program_texts.append(rest)
        elif keyword == "catalog":
            config = read_fragment(os.path.join(repo, rest.strip()), report)
            if config is not None:
                for group in ("mediakey", "functkey"):
                    for element in config.iter(group):
                        program_texts.extend(k.get("name", "") for k in element.iter("key"))
        elif keyword == "keys":
            key_table = read_key_table(os.path.join(repo, rest.strip()), report)
        else:
            report.expect(False, "{}: unknown entry {}".format(where, keyword))
    return program_texts, key_table, modes


def read_fragment(path: str, report: Report):
    """A configuration file holds several top-level elements; they are read wrapped in one."""
    try:
        with open(path, encoding="utf-8") as handle:
            text = handle.read()
    except OSError:
        report.expect(False, "{}: cannot read".format(path))
        return None
    text = re.sub(r"^<\?xml[^>]*\?>", "", text)
    try:
        return ET.fromstring("<fragment>" + text + "</fragment>")
    except ET.ParseError as error:
        report.expect(False, "{}: not well-formed ({})".format(path, error))
        return None


def exclusive_panels(modes: dict[str, dict[int, set[str]]]) -> set[frozenset[str]]:
    """Pairs of panels that no entry of their combobox shows together."""
    pairs = set()
    for table in modes.values():
        panels = set().union(*table.values()) if table else set()
        for first in panels:
            for second in panels:
                if first < second and not any(first in shown and second in shown
                                               for shown in table.values()):
                    pairs.add(frozenset((first, second)))
    return pairs


def check_modes(layouts: dict[str, Layout], modes, report: Report) -> None:
    for resource, per_combo in modes.items():
        layout = layouts.get(resource)
        for combo, table in per_combo.items():
            items = [c for c in layout.controls if c.tag == "item" and c.parent is not None
                     and c.parent.name == combo]
            report.expect(sorted(table) == list(range(len(items))),
                          "{}: the mode lines must cover every entry of {}".format(resource,
                                                                                    combo))
            for panel in set().union(*table.values()):
                report.expect(bool(layout.find(panel)), "{}: no panel {}".format(resource, panel))


# Main --------------------------------------------------------------------------------------------

def run(repo: str, uires: str, manifest: str) -> Report:
    """Runs every check of the skin folder uires against the manifest."""
    report = Report()
    skin = Skin(uires, report)
    values = Values(skin, report)
    layouts = {}
    for resource in sorted(k for k in skin.files if k.startswith("layout:")):
        layouts[resource] = Layout(resource, skin, values, report)
    program_texts, key_table, modes = check_manifest(manifest, repo, skin, values, layouts,
                                                     report)
    check_modes(layouts, modes, report)
    exclusive = exclusive_panels({k: v for per in modes.values() for k, v in per.items()})
    for layout in layouts.values():
        if layout.root is not None:
            check_geometry(layout, exclusive, report)

    extra = set()
    main_layout = layouts.get("layout:xml_mainwnd")
    if main_layout is not None and main_layout.root is not None:
        for control in main_layout.controls:
            if control.tag == "cbimg" and control.attrs.get("crdxml"):
                relative = control.attrs["crdxml"].lstrip("/\\")
                extra.add(os.path.normpath(os.path.relpath(
                    os.path.join(os.path.dirname(os.path.normpath(uires)), relative), uires)))
        if key_table:
            check_keys(main_layout, skin, key_table, report)
    check_files(skin, extra, report)

    menu_texts = check_menus(skin, report)
    translations = {name: read_translation(skin, name, report)
                    for name in ("translator:lang_cn", "translator:lang_en")}
    check_texts([l for l in layouts.values() if l.root is not None], menu_texts,
                program_texts, translations, values, report)
    return report


def main() -> int:
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description="Checks Keyloom's skin folder.")
    parser.add_argument("--repo", default=os.path.normpath(os.path.join(here, "..", "..")))
    parser.add_argument("--uires")
    parser.add_argument("--manifest")
    args = parser.parse_args()
    uires = args.uires or os.path.join(args.repo, "skin", "uires")
    manifest = args.manifest or os.path.join(args.repo, "skin", "manifest.txt")
    report = run(args.repo, uires, manifest)
    for failure in report.failures:
        print("FAIL " + failure)
    passed = report.checks - len(report.failures)
    print("skin check: {} passed, {} failed".format(passed, len(report.failures)))
    return 1 if report.failures else 0


if __name__ == "__main__":
    sys.exit(main())

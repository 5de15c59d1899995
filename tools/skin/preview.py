#!/usr/bin/env python3
"""Renders the skin's images to PNG for a visual check, at 100 % and 200 %.

  tools/skin/preview.py [OUTPUT_FOLDER]      (default: build/skin-preview)

Needs rsvg-convert (Debian package librsvg2-bin). Writes, into the output folder:

  png/1x/<file>.png, png/2x/<file>.png   every SVG of uires/image at both scales
  contact-1x.png, contact-2x.png         one sheet of every image over the window colour,
                                          multi-state images with their frames labelled
  keyboard-1x.png, keyboard-2x.png       the keyboard picture as the keyboard picture control
                                          paints it: key colours, picture, a few keys hovered
                                          and checked
  <layout>-<language>-<zoom>x.png         a mock-up of each window drawn from its layout, in
                                          English and Chinese: skins in their resting state (a
                                          few controls checked), texts in the skin's fonts and
                                          sample rows in the lists. It approximates what the
                                          toolkit draws, to judge the design before it exists.
"""

from __future__ import annotations

import os
import re
import subprocess
import sys
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import check_skin  # noqa: E402
import mockup  # noqa: E402
import skinlib  # noqa: E402
from skinlib import Svg, colour  # noqa: E402

HOVERED = {"W", "A", "S", "D"}
CHECKED = {"F5", "Q", "E", "Ctrl Left", "Pad 1", "Arrow Up"}


def render(source: str, target: str, zoom: int) -> None:
    os.makedirs(os.path.dirname(target), exist_ok=True)
    subprocess.run(["rsvg-convert", "-z", str(zoom), "-o", target, source], check=True)


def image_states() -> dict[str, int]:
    """Frame counts of the image files, from values/skin.xml and uires.idx."""
    uires = skinlib.uires_dir()
    if not os.path.exists(os.path.join(uires, "values", "skin.xml")):
        return {}
    index = ET.parse(os.path.join(uires, "uires.idx")).getroot()
    paths = {}
    for group in index:
        for entry in group:
            paths["{}:{}".format(group.tag, entry.get("name")).lower()] = entry.get("path")
    states = {}
    skins = ET.parse(os.path.join(uires, "values", "skin.xml")).getroot()
    for skin in skins:
        src = (skin.get("src") or "").lower()
        if src in paths:
            states[paths[src]] = max(states.get(paths[src], 1), int(skin.get("states", "1")))
    return states


def contact_sheet(files: list[str], png_dir: str, zoom: int, target: str) -> None:
    uires = skinlib.uires_dir()
    states = image_states()
    margin, label_h, column_w = 16, 18, 1240
    placed = []
    x, y, row_h = margin, margin, 0
    for name in files:
        root = ET.parse(os.path.join(uires, "image", name)).getroot()
        w, h = int(float(root.get("width"))), int(float(root.get("height")))
        scale = 1.0
        if w > column_w - 2 * margin:
            scale = (column_w - 2 * margin) / w
        cell_w, cell_h = max(int(w * scale), 236), int(h * scale) + label_h + 8
        if x + cell_w > column_w - margin:
            x, y, row_h = margin, y + row_h + margin, 0
        placed.append((name, x, y, w, h, scale))
        x += cell_w + margin
        row_h = max(row_h, cell_h)
    height = y + row_h + margin
    svg = Svg(column_w, height)
    svg.rect(0, 0, column_w, height, fill=colour("bg_window"))
    for name, px, py, w, h, scale in placed:
        frames = states.get("image/" + name, 1)
        svg.text(px, py + 12, "{} ({}x{}{})".format(
            name, w // frames, h, ", {} frames".format(frames) if frames > 1 else ""),
            11, colour("text_dim"), anchor="start", family="DejaVu Sans")
        top = py + label_h
        svg.rect(px - 0.5, top - 0.5, w * scale + 1, h * scale + 1,
                 stroke=colour("border"), stroke_width=1)
        for frame in range(1, frames):
            fx = px + frame * (w / frames) * scale
            svg.path("M{} {}V{}".format(fx, top, top + h * scale),
                     stroke=skinlib.paint("#ff00ff", 0.35), stroke_width=1, cap="butt")
        href = os.path.join(png_dir, name[:-4] + ".png")
        svg.raw('<image x="{}" y="{}" width="{}" height="{}" href="{}"/>'.format(
            skinlib.num(px), skinlib.num(top), skinlib.num(w * scale), skinlib.num(h * scale),
            href))
    sheet = target[:-4] + ".svg"
    skinlib.write_text(sheet, svg.document().replace(
        '<svg xmlns="http://www.w3.org/2000/svg"',
        '<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink"'))
    render(sheet, target, zoom)


def keyboard_scene(png_dir: str, zoom: int, target: str, margin: int = 20) -> None:
    """Paints like the keyboard picture control: key colours, picture, hover and checked keys
    cut out of their pictures at the key rectangles. Without a margin the background stays
    transparent, for the window mock-ups."""
    uires = skinlib.uires_dir()
    keys = ET.parse(os.path.join(uires, "xml", "keyboard.xml")).getroot()
    w, h = 1000, 340
    svg = Svg(w + 2 * margin, h + 2 * margin)
    if margin:
        svg.rect(0, 0, w + 2 * margin, h + 2 * margin, fill=colour("bg_window"))
    svg.open_group(translate=(margin, margin))
    rects = []
    for key in keys:
        x, y, kw, kh = (int(v) for v in key.get("rect").split(","))
        c = key.get("color")
        alpha, blue, green, red = (int(c[i:i + 2], 16) for i in (0, 2, 4, 6))
        svg.rect(x, y, kw, kh, fill=skinlib.paint(skinlib.hex_of(red, green, blue),
                                                  alpha / 255.0))
        rects.append((key.get("name"), x, y, kw, kh))
    svg.raw('<image x="0" y="0" width="{}" height="{}" href="{}"/>'.format(
        w, h, os.path.join(png_dir, "keyboard_normal.png")))
    for picture, wanted in (("keyboard_hover.png", HOVERED), ("keyboard_checked.png", CHECKED)):
        for name, x, y, kw, kh in rects:
            if name in wanted:
                svg.raw('<svg x="{x}" y="{y}" width="{w}" height="{h}" viewBox="{x} {y} {w} {h}">'
                        '<image x="0" y="0" width="{W}" height="{H}" href="{href}"/></svg>'
                        .format(x=x, y=y, w=kw, h=kh, W=w, H=h,
                                href=os.path.join(png_dir, picture)))
    svg.close_group()
    scene = target[:-4] + ".svg"
    skinlib.write_text(scene, svg.document())
    render(scene, target, zoom)


def effect_panels() -> list[tuple[str, int, set[str]]]:
    """The "mode" lines of the manifest: combobox, entry and the panels that entry shows, for
    the entries whose panels differ (one of each set)."""
    manifest = os.path.join(os.path.dirname(skinlib.uires_dir()), "manifest.txt")
    seen, views = set(), []
    with open(manifest, encoding="utf-8") as handle:
        for line in handle:
            fields = line.split()
            if fields and fields[0] == "mode":
                panels = frozenset(fields[4:])
                if panels not in seen:
                    seen.add(panels)
                    views.append((fields[2], int(fields[3]), set(panels)))
    return views


def all_panels() -> set[str]:
    return set().union(*(panels for _combo, _mode, panels in effect_panels()))


def translation(resource: str) -> dict[str, str]:
    report = check_skin.Report()
    return check_skin.read_translation(check_skin.Skin(skinlib.uires_dir(), report), resource,
                                       report)


def main() -> None:
    out = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "..", "build", "skin-preview"))
    image_dir = os.path.join(skinlib.uires_dir(), "image")
    files = sorted(f for f in os.listdir(image_dir) if f.endswith(".svg"))
    big = [f for f in files if re.match(r"(keyboard_|table_main_bg|win_macro_bg)", f)]
    small = [f for f in files if f not in big]
    for zoom in (1, 2):
        png_dir = os.path.join(out, "png", "{}x".format(zoom))
        for name in files:
            render(os.path.join(image_dir, name), os.path.join(png_dir, name[:-4] + ".png"), zoom)
        contact_sheet(small, png_dir, zoom, os.path.join(out, "contact-{}x.png".format(zoom)))
        contact_sheet(big, png_dir, zoom, os.path.join(out, "contact-large-{}x.png".format(zoom)))
        keyboard_scene(png_dir, zoom, os.path.join(out, "keyboard-{}x.png".format(zoom)))
        scene = os.path.join(out, "keyboard-scene-{}x.png".format(zoom))
        keyboard_scene(png_dir, zoom, scene, margin=0)
        for language, table in (("en", {}), ("cn", translation("translator:lang_cn"))):
            drawing = mockup.Mockup(skinlib.uires_dir(), png_dir, scene, table)
            views = [("LAYOUT:SYS_XML_MSGBOX", "msgbox", frozenset(), {})]
            for page in range(4):
                views.append(("LAYOUT:macro", "macro-page{}".format(page), frozenset(),
                              {"tab_macro_mode_selection": page}))
            for combo, mode, panels in effect_panels():
                views.append(("LAYOUT:XML_MAINWND", "main-effect{}".format(mode),
                              frozenset(all_panels() - panels), {combo: mode}))
            for resource, label, hidden, selections in views:
                source = os.path.join(out, "{}-{}-{}x.svg".format(label, language, zoom))
                drawing.render(resource, source, hidden, selections)
                render(source, os.path.join(out, "{}-{}-{}x.png".format(label, language, zoom)),
                       zoom)
    print(out)


if __name__ == "__main__":
    main()

"""Palette and SVG writing shared by the skin generators.

Every image of the skin is written by these generators, so that colours, stroke weights and
corner radii stay the same across the whole skin and a change of the palette is one edit.
Output is deterministic: the same input always gives the same bytes.

The SVG written here keeps to what both librsvg and Qt Svg (SVG Tiny 1.2) draw: shapes, paths,
groups with translate/scale, linear and radial gradients, fill-rule, opacity attributes and
text. No filters, masks, clip paths, CSS or 8-digit hex colours.
"""

from __future__ import annotations

import os
from xml.sax.saxutils import escape, quoteattr

# Palette of the dark theme. One accent family (cyan to azure); danger, warning and the LED
# colours are the only other hues and appear only where they carry meaning.
PALETTE = {
    "bg_window": "#0e1116",
    "bg_titlebar": "#0a0c10",
    "bg_panel": "#151a22",
    "bg_raised": "#1b212b",
    "bg_input": "#0f131a",
    "bg_hover": "#222a36",
    "bg_pressed": "#2a3444",
    "bg_row_hover": "#1c2330",
    "bg_row_selected": "#123541",
    "divider": "#232a35",
    "border": "#2b3442",
    "border_strong": "#3a4556",
    "text_strong": "#f2f5fa",
    "text": "#c7cfdb",
    "text_dim": "#8b97a8",
    "text_disabled": "#515c6c",
    "text_on_accent": "#04141a",
    "accent": "#22d3ee",
    "accent_hover": "#67e8f9",
    "accent_pressed": "#06b6d4",
    "accent_deep": "#0e4f5e",
    "accent_alt": "#3b82f6",
    "danger": "#f43f5e",
    "danger_hover": "#fb7185",
    "danger_pressed": "#e11d48",
    "warning": "#fbbf24",
    # The ring around the control that has the keyboard's focus: light on every background.
    "focus": "#f2f6fa",
}

# The seven colours of the lighting panel, in the order of their controls (colour 1 to 7).
LED_COLOURS = [
    ("red", "Red", "#ff3b3b"),
    ("green", "Green", "#2bea5b"),
    ("blue", "Blue", "#2f6bff"),
    ("yellow", "Yellow", "#ffd60a"),
    ("cyan", "Cyan", "#1fe0ff"),
    ("purple", "Purple", "#c04dff"),
    ("white", "White", "#f5f7fa"),
]

FONT_FAMILY = "Noto Sans"

# Geometry shared by every image.
RADIUS_BUTTON = 8
RADIUS_PANEL = 10
RADIUS_KEYCAP = 6
STROKE_ICON = 2
STROKE_HAIRLINE = 1

# Frame orders of multi-state images (frames side by side, left to right).
STATES_BUTTON = ("normal", "hover", "pushed", "disabled")
STATES_CHECK_BUTTON = ("normal", "hover", "pushed", "disabled", "checked")
STATES_CHECK_ICON = (
    "normal",
    "hover",
    "pushed",
    "disabled",
    "checked",
    "checked_hover",
    "checked_pushed",
    "checked_disabled",
)
STATES_TAB = ("normal", "hover", "selected")


def colour(name: str) -> str:
    """A palette colour by name, or the argument itself when it is already a colour."""
    return PALETTE.get(name, name)


def rgb(hex_colour: str) -> tuple[int, int, int]:
    value = colour(hex_colour).lstrip("#")
    return int(value[0:2], 16), int(value[2:4], 16), int(value[4:6], 16)


def hex_of(r: float, g: float, b: float) -> str:
    def clamp(v: float) -> int:
        return max(0, min(255, int(round(v))))

    return "#{:02x}{:02x}{:02x}".format(clamp(r), clamp(g), clamp(b))


def mix(a: str, b: str, t: float) -> str:
    """The colour t of the way from a to b."""
    ra, ga, ba = rgb(a)
    rb, gb, bb = rgb(b)
    return hex_of(ra + (rb - ra) * t, ga + (gb - ga) * t, ba + (bb - ba) * t)


def luminance(c: str) -> float:
    r, g, b = rgb(c)
    return (0.2126 * r + 0.7152 * g + 0.0722 * b) / 255.0


def num(v: float) -> str:
    """A coordinate as short, stable text."""
    if abs(v - round(v)) < 1e-9:
        return str(int(round(v)))
    text = "{:.3f}".format(v).rstrip("0").rstrip(".")
    return "0" if text == "-0" else text


def _attrs(**kwargs) -> str:
    parts = []
    for key, value in kwargs.items():
        if value is None:
            continue
        name = key.rstrip("_").replace("_", "-")
        if isinstance(value, float) or isinstance(value, int):
            value = num(value)
        parts.append("{}={}".format(name, quoteattr(str(value))))
    return (" " + " ".join(parts)) if parts else ""


class Paint:
    """A fill or stroke: a colour with an opacity, or a gradient reference."""

    def __init__(self, value: str, opacity: float = 1.0):
        self.value = colour(value) if not value.startswith("url(") else value
        self.opacity = opacity


def paint(value, opacity: float = 1.0) -> Paint | None:
    if value is None:
        return None
    if isinstance(value, Paint):
        return value
    return Paint(value, opacity)


class Svg:
    """One SVG document, built element by element."""

    def __init__(self, width: int, height: int):
        self.width = width
        self.height = height
        self._defs: list[str] = []
        self._gradients: dict[str, str] = {}
        self._body: list[str] = []
        self._indent = 1

    # Structure -------------------------------------------------------------------------------

    def raw(self, text: str) -> None:
        self._body.append("  " * self._indent + text)

    def open_group(self, translate=None, scale=None, opacity=None) -> None:
        transform = []
        if translate is not None and (translate[0] or translate[1]):
            transform.append("translate({},{})".format(num(translate[0]), num(translate[1])))
        if scale is not None and scale != 1:
            transform.append("scale({})".format(num(scale)))
        self.raw(
            "<g{}>".format(
                _attrs(transform=" ".join(transform) if transform else None, opacity=opacity)
            )
        )
        self._indent += 1

    def close_group(self) -> None:
        self._indent -= 1
        self.raw("</g>")

    # Paint servers ---------------------------------------------------------------------------

    def linear(self, stops, x1=0, y1=0, x2=0, y2=1, user_space=None) -> Paint:
        """A linear gradient; stops are (offset, colour[, opacity]). Coordinates are in the
        object's bounding box unless user_space is true."""
        body = []
        for stop in stops:
            offset, c = stop[0], colour(stop[1])
            opacity = stop[2] if len(stop) > 2 else None
            body.append(
                "<stop{}/>".format(
                    _attrs(offset=offset, stop_color=c, stop_opacity=opacity)
                )
            )
        units = "userSpaceOnUse" if user_space else None
        key = "lin|{}|{}|{}|{}|{}|{}".format(x1, y1, x2, y2, units, "".join(body))
        return Paint(self._gradient(key, "linearGradient", _attrs(
            x1=x1, y1=y1, x2=x2, y2=y2, gradientUnits=units), body))

    def radial(self, stops, cx=0.5, cy=0.5, r=0.5, user_space=None) -> Paint:
        body = []
        for stop in stops:
            offset, c = stop[0], colour(stop[1])
            opacity = stop[2] if len(stop) > 2 else None
            body.append(
                "<stop{}/>".format(
                    _attrs(offset=offset, stop_color=c, stop_opacity=opacity)
                )
            )
        units = "userSpaceOnUse" if user_space else None
        key = "rad|{}|{}|{}|{}|{}".format(cx, cy, r, units, "".join(body))
        return Paint(self._gradient(key, "radialGradient", _attrs(
            cx=cx, cy=cy, r=r, gradientUnits=units), body))

    def _gradient(self, key: str, tag: str, attrs: str, body: list[str]) -> str:
        if key not in self._gradients:
            gid = "g{}".format(len(self._gradients) + 1)
            self._gradients[key] = gid
            self._defs.append("    <{} id=\"{}\"{}>".format(tag, gid, attrs))
            for line in body:
                self._defs.append("      " + line)
            self._defs.append("    </{}>".format(tag))
        return "url(#{})".format(self._gradients[key])

    # Shapes ----------------------------------------------------------------------------------

    @staticmethod
    def _paint_attrs(fill, stroke, stroke_width, extra=None) -> dict:
        f = paint(fill)
        s = paint(stroke)
        attrs = {
            "fill": f.value if f else "none",
            "fill_opacity": f.opacity if f and f.opacity != 1 else None,
            "stroke": s.value if s else None,
            "stroke_opacity": s.opacity if s and s.opacity != 1 else None,
            "stroke_width": stroke_width if s else None,
        }
        if extra:
            attrs.update(extra)
        return attrs

    def rect(self, x, y, w, h, rx=0, fill=None, stroke=None, stroke_width=1, opacity=None):
        self.raw(
            "<rect{}/>".format(
                _attrs(
                    x=x, y=y, width=w, height=h, rx=rx if rx else None,
                    **self._paint_attrs(fill, stroke, stroke_width), opacity=opacity,
                )
            )
        )

    def circle(self, cx, cy, r, fill=None, stroke=None, stroke_width=1, opacity=None):
        self.raw(
            "<circle{}/>".format(
                _attrs(cx=cx, cy=cy, r=r, **self._paint_attrs(fill, stroke, stroke_width),
                       opacity=opacity)
            )
        )

    def path(self, d, fill=None, stroke=None, stroke_width=STROKE_ICON, opacity=None,
             fill_rule=None, cap="round", join="round"):
        extra = {}
        if stroke is not None:
            extra = {"stroke_linecap": cap, "stroke_linejoin": join}
        self.raw(
            "<path{}/>".format(
                _attrs(d=d, **self._paint_attrs(fill, stroke, stroke_width, extra),
                       fill_rule=fill_rule, opacity=opacity)
            )
        )

    def text(self, x, y, content, size, fill, weight="normal", anchor="middle", opacity=None,
             family=FONT_FAMILY):
        f = paint(fill)
        self.raw(
            "<text{}>{}</text>".format(
                _attrs(
                    x=x, y=y, font_family=family, font_size=size,
                    font_weight=weight if weight != "normal" else None,
                    text_anchor=anchor, fill=f.value,
                    fill_opacity=f.opacity if f.opacity != 1 else None, opacity=opacity,
                ),
                escape(content),
            )
        )

    # Output ----------------------------------------------------------------------------------

    def document(self) -> str:
        lines = [
            '<?xml version="1.0" encoding="UTF-8"?>',
            '<svg xmlns="http://www.w3.org/2000/svg" version="1.1" width="{w}" height="{h}" '
            'viewBox="0 0 {w} {h}">'.format(w=self.width, h=self.height),
        ]
        if self._defs:
            lines.append("  <defs>")
            lines.extend(self._defs)
            lines.append("  </defs>")
        lines.extend(self._body)
        lines.append("</svg>")
        return "\n".join(lines) + "\n"

    def save(self, path: str) -> None:
        write_text(path, self.document())


def rounded_rect_path(x, y, w, h, r) -> str:
    """A closed rounded rectangle as path data (clockwise)."""
    r = min(r, w / 2, h / 2)
    return (
        "M{x0} {y}H{x1}A{r} {r} 0 0 1 {x2} {y0}V{y1}A{r} {r} 0 0 1 {x1} {y2}"
        "H{x0}A{r} {r} 0 0 1 {x} {y1}V{y0}A{r} {r} 0 0 1 {x0} {y}Z"
    ).format(
        x=num(x), y=num(y), x0=num(x + r), x1=num(x + w - r), x2=num(x + w),
        y0=num(y + r), y1=num(y + h - r), y2=num(y + h), r=num(r),
    )


def strip(frame_w: int, frame_h: int, states, draw) -> Svg:
    """An image of len(states) frames side by side; draw(svg, state) draws one frame at the
    origin."""
    svg = Svg(frame_w * len(states), frame_h)
    for index, state in enumerate(states):
        svg.open_group(translate=(index * frame_w, 0))
        draw(svg, state)
        svg.close_group()
    return svg


def write_text(path: str, text: str) -> None:
    """Writes UTF-8 text with LF line ends, creating folders as needed."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8", newline="\n") as handle:
        handle.write(text)


def uires_dir() -> str:
    here = os.path.dirname(os.path.abspath(__file__))
    return os.path.normpath(os.path.join(here, "..", "..", "skin", "uires"))

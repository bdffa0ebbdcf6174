#!/usr/bin/env python3
"""Glancet's artwork: icon strips at both scales and the gauge sprite sheets, as 24-bit BMPs.

Usage: make_images.py OUTDIR

Icons are drawn from shapes in unit coordinates and sampled at pixel centres without smoothing,
so the key colour of a strip (its pixel (0, 0)) never blends into an icon's edge.
"""
import math
import os
import struct
import sys

KEY = (255, 0, 255)  # the strips' transparent colour, taken from pixel (0, 0)
WHITE = (255, 255, 255)


def write_bmp(path, width, height, pixel):
    """pixel(x, y) -> (r, g, b), y from the top."""
    row_size = (width * 3 + 3) & ~3
    data = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (row_size - len(row))
        data += row
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


# ---- shapes in unit coordinates (u right, v down, both 0..1) -----------------------------------

def circle(cx, cy, r):
    return lambda u, v: (u - cx) ** 2 + (v - cy) ** 2 <= r * r


def ring(cx, cy, r0, r1, gap=None):
    def f(u, v):
        d = math.hypot(u - cx, v - cy)
        if not r0 <= d <= r1:
            return False
        if gap:
            a = math.degrees(math.atan2(v - cy, u - cx)) % 360
            return not (gap[0] <= a <= gap[1])
        return True
    return f


def rect(x0, y0, x1, y1):
    return lambda u, v: x0 <= u <= x1 and y0 <= v <= y1


def segment(x0, y0, x1, y1, w):
    def f(u, v):
        dx, dy = x1 - x0, y1 - y0
        t = max(0.0, min(1.0, ((u - x0) * dx + (v - y0) * dy) / (dx * dx + dy * dy)))
        return math.hypot(u - (x0 + t * dx), v - (y0 + t * dy)) <= w / 2
    return f


def polygon(*pts):
    def f(u, v):
        inside = False
        n = len(pts)
        for i in range(n):
            (x0, y0), (x1, y1) = pts[i], pts[(i + 1) % n]
            if (y0 > v) != (y1 > v) and u < (x1 - x0) * (v - y0) / (y1 - y0) + x0:
                inside = not inside
        return inside
    return f


def tile(u, v, inset=0.06, radius=0.22):
    """A rounded square filling the icon."""
    a, b = inset, 1 - inset
    if not (a <= u <= b and a <= v <= b):
        return False
    cu = min(max(u, a + radius), b - radius)
    cv = min(max(v, a + radius), b - radius)
    return math.hypot(u - cu, v - cv) <= radius


def shade(colour, v):
    """Lighter at the top, darker at the bottom, for a little depth."""
    k = 1.15 - 0.3 * v
    return tuple(max(0, min(255, int(c * k))) for c in colour)


GLYPHS = {
    "buttons": [circle(0.35, 0.35, 0.1), circle(0.65, 0.35, 0.1), circle(0.35, 0.65, 0.1), circle(0.65, 0.65, 0.1)],
    "window": [rect(0.22, 0.25, 0.78, 0.33), segment(0.22, 0.3, 0.22, 0.75, 0.07), segment(0.78, 0.3, 0.78, 0.75, 0.07),
               segment(0.22, 0.75, 0.78, 0.75, 0.07)],
    "menus": [rect(0.25, 0.28, 0.75, 0.36), rect(0.25, 0.46, 0.75, 0.54), rect(0.25, 0.64, 0.75, 0.72)],
    "owner": [circle(0.5, 0.36, 0.13), polygon((0.26, 0.78), (0.3, 0.58), (0.7, 0.58), (0.74, 0.78))],
    "lock": [rect(0.28, 0.48, 0.72, 0.78), ring(0.5, 0.46, 0.1, 0.17, (0, 180))],
    "power": [ring(0.5, 0.53, 0.17, 0.25, (240, 300)), rect(0.46, 0.2, 0.54, 0.5)],
    "sun": [circle(0.5, 0.5, 0.14)] + [segment(0.5 + 0.2 * math.cos(a), 0.5 + 0.2 * math.sin(a),
                                               0.5 + 0.3 * math.cos(a), 0.5 + 0.3 * math.sin(a), 0.07)
                                       for a in [i * math.pi / 4 for i in range(8)]],
    "info": [circle(0.5, 0.28, 0.07), rect(0.44, 0.42, 0.56, 0.76)],
    "brightness": [ring(0.5, 0.5, 0.18, 0.25), polygon((0.5, 0.32), (0.5, 0.68), (0.36, 0.62), (0.33, 0.5), (0.36, 0.38))],
    "clock": [ring(0.5, 0.5, 0.22, 0.29), segment(0.5, 0.5, 0.5, 0.32, 0.07), segment(0.5, 0.5, 0.64, 0.56, 0.07)],
    "keyboard": [rect(0.2, 0.35, 0.8, 0.4), rect(0.2, 0.48, 0.8, 0.53), rect(0.3, 0.61, 0.7, 0.66)],
    "chip": [rect(0.32, 0.32, 0.68, 0.68)] + [rect(0.22, y, 0.78, y + 0.05) for y in (0.38, 0.48, 0.58)],
    "globe": [ring(0.5, 0.5, 0.22, 0.28), segment(0.22, 0.5, 0.78, 0.5, 0.05), segment(0.5, 0.22, 0.5, 0.78, 0.05)],
    "trash": [rect(0.3, 0.34, 0.7, 0.78), rect(0.24, 0.24, 0.76, 0.3), rect(0.42, 0.18, 0.58, 0.24)],
    "speaker": [rect(0.24, 0.42, 0.36, 0.58), polygon((0.36, 0.42), (0.54, 0.26), (0.54, 0.74), (0.36, 0.58)),
                ring(0.54, 0.5, 0.16, 0.21, (60, 300))],
    "target": [ring(0.5, 0.5, 0.14, 0.2), segment(0.5, 0.18, 0.5, 0.82, 0.06), segment(0.18, 0.5, 0.82, 0.5, 0.06)],
    "beam": [circle(0.3, 0.7, 0.08), ring(0.3, 0.7, 0.2, 0.26, (0, 270)), ring(0.3, 0.7, 0.36, 0.42, (0, 270))],
    "network": [rect(0.18, 0.22, 0.46, 0.44), rect(0.54, 0.56, 0.82, 0.78), segment(0.32, 0.44, 0.32, 0.67, 0.06),
                segment(0.32, 0.67, 0.54, 0.67, 0.06)],
    "ribbon": [circle(0.5, 0.4, 0.17), polygon((0.4, 0.5), (0.34, 0.8), (0.46, 0.72), (0.5, 0.55)),
               polygon((0.6, 0.5), (0.66, 0.8), (0.54, 0.72), (0.5, 0.55))],
    "loop": [ring(0.5, 0.5, 0.17, 0.25, (300, 360)), polygon((0.62, 0.22), (0.8, 0.42), (0.56, 0.44))],
    "battery": [rect(0.2, 0.34, 0.74, 0.66), rect(0.74, 0.44, 0.8, 0.56)],
    "card": [polygon((0.3, 0.2), (0.62, 0.2), (0.72, 0.3), (0.72, 0.8), (0.3, 0.8))],
    "off": [ring(0.5, 0.53, 0.17, 0.25, (240, 300)), rect(0.46, 0.2, 0.54, 0.5)],
    "soft": [ring(0.5, 0.5, 0.16, 0.24, (300, 360)), polygon((0.6, 0.2), (0.8, 0.4), (0.55, 0.42))],
    "hard": [polygon((0.5, 0.18), (0.78, 0.78), (0.22, 0.78))],
    "zek": [polygon((0.24, 0.26), (0.76, 0.26), (0.76, 0.38), (0.42, 0.64), (0.76, 0.64), (0.76, 0.76),
                    (0.24, 0.76), (0.24, 0.64), (0.58, 0.38), (0.24, 0.38))],
    "next": [polygon((0.3, 0.24), (0.56, 0.5), (0.3, 0.76)), polygon((0.5, 0.24), (0.76, 0.5), (0.5, 0.76))],
    # The rest of the custom set: plain pictograms for whatever a user puts on a tab.
    "star": [polygon(*[(0.5 + (0.3 if i % 2 == 0 else 0.13) * math.sin(i * math.pi / 5),
                        0.53 - (0.3 if i % 2 == 0 else 0.13) * math.cos(i * math.pi / 5)) for i in range(10)])],
    "heart": [circle(0.38, 0.4, 0.13), circle(0.62, 0.4, 0.13), polygon((0.26, 0.46), (0.74, 0.46), (0.5, 0.78))],
    "house": [polygon((0.5, 0.2), (0.8, 0.48), (0.2, 0.48)), rect(0.28, 0.48, 0.72, 0.78)],
    "folder": [rect(0.2, 0.34, 0.8, 0.76), rect(0.2, 0.26, 0.45, 0.34)],
    "document": [polygon((0.28, 0.18), (0.6, 0.18), (0.72, 0.3), (0.72, 0.82), (0.28, 0.82))],
    "envelope": [rect(0.18, 0.3, 0.82, 0.34), rect(0.18, 0.66, 0.82, 0.7), segment(0.18, 0.32, 0.18, 0.68, 0.05),
                 segment(0.82, 0.32, 0.82, 0.68, 0.05), segment(0.2, 0.33, 0.5, 0.54, 0.05),
                 segment(0.8, 0.33, 0.5, 0.54, 0.05)],
    "phone": [rect(0.34, 0.18, 0.66, 0.82)],
    "note": [circle(0.36, 0.7, 0.1), rect(0.42, 0.22, 0.48, 0.7), polygon((0.48, 0.22), (0.7, 0.32), (0.48, 0.38))],
    "camera": [rect(0.2, 0.34, 0.8, 0.74), rect(0.38, 0.26, 0.62, 0.34)],
    "calendar": [rect(0.22, 0.26, 0.78, 0.36)] + [rect(x, y, x + 0.1, y + 0.1) for x in (0.24, 0.45, 0.66)
                                                   for y in (0.44, 0.62)],
    "check": [segment(0.24, 0.52, 0.42, 0.7, 0.1), segment(0.42, 0.7, 0.78, 0.3, 0.1)],
    "cross": [segment(0.28, 0.28, 0.72, 0.72, 0.1), segment(0.72, 0.28, 0.28, 0.72, 0.1)],
    "plus": [rect(0.44, 0.22, 0.56, 0.78), rect(0.22, 0.44, 0.78, 0.56)],
    "minus": [rect(0.22, 0.44, 0.78, 0.56)],
    "up": [polygon((0.5, 0.2), (0.78, 0.5), (0.6, 0.5), (0.6, 0.8), (0.4, 0.8), (0.4, 0.5), (0.22, 0.5))],
    "down": [polygon((0.5, 0.8), (0.78, 0.5), (0.6, 0.5), (0.6, 0.2), (0.4, 0.2), (0.4, 0.5), (0.22, 0.5))],
    "left": [polygon((0.2, 0.5), (0.5, 0.22), (0.5, 0.4), (0.8, 0.4), (0.8, 0.6), (0.5, 0.6), (0.5, 0.78))],
    "right": [polygon((0.8, 0.5), (0.5, 0.22), (0.5, 0.4), (0.2, 0.4), (0.2, 0.6), (0.5, 0.6), (0.5, 0.78))],
    "diamond": [polygon((0.5, 0.18), (0.8, 0.5), (0.5, 0.82), (0.2, 0.5))],
    "hexagon": [polygon(*[(0.5 + 0.3 * math.cos(i * math.pi / 3), 0.5 + 0.3 * math.sin(i * math.pi / 3))
                          for i in range(6)])],
    "moon": [lambda u, v: (u - 0.5) ** 2 + (v - 0.5) ** 2 <= 0.09 and (u - 0.62) ** 2 + (v - 0.42) ** 2 > 0.06],
    "cloud": [circle(0.38, 0.56, 0.14), circle(0.56, 0.46, 0.18), circle(0.7, 0.6, 0.11), rect(0.38, 0.58, 0.7, 0.7)],
    "drop": [circle(0.5, 0.6, 0.2), polygon((0.5, 0.18), (0.68, 0.5), (0.32, 0.5))],
    "flag": [rect(0.26, 0.18, 0.32, 0.82), polygon((0.32, 0.2), (0.76, 0.34), (0.32, 0.5))],
    "key": [ring(0.34, 0.5, 0.07, 0.15), rect(0.48, 0.46, 0.8, 0.54), rect(0.7, 0.54, 0.76, 0.64)],
    "bell": [circle(0.5, 0.44, 0.2), rect(0.3, 0.44, 0.7, 0.66), rect(0.22, 0.64, 0.78, 0.7), circle(0.5, 0.76, 0.06)],
    "gear": [ring(0.5, 0.5, 0.1, 0.22)] + [rect(0.5 + 0.25 * math.cos(a) - 0.06, 0.5 + 0.25 * math.sin(a) - 0.06,
                                                0.5 + 0.25 * math.cos(a) + 0.06, 0.5 + 0.25 * math.sin(a) + 0.06)
                                           for a in [i * math.pi / 4 for i in range(8)]],
    "grid": [rect(x, y, x + 0.16, y + 0.16) for x in (0.22, 0.42, 0.62) for y in (0.22, 0.42, 0.62)],
    "chart": [rect(0.22, 0.56, 0.34, 0.78), rect(0.44, 0.38, 0.56, 0.78), rect(0.66, 0.22, 0.78, 0.78)],
    "pie": [lambda u, v: (u - 0.5) ** 2 + (v - 0.5) ** 2 <= 0.08 and not (u > 0.5 and v < 0.5)],
    "pencil": [segment(0.28, 0.72, 0.72, 0.28, 0.14), polygon((0.2, 0.8), (0.24, 0.64), (0.36, 0.76))],
    "magnifier": [ring(0.42, 0.42, 0.14, 0.21), segment(0.57, 0.57, 0.78, 0.78, 0.1)],
    "cup": [rect(0.26, 0.32, 0.64, 0.74), ring(0.66, 0.5, 0.06, 0.12, (100, 260))],
    "book": [rect(0.22, 0.24, 0.48, 0.76), rect(0.52, 0.24, 0.78, 0.76)],
    "bulb": [circle(0.5, 0.42, 0.2), rect(0.42, 0.58, 0.58, 0.76)],
    "people": [circle(0.36, 0.36, 0.1), circle(0.64, 0.36, 0.1), polygon((0.2, 0.76), (0.24, 0.52), (0.48, 0.52),
                                                                         (0.5, 0.76)),
               polygon((0.5, 0.76), (0.52, 0.52), (0.76, 0.52), (0.8, 0.76))],
    "play": [polygon((0.32, 0.22), (0.76, 0.5), (0.32, 0.78))],
    "pause": [rect(0.3, 0.24, 0.44, 0.76), rect(0.56, 0.24, 0.7, 0.76)],
    "stop": [rect(0.28, 0.28, 0.72, 0.72)],
    "shield": [polygon((0.5, 0.18), (0.78, 0.28), (0.72, 0.6), (0.5, 0.82), (0.28, 0.6), (0.22, 0.28))],
    "smile": [circle(0.38, 0.38, 0.06), circle(0.62, 0.38, 0.06), ring(0.5, 0.48, 0.2, 0.26, (180, 360))],
    "tree": [polygon((0.5, 0.16), (0.78, 0.62), (0.22, 0.62)), rect(0.44, 0.62, 0.56, 0.82)],
    "eject": [polygon((0.5, 0.22), (0.78, 0.56), (0.22, 0.56)), rect(0.22, 0.64, 0.78, 0.74)],
}

SETTINGS = [  # index: glyph, tile colour
    ("buttons", (60, 120, 200)), ("window", (70, 140, 70)), ("menus", (200, 120, 40)), ("owner", (90, 90, 180)),
    ("lock", (150, 110, 40)), ("power", (40, 150, 60)), ("sun", (220, 150, 0)), ("info", (40, 110, 200)),
    ("brightness", (200, 160, 0)), ("clock", (60, 90, 160)), ("keyboard", (100, 100, 110)), ("chip", (30, 130, 120)),
    ("globe", (30, 120, 190)), ("trash", (170, 60, 50)), ("speaker", (120, 70, 160)), ("target", (190, 60, 90)),
    ("beam", (200, 40, 40)), ("network", (40, 110, 170)), ("ribbon", (170, 130, 30)), ("loop", (130, 60, 170)),
]
CUSTOM = [  # 51 icons; the first eight are also the Add dialog's "Custom" rows
    ("battery", (60, 160, 60)), ("chip", (40, 110, 200)), ("card", (200, 120, 40)), ("brightness", (210, 170, 0)),
    ("loop", (130, 60, 170)), ("off", (170, 40, 40)), ("soft", (40, 120, 170)), ("hard", (190, 90, 20)),
    ("window", (70, 140, 70)), ("menus", (100, 100, 110)), ("info", (40, 110, 200)), ("owner", (90, 90, 180)),
    ("star", (220, 160, 0)), ("heart", (200, 50, 70)), ("house", (60, 120, 200)), ("folder", (210, 150, 30)),
    ("document", (80, 110, 160)), ("envelope", (40, 130, 180)), ("phone", (50, 150, 90)), ("note", (140, 60, 170)),
    ("camera", (90, 90, 100)), ("calendar", (190, 60, 50)), ("check", (40, 150, 60)), ("cross", (180, 40, 40)),
    ("plus", (30, 120, 190)), ("minus", (120, 120, 130)), ("up", (40, 140, 110)), ("down", (40, 110, 170)),
    ("left", (160, 100, 40)), ("right", (100, 70, 170)), ("diamond", (30, 150, 160)), ("hexagon", (170, 120, 30)),
    ("moon", (50, 60, 130)), ("cloud", (80, 140, 210)), ("drop", (30, 100, 200)), ("flag", (190, 70, 40)),
    ("key", (170, 140, 30)), ("bell", (200, 130, 20)), ("gear", (100, 110, 120)), ("grid", (60, 130, 90)),
    ("chart", (40, 120, 170)), ("pie", (180, 90, 40)), ("pencil", (200, 140, 40)), ("magnifier", (70, 100, 150)),
    ("cup", (130, 80, 50)), ("book", (150, 50, 60)), ("bulb", (210, 170, 20)), ("people", (80, 100, 180)),
    ("play", (40, 150, 70)), ("shield", (60, 90, 150)), ("tree", (50, 130, 60)),
]
assert len(CUSTOM) == 51
RESET = [("off", (170, 40, 40)), ("soft", (40, 120, 170)), ("hard", (190, 90, 20))]


def icon_pixel(glyph, colour, u, v):
    for shape in GLYPHS[glyph]:
        if shape(u, v):
            return WHITE
    if tile(u, v):
        return shade(colour, v)
    return None


def write_strip(path, icons, size):
    def pixel(x, y):
        n, xi = divmod(x, size)
        u, v = (xi + 0.5) / size, (y + 0.5) / size
        glyph, colour = icons[n]
        return icon_pixel(glyph, colour, u, v) or KEY
    write_bmp(path, size * len(icons), size, pixel)


# ---- gauge sprite sheets ------------------------------------------------------------------------
# Layout (unscaled source pixels): icon (3, 17, 11, 16) keyed 0x4F4F4F (battery (3, 17, 11, 15)
# keyed white); empty bar (20, 37, 32, 11) keyed white (backlight black); full bar (20, 21, w, 11)
# keyed white; backlight knob (22, 50, 8, 14) keyed black.

GREY_KEY = (0x4F, 0x4F, 0x4F)
GAUGES = {
    "battery": {"glyph": "battery", "colour": (40, 150, 50), "fill": ((150, 230, 120), (70, 180, 60))},
    "memory": {"glyph": "chip", "colour": (40, 100, 190), "fill": ((150, 200, 255), (70, 140, 230))},
    "storagecard": {"glyph": "card", "colour": (200, 110, 30), "fill": ((255, 210, 140), (235, 150, 50))},
    "backlight": {"glyph": "sun", "colour": (210, 160, 0), "fill": None},
}


def write_gauge(path, style):
    w, h = 64, 64
    battery = style["glyph"] == "battery"
    backlight = style["fill"] is None
    icon_h = 15 if battery else 16

    def pixel(x, y):
        # Gauge icon
        if 3 <= x < 14 and 17 <= y < 17 + icon_h:
            u, v = (x - 3 + 0.5) / 11, (y - 17 + 0.5) / icon_h
            for shape in GLYPHS[style["glyph"]]:
                if shape(u, v):
                    return shade(style["colour"], v)
            return WHITE if battery else GREY_KEY
        # Full bar
        if style["fill"] and 20 <= x < 52 and 21 <= y < 32:
            top, bottom = style["fill"]
            if y in (21, 31) or x in (20, 51):
                return (60, 60, 60)
            t = (y - 22) / 8
            return tuple(int(a + (b - a) * t) for a, b in zip(top, bottom))
        # Empty bar
        if 20 <= x < 52 and 37 <= y < 48:
            if y in (37, 47) or x in (20, 51):
                return (60, 60, 60) if not backlight else (90, 90, 90)
            if backlight:  # dark to bright, as the light it sets
                t = (x - 21) / 30
                return (int(40 + 215 * t), int(40 + 190 * t), int(30 + 60 * t))
            return (232, 232, 232)
        # Knob
        if backlight and 22 <= x < 30 and 50 <= y < 64:
            if x in (22, 29) or y in (50, 63):
                return (70, 70, 80)
            return (200, 205, 215) if x < 26 else (160, 165, 180)
        return (0, 0, 0) if backlight and 20 <= x < 52 and 37 <= y < 64 else WHITE

    write_bmp(path, w, h, pixel)


def write_plain(path, w, h, pixel):
    write_bmp(path, w, h, pixel)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "."
    os.makedirs(out, exist_ok=True)
    for size in (16, 32, 64):
        write_strip(os.path.join(out, "setting%d.bmp" % size), SETTINGS, size)
        write_strip(os.path.join(out, "custom%d.bmp" % size), CUSTOM, size)
    for size in (16, 32):
        write_strip(os.path.join(out, "reset%d.bmp" % size), RESET, size)
        write_strip(os.path.join(out, "itself%d.bmp" % size), CUSTOM[:8], size)
        write_strip(os.path.join(out, "zek%d.bmp" % size), [("zek", (20, 70, 150))], size)
        write_strip(os.path.join(out, "Wizard%d.bmp" % size), [("next", (120, 120, 120)), ("next", (30, 110, 200))],
                    size)
    for size in (32, 64):
        write_plain(os.path.join(out, "bk%d.bmp" % size), size, size,
                    lambda x, y, s=size: (90, 140, 230) if tile((x + 0.5) / s, (y + 0.5) / s, 0.0, 0.18) else KEY)
    write_plain(os.path.join(out, "write.bmp"), 64, 64,
                lambda x, y: (250, 250, 244) if y % 16 else (215, 225, 240))
    for name, style in GAUGES.items():
        write_gauge(os.path.join(out, name + ".bmp"), style)


if __name__ == "__main__":
    main()

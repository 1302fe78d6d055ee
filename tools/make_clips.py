#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Draws the status clips (animated GIF data under the clip names, played by
# the animation controls) and the two pictures of the splash and wizard
# windows into data/Common, the program's icon in the sizes of the desktop's
# icon theme into data/icons/hicolor, plus a contact sheet of the clips for a
# person to look at. Everything is drawn from shapes here; no outside artwork.
# Deterministic: run it again and the files come out the same.
#
#   tools/make_clips.py [--sheet PATH]     (default docs/clips.png)
#
# Needs Debian's python3-pil and fonts-dejavu-core.
import math
import os
import sys

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.join(HERE, "..", "data", "Common")
ICONS = os.path.join(HERE, "..", "data", "icons", "hicolor")
ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)
SHEET = os.path.join(HERE, "..", "docs", "clips.png")
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"

# Clip size in pixels: fits the right-hand column of the main window and the
# middle of its tab area.
W, H = 80, 60
SCALE = 4            # drawn this much larger, then reduced: smooth edges
LW = 1.5             # the outline weight of every pictogram, in pixels
# The window colour the clips are blended against where their edges are
# half transparent; fully transparent pixels show the window itself.
WINDOW = (239, 239, 239)

# One palette for the whole set.
INK = (44, 56, 78)
PAPER = (255, 255, 255)
TEXT = (150, 166, 188)
FOLD = (214, 222, 234)
FOLDER = (246, 198, 76)
FOLDER_BACK = (218, 162, 44)
ARCHIVE = (198, 124, 60)
ARCHIVE_DARK = (150, 88, 36)
ZIPPER = (250, 228, 182)
BLUE = (52, 120, 210)
BLUE_LIGHT = (170, 205, 245)
GREEN = (52, 164, 92)
GREEN_DARK = (28, 110, 58)
RED = (214, 72, 60)
STEEL = (150, 162, 178)
STEEL_DARK = (98, 110, 128)
STEEL_LIGHT = (210, 216, 226)
GOLD = (236, 184, 48)
SEA = (72, 142, 214)
LAND = (96, 176, 92)
OFF = (70, 80, 92)


def ease(t):
    """0..1 -> 0..1, slow at both ends."""
    t = min(max(t, 0.0), 1.0)
    return 0.5 - 0.5 * math.cos(math.pi * t)


def seg(t, a, b):
    """How far t is through the span a..b, clamped to 0..1."""
    if b <= a:
        return 1.0 if t >= b else 0.0
    return min(max((t - a) / (b - a), 0.0), 1.0)


def lerp(a, b, u):
    return a + (b - a) * u


class Canvas:
    """An RGBA picture drawn in clip pixels at SCALE times the size."""

    def __init__(self, w=W, h=H):
        self.w, self.h = w, h
        self.im = Image.new("RGBA", (w * SCALE, h * SCALE), (0, 0, 0, 0))
        self.d = ImageDraw.Draw(self.im)

    @staticmethod
    def _s(v):
        return v * SCALE

    def _pts(self, pts):
        return [(x * SCALE, y * SCALE) for x, y in pts]

    def _w(self, width):
        return max(1, int(round(width * SCALE)))

    def rect(self, x0, y0, x1, y1, fill=None, outline=INK, width=LW, radius=0.0):
        box = (x0 * SCALE, y0 * SCALE, x1 * SCALE, y1 * SCALE)
        if radius > 0:
            self.d.rounded_rectangle(box, radius * SCALE, fill=fill,
                                     outline=outline, width=self._w(width) if outline else 0)
        else:
            self.d.rectangle(box, fill=fill, outline=outline,
                             width=self._w(width) if outline else 0)

    def ellipse(self, cx, cy, rx, ry, fill=None, outline=INK, width=LW):
        box = ((cx - rx) * SCALE, (cy - ry) * SCALE, (cx + rx) * SCALE, (cy + ry) * SCALE)
        self.d.ellipse(box, fill=fill, outline=outline, width=self._w(width) if outline else 0)

    def poly(self, pts, fill=None, outline=INK, width=LW):
        p = self._pts(pts)
        self.d.polygon(p, fill=fill)
        if outline:
            self.d.line(p + [p[0]], fill=outline, width=self._w(width), joint="curve")

    def line(self, pts, fill=INK, width=LW):
        self.d.line(self._pts(pts), fill=fill, width=self._w(width), joint="curve")
        # Round caps.
        r = width * SCALE / 2
        for x, y in self._pts([pts[0], pts[-1]]):
            self.d.ellipse((x - r, y - r, x + r, y + r), fill=fill)

    def arc(self, cx, cy, rx, ry, start, end, fill=INK, width=LW):
        box = ((cx - rx) * SCALE, (cy - ry) * SCALE, (cx + rx) * SCALE, (cy + ry) * SCALE)
        self.d.arc(box, start, end, fill=fill, width=self._w(width))

    def pie(self, cx, cy, r, start, end, fill):
        box = ((cx - r) * SCALE, (cy - r) * SCALE, (cx + r) * SCALE, (cy + r) * SCALE)
        self.d.pieslice(box, start, end, fill=fill)

    def text(self, x, y, s, size, fill=INK):
        font = ImageFont.truetype(FONT, int(size * SCALE))
        self.d.text((x * SCALE, y * SCALE), s, font=font, fill=fill)

    def layer(self, alpha, draw):
        """Draws with draw(canvas) on a layer of its own, then lays it over
        this picture at the given opacity."""
        if alpha <= 0.0:
            return
        sub = Canvas(self.w, self.h)
        draw(sub)
        if alpha < 1.0:
            a = sub.im.getchannel("A").point(lambda v: int(v * alpha))
            sub.im.putalpha(a)
        self.im.alpha_composite(sub.im)

    def clipped(self, mask_draw, draw):
        """Draws with draw(canvas) only where mask_draw(canvas) painted."""
        sub = Canvas(self.w, self.h)
        draw(sub)
        mask = Canvas(self.w, self.h)
        mask_draw(mask)
        m = mask.im.getchannel("A")
        a = Image.composite(sub.im.getchannel("A"), Image.new("L", m.size, 0), m)
        sub.im.putalpha(a)
        self.im.alpha_composite(sub.im)

    def reduced(self):
        return self.im.resize((self.w, self.h), Image.LANCZOS)


# --------------------------------------------------------------------------
# Pictograms, in clip pixels. (cx, cy) is the centre; s scales the shape.

def doc(c, cx, cy, s=1.0, lines=3, fill=PAPER, line_colour=TEXT):
    w, h, f = 14 * s, 18 * s, 5 * s
    x0, y0, x1, y1 = cx - w / 2, cy - h / 2, cx + w / 2, cy + h / 2
    c.poly([(x0, y0), (x1 - f, y0), (x1, y0 + f), (x1, y1), (x0, y1)], fill=fill, width=LW * max(s, 0.6))
    c.poly([(x1 - f, y0), (x1 - f, y0 + f), (x1, y0 + f)], fill=FOLD, width=LW * max(s, 0.6) * 0.8)
    for k in range(lines):
        y = y0 + f + 2.5 * s + k * 3.2 * s
        if y < y1 - 2 * s:
            c.line([(x0 + 3 * s, y), (x1 - 3 * s - (3 * s if k == lines - 1 else 0), y)],
                   fill=line_colour, width=1.2 * s)


def folder_back(c, cx, cy, s=1.0):
    w, h = 28 * s, 20 * s
    x0, y0, x1, y1 = cx - w / 2, cy - h / 2, cx + w / 2, cy + h / 2
    c.poly([(x0, y0 + 3 * s), (x0 + 2 * s, y0), (x0 + 10 * s, y0), (x0 + 12 * s, y0 + 3 * s),
            (x1, y0 + 3 * s), (x1, y1), (x0, y1)], fill=FOLDER_BACK)


def folder_front(c, cx, cy, s=1.0):
    w, h = 28 * s, 20 * s
    x0, y0, x1, y1 = cx - w / 2, cy - h / 2, cx + w / 2, cy + h / 2
    c.poly([(x0 - 1 * s, y0 + 7 * s), (x1 + 1 * s, y0 + 7 * s), (x1, y1), (x0, y1)], fill=FOLDER)


def folder(c, cx, cy, s=1.0):
    folder_back(c, cx, cy, s)
    folder_front(c, cx, cy, s)


def archive(c, cx, cy, s=1.0, squeeze=0.0):
    w, h = 20 * s * (1 + 0.08 * squeeze), 24 * s * (1 - 0.08 * squeeze)
    x0, y0, x1, y1 = cx - w / 2, cy - h / 2, cx + w / 2, cy + h / 2
    c.rect(x0, y0, x1, y1, fill=ARCHIVE, radius=2.5 * s, width=LW * max(s, 0.6))
    # The zipper down the middle, with its teeth and pull.
    c.rect(cx - 2.2 * s, y0 + 0.8 * s, cx + 2.2 * s, y1 - 0.8 * s, fill=ZIPPER, outline=None)
    n = 7
    for k in range(n):
        y = y0 + 2 * s + k * (h - 6 * s) / (n - 1)
        xa = cx - 2.2 * s if k % 2 == 0 else cx
        c.rect(xa, y - 0.7 * s, xa + 2.2 * s, y + 0.7 * s, fill=ARCHIVE_DARK, outline=None)
    c.rect(cx - 2.4 * s, y1 - 8 * s, cx + 2.4 * s, y1 - 3 * s, fill=STEEL_LIGHT, radius=1 * s,
           width=LW * 0.7 * max(s, 0.6))


def vault(c, cx, cy, s=1.0, dial=0.0):
    w = 28 * s
    x0, y0, x1, y1 = cx - w / 2, cy - w / 2, cx + w / 2, cy + w / 2
    c.rect(x0 + 3 * s, y1 - 1, x0 + 7 * s, y1 + 2.5 * s, fill=STEEL_DARK, outline=None)
    c.rect(x1 - 7 * s, y1 - 1, x1 - 3 * s, y1 + 2.5 * s, fill=STEEL_DARK, outline=None)
    c.rect(x0, y0, x1, y1, fill=STEEL, radius=3 * s)
    c.rect(x0 + 3 * s, y0 + 3 * s, x1 - 3 * s, y1 - 3 * s, fill=STEEL_LIGHT, radius=2 * s, width=LW * 0.8)
    c.ellipse(cx, cy, 6 * s, 6 * s, fill=STEEL, width=LW * 0.9)
    for k in range(8):
        a = 2 * math.pi * (k / 8 + dial)
        c.line([(cx + 3.2 * s * math.cos(a), cy + 3.2 * s * math.sin(a)),
                (cx + 5 * s * math.cos(a), cy + 5 * s * math.sin(a))], fill=INK, width=0.8 * s)
    c.ellipse(cx, cy, 1.6 * s, 1.6 * s, fill=INK, outline=None)
    c.rect(x1 - 6 * s, cy - 5 * s, x1 - 4.2 * s, cy + 5 * s, fill=STEEL_DARK, outline=None)


def server(c, cx, cy, s=1.0, blink=0):
    w, h = 20 * s, 32 * s
    x0, y0, x1, y1 = cx - w / 2, cy - h / 2, cx + w / 2, cy + h / 2
    c.rect(x0, y0, x1, y1, fill=STEEL_LIGHT, radius=2 * s)
    for k in range(3):
        y = y0 + 4 * s + k * 9 * s
        c.rect(x0 + 3 * s, y, x1 - 3 * s, y + 6 * s, fill=STEEL, radius=1 * s, width=LW * 0.7)
        on = (k + blink) % 3 == 0
        c.ellipse(x1 - 5.5 * s, y + 3 * s, 1.2 * s, 1.2 * s, fill=GREEN if on else OFF, outline=None)
        c.line([(x0 + 5 * s, y + 3 * s), (x0 + 10 * s, y + 3 * s)], fill=STEEL_DARK, width=1.0 * s)


def monitor(c, cx, cy, s=1.0, screen=BLUE_LIGHT):
    w, h = 28 * s, 20 * s
    x0, y0, x1, y1 = cx - w / 2, cy - h / 2, cx + w / 2, cy + h / 2
    c.poly([(cx - 3 * s, y1), (cx + 3 * s, y1), (cx + 5 * s, y1 + 5 * s), (cx - 5 * s, y1 + 5 * s)],
           fill=STEEL, width=LW * 0.8)
    c.rect(x0, y0, x1, y1, fill=STEEL_LIGHT, radius=2 * s)
    c.rect(x0 + 2.5 * s, y0 + 2.5 * s, x1 - 2.5 * s, y1 - 2.5 * s, fill=screen, outline=None)


def magnifier(c, cx, cy, r=7.0, glass=True):
    a = math.radians(45)
    hx, hy = cx + r * math.cos(a), cy + r * math.sin(a)
    c.line([(hx, hy), (hx + 7, hy + 7)], fill=INK, width=3.4)
    if glass:
        c.layer(0.55, lambda k: k.ellipse(cx, cy, r, r, fill=(225, 240, 255), outline=None))
    c.ellipse(cx, cy, r, r, fill=None, outline=INK, width=2.2)
    c.arc(cx, cy, r - 2.2, r - 2.2, 200, 250, fill=PAPER, width=1.2)


def globe(c, cx, cy, r, phase):
    def sphere(k):
        k.ellipse(cx, cy, r, r, fill=SEA, outline=None)

    def land(k):
        # Land masses at fixed longitudes turn with the phase; only the side
        # that faces us shows, foreshortened towards the rim.
        masses = [(0.0, -0.35, 0.55, 0.30), (1.2, 0.25, 0.45, 0.45), (2.3, -0.1, 0.5, 0.35),
                  (3.4, 0.4, 0.35, 0.25), (4.4, -0.45, 0.6, 0.25), (5.3, 0.15, 0.4, 0.4)]
        for lon, lat, wr, hr in masses:
            a = lon + 2 * math.pi * phase
            z = math.cos(a)
            if z <= -0.2:
                continue
            x = cx + r * math.sin(a) * math.cos(lat)
            y = cy + r * math.sin(lat)
            k.ellipse(x, y, max(0.6, wr * r * 0.55 * max(z, 0.15)), hr * r * 0.6, fill=LAND, outline=None)
        # Meridians and the equator.
        for m in range(6):
            a = 2 * math.pi * (phase + m / 6)
            rx = abs(r * math.sin(a))
            if math.cos(a) > 0:
                k.arc(cx, cy, max(rx, 0.5), r, 270 if math.sin(a) > 0 else 90,
                      90 if math.sin(a) > 0 else 270, fill=(255, 255, 255, 110), width=0.8)
        k.line([(cx - r, cy), (cx + r, cy)], fill=(255, 255, 255, 110), width=0.8)
        for lat in (-0.5, 0.5):
            half = r * math.cos(math.asin(lat))
            k.arc(cx, cy + r * lat, half, r * 0.18, 0, 180, fill=(255, 255, 255, 90), width=0.8)

    c.clipped(sphere, lambda k: (sphere(k), land(k)))
    c.layer(0.35, lambda k: k.ellipse(cx - r * 0.35, cy - r * 0.4, r * 0.35, r * 0.25, fill=PAPER, outline=None))
    c.ellipse(cx, cy, r, r, fill=None)


def disc(c, cx, cy, r, angle):
    c.ellipse(cx, cy, r, r, fill=STEEL_LIGHT)
    colours = [(255, 170, 170), (255, 236, 150), (170, 240, 190), (160, 200, 255)]
    for k, col in enumerate(colours):
        a0 = angle + k * 22
        c.layer(0.85, lambda kk, a0=a0, col=col: kk.pie(cx, cy, r - 0.8, a0, a0 + 18, col))
        c.layer(0.85, lambda kk, a0=a0, col=col: kk.pie(cx, cy, r - 0.8, a0 + 180, a0 + 198, col))
    c.ellipse(cx, cy, r * 0.36, r * 0.36, fill=STEEL, width=LW * 0.8)
    c.ellipse(cx, cy, r * 0.16, r * 0.16, fill=(255, 255, 255, 0), width=LW * 0.8)
    c.ellipse(cx, cy, r, r, fill=None)


def envelope(c, cx, cy, s=1.0):
    w, h = 22 * s, 15 * s
    x0, y0, x1, y1 = cx - w / 2, cy - h / 2, cx + w / 2, cy + h / 2
    c.rect(x0, y0, x1, y1, fill=PAPER, radius=1 * s, width=LW * max(s, 0.6))
    c.line([(x0 + 1 * s, y0 + 1 * s), (cx, cy + 2 * s), (x1 - 1 * s, y0 + 1 * s)], width=LW * max(s, 0.6) * 0.8)
    c.ellipse(cx, cy + 2 * s, 1.6 * s, 1.6 * s, fill=RED, outline=None)


def padlock(c, cx, cy, open_=0.0, s=1.0):
    # open_ 0 = shut, 1 = shackle lifted and swung free on the right.
    lift = 5 * s * open_
    c.line([(cx - 5 * s, cy - 2 * s), (cx - 5 * s, cy - 6 * s - lift)], fill=STEEL_DARK, width=2.6 * s)
    c.arc(cx, cy - 6 * s - lift, 5 * s, 5 * s, 180, 360, fill=STEEL_DARK, width=2.6 * s)
    c.line([(cx + 5 * s, cy - 6 * s - lift), (cx + 5 * s, cy - 2 * s - lift * 1.2)], fill=STEEL_DARK, width=2.6 * s)
    c.rect(cx - 8 * s, cy - 3 * s, cx + 8 * s, cy + 9 * s, fill=GOLD, radius=2 * s)
    c.ellipse(cx, cy + 2 * s, 1.8 * s, 1.8 * s, fill=INK, outline=None)
    c.poly([(cx - 1 * s, cy + 2.5 * s), (cx + 1 * s, cy + 2.5 * s), (cx + 1.4 * s, cy + 6 * s),
            (cx - 1.4 * s, cy + 6 * s)], fill=INK, outline=None)


def trash(c, cx, cy, lid=0.0):
    # lid: 0 shut .. 1 open (swung up about its left hinge)
    c.poly([(cx - 9, cy - 6), (cx + 9, cy - 6), (cx + 7, cy + 12), (cx - 7, cy + 12)], fill=STEEL_LIGHT)
    for dx in (-4, 0, 4):
        c.line([(cx + dx, cy - 3), (cx + dx * 0.85, cy + 9)], fill=STEEL, width=1.2)
    a = -math.radians(70) * lid
    hx, hy = cx - 10, cy - 7

    def rot(x, y):
        return (hx + (x - hx) * math.cos(a) - (y - hy) * math.sin(a),
                hy + (x - hx) * math.sin(a) + (y - hy) * math.cos(a))
    c.poly([rot(cx - 10, cy - 9), rot(cx + 10, cy - 9), rot(cx + 10, cy - 6.5), rot(cx - 10, cy - 6.5)], fill=STEEL)
    c.poly([rot(cx - 3, cy - 11.5), rot(cx + 3, cy - 11.5), rot(cx + 3, cy - 9), rot(cx - 3, cy - 9)], fill=STEEL)


def floppy(c, cx, cy, s=1.0, colour=BLUE):
    w = 18 * s
    x0, y0, x1, y1 = cx - w / 2, cy - w / 2, cx + w / 2, cy + w / 2
    c.poly([(x0, y0), (x1 - 2.5 * s, y0), (x1, y0 + 2.5 * s), (x1, y1), (x0, y1)], fill=colour, width=LW * max(s, 0.6))
    c.rect(x0 + 4 * s, y0, x1 - 5 * s, y0 + 6 * s, fill=STEEL_LIGHT, width=LW * 0.7 * max(s, 0.6))
    c.rect(x1 - 8.5 * s, y0 + 1.2 * s, x1 - 6.5 * s, y0 + 4.8 * s, fill=colour, outline=None)
    c.rect(x0 + 3 * s, y0 + 9 * s, x1 - 3 * s, y1, fill=PAPER, width=LW * 0.7 * max(s, 0.6))


def drive(c, cx, cy, w=44, h=16, led=False):
    x0, y0, x1, y1 = cx - w / 2, cy - h / 2, cx + w / 2, cy + h / 2
    c.rect(x0, y0, x1, y1, fill=STEEL_LIGHT, radius=2)
    c.rect(x0 + 6, cy - 2.5, x1 - 12, cy + 0.5, fill=INK, outline=None, radius=1)
    c.ellipse(x1 - 6, cy + 3, 1.8, 1.8, fill=GREEN if led else OFF, outline=None)


def arrow(c, x0, y0, x1, y1, colour=BLUE, width=3.0, head=5.0):
    a = math.atan2(y1 - y0, x1 - x0)
    bx, by = x1 - head * math.cos(a), y1 - head * math.sin(a)
    c.line([(x0, y0), (bx, by)], fill=colour, width=width)
    px, py = -math.sin(a), math.cos(a)
    c.poly([(x1, y1), (bx + px * head * 0.8, by + py * head * 0.8), (bx - px * head * 0.8, by - py * head * 0.8)],
           fill=colour, outline=None)


def speed_lines(c, x, y, n=3, length=7, alpha=1.0):
    def draw(k):
        for i in range(n):
            yy = y + (i - (n - 1) / 2) * 4
            k.line([(x - length + (i % 2) * 2, yy), (x, yy)], fill=STEEL, width=1.3)
    c.layer(alpha, draw)


# --------------------------------------------------------------------------
# The clips. Each takes the canvas and t in 0..1 (one loop) and draws one
# frame; frame 0 shows the step at work, so the contact sheet tells them apart.

def arc_path(x0, y0, x1, y1, u, height):
    return lerp(x0, x1, u), lerp(y0, y1, u) - height * math.sin(math.pi * u)


def clip_compress(c, t):
    """Files squeezed into an archive."""
    squeeze = 0.0
    items = []
    for k in range(2):
        p = (t + k * 0.5 + 0.25) % 1.0
        items.append(p)
        squeeze = max(squeeze, 1 - abs(p - 0.9) * 8) if p > 0.75 else squeeze
    archive(c, 60, 30, squeeze=max(0.0, squeeze))
    for p in items:
        u = ease(p / 0.92)
        if p < 0.92:
            x, y = arc_path(14, 32, 56, 30, u, 10)
            s = lerp(1.0, 0.35, u * u)
            c.layer(1.0 if p < 0.8 else (0.92 - p) / 0.12, lambda k, x=x, y=y, s=s: doc(k, x, y, s))
    # The arrows of pressure from above and below.
    pulse = 0.5 + 0.5 * math.sin(2 * math.pi * t * 2)
    arrow(c, 60, 2 + pulse, 60, 9 + pulse, colour=ARCHIVE_DARK, width=2.0, head=3.5)
    arrow(c, 60, 58 - pulse, 60, 51 - pulse, colour=ARCHIVE_DARK, width=2.0, head=3.5)


def clip_extract(c, t):
    """Files coming out of an archive."""
    archive(c, 18, 30)
    for k in range(2):
        p = (t + k * 0.5 + 0.25) % 1.0
        u = ease(p)
        x, y = arc_path(22, 30, 62, 32, u, 12)
        s = lerp(0.35, 1.0, math.sqrt(u))
        alpha = min(1.0, p / 0.15) * (1.0 if p < 0.85 else (1.0 - p) / 0.15)
        c.layer(alpha, lambda kk, x=x, y=y, s=s: doc(kk, x, y, s))


def clip_filecopy(c, t):
    """A file copied from one folder into another."""
    folder_back(c, 16, 38)
    folder_back(c, 64, 38)
    p = (t + 0.35) % 1.0
    u = ease(p)
    x, y = arc_path(16, 36, 64, 36, u, 24)
    doc(c, x, y, 0.9)
    folder_front(c, 16, 38)
    folder_front(c, 64, 38)


def clip_to_store(c, t):
    """An archive carried from a folder into the archive store."""
    folder_back(c, 14, 40)
    p = (t + 0.35) % 1.0
    u = ease(p / 0.85)
    x, y = arc_path(14, 38, 62, 32, u, 18)
    s = lerp(0.7, 0.45, u)
    if p < 0.85:
        archive(c, x, y, s)
    folder_front(c, 14, 40)
    vault(c, 62, 34, 0.95, dial=t)


def clip_from_store(c, t):
    """An archive fetched back from the archive store into a folder."""
    vault(c, 18, 34, 0.95, dial=-t)
    folder_back(c, 64, 40)
    p = (t + 0.35) % 1.0
    u = ease(p / 0.85)
    x, y = arc_path(18, 32, 64, 38, u, 18)
    s = lerp(0.45, 0.7, u)
    if p < 0.85:
        archive(c, x, y, s)
    folder_front(c, 64, 40)


def clip_compare(c, t):
    """Two files read side by side, line by line, and found equal."""
    for cx in (20, 60):
        doc(c, cx, 30, 2.0, lines=0)
    n = 5
    k = int(t * n) % n
    for cx in (20, 60):
        for i in range(n):
            y = 22 + i * 5
            col = BLUE if i == k else TEXT
            c.line([(cx - 9, y), (cx + 9 - (5 if i == n - 1 else 0), y)], fill=col, width=1.6 if i == k else 1.2)
    y = 22 + k * 5
    c.layer(0.35, lambda kk: (kk.rect(11, y - 2, 29, y + 2, fill=BLUE_LIGHT, outline=None),
                              kk.rect(51, y - 2, 69, y + 2, fill=BLUE_LIGHT, outline=None)))
    local = (t * n) % 1.0
    g = 1.0 if local > 0.3 else local / 0.3
    c.layer(g, lambda kk: (kk.line([(36, y - 1.8), (44, y - 1.8)], fill=GREEN, width=1.8),
                           kk.line([(36, y + 1.8), (44, y + 1.8)], fill=GREEN, width=1.8)))


def clip_delete(c, t):
    """Old files thrown into the waste bin."""
    p = (t + 0.3) % 1.0
    lid = ease(seg(p, 0.25, 0.45)) * (1 - ease(seg(p, 0.8, 0.95)))
    trash(c, 58, 40, lid)
    if p < 0.8:
        u = ease(p / 0.8)
        x, y = arc_path(14, 24, 58, 36, u, 14)
        s = lerp(1.0, 0.5, u)
        c.layer(1.0 if p < 0.7 else (0.8 - p) / 0.1, lambda kk: doc(kk, x, y, s))
    # The bin's front covers the file as it drops in.
    if 0.55 < p < 0.8:
        c.poly([(49, 34), (67, 34), (65, 52), (51, 52)], fill=STEEL_LIGHT)
        for dx in (-4, 0, 4):
            c.line([(58 + dx, 37), (58 + dx * 0.85, 49)], fill=STEEL, width=1.2)
    c.layer(0.9, lambda kk: kk.line([(10, 54), (70, 54)], fill=STEEL_LIGHT, width=1.0))


def clip_encrypt(c, t):
    """A lock coming down over a document and snapping shut."""
    t = (t + 0.5) % 1.0
    doc(c, 40, 32, 2.2, lines=0)
    closed = seg(t, 0.3, 0.42)
    hidden = ease(seg(t, 0.45, 0.8))
    # The text of the document turns into a scramble once the lock is shut.
    for i in range(5):
        y = 25 + i * 4.4
        x0, x1 = 32, 48 - (6 if i == 4 else 0)
        if hidden < 1:
            c.layer(1 - hidden, lambda kk, y=y, x0=x0, x1=x1: kk.line([(x0, y), (x1, y)], fill=TEXT, width=1.3))
        if hidden > 0:
            def dots(kk, y=y, x0=x0, x1=x1, i=i):
                x = x0
                j = 0
                while x < x1:
                    kk.rect(x, y - 0.8, x + 1.6, y + 0.8, fill=BLUE if (i + j) % 3 else GREEN, outline=None)
                    x += 2.8
                    j += 1
            c.layer(hidden, dots)
    drop = ease(seg(t, 0.0, 0.3))
    rise = ease(seg(t, 0.85, 1.0))
    y = lerp(-12, 38, drop) - 50 * rise
    open_ = 1.0 - ease(closed) + ease(seg(t, 0.82, 0.9))
    padlock(c, 40, y, open_=min(open_, 1.0))
    if 0.42 < t < 0.6:
        f = seg(t, 0.42, 0.6)
        c.layer(1 - f, lambda kk: [kk.line([(40 + 13 * math.cos(a), y - 2 + 13 * math.sin(a)),
                                             (40 + 17 * math.cos(a), y - 2 + 17 * math.sin(a))],
                                            fill=GOLD, width=1.6)
                                   for a in (-2.6, -1.57, -0.55)])


def clip_sendmail(c, t):
    """A letter leaving the computer."""
    monitor(c, 16, 34, 0.8)
    p = (t + 0.3) % 1.0
    u = ease(p)
    x, y = lerp(18, 82, u), lerp(32, 6, u) - 6 * math.sin(math.pi * u)
    s = lerp(0.6, 1.0, math.sin(math.pi * min(u * 1.4, 1.0)))
    alpha = min(1.0, p / 0.12)
    c.layer(alpha, lambda kk: envelope(kk, x, y, s))
    speed_lines(c, x - 12 * s, y, alpha=alpha * min(1.0, u * 3))


def clip_upload(c, t):
    """A file sent up to a server."""
    monitor(c, 16, 40, 0.8)
    server(c, 62, 28, blink=int(t * 6))
    p = (t + 0.3) % 1.0
    u = ease(p / 0.85)
    if p < 0.85:
        x, y = arc_path(16, 38, 60, 22, u, 18)
        c.layer(min(1.0, p / 0.1) * (1.0 if p < 0.75 else (0.85 - p) / 0.1),
                lambda kk: doc(kk, x, y, 0.7))
    b = 0.5 + 0.5 * math.sin(2 * math.pi * t * 2)
    c.layer(0.6 + 0.4 * b, lambda kk: arrow(kk, 38, 56, 38, 46, colour=GREEN, width=2.6, head=4))


def clip_download(c, t):
    """A file fetched down from a server into a folder."""
    server(c, 18, 24, blink=int(t * 6))
    folder_back(c, 62, 44)
    p = (t + 0.3) % 1.0
    u = ease(p / 0.85)
    if p < 0.85:
        x, y = arc_path(20, 18, 62, 42, u, 14)
        c.layer(min(1.0, p / 0.1), lambda kk: doc(kk, x, y, 0.7))
    folder_front(c, 62, 44)
    b = 0.5 + 0.5 * math.sin(2 * math.pi * t * 2)
    c.layer(0.6 + 0.4 * b, lambda kk: arrow(kk, 42, 4, 42, 14, colour=BLUE, width=2.6, head=4))


def clip_findfile(c, t):
    """A magnifier moving over a row of files."""
    xs = (16, 40, 64)
    a = 2 * math.pi * t
    mx, my = 40 + 24 * math.sin(a), 28 + 5 * math.sin(2 * a)
    near = min(range(3), key=lambda i: abs(xs[i] - mx))
    for i, x in enumerate(xs):
        doc(c, x, 30, 1.05, line_colour=BLUE if i == near else TEXT)
    magnifier(c, mx - 2, my - 2, 8)


def clip_findcomp(c, t):
    """A magnifier searching the computer's folders."""
    monitor(c, 36, 28, 1.5)
    for i, (x, y) in enumerate(((26, 22), (36, 22), (46, 22), (26, 32), (36, 32), (46, 32))):
        c.rect(x - 3.5, y - 2.5, x + 3.5, y + 2.5, fill=FOLDER, width=0.9, radius=0.5)
    a = 2 * math.pi * t
    magnifier(c, 40 + 16 * math.cos(a), 27 + 7 * math.sin(a), 7)


def clip_splitdisk(c, t):
    """A large file cut into pieces, one for each disk."""
    # The file, with dashed lines where it is cut.
    doc(c, 14, 30, 1.6, lines=4)
    for k in range(2):
        y = 23 + k * 8
        for x in range(7, 22, 4):
            c.line([(x, y), (x + 2, y)], fill=RED, width=1.0)
    targets = ((50, 10), (70, 30), (50, 50))
    for k, (tx, ty) in enumerate(targets):
        floppy(c, tx, ty, 0.85)
    for k, (tx, ty) in enumerate(targets):
        p = (t + k / 3) % 1.0
        if p < 0.75:
            u = ease(p / 0.75)
            x, y = lerp(20, tx, u), lerp(22 + k * 8, ty, u)
            c.layer(min(1.0, p / 0.1) * (1.0 if p < 0.65 else (0.75 - p) / 0.1),
                    lambda kk, x=x, y=y: kk.rect(x - 5, y - 2.5, x + 5, y + 2.5, fill=PAPER, radius=0.8,
                                                 width=1.1))


def clip_insertcd(c, t):
    """A disc going into the drive."""
    p = (t + 0.2) % 1.0
    u = ease(seg(p, 0.0, 0.55))
    led = p > 0.6 and int(p * 16) % 2 == 0
    y = lerp(16, 44, u)
    alpha = 1.0 if p < 0.85 else (1.0 - p) / 0.15
    # The disc, seen at a slant, slides down into the slot.
    def d(k):
        k.clipped(lambda m: m.rect(0, 0, W, 46, fill=(0, 0, 0), outline=None),
                  lambda kk: disc(kk, 40, y, 14, 30 + 200 * p))
    c.layer(alpha, d)
    drive(c, 40, 50, w=56, h=14, led=led)
    if p < 0.5:
        c.layer(1 - p * 2, lambda k: arrow(k, 64, 10, 64, 26, colour=BLUE, width=2.4, head=4))


def clip_writecd(c, t):
    """Files written onto a spinning disc."""
    disc(c, 54, 30, 20, -360 * t)
    p = (t + 0.2) % 1.0
    for k in range(2):
        q = (p + k * 0.5) % 1.0
        u = ease(q / 0.8)
        if q < 0.8:
            x, y = arc_path(12, 32, 48, 30, u, 10)
            c.layer(min(1.0, q / 0.1) * (1.0 if q < 0.65 else (0.8 - q) / 0.15),
                    lambda kk, x=x, y=y, u=u: doc(kk, x, y, lerp(0.9, 0.45, u)))
    # The laser spot on the track.
    c.ellipse(54, 14, 1.8, 1.8, fill=RED, outline=None)
    c.layer(0.4, lambda k: k.ellipse(54, 14, 3.5, 3.5, fill=RED, outline=None))


def clip_floppydrive(c, t):
    """Restored files written to a drive whose light flickers."""
    drive(c, 40, 46, w=52, h=16, led=int(t * 16) % 3 != 0)
    for k in range(2):
        p = (t + k * 0.5 + 0.2) % 1.0
        u = ease(p / 0.8)
        if p < 0.8:
            y = lerp(8, 42, u)
            s = lerp(1.0, 0.6, u)
            def d(kk, y=y, s=s):
                kk.clipped(lambda m: m.rect(0, 0, W, 44.5, fill=(0, 0, 0), outline=None),
                           lambda q: doc(q, 34, y, s))
            c.layer(min(1.0, p / 0.1), d)


def clip_earthspin(c, t):
    """The globe turning: a server on the Internet is being reached."""
    globe(c, 40, 30, 24, t)


def clip_update_app(c, t):
    """The update check: a turning globe and news coming down to the program."""
    globe(c, 26, 26, 19, t)
    c.rect(52, 30, 76, 54, fill=PAPER, radius=1.5)
    c.rect(52, 30, 76, 35, fill=BLUE, radius=1.5)
    for i in range(3):
        c.line([(55, 40 + i * 4), (73 - (5 if i == 2 else 0), 40 + i * 4)], fill=TEXT, width=1.2)
    p = (t * 2) % 1.0
    c.layer(1.0 - abs(p - 0.5) * 1.4, lambda k: arrow(k, 50, 12 + 8 * p, 62, 20 + 8 * p, colour=GREEN, width=2.4, head=4))


def clip_update_list(c, t):
    """Two folders brought in step: files moving both ways between them."""
    folder(c, 14, 32)
    folder(c, 66, 32)
    for k, (x0, x1, h, col) in enumerate(((20, 60, 14, GREEN), (60, 20, -14, BLUE))):
        p = (t + k * 0.5) % 1.0
        u = ease(p)
        x, y = arc_path(x0, 28, x1, 28, u, h)
        c.layer(math.sin(math.pi * p), lambda kk, x=x, y=y: doc(kk, x, y, 0.65))
        c.arc(40, 28, 18, 12, 200 if h > 0 else 20, 340 if h > 0 else 160, fill=col, width=1.4)


def clip_progress(c, t):
    """Work going on: blocks light up along the bar."""
    n = 8
    c.rect(4, 23, 76, 37, fill=PAPER, radius=3)
    head = t * (n + 3)
    for i in range(n):
        x = 7 + i * 8.6
        lit = max(0.0, 1.0 - abs(head - 1.5 - i) / 2.2)
        col = tuple(int(lerp(a, b, lit)) for a, b in zip(STEEL_LIGHT, GREEN))
        c.rect(x, 26, x + 6.6, 34, fill=col, outline=None, radius=1)


def clip_newfiletree(c, t):
    """The destination folder and its sub-folders being made."""
    t = (t + 0.6) % 1.0
    folder(c, 14, 12, 0.6)
    c.line([(10, 19), (10, 50)], fill=STEEL_DARK, width=1.4)
    alpha = 1.0 if t < 0.9 else (1.0 - t) / 0.1
    for k in range(3):
        y = 24 + k * 12
        g = ease(seg(t, 0.1 + k * 0.22, 0.28 + k * 0.22))
        if g <= 0:
            continue

        def branch(kk, y=y, g=g):
            kk.line([(10, y), (10 + 14 * g, y)], fill=STEEL_DARK, width=1.4)
            if g > 0.6:
                s = 0.55 * (g - 0.6) / 0.4
                folder(kk, 30, y, max(s, 0.05))
        c.layer(alpha, branch)
        if g < 1:
            c.layer(alpha, lambda kk, y=y: (kk.line([(46, y), (52, y)], fill=GREEN, width=2),
                                            kk.line([(49, y - 3), (49, y + 3)], fill=GREEN, width=2)))


CLIPS = {
    # name: (draw, frames, milliseconds a frame)
    "compress.avi": (clip_compress, 16, 80),
    "extract1.avi": (clip_extract, 16, 80),
    "filecopy.avi": (clip_filecopy, 16, 80),
    "copy_to_sourcesafe.avi": (clip_to_store, 16, 80),
    "copy_from_sourcesafe.avi": (clip_from_store, 16, 80),
    "compare.avi": (clip_compare, 20, 90),
    "filedelr.avi": (clip_delete, 16, 80),
    "encryp.avi": (clip_encrypt, 24, 80),
    "sendmail.avi": (clip_sendmail, 16, 80),
    "websend.avi": (clip_upload, 16, 80),
    "ftpdownload.avi": (clip_download, 16, 80),
    "findfile.avi": (clip_findfile, 20, 80),
    "findcomp.avi": (clip_findcomp, 20, 80),
    "splitdisk.avi": (clip_splitdisk, 18, 80),
    "insertcd.avi": (clip_insertcd, 20, 80),
    "adddatacd.avi": (clip_writecd, 16, 80),
    "35driveani.avi": (clip_floppydrive, 16, 80),
    "earthspin.avi": (clip_earthspin, 24, 70),
    "update_app.avi": (clip_update_app, 24, 70),
    "update_list.avi": (clip_update_list, 16, 80),
    "progress.avi": (clip_progress, 16, 70),
    "newfiletree.avi": (clip_newfiletree, 24, 90),
}


# --------------------------------------------------------------------------
# GIF output: one palette per clip, index 255 transparent.

TRANSPARENT = 255


def flatten(rgba):
    """Blends half-covered edge pixels with the window colour and marks the
    rest transparent. Returns (rgb, mask of transparent pixels)."""
    alpha = rgba.getchannel("A")
    back = Image.new("RGBA", rgba.size, WINDOW + (255,))
    rgb = Image.alpha_composite(back, rgba).convert("RGB")
    mask = alpha.point(lambda a: 255 if a < 80 else 0)
    return rgb, mask


def save_gif(path, frames, duration):
    flat = [flatten(f) for f in frames]
    sheet = Image.new("RGB", (W, H * len(flat)))
    for i, (rgb, _) in enumerate(flat):
        sheet.paste(rgb, (0, i * H))
    pal = sheet.quantize(colors=255, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    palette = pal.getpalette()[:255 * 3]
    palette += [0] * (255 * 3 - len(palette)) + list(WINDOW)
    out = []
    for rgb, mask in flat:
        q = rgb.quantize(palette=pal, dither=Image.Dither.NONE)
        q.paste(TRANSPARENT, mask=mask)
        q.putpalette(palette)
        q.info["transparency"] = TRANSPARENT
        out.append(q)
    out[0].save(path, format="GIF", save_all=True, append_images=out[1:], duration=duration, loop=0,
                transparency=TRANSPARENT, disposal=2, optimize=False)


def render(draw, n):
    frames = []
    for i in range(n):
        c = Canvas()
        draw(c, i / n)
        frames.append(c.reduced())
    return frames


# --------------------------------------------------------------------------
# The splash and wizard pictures.

def seagull_tile():
    """A seamless sky tile: soft wave bands and two gulls placed so the
    pattern repeats without seams."""
    n = 48
    c = Canvas(n, n)
    c.rect(0, 0, n, n, fill=(222, 234, 248), outline=None)
    for k in range(2):
        y0 = 12 + k * 24
        pts = [(x, y0 + 2.2 * math.sin(2 * math.pi * x / n)) for x in range(0, n + 1, 2)]
        c.line(pts, fill=(208, 224, 243), width=3)
    for gx, gy, s in ((12, 9, 1.4), (35, 32, 1.1)):
        c.line([(gx - 5 * s, gy + 1 * s), (gx - 2.5 * s, gy - 1.5 * s), (gx, gy + 0.8 * s),
                (gx + 2.5 * s, gy - 1.5 * s), (gx + 5 * s, gy + 1 * s)], fill=(128, 150, 182), width=1.2)
    return c.reduced().convert("RGB")


def logo():
    """The product name beside a small vault mark, 162 x 57 pixels."""
    c = Canvas(162, 57)
    c.rect(1, 1, 161, 56, fill=PAPER, outline=(60, 90, 150), width=1.5, radius=7)
    vault(c, 26, 27, 1.15, dial=0.04)
    c.text(50, 11, "Vaultora", 22, fill=(40, 70, 130))
    c.text(52, 38, "backup", 9, fill=(110, 128, 160))
    im = c.reduced()
    rgb, mask = flatten(im)
    q = rgb.quantize(colors=255, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    palette = q.getpalette()[:255 * 3]
    palette += [0] * (255 * 3 - len(palette)) + list(WINDOW)
    q.paste(TRANSPARENT, mask=mask)
    q.putpalette(palette)
    return q


def icons():
    """The vault mark as the program's icon, {size: RGBA picture}. Drawn once
    on a 48-pixel grid, finely enough for the largest size, and reduced."""
    global SCALE
    kept, SCALE = SCALE, 24
    try:
        c = Canvas(48, 48)
        c.rect(2, 2, 46, 46, fill=(40, 70, 130), outline=(24, 44, 90), width=1.2, radius=9)
        vault(c, 24, 23, 1.3, dial=0.04)
        c.ellipse(36.5, 35.5, 7, 7, fill=GREEN, outline=PAPER, width=1.4)
        c.line([(33, 35.8), (35.7, 38.4), (40, 32.8)], fill=PAPER, width=1.8)
        return {n: c.im.resize((n, n), Image.LANCZOS) for n in ICON_SIZES}
    finally:
        SCALE = kept


def contact_sheet(path, clips):
    cols = 6
    cell_w, cell_h = W * 2 + 16, H * 2 + 30
    rows = (len(clips) + cols - 1) // cols
    sheet = Image.new("RGB", (cols * cell_w, rows * cell_h), WINDOW)
    d = ImageDraw.Draw(sheet)
    font = ImageFont.truetype(FONT, 11)
    for i, (name, frames) in enumerate(clips):
        x, y = (i % cols) * cell_w, (i // cols) * cell_h
        rgb, _ = flatten(frames[0])
        sheet.paste(rgb.resize((W * 2, H * 2), Image.NEAREST), (x + 8, y + 6))
        d.text((x + 8, y + H * 2 + 10), name, font=font, fill=INK)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    sheet.save(path, optimize=True)


def main(argv):
    sheet_path = SHEET
    if len(argv) == 3 and argv[1] == "--sheet":
        sheet_path = argv[2]
    elif len(argv) != 1:
        print("usage: make_clips.py [--sheet PATH]", file=sys.stderr)
        return 2
    os.makedirs(os.path.join(ROOT, "avi"), exist_ok=True)
    os.makedirs(os.path.join(ROOT, "bitmap"), exist_ok=True)
    done = []
    for name, (draw, n, ms) in CLIPS.items():
        frames = render(draw, n)
        save_gif(os.path.join(ROOT, "avi", name), frames, ms)
        done.append((name, frames))
    seagull_tile().quantize(colors=64, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE).save(
        os.path.join(ROOT, "bitmap", "seagull.gif"))
    logo().save(os.path.join(ROOT, "bitmap", "n.r.v2.gif"), transparency=TRANSPARENT)
    for n, im in icons().items():
        folder = os.path.join(ICONS, "%dx%d" % (n, n), "apps")
        os.makedirs(folder, exist_ok=True)
        im.save(os.path.join(folder, "vaultora.png"), optimize=True)
    contact_sheet(sheet_path, done)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

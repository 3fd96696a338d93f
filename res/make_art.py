#!/usr/bin/python3
"""Regenerates the launcher's artwork: the skin bitmaps, the icon and the demo
splash picture.

    /usr/bin/python3 res/make_art.py            # writes res/bmp/*.bmp, res/TarvoLaunch.ico, res/bg.jpg
    /usr/bin/python3 res/make_art.py --sheet /tmp/art_sheet.png   # also a contact sheet

Every bitmap is drawn for 100 %, 150 % and 200 % displays: res/bmp/<id>.bmp,
res/bmp/150/<id>.bmp and res/bmp/200/<id>.bmp, each side the 100 % size
scaled and rounded half up (scaled()).  The larger sets are drawn natively, not
resized; the resource script lists them as id + 1000 and id + 2000.  The icon
holds 16, 20, 24, 32, 40 and 48 pixel images, each drawn at its size.

Needs Debian's python3-pil and the fonts from fonts-wqy-zenhei (Chinese labels)
and fonts-urw-base35 (the title lettering).  Everything is drawn procedurally
with fixed seeds, so every run writes the same bytes; the generated files are
committed, so a build never needs Python.

The skin: near-black grounds, gold lettering RGB(198,170,102), bronze edges
RGB(128,97,66) and soft bronze gradients.  Buttons come in three looks:
normal, hover (brighter) and pressed (darker, contents shifted by one pixel).
"""

import argparse
import math
import os
import random
import struct
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))

CJK_FONT = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc"
TITLE_FONT = "/usr/share/fonts/opentype/urw-base35/P052-Bold.otf"

GOLD = (198, 170, 102)
GOLD_LIGHT = (246, 226, 168)
GOLD_DEEP = (150, 118, 62)
FRAME = (128, 97, 66)
INK = (8, 6, 4)

NORMAL, HOVER, PRESSED = 0, 1, 2


# ---------------------------------------------------------------- helpers

def require(path):
    if not os.path.exists(path):
        sys.exit("make_art: missing font %s (install the Debian font package)" % path)
    return path


_font_cache = {}


def font(path, size, index=0):
    key = (path, size, index)
    if key not in _font_cache:
        _font_cache[key] = ImageFont.truetype(require(path), size, index=index)
    return _font_cache[key]


def cjk(size):
    return font(CJK_FONT, size, 0)


def title_font(size):
    return font(TITLE_FONT, size)


def lerp(a, b, t):
    return a + (b - a) * t


def mix(c1, c2, t):
    t = max(0.0, min(1.0, t))
    return tuple(int(round(lerp(a, b, t))) for a, b in zip(c1, c2))


def scale_col(c, k):
    return tuple(max(0, min(255, int(round(v * k)))) for v in c)


def vgradient(w, h, rows):
    """Image of size w x h whose row y has colour rows(y) (a function)."""
    col = Image.new("RGB", (1, h))
    col.putdata([rows(y) for y in range(h)])
    return col.resize((w, h), Image.NEAREST)


def ss_mask(w, h, painter, scale=4):
    """Anti-aliased 'L' mask: painter(draw, s) draws in target pixels times s."""
    big = Image.new("L", (w * scale, h * scale), 0)
    painter(ImageDraw.Draw(big), scale)
    return big.resize((w, h), Image.BOX)


def paint(img, colour, mask, offset=(0, 0)):
    """Blend a colour (or an image of the mask's size) through a mask."""
    if isinstance(colour, tuple):
        layer = Image.new("RGB", mask.size, colour)
    else:
        layer = colour
    img.paste(layer, offset, mask)


def scale_mask(mask, k):
    return mask.point(lambda v: int(round(v * k)))


def text_mask(size, text, fnt, xy, stroke=0):
    m = Image.new("L", size, 0)
    ImageDraw.Draw(m).text(xy, text, font=fnt, fill=255,
                           stroke_width=stroke, stroke_fill=255)
    return m


def text_origin(box_w, box_h, text, fnt, cx=None, cy=None):
    """Top-left drawing origin that centres the text's ink in the box."""
    l, t, r, b = fnt.getbbox(text)
    x = (box_w - (r - l)) / 2.0 - l if cx is None else cx - (r - l) / 2.0 - l
    y = (box_h - (b - t)) / 2.0 - t if cy is None else cy - (b - t) / 2.0 - t
    return int(round(x)), int(round(y))


def draw_text(img, text, fnt, xy, colour, shadow=None, offset=1):
    if shadow is not None:
        m = text_mask(img.size, text, fnt, (xy[0] + offset, xy[1] + offset))
        paint(img, shadow, m)
    paint(img, colour, text_mask(img.size, text, fnt, xy))


# ---------------------------------------------------------------- scales

SCALES = (100, 150, 200)


def scaled(n, pct):
    """A length of n pixels at 100 % drawn at pct per cent, rounded half up."""
    return (n * pct + 50) // 100


class Scale:
    """Maps the 1x pixel grid onto the grid of one scale.

    1x pixel i covers the pixels n(i) .. n(i + 1) - 1, so a one-pixel line at
    1x is a whole number of pixels wide at every scale and stays crisp.
    Shapes drawn through supersampled masks take their coordinates times k."""

    def __init__(self, pct):
        self.pct = pct
        self.k = 1 if pct == 100 else pct / 100.0

    def n(self, i):
        return scaled(i, self.pct)

    def r(self, v):
        """A 1x coordinate (any number) to the nearest pixel, halves up."""
        return int(math.floor(v * self.k + 0.5))

    def src(self, x):
        """The 1x coordinate under the centre of pixel x."""
        return (x + 0.5) / self.k - 0.5

    def row(self, y):
        """The 1x pixel that covers pixel y."""
        i = y * 100 // self.pct
        while self.n(i + 1) <= y:
            i += 1
        while self.n(i) > y:
            i -= 1
        return i

    def box(self, x0, y0, x1, y1):
        """The 1x pixels x0..x1 by y0..y1 (inclusive, either order) at this scale."""
        x0, x1 = min(x0, x1), max(x0, x1)
        y0, y1 = min(y0, y1), max(y0, y1)
        return [self.n(x0), self.n(y0), self.n(x1 + 1) - 1, self.n(y1 + 1) - 1]

    def rows(self, y0, y1=None):
        """Pixel rows (first, last) covered by the 1x rows y0..y1."""
        y1 = y0 if y1 is None else y1
        return self.n(y0), self.n(y1 + 1) - 1


ONE = Scale(100)


def outline(d, sc, x0, y0, x1, y1, colour):
    """The one-pixel 1x rectangle outline x0, y0 .. x1, y1 at scale sc."""
    for b in [(x0, y0, x1, y0), (x0, y1, x1, y1), (x0, y0, x0, y1), (x1, y0, x1, y1)]:
        d.rectangle(sc.box(*b), fill=colour)


def hrule(img, sc, y, weights, colour):
    """Blends colour along 1x row y; weights(x) gives 0..255 for pixel column x."""
    w = img.width
    top, bottom = sc.rows(y)
    rule = Image.new("L", (w, 1))
    rule.putdata([weights(x) for x in range(w)])
    rule = rule.resize((w, bottom - top + 1), Image.NEAREST)
    img.paste(Image.new("RGB", rule.size, colour), (0, top), rule)
    return rule


# ---------------------------------------------------------------- title band

BAND_W, BAND_H = 51, 50


def band_row(y):
    """Base colour of 1x row y of the title strip (identical for band and logo)."""
    if y == 0:
        return FRAME
    if y == 1:
        return (86, 65, 43)
    if y <= 20:
        t = (y - 2) / 18.0
        t = 1 - (1 - t) ** 2
        return mix((50, 38, 25), (13, 10, 7), t)
    if y <= 46:
        return mix((13, 10, 7), (7, 6, 4), (y - 21) / 25.0)
    if y == 47:
        return (6, 5, 3)
    if y == 48:
        return (54, 41, 27)
    return FRAME


def band_row_at(sc, y):
    """Row y of the strip at scale sc: the rule rows at top and bottom cover
    whole pixels, the gradients between are sampled at the row's centre."""
    i = sc.row(y)
    if sc.k == 1 or i < 2 or i > 46:
        return band_row(min(i, BAND_H - 1))
    return band_row(min(46.0, max(2.0, sc.src(y))))


def band_pattern(sc):
    """A faint chain of lozenges along the top of the strip, one per tile."""
    w, h = sc.n(BAND_W), sc.n(BAND_H)
    k = sc.k

    def painter(d, s):
        cx, cy, r = w / 2.0, 10.5 * k, 5.5 * k
        lw = int(round(s * k))
        pts = [(cx * s, (cy - r) * s), ((cx + r) * s, cy * s),
               (cx * s, (cy + r) * s), ((cx - r) * s, cy * s)]
        d.polygon(pts, outline=255, width=lw)
        d.line([(0, cy * s), ((cx - r) * s, cy * s)], fill=255, width=lw)
        d.line([((cx + r) * s, cy * s), (w * s, cy * s)], fill=255, width=lw)
        e = 1.2 * k
        d.ellipse([(cx - e) * s, (cy - e) * s, (cx + e) * s, (cy + e) * s], fill=255)
    return ss_mask(w, h, painter)


def band_image(sc, width, pattern_fade=None):
    """The strip's ground over `width` pixels starting at tile phase 0."""
    tile, h = sc.n(BAND_W), sc.n(BAND_H)
    img = vgradient(width, h, lambda y: band_row_at(sc, y))
    pat = band_pattern(sc)
    tiled = Image.new("L", (width, h), 0)
    for x in range(0, width, tile):
        tiled.paste(pat, (x, 0))
    tiled = scale_mask(tiled, 0.22)
    if pattern_fade is not None:
        fade = Image.new("L", (width, 1))
        fade.putdata([int(255 * pattern_fade(x)) for x in range(width)])
        fade = fade.resize((width, h), Image.NEAREST)
        tiled = ImageChops.multiply(tiled, fade)
    paint(img, (170, 132, 80), tiled)
    return img


def band_rows_from(sc, y0):
    """The strip's rows under something placed at 1x row y0."""
    last = sc.n(BAND_H) - 1
    return lambda y: band_row_at(sc, min(last, sc.n(y0) + y))


# ---------------------------------------------------------------- emblem

def emblem_rgba(size, ring=True, simple=False):
    """The QuarrionOL emblem: a gold lozenge holding a four-pointed star.
    The simple form (for tiny sizes) is a gold lozenge with a dark heart."""
    s = 8
    big = size * s
    c = big / 2.0
    r = big * 0.48

    def lozenge(d, rad, fill):
        d.polygon([(c, c - rad), (c + rad, c), (c, c + rad), (c - rad, c)], fill=fill)

    outer = Image.new("L", (big, big), 0)
    lozenge(ImageDraw.Draw(outer), r, 255)
    inner = Image.new("L", (big, big), 0)
    lozenge(ImageDraw.Draw(inner), r * 0.80, 255)
    core = Image.new("L", (big, big), 0)
    lozenge(ImageDraw.Draw(core), r * 0.72, 255)
    star = Image.new("L", (big, big), 0)
    sr, si = r * 0.64, r * 0.14
    pts = []
    for k in range(8):
        ang = -math.pi / 2 + k * math.pi / 4
        rad = sr if k % 2 == 0 else si
        pts.append((c + rad * math.cos(ang), c + rad * math.sin(ang)))
    ImageDraw.Draw(star).polygon(pts, fill=255)
    hub = Image.new("L", (big, big), 0)
    hr = r * 0.10
    ImageDraw.Draw(hub).ellipse([c - hr, c - hr, c + hr, c + hr], fill=255)

    rgb = Image.new("RGB", (big, big), (0, 0, 0))
    # gold rim, lit from the top
    paint(rgb, vgradient(big, big, lambda y: mix(GOLD_LIGHT, GOLD_DEEP, y / big)), outer)
    if ring:
        # dark gap between rim and core
        paint(rgb, (20, 15, 9), inner)
    paint(rgb, vgradient(big, big, lambda y: mix((92, 68, 40), (28, 20, 12), y / big)),
          core if ring else inner)
    if simple:
        heart = Image.new("L", (big, big), 0)
        lozenge(ImageDraw.Draw(heart), r * 0.42, 255)
        paint(rgb, vgradient(big, big, lambda y: mix(GOLD_LIGHT, GOLD_DEEP, y / big)), inner)
        paint(rgb, (30, 20, 10), heart)
        dot = Image.new("L", (big, big), 0)
        lozenge(ImageDraw.Draw(dot), r * 0.16, 255)
        paint(rgb, (255, 236, 180), dot)
    else:
        paint(rgb, vgradient(big, big, lambda y: mix((255, 238, 186), (184, 146, 78), y / big)), star)
        paint(rgb, (60, 40, 20), hub)
    alpha = outer.resize((size, size), Image.BOX)
    rgb = rgb.resize((size, size), Image.BOX)
    # un-premultiply the edge pixels (they were blended with black)
    px, pa = rgb.load(), alpha.load()
    for y in range(size):
        for x in range(size):
            a = pa[x, y]
            if 0 < a < 255:
                px[x, y] = tuple(min(255, v * 255 // a) for v in px[x, y])
    out = rgb.convert("RGBA")
    out.putalpha(alpha)
    return out


def over(dst, src_rgba, xy):
    dst.paste(src_rgba.convert("RGB"), xy, src_rgba.split()[3])


# ---------------------------------------------------------------- plates

STATE_LOOK = {
    NORMAL: dict(border=FRAME, top=(52, 40, 26), bottom=(18, 14, 9),
                 light=(92, 71, 45), ink=GOLD, shadow=(0, 0, 0)),
    HOVER: dict(border=(200, 166, 104), top=(98, 75, 45), bottom=(36, 27, 17),
                light=(156, 124, 76), ink=GOLD_LIGHT, shadow=(0, 0, 0)),
    PRESSED: dict(border=(104, 79, 54), top=(8, 6, 4), bottom=(34, 26, 17),
                  light=None, ink=(172, 146, 86), shadow=None),
}

DANGER_LOOK = dict(border=(214, 126, 90), top=(128, 42, 26), bottom=(52, 15, 9),
                   light=(176, 84, 60), ink=(255, 226, 196), shadow=(0, 0, 0))


def plate(sc, w, h, state, ground, radius=3.0, look=None):
    """A framed button plate of 1x size w x h on `ground` (a function row -> colour)."""
    look = look or STATE_LOOK[state]
    W, H = sc.n(w), sc.n(h)
    b = sc.n(1)
    rad = radius * sc.k
    img = vgradient(W, H, ground)
    outer = ss_mask(W, H, lambda d, s: d.rounded_rectangle(
        [0, 0, W * s - 1, H * s - 1], radius=rad * s, fill=255))
    inner = ss_mask(W, H, lambda d, s: d.rounded_rectangle(
        [b * s, b * s, (W - b) * s - 1, (H - b) * s - 1], radius=(rad - b) * s, fill=255))
    paint(img, look["border"], outer)
    body = vgradient(W, H, lambda y: mix(look["top"], look["bottom"], y / max(1, H - 1)))
    paint(img, body, inner)
    d = ImageDraw.Draw(img)
    top, bottom = sc.rows(1)
    ri = int(radius)
    if look["light"] is not None:
        inset = sc.n(ri + 1)
        d.rectangle([inset, top, W - 1 - inset, bottom], fill=look["light"])
    else:
        # pressed: a shadow along the inner top and left edges
        inset = sc.n(ri)
        d.rectangle([inset, top, W - 1 - inset, bottom], fill=(0, 0, 0))
        d.rectangle([top, inset, bottom, H - 1 - inset], fill=(4, 3, 2))
    return img


def label_button(sc, w, h, text, state, ground, size=13):
    img = plate(sc, w, h, state, ground)
    look = STATE_LOOK[state]
    fnt = cjk(sc.n(size))
    x, y = text_origin(img.width, img.height, text, fnt)
    if state == PRESSED:
        x, y = x + sc.n(1), y + sc.n(1)
    draw_text(img, text, fnt, (x, y), look["ink"], look["shadow"], sc.n(1))
    return img


def glyph_button(sc, w, h, state, ground, glyph, danger=False):
    look = DANGER_LOOK if (danger and state == HOVER) else STATE_LOOK[state]
    img = plate(sc, w, h, state, ground, look=look)
    W, H = img.size
    one = sc.n(1)
    dx = one if state == PRESSED else 0
    if glyph is not None:
        shadow = ss_mask(W, H, lambda d, s: glyph(d, s, sc.k, dx + one, dx + one))
        if look["shadow"] is not None:
            paint(img, look["shadow"], scale_mask(shadow, 0.8))
        paint(img, look["ink"], ss_mask(W, H, lambda d, s: glyph(d, s, sc.k, dx, dx)))
    return img


# Glyphs are laid out on the 1x grid; each draws at k times that, shifted by
# (ox, oy) pixels, into a mask supersampled s times.

def _at(k, ox, oy):
    return lambda x, y: (x * k + ox, y * k + oy)


def _pts(s, pts):
    return [(x * s, y * s) for x, y in pts]


def _line(d, s, pts, width):
    d.line(_pts(s, pts), fill=255, width=int(round(width * s)))


def glyph_tray(d, s, k, ox, oy):
    # arrow going down into an open tray
    p = _at(k, ox, oy)
    _line(d, s, [p(14, 5), p(14, 14)], 2 * k)
    d.polygon(_pts(s, [p(9.5, 11), p(18.5, 11), p(14, 16.5)]), fill=255)
    _line(d, s, [p(7.5, 15), p(7.5, 19.5), p(20.5, 19.5), p(20.5, 15)], 1.6 * k)


def glyph_minimise(d, s, k, ox, oy):
    p = _at(k, ox, oy)
    d.rectangle(_pts(s, [p(9, 16), p(19, 18)]), fill=255)


def glyph_maximise(d, s, k, ox, oy):
    p = _at(k, ox, oy)
    (x0, y0), (x1, y1) = p(8.5, 7.5), p(19.5, 17.5)
    d.rectangle([x0 * s, y0 * s, x1 * s, y1 * s], outline=255, width=int(1.4 * k * s))
    d.rectangle([x0 * s, y0 * s, x1 * s, (y0 + 2.6 * k) * s], fill=255)


def glyph_close(d, s, k, ox, oy):
    p = _at(k, ox, oy)
    _line(d, s, [p(9.5, 7.5), p(18.5, 16.5)], 2.2 * k)
    _line(d, s, [p(18.5, 7.5), p(9.5, 16.5)], 2.2 * k)


def glyph_blank(d, s, k, ox, oy):
    # the spare caption glyph: a small lozenge
    (cx, cy), r = _at(k, ox, oy)(14, 12.5), 3 * k
    d.polygon([(cx * s, (cy - r) * s), ((cx + r) * s, cy * s), (cx * s, (cy + r) * s),
               ((cx - r) * s, cy * s)], outline=255, width=int(round(s * k)))


def glyph_toggle(d, s, k, ox, oy):
    p = _at(k, ox, oy)
    d.polygon(_pts(s, [p(5.5, 7.5), p(14.5, 7.5), p(10, 12.5)]), fill=255)


def glyph_envelope(d, s, k, ox, oy):
    p = _at(k, ox, oy)
    (x0, y0), (x1, y1) = p(5.5, 7.5), p(18.5, 16.5)
    d.rectangle([x0 * s, y0 * s, x1 * s, y1 * s], outline=255, width=int(1.3 * k * s))
    e = 0.4 * k
    _line(d, s, [(x0 + e, y0 + e), p(12, 12.6), (x1 - e, y0 + e)], 1.3 * k)


# ---------------------------------------------------------------- bitmaps

def make_band(sc):
    return band_image(sc, sc.n(BAND_W))


def make_logo(sc):
    k = sc.k
    w = sc.n(224)
    # the strip's own ground, so the logo runs on into the band seamlessly;
    # the lozenge chain fades in towards the logo's right end
    img = band_image(sc, w, pattern_fade=lambda x: max(0.0, min(1.0, (sc.src(x) - 184) / 36.0)))
    over(img, emblem_rgba(sc.n(40)), (sc.n(5), sc.n(5)))
    # title lettering: gold gradient, dark outline, soft glow
    # 21 px keeps the lettering left of x 172, clear of the close button where
    # the web page panel tiles this bitmap as its header; rounding the size
    # down keeps it there at every scale
    fnt = title_font(21 * sc.pct // 100)
    text = "QuarrionOL"
    xy = (sc.n(51), text_origin(w, sc.n(30), text, fnt)[1] + sc.n(1))
    glow = text_mask(img.size, text, fnt, xy, stroke=sc.n(2)).filter(ImageFilter.GaussianBlur(2.5 * k))
    paint(img, (150, 104, 44), scale_mask(glow, 0.45))
    paint(img, (10, 7, 4), text_mask(img.size, text, fnt, (xy[0] + sc.n(1), xy[1] + sc.n(1)),
                                     stroke=sc.n(1)))
    fill = vgradient(w, img.height, lambda y: mix(GOLD_LIGHT, (176, 140, 74),
                                                  (y - xy[1] - 4 * k) / (18.0 * k)))
    paint(img, fill, text_mask(img.size, text, fnt, xy))
    # a fine rule leading to the ornament that sits at (135, 25)
    first, last = sc.n(52), sc.n(132) - 1

    def rule(x):
        return int(210 * max(0.0, min(1.0, (sc.src(x) - 52) / 50.0))) if first <= x <= last else 0
    hrule(img, sc, 33, rule, (150, 118, 70))
    hrule(img, sc, 34, lambda x: int(rule(x) * 0.7), (2, 1, 0))
    return img


def make_ornament(sc, logo):
    """Bitmap 161, drawn over the logo at (135, 25): a small gold gem."""
    k = sc.k
    x, y = sc.n(135), sc.n(25)
    img = logo.crop((x, y, x + sc.n(16), y + sc.n(17)))
    w, h = img.size
    cx, cy = 7.5 * k, 8.5 * k

    def gem(d, s):
        d.polygon([(cx * s, 1.5 * k * s), ((cx + 5.5 * k) * s, cy * s), (cx * s, 15.5 * k * s),
                   ((cx - 5.5 * k) * s, cy * s)], fill=255)
    outer = ss_mask(w, h, gem)
    paint(img, vgradient(w, h, lambda y: mix(GOLD_LIGHT, GOLD_DEEP, y / h)), outer)
    inner = ss_mask(w, h, lambda d, s: d.polygon(
        [(cx * s, 4 * k * s), ((cx + 3.2 * k) * s, cy * s), (cx * s, 13 * k * s),
         ((cx - 3.2 * k) * s, cy * s)], fill=255))
    paint(img, vgradient(w, h, lambda y: mix((110, 80, 44), (44, 30, 16), y / h)), inner)
    hi = ss_mask(w, h, lambda d, s: d.polygon(
        [(cx * s, 4 * k * s), ((cx + 3.2 * k) * s, cy * s), (cx * s, cy * s)], fill=255))
    paint(img, (236, 210, 150), scale_mask(hi, 0.75))
    return img


def framed_panel(sc, w, h, header=0):
    """A dark panel of 1x size w x h with a bronze frame, corner brackets and
    an optional header band."""
    W, H = sc.n(w), sc.n(h)
    img = vgradient(W, H, lambda y: mix((20, 16, 11), (7, 6, 4), y / H))
    if header:
        hh = sc.n(header)
        hdr = vgradient(W, hh, lambda y: mix((48, 37, 24), (16, 12, 8), y / hh))
        img.paste(hdr, (0, 0))
    d = ImageDraw.Draw(img)
    outline(d, sc, 0, 0, w - 1, h - 1, FRAME)
    outline(d, sc, 1, 1, w - 2, h - 2, (40, 30, 20))
    outline(d, sc, 3, 3, w - 4, h - 4, (64, 49, 33))
    if header:
        d.rectangle(sc.box(4, header, w - 5, header), fill=(92, 70, 46))
        d.rectangle(sc.box(4, header + 1, w - 5, header + 1), fill=(4, 3, 2))
    # gold corner brackets
    arm = 10
    for (x, y, sx, sy) in [(3, 3, 1, 1), (w - 4, 3, -1, 1), (3, h - 4, 1, -1), (w - 4, h - 4, -1, -1)]:
        d.rectangle(sc.box(x, y, x + sx * arm, y), fill=GOLD)
        d.rectangle(sc.box(x, y, x, y + sy * arm), fill=GOLD)
        d.rectangle(sc.box(x + sx, y + sy, x + sx, y + sy), fill=GOLD_DEEP)
    return img


def header_mark(sc, img, x, y, text, size=12):
    """A small lozenge and a caption in the header band, at 1x (x, y)."""
    em = emblem_rgba(sc.n(13), ring=False)
    over(img, em, (sc.n(x), sc.n(y)))
    fnt = cjk(sc.n(size))
    tx, ty = text_origin(0, sc.n(13), text, fnt)
    draw_text(img, text, fnt, (sc.n(x + 18), sc.n(y) + ty), GOLD, (0, 0, 0), sc.n(1))


def make_server_panel(sc):
    img = framed_panel(sc, 299, 66, header=22)
    header_mark(sc, img, 10, 5, "服务器列表")
    fnt = cjk(sc.n(13))
    text = "服务器："
    l, t, r, b = fnt.getbbox(text)
    x = sc.r(96) - (r - l) - l
    y = text_origin(0, 0, text, fnt, cy=44.5 * sc.k)[1]
    draw_text(img, text, fnt, (x, y), GOLD, (0, 0, 0), sc.n(1))
    return img


def make_dialog_panel(sc):
    img = framed_panel(sc, 351, 166, header=34)
    em = emblem_rgba(sc.n(18), ring=False)
    over(img, em, (sc.n(12), sc.n(8)))
    # a fading rule in the header, right of the emblem
    first, last = sc.n(36), sc.n(271) - 1
    hrule(img, sc, 17, lambda x: int(170 * max(0.0, 1 - abs(sc.src(x) - 150) / 120.0))
          if first <= x <= last else 0, (150, 118, 70))
    return img


def make_web_button(sc, state):
    """Bitmap 143..145: only the top-left 24 x 24 (at 1x) is shown on screen."""
    w, h = sc.n(92), sc.n(29)
    ground = band_rows_from(sc, 19)
    img = vgradient(w, h, ground)
    icon = glyph_button(sc, 24, 24, state, ground, glyph_envelope)
    img.paste(icon, (0, 0))
    look = STATE_LOOK[state]
    fnt = cjk(sc.n(13))
    x, y = text_origin(0, sc.n(24), "网页", fnt)
    d = sc.n(1) if state == PRESSED else 0
    draw_text(img, "网页", fnt, (sc.n(30) + d, y + d), look["ink"], look["shadow"], sc.n(1))
    return img


def build_bitmaps(sc):
    bmps = {}
    logo = make_logo(sc)
    bmps[132] = logo
    bmps[133] = make_band(sc)
    caption = band_rows_from(sc, 19)
    for base, w, text in [(134, 64, "官网"), (137, 64, "论坛"), (140, 80, "游戏设置")]:
        for st in (NORMAL, HOVER, PRESSED):
            bmps[base + st] = label_button(sc, w, 29, text, st, caption)
    for st in (NORMAL, HOVER, PRESSED):
        bmps[143 + st] = make_web_button(sc, st)
    top = band_rows_from(sc, 1)
    for base, glyph in [(146, glyph_tray), (149, glyph_blank), (152, glyph_minimise),
                        (155, glyph_maximise), (158, glyph_close)]:
        for st in (NORMAL, HOVER, PRESSED):
            bmps[base + st] = glyph_button(sc, 28, 25, st, top, glyph, danger=(base == 158))
    bmps[161] = make_ornament(sc, logo)
    panel_ground = lambda y: (12, 10, 7)
    for base, text in [(162, "取消"), (165, "关闭"), (168, "确定")]:
        for st in (NORMAL, HOVER, PRESSED):
            bmps[base + st] = label_button(sc, 60, 23, text, st, panel_ground)
    for st in (NORMAL, HOVER, PRESSED):
        bmps[171 + st] = glyph_button(sc, 20, 19, st, band_rows_from(sc, 25), glyph_toggle)
    bmps[174] = make_server_panel(sc)
    bmps[175] = make_dialog_panel(sc)
    return bmps


# 1x sizes; every other scale is scaled() of these
EXPECTED_SIZES = {132: (224, 50), 133: (51, 50), 161: (16, 17), 174: (299, 66), 175: (351, 166)}
for _i in range(134, 140):
    EXPECTED_SIZES[_i] = (64, 29)
for _i in range(140, 143):
    EXPECTED_SIZES[_i] = (80, 29)
for _i in range(143, 146):
    EXPECTED_SIZES[_i] = (92, 29)
for _i in range(146, 161):
    EXPECTED_SIZES[_i] = (28, 25)
for _i in range(162, 171):
    EXPECTED_SIZES[_i] = (60, 23)
for _i in range(171, 174):
    EXPECTED_SIZES[_i] = (20, 19)


# ---------------------------------------------------------------- file writers

def bmp_bytes(img):
    """A plain bottom-up 24-bit BMP (BITMAPINFOHEADER, no compression)."""
    img = img.convert("RGB")
    w, h = img.size
    stride = (w * 3 + 3) & ~3
    pad = b"\0" * (stride - w * 3)
    raw = img.tobytes("raw", "BGR")
    rows = [raw[y * w * 3:(y + 1) * w * 3] + pad for y in range(h - 1, -1, -1)]
    pixels = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + pixels


def ico_bytes(images):
    """An icon file with one 32-bit (alpha) image per entry, BMP-encoded."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for im in images:
        w, h = im.size
        raw = im.convert("RGBA").tobytes("raw", "BGRA")
        xor = b"".join(raw[y * w * 4:(y + 1) * w * 4] for y in range(h - 1, -1, -1))
        alpha = im.split()[3].load()
        mask_stride = ((w + 31) // 32) * 4
        mask = bytearray()
        for y in range(h - 1, -1, -1):
            row = bytearray(mask_stride)
            for x in range(w):
                if alpha[x, y] == 0:
                    row[x // 8] |= 0x80 >> (x % 8)
            mask += row
        blob = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask),
                           0, 0, 0, 0) + xor + bytes(mask)
        entries.append(struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs)


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


# ---------------------------------------------------------------- icon

ICON_SIZES = (16, 20, 24, 32, 40, 48)
# per size: corner radius, frame width and emblem size, in pixels
ICON_LOOK = {16: (2, 1, 14), 20: (3, 1, 18), 24: (3, 2, 20), 32: (5, 2, 26), 40: (6, 2, 32),
             48: (7, 2, 38)}


def make_icon(size):
    """The icon at one of ICON_SIZES; up to 20 px the emblem takes its simple form."""
    s = 8
    big = size * s
    rad, bw, em_size = ICON_LOOK[size]
    rad, bw = rad * s, bw * s
    plate_mask = Image.new("L", (big, big), 0)
    ImageDraw.Draw(plate_mask).rounded_rectangle([0, 0, big - 1, big - 1], radius=rad, fill=255)
    inner_mask = Image.new("L", (big, big), 0)
    ImageDraw.Draw(inner_mask).rounded_rectangle([bw, bw, big - 1 - bw, big - 1 - bw],
                                                 radius=max(1, rad - bw), fill=255)
    rgb = Image.new("RGB", (big, big), FRAME)
    paint(rgb, vgradient(big, big, lambda y: mix((46, 35, 23), (6, 5, 3), y / big)), inner_mask)
    rgb = rgb.resize((size, size), Image.BOX)
    alpha = plate_mask.resize((size, size), Image.BOX)
    img = rgb.convert("RGBA")
    img.putalpha(alpha)
    em = emblem_rgba(em_size, simple=(size <= 20))
    off = (size - em_size) // 2
    img.alpha_composite(em, (off, off))
    return img


# ---------------------------------------------------------------- splash picture

def value_noise(w, h, cx, cy, rng):
    small = Image.new("L", (cx, cy))
    small.putdata([rng.randrange(256) for _ in range(cx * cy)])
    return small.resize((w, h), Image.BICUBIC)


def fbm(w, h, base_cx, base_cy, octaves, rng):
    n = value_noise(w, h, base_cx, base_cy, rng)
    weight = 0.5
    for o in range(1, octaves):
        layer = value_noise(w, h, base_cx * 2 ** o, base_cy * 2 ** o, rng)
        n = Image.blend(n, layer, weight * 0.6)
        weight *= 0.5
    return n


def ridge(rng, width, base, amp, rough, count=1025):
    pts = [0.0] * count
    pts[0] = rng.uniform(-1, 1)
    pts[-1] = rng.uniform(-1, 1)
    step, scale = count - 1, 1.0
    while step > 1:
        half = step // 2
        for i in range(half, count - 1, step):
            pts[i] = (pts[i - half] + pts[i + half]) / 2 + rng.uniform(-1, 1) * scale
        step = half
        scale *= rough
    lo, hi = min(pts), max(pts)
    return [base - amp * ((pts[int(x * (count - 1) / (width - 1))] - lo) / (hi - lo) - 0.5)
            for x in range(width)]


def peak_range(rng, width, base, count, heights, widths, detail):
    """A skyline of steep rounded peaks with a little fractal roughness."""
    peaks = [(rng.uniform(-60, width + 60), rng.uniform(*heights), rng.uniform(*widths))
             for _ in range(count)]
    rough = ridge(rng, width, 0.0, detail, 0.55)
    ys = []
    for x in range(width):
        lift = max(hgt * math.exp(-((x - c) / wd) ** 2) for c, hgt, wd in peaks)
        ys.append(base - lift + rough[x])
    return ys


def ridge_mask(w, h, ys):
    s = 2
    m = Image.new("L", (w * s, h * s), 0)
    poly = [(0, h * s)] + [(x * s, ys[x] * s) for x in range(w)] + [((w - 1) * s, ys[-1] * s),
                                                                    (w * s, h * s)]
    ImageDraw.Draw(m).polygon(poly, fill=255)
    return m.resize((w, h), Image.BOX)


def radial(w, h, cx, cy, radius, power):
    # PIL's 256 x 256 radial gradient is 0 in the middle and about 181 at
    # the middle of each edge (distance 128)
    g = Image.radial_gradient("L")
    g = g.point(lambda v: int(255 * max(0.0, 1 - v / 181.0) ** power))
    g = g.resize((int(radius * 2), int(radius * 2)), Image.BICUBIC)
    out = Image.new("L", (w, h), 0)
    out.paste(g, (int(cx - radius), int(cy - radius)))
    return out


def pagoda(d, x, base, s):
    """A small tiered tower silhouette standing on (x, base)."""
    y = base
    widths = [16, 13, 10, 7]
    for tw in widths:
        hgt = 7 * s
        d.rectangle([x - tw * 0.45 * s, y - hgt, x + tw * 0.45 * s, y], fill=255)
        roof_y = y - hgt
        d.polygon([(x - tw * s, roof_y + 1.5 * s), (x + tw * s, roof_y + 1.5 * s),
                   (x + tw * 0.55 * s, roof_y - 2.5 * s), (x - tw * 0.55 * s, roof_y - 2.5 * s)],
                  fill=255)
        d.polygon([(x - tw * s, roof_y + 1.5 * s), (x - (tw + 2.5) * s, roof_y - 1.0 * s),
                   (x - tw * 0.8 * s, roof_y + 0.5 * s)], fill=255)
        d.polygon([(x + tw * s, roof_y + 1.5 * s), (x + (tw + 2.5) * s, roof_y - 1.0 * s),
                   (x + tw * 0.8 * s, roof_y + 0.5 * s)], fill=255)
        y = roof_y - 2.5 * s
    d.line([(x, y), (x, y - 8 * s)], fill=255, width=max(1, int(1.5 * s)))


def make_splash():
    w, h = 800, 550
    rng = random.Random(20240607)
    sky = vgradient(w, h, lambda y: mix((6, 5, 9), (58, 40, 22), (y / 330.0) ** 1.6)
                    if y < 330 else mix((58, 40, 22), (30, 22, 14), (y - 330) / 220.0))
    img = sky
    # moon and its glow
    mx, my = 628, 176
    paint(img, (120, 86, 42), radial(w, h, mx, my, 260, 2.2))
    paint(img, (200, 160, 96), radial(w, h, mx, my, 90, 2.0))
    moon = ss_mask(w, h, lambda d, s: d.ellipse([(mx - 34) * s, (my - 34) * s,
                                                 (mx + 34) * s, (my + 34) * s], fill=255), 2)
    paint(img, vgradient(w, h, lambda y: mix((252, 236, 196), (222, 190, 124), (y - my + 34) / 68.0)),
          moon)
    # faint maria on the moon
    crater = fbm(w, h, 24, 18, 2, rng).point(lambda v: max(0, v - 140) * 2)
    paint(img, (196, 160, 96), ImageChops.multiply(crater, moon))
    # a few stars in the upper sky
    d = ImageDraw.Draw(img)
    for _ in range(90):
        x, y = rng.randrange(w), rng.randrange(0, 210)
        if (x - mx) ** 2 + (y - my) ** 2 < 150 ** 2:
            continue
        b = rng.randrange(60, 170)
        d.point((x, y), fill=(b, int(b * 0.9), int(b * 0.7)))
    # drifting clouds across the moon
    cloud_noise = fbm(w, h, 5, 12, 4, rng)
    band = vgradient(w, h, lambda y: (max(0, int(255 * math.exp(-((y - 205) / 60.0) ** 2))),) * 3).convert("L")
    clouds = ImageChops.multiply(cloud_noise.point(lambda v: max(0, min(255, (v - 118) * 4))), band)
    paint(img, (104, 78, 46), scale_mask(clouds, 0.75))
    lit = ImageChops.multiply(clouds, radial(w, h, mx, my, 230, 1.4))
    paint(img, (226, 188, 120), scale_mask(lit, 0.8))
    # mountain ranges, far to near
    layers = [
        # base, peaks, heights, widths, roughness, colour, rim light
        (300, 14, (50, 170), (18, 45), 5, (66, 50, 32), 0.9),
        (360, 10, (40, 120), (30, 70), 5, (40, 30, 20), 0.7),
        (420, 8, (30, 95), (45, 110), 4, (20, 15, 10), 0.5),
        (480, 6, (15, 55), (90, 190), 3, (7, 6, 4), 0.3),
    ]
    for i, (base, count, heights, widths, detail, colour, rim) in enumerate(layers):
        ys = peak_range(rng, w, base, count, heights, widths, detail)
        m = ridge_mask(w, h, ys)
        if i == 2:
            # a tower on the highest point of the third range
            top = min(range(60, w - 60), key=lambda x: ys[x])
            tower = Image.new("L", (w * 2, h * 2), 0)
            pagoda(ImageDraw.Draw(tower), top * 2, (ys[top] + 3) * 2, 2)
            m = ImageChops.lighter(m, tower.resize((w, h), Image.BOX))
        paint(img, vgradient(w, h, lambda y, c=colour: c), m)
        # moonlit rim along the ridge
        edge = ImageChops.subtract(m, m.transform(m.size, Image.AFFINE, (1, 0, 0, 0, 1, -2)))
        edge = ImageChops.multiply(edge, radial(w, h, mx, my, 520, 1.2))
        paint(img, (210, 170, 104), scale_mask(edge, rim))
        # mist settling in the valley below this range
        if i < 3:
            mist_n = fbm(w, h, 4, 8, 3, rng)
            nb = base - 14
            mb = vgradient(w, h, lambda y, nb=nb: (max(0, int(255 * math.exp(-((y - nb) / 22.0) ** 2))),) * 3).convert("L")
            mist = ImageChops.multiply(mist_n.point(lambda v: max(0, min(255, (v - 90) * 2))), mb)
            paint(img, (120, 94, 60), scale_mask(mist, 0.45))
    # keep the bottom calm and dark where the start-up text appears
    foot = vgradient(w, h, lambda y: (int(255 * max(0.0, min(1.0, (y - 440) / 30.0))),) * 3).convert("L")
    paint(img, INK, foot)
    # title
    fnt = title_font(64)
    text = "QuarrionOL"
    xy = text_origin(w, 0, text, fnt, cy=96)
    glow = text_mask(img.size, text, fnt, xy, stroke=4).filter(ImageFilter.GaussianBlur(9))
    paint(img, (170, 116, 46), scale_mask(glow, 0.55))
    paint(img, (14, 10, 6), text_mask(img.size, text, fnt, (xy[0] + 2, xy[1] + 2), stroke=2))
    l, t, r, b = fnt.getbbox(text)
    y0, y1 = xy[1] + t, xy[1] + b
    fill = vgradient(w, h, lambda y: mix(GOLD_LIGHT, (168, 128, 62), (y - y0) / float(y1 - y0)))
    paint(img, fill, text_mask(img.size, text, fnt, xy))
    sub = "纵 横 玄 洲"
    sf = cjk(22)
    sxy = text_origin(w, 0, sub, sf, cy=150)
    draw_text(img, sub, sf, sxy, GOLD, (10, 7, 4))
    sl, _, sr, _ = sf.getbbox(sub)
    d = ImageDraw.Draw(img)
    for x0, x1 in [(sxy[0] + sl - 110, sxy[0] + sl - 16), (sxy[0] + sr + 16, sxy[0] + sr + 110)]:
        for x in range(x0, x1):
            t = (x - x0) / float(x1 - x0)
            k = t if x0 < sxy[0] else 1 - t
            d.point((x, 151), fill=mix((40, 30, 20), GOLD, k))
    return img


# ---------------------------------------------------------------- contact sheet

def title_strip(bmps, sc, strip_w=1024):
    """The title strip of a window 1x strip_w wide, as the window paints it at scale sc
    (forum hovered, close pressed, player name and server name as text)."""
    n = sc.n
    w = n(strip_w)
    strip = Image.new("RGB", (w, n(BAND_H)))
    for x in range(0, w, bmps[133].width):
        strip.paste(bmps[133], (x, 0))
    strip.paste(bmps[132], (0, 0))
    for bid, x, yy, right in [(134, 366, 19, True), (137, 283, 19, True), (140, 209, 19, True),
                              (143, 500, 19, True), (147, 118, 1, True), (152, 89, 1, True),
                              (155, 61, 1, True), (160, 33, 1, True), (161, 135, 25, False),
                              (171, 300, 25, False)]:
        im = bmps[bid]
        if bid == 143:
            im = im.crop((0, 0, n(24), n(24)))
        strip.paste(im, (n(strip_w - x) if right else n(x), n(yy)))
    sd = ImageDraw.Draw(strip)
    fnt = cjk(n(12))
    for text, x, yy in [("欢迎光临！张三", 154, 28), ("一区 青龙", strip_w - 470, 29)]:
        l, t, r, b = fnt.getbbox(text)
        x, yy = n(x), n(yy)
        sd.rectangle([x, yy + t, x + r, yy + b], fill=(0, 0, 0))
        sd.text((x, yy), text, font=fnt, fill=GOLD)
    return strip


def contact_sheet(sets, icons, splash, path):
    """A preview of every bitmap at every scale, and of the title strip and
    panels as composed."""
    bmps = sets[100]
    W = 1640
    sheet = Image.new("RGB", (W, 6000), (36, 36, 40))
    d = ImageDraw.Draw(sheet)
    small = cjk(12)
    y = 10

    def caption(x, yy, text):
        d.text((x, yy), text, font=small, fill=(220, 220, 220))

    caption(10, y, "title strip, 1024 wide (forum hovered, close pressed, player name and server name as text)")
    y += 18
    sheet.paste(title_strip(bmps, ONE), (10, y))
    y += 60
    caption(10, y, "the same at 200 %, left and right halves")
    y += 18
    big = title_strip(sets[200], Scale(200))
    half = big.width // 2
    sheet.paste(big.crop((0, 0, half, big.height)), (10, y))
    sheet.paste(big.crop((half, 0, big.width, big.height)), (10, y + big.height + 4))
    y += 2 * big.height + 24

    # every bitmap at 100, 150 and 200 %, side by side
    caption(10, y, "every bitmap at " + ", ".join("%d %%" % p for p in SCALES))
    y += 22
    x = 10
    row_h = 0
    for bid in sorted(bmps):
        ims = [sets[pct][bid] for pct in SCALES]
        gw = sum(im.width for im in ims) + 6 * (len(ims) - 1)
        if x + gw + 10 > W:
            x, y = 10, y + row_h + 22
            row_h = 0
        caption(x, y, str(bid))
        gx = x
        for im in ims:
            sheet.paste(im, (gx, y + 16))
            gx += im.width + 6
        x += gw + 16
        row_h = max(row_h, max(im.height for im in ims) + 16)
    y += row_h + 28

    # panels as composed
    server = bmps[174].copy()
    server.paste(bmps[165], (220, 32))
    cd = ImageDraw.Draw(server)
    cd.rectangle([100, 34, 208, 54], fill=(255, 255, 255), outline=(120, 120, 120))
    cd.text((104, 37), "一区 青龙", font=small, fill=(0, 0, 0))
    settings = bmps[175].copy()
    settings.paste(bmps[158], (351 - 35, 5))
    settings.paste(bmps[169], (248, 62))
    sdraw = ImageDraw.Draw(settings)
    sdraw.text((22, 66), "请输入老板键：", font=small, fill=GOLD)
    sdraw.rectangle([115, 62, 235, 84], fill=(255, 255, 255), outline=(120, 120, 120))
    sdraw.rectangle([115, 108, 126, 119], fill=(255, 255, 255), outline=(120, 120, 120))
    sdraw.text((131, 106), "启用老板键", font=small, fill=GOLD)
    exitp = bmps[175].crop((0, 0, 290, 133))
    exitp.paste(bmps[170], (70, 90))
    exitp.paste(bmps[162], (170, 90))
    ImageDraw.Draw(exitp).text((27, 52), "纵横玄洲壮志未酬是否要放弃征战？", font=cjk(14), fill=GOLD)
    web = Image.new("RGB", (434, 60), (255, 255, 255))
    hdr = Image.new("RGB", (434, 50))
    for xx in range(0, 434, 224):
        hdr.paste(bmps[132], (xx, 0))
    web.paste(hdr.crop((0, 0, 434, 31)), (0, 0))
    web.paste(bmps[158], (434 - 35, 5))
    caption(10, y, "server list 174 + 165 | settings 175 + 158, 169 | exit 175 (290x133) + 170, 162 | web header")
    y += 18
    sheet.paste(server, (10, y))
    sheet.paste(settings, (460, y))
    sheet.paste(exitp, (830, y))
    sheet.paste(web, (10, y + 80))
    x = 40
    for ic in icons:
        bg = Image.new("RGB", ic.size, (36, 36, 40))
        bg.paste(ic.convert("RGB"), (0, 0), ic.split()[3])
        big = bg.resize((ic.width * 2, ic.height * 2), Image.NEAREST)
        sheet.paste(bg, (x, y + 180))
        sheet.paste(big, (x, y + 240))
        x += 110
    y += 350
    caption(10, y, "bg.jpg (800 x 550)")
    sheet.paste(splash, (10, y + 18))
    sheet = sheet.crop((0, 0, W, y + 18 + 550 + 10))
    sheet.save(path)


# ---------------------------------------------------------------- main

def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--sheet", help="also write a contact sheet PNG to this path")
    args = ap.parse_args()

    sets = {pct: build_bitmaps(Scale(pct)) for pct in SCALES}
    for pct, bmps in sorted(sets.items()):
        folder = os.path.join(HERE, "bmp", *([] if pct == 100 else [str(pct)]))
        for bid, im in sorted(bmps.items()):
            want = tuple(scaled(v, pct) for v in EXPECTED_SIZES[bid])
            if im.size != want:
                sys.exit("make_art: bitmap %d at %d %% is %r, expected %r" % (bid, pct, im.size, want))
            write(os.path.join(folder, "%d.bmp" % bid), bmp_bytes(im))
    bmps = sets[100]
    icons = [make_icon(s) for s in ICON_SIZES]
    write(os.path.join(HERE, "TarvoLaunch.ico"), ico_bytes(icons))
    splash = make_splash()
    splash.save(os.path.join(HERE, "bg.jpg"), "JPEG", quality=90, optimize=False,
                progressive=False, subsampling=0)
    if args.sheet:
        contact_sheet(sets, icons, splash, args.sheet)
    print("make_art: wrote %d bitmaps at each of %s %%, TarvoLaunch.ico and bg.jpg"
          % (len(bmps), ", ".join(map(str, SCALES))))


if __name__ == "__main__":
    main()

#!/usr/bin/python3
"""Draws Tamsel's two pictures and writes them into content/.

  content/background.gif  the exam window's backdrop: GIF89a, 794 x 567, one frame, not
                          interlaced, a global table of 256 colours
  content/maru.ico        the red ring shown beside each correct answer: 32 x 32 and 16 x 16 in
                          16 colours, 32 x 32 in 256 colours, transparent inside and outside
  content/background@2x.png, content/maru@2x.png
                          the same two drawn at twice the size for high-density screens: the
                          backdrop in full colour, the ring 64 x 64 with smooth transparency

Usage:
  tools/make_pictures.py                draw both pictures and write them into content/
  tools/make_pictures.py --check        exit 1 if a committed picture differs from what this
                                        draws in what the program relies on: format, size,
                                        mode, the markers above, pixels within a small tolerance
  tools/make_pictures.py --check-bytes  exit 1 if a committed picture has other bytes

Pillow quantizes the backdrop (libimagequant: palette and Floyd-Steinberg dithering) and writes
the GIF. The icon is written here, as Pillow cannot put 4-bit images into an ICO. Nothing is
random: every run with the same libraries gives the same bytes. Run it with Debian's Python
and python3-pil, from anywhere: /usr/bin/python3 tools/make_pictures.py
"""

import io
import math
import struct
import sys
from pathlib import Path

from PIL import Image

from committed import (gif_traits, ico_traits, mode_of, picture_differences,
                       write_or_check)

ROOT = Path(__file__).resolve().parent.parent
CONTENT = ROOT / "content"


# ---------------------------------------------------------------------------------------------
# Small helpers

def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def smoothstep(e0, e1, x):
    t = clamp((x - e0) / (e1 - e0))
    return t * t * (3.0 - 2.0 * t)


def mix(a, b, t):
    return (a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t)


def ramp(stops, x):
    """Colour at x on a piecewise ramp of (position, colour) stops, eased between stops."""
    if x <= stops[0][0]:
        return stops[0][1]
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if x <= p1:
            return mix(c0, c1, smoothstep(p0, p1, x))
    return stops[-1][1]


# ---------------------------------------------------------------------------------------------
# The background

BG_W, BG_H = 794, 567

# The window is 792 x 554 and shows the picture unscaled from its top-left corner. The tab
# controls hide everything right of x 128 except slivers, so the ornament lives in the left
# column: soft cells drifting in the upper part and a leafy sprig with a strand of DNA in the
# free corner below the last button.
SKY = [
    (0.0, (226, 238, 251)),    # pale sky at the top
    (0.45, (234, 244, 250)),   # almost white in the middle, behind the score label
    (1.0, (222, 243, 233)),    # pale mint towards the bottom
]


def hex_edge_distance(x, y, size):
    """Distance in pixels from (x, y) to the nearest edge of a pointy-top honeycomb."""
    px, py = x / size, y / size
    ry = 1.7320508075688772
    ax, ay = (px % 1.0) - 0.5, (py % ry) - 0.5 * ry
    bx, by = ((px - 0.5) % 1.0) - 0.5, ((py - 0.5 * ry) % ry) - 0.5 * ry
    if ax * ax + ay * ay < bx * bx + by * by:
        gx, gy = abs(ax), abs(ay)
    else:
        gx, gy = abs(bx), abs(by)
    h = max(gx * 0.5 + gy * 0.8660254037844386, gx)
    return (0.5 - h) * size


# Cells: (centre x, centre y, radius, nucleus offset x, offset y). Kept clear of the text
# label at y 264..281 and faint enough to sit behind the buttons.
CELLS = [
    (100.0, 28.0, 20.0, 5.0, -4.0),
    (24.0, 36.0, 10.0, -2.0, 2.0),
    (62.0, 180.0, 15.0, 3.0, 3.0),
    (14.0, 196.0, 6.0, 1.0, -1.0),
    (114.0, 168.0, 7.0, -1.0, 1.0),
    (96.0, 354.0, 16.0, -4.0, 3.0),
    (28.0, 362.0, 9.0, 2.0, -2.0),
]


def background_base(x, y):
    """Gradient, a glow in the upper-left corner and a faint honeycomb."""
    r, g, b = ramp(SKY, y / (BG_H - 1))
    # A gentle light falling from the upper left.
    d = math.hypot(x - 30.0, y + 40.0)
    glow = 0.55 * math.exp(-(d / 260.0) ** 2)
    r += (255 - r) * glow
    g += (255 - g) * glow
    b += (255 - b) * glow
    # A slight darkening towards the right edge keeps the left column the brightest place.
    shade = 1.0 - 0.018 * (x / BG_W)
    r, g, b = r * shade, g * shade, b * shade
    # Honeycomb lines, fading out away from the left column.
    e = hex_edge_distance(x + 7.0, y + 3.0, 22.0)
    line = clamp(1.0 - abs(e) / 0.85)
    if line > 0.0:
        fade = 0.5 + 0.5 * (1.0 - smoothstep(100.0, 420.0, x))
        k = line * 0.050 * fade
        r += (150 - r) * k
        g += (190 - g) * k
        b += (215 - b) * k
    return r, g, b


def over(dst, src, alpha):
    return mix(dst, src, alpha)


def cell_colour(x, y, base, scale):
    """Paints the soft translucent cells on top of the base colour, anti-aliased analytically
    over one pixel of a picture drawn scale times the design's size."""
    col = base
    for cx, cy, rad, nx, ny in CELLS:
        d = math.hypot(x - cx, y - cy)
        if d > rad + 1.5:
            continue
        inside = clamp((rad - d) * scale + 0.5)
        if inside > 0.0:
            # A whitish body, a little brighter towards the top-left like a droplet.
            lift = 0.30 + 0.18 * clamp(((cx - x) + (cy - y)) / (2.0 * rad) + 0.5)
            col = over(col, (255, 255, 255), inside * lift)
        ring = clamp(1.0 - abs(d - rad + 0.6) / 0.9)
        if ring > 0.0:
            col = over(col, (120, 170, 200), ring * 0.22)
        nd = math.hypot(x - cx - nx, y - cy - ny)
        nr = rad * 0.30
        nuc = smoothstep(nr + 1.0, nr - 1.5, nd)
        if nuc > 0.0:
            col = over(col, (196, 188, 234), nuc * 0.32)
    return col


# --- the sprig in the lower-left corner ------------------------------------------------------

def bezier(p0, p1, p2, t):
    u = 1.0 - t
    return (u * u * p0[0] + 2 * u * t * p1[0] + t * t * p2[0],
            u * u * p0[1] + 2 * u * t * p1[1] + t * t * p2[1])


STEM = ((8.0, 562.0), (30.0, 482.0), (98.0, 454.0))
STEM_POINTS = [bezier(*STEM, i / 80.0) for i in range(81)]


def stem_distance(x, y):
    best = 1e9
    for (ax, ay), (bx, by) in zip(STEM_POINTS, STEM_POINTS[1:]):
        vx, vy = bx - ax, by - ay
        t = clamp(((x - ax) * vx + (y - ay) * vy) / (vx * vx + vy * vy))
        dx, dy = x - ax - vx * t, y - ay - vy * t
        d = dx * dx + dy * dy
        if d < best:
            best = d
    return math.sqrt(best)


def stem_angle(t):
    p = bezier(*STEM, t)
    q = bezier(*STEM, min(1.0, t + 0.01))
    return math.atan2(q[1] - p[1], q[0] - p[0])


# Leaves: (position along the stem, angle off the stem in degrees, length, half width, tone)
LEAVES = [
    (0.22, -58.0, 34.0, 10.0, 0),
    (0.38, 52.0, 30.0, 9.0, 1),
    (0.58, -50.0, 31.0, 9.5, 0),
    (0.74, 48.0, 26.0, 8.0, 1),
    (1.00, 8.0, 24.0, 7.5, 0),
]
LEAF_TONES = [
    ((128, 190, 142), (96, 166, 120)),   # fresh green: light half, dark half
    ((150, 200, 150), (116, 178, 128)),  # a little yellower
]


def leaf_width_profile(t):
    # Rounded at the base, drawn out into a point at the tip.
    return (t ** 0.65) * ((1.0 - t) ** 0.9) / 0.4655


def make_leaves():
    leaves = []
    for pos, off, length, half, tone in LEAVES:
        bx, by = bezier(*STEM, pos)
        a = stem_angle(pos) + math.radians(off)
        leaves.append((bx, by, math.cos(a), math.sin(a), length, half, tone))
    return leaves


SPRIG_LEAVES = make_leaves()

# A short strand of DNA climbing beside the sprig: two backbones and their rungs.
HELIX_X0, HELIX_X1 = 64.0, 122.0
HELIX_Y = 520.0


def helix_sample(x, y):
    """Returns (colour, alpha) of the DNA strand at a sub-pixel position, or None."""
    if x < HELIX_X0 - 2 or x > HELIX_X1 + 2 or abs(y - HELIX_Y) > 13:
        return None
    t = (x - HELIX_X0) / (HELIX_X1 - HELIX_X0)
    taper = math.sin(math.pi * clamp(t)) ** 0.5
    amp = 9.0 * taper
    phase = (x - HELIX_X0) / 29.0 * 2.0 * math.pi
    y1 = HELIX_Y + amp * math.sin(phase)
    y2 = HELIX_Y - amp * math.sin(phase)
    front1 = math.cos(phase) > 0.0
    best = None
    for yy, front, colour in ((y1, front1, (122, 150, 214)), (y2, not front1, (214, 120, 186))):
        # The slope of the backbone widens its vertical cross-section.
        slope = amp * math.cos(phase) * 2.0 * math.pi / 29.0
        dist = abs(y - yy) / math.sqrt(1.0 + slope * slope)
        if dist < 1.25 and HELIX_X0 <= x <= HELIX_X1:
            alpha = 0.85 if front else 0.45
            if best is None or front:
                best = (colour, alpha)
    if best is not None:
        return best
    # Rungs every quarter turn, between the backbones.
    rung_step = 29.0 / 6.0
    k = round((x - HELIX_X0) / rung_step)
    rx = HELIX_X0 + k * rung_step
    if 0 < k and rx < HELIX_X1 - 1 and abs(x - rx) < 0.6:
        lo, hi = min(y1, y2), max(y1, y2)
        if lo + 1.0 < y < hi - 1.0:
            return ((170, 180, 205), 0.55)
    return None


def sprig_sample(x, y, base, near_stem):
    """The colour at one sub-pixel sample of the corner ornament."""
    col = base
    # Stem.
    if near_stem and stem_distance(x, y) < 1.1:
        col = over(col, (104, 150, 112), 0.8)
    # Leaves, each with a midrib and fine side veins.
    for bx, by, dx, dy, length, half, tone in SPRIG_LEAVES:
        px, py = x - bx, y - by
        u = px * dx + py * dy
        if u <= 0.0 or u >= length:
            continue
        v = -px * dy + py * dx
        t = u / length
        w = half * leaf_width_profile(t)
        if abs(v) >= w:
            continue
        light, dark = LEAF_TONES[tone]
        c = light if v > 0.0 else dark
        # Lighter towards the midrib, a touch deeper at the rim.
        c = mix(c, (220, 238, 214), 0.25 * (1.0 - abs(v) / w))
        rim = w - abs(v)
        if rim < 0.9:
            c = mix(c, (70, 130, 90), 0.35)
        if abs(v) < 0.55 and t < 0.93:
            c = (214, 234, 206)
        else:
            vein = ((u - abs(v) * 1.1) / 6.5) % 1.0
            if (vein < 0.14 or vein > 0.94) and abs(v) < w - 1.2 and t < 0.88:
                c = mix(c, (214, 234, 206), 0.55)
        col = over(col, c, 0.82)
    h = helix_sample(x, y)
    if h is not None:
        col = over(col, h[0], h[1])
    return col


SPRIG_BOX = (0, 430, 128, 567)  # x0, y0, x1, y1 (exclusive)


def render_background(scale=1):
    """Returns the picture as an RGB image, scale times the design's size: every pixel is
    sampled where it lies in the design's coordinates, the sprig at 4 x 4 samples a design
    pixel."""
    pixels = bytearray()
    x0, y0, x1, y1 = (v * scale for v in SPRIG_BOX)
    ss = 4 // scale
    offsets = [(((i + 0.5) / ss - 0.5) / scale, ((j + 0.5) / ss - 0.5) / scale)
               for j in range(ss) for i in range(ss)]
    for y in range(BG_H * scale):
        for x in range(BG_W * scale):
            # Pixel centres sit at +0.5.
            cx, cy = (x + 0.5) / scale, (y + 0.5) / scale
            base = background_base(cx, cy)
            inside_cells = x < 140 * scale and y < 480 * scale
            col = cell_colour(cx, cy, base, scale) if inside_cells else base
            if x0 <= x < x1 and y0 <= y < y1:
                acc = [0.0, 0.0, 0.0]
                near_stem = stem_distance(cx, cy) < 2.5
                for ox, oy in offsets:
                    s = sprig_sample(cx + ox, cy + oy, col, near_stem)
                    acc[0] += s[0]
                    acc[1] += s[1]
                    acc[2] += s[2]
                n = float(len(offsets))
                col = (acc[0] / n, acc[1] / n, acc[2] / n)
            pixels += bytes(int(round(clamp(v, 0.0, 255.0))) for v in col)
    return Image.frombytes("RGB", (BG_W * scale, BG_H * scale), bytes(pixels))


def background_gif():
    picture = render_background()
    # libimagequant picks the 256 colours and dithers onto them (Floyd-Steinberg). Pillow's
    # median cut gives the rare colours of the leaves and the DNA no entries of their own, and
    # its own dithering looks colours up at 6 bits a channel, which merges the close shades of
    # the sky: both change the look.
    indexed = picture.quantize(256, method=Image.Quantize.LIBIMAGEQUANT)
    indexed.info["version"] = b"89a"
    out = io.BytesIO()
    # Pillow interlaces unless told not to, and optimize=False keeps all 256 table entries.
    indexed.save(out, "GIF", interlace=False, optimize=False)
    return out.getvalue()


def png(picture):
    out = io.BytesIO()
    picture.save(out, "PNG", optimize=True)
    return out.getvalue()


def background_2x_png():
    return png(render_background(2))


# ---------------------------------------------------------------------------------------------
# The correct-answer mark

PEN_RED = (214, 24, 32)
# Edge pixels are mixed towards the light grey the mark usually sits on, since an icon's
# transparency is all or nothing.
PAPER = (236, 236, 236)

# The icon's images: size, bits per pixel, shades of red between paper and full red.
MARU_IMAGES = ((32, 4, 15), (16, 4, 15), (32, 8, 64))


def ring_coverage(size):
    """Fraction of each pixel covered by the ring, sampled 8 x 8 per pixel, row after row. The
    32-pixel ring is the model: a 64-pixel one is that ring at twice the size."""
    c = size / 2.0
    if size >= 32:
        k = size / 32
        outer, thick, pressure = 14.6 * k, 3.3 * k, 0.45 * k
    else:
        outer, thick, pressure = 7.4, 2.1, 0.0
    ss = 8
    cover = []
    for y in range(size):
        for x in range(size):
            hits = 0
            for j in range(ss):
                sy = y + (j + 0.5) / ss - c
                for i in range(ss):
                    sx = x + (i + 0.5) / ss - c
                    d = math.hypot(sx, sy)
                    # Pressed a little harder on the lower left, as a pen stroke would be.
                    t = thick + pressure * math.cos(math.atan2(sy, sx) - math.radians(135))
                    if outer - t <= d <= outer:
                        hits += 1
            cover.append(hits / (ss * ss))
    return cover


def ring_dib(size, bits, levels):
    """One image of the icon as a BITMAPINFOHEADER, its colour table, the colour bitmap and
    the AND mask (1 = transparent), both bottom row first with rows padded to four bytes; the
    header's height counts bitmap and mask. Pixels less than 40 % covered are left out, the
    rest take the nearest of `levels` shades; index 0 (black) lies under the mask."""
    palette = [(0, 0, 0)]
    for k in range(levels):
        a = 0.4 + 0.6 * k / (levels - 1)
        palette.append(tuple(int(round(p + (r - p) * a)) for r, p in zip(PEN_RED, PAPER)))
    colours = 1 << bits
    palette += [(0, 0, 0)] * (colours - len(palette))

    cover = ring_coverage(size)
    pixels = Image.new("P", (size, size))
    pixels.putdata([0 if a < 0.4 else 1 + round((a - 0.4) / 0.6 * (levels - 1)) for a in cover])
    mask = Image.new("1", (size, size))
    mask.putdata([255 if a < 0.4 else 0 for a in cover])
    colour_stride = (size * bits + 31) // 32 * 4
    mask_stride = (size + 31) // 32 * 4
    bitmap = pixels.tobytes("raw", ("P;4" if bits == 4 else "P", colour_stride, -1))
    bitmap += mask.tobytes("raw", ("1", mask_stride, -1))

    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, len(bitmap), 0, 0,
                         colours, 0)
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return header + table + bitmap


def maru_ico():
    images = [(size, bits, ring_dib(size, bits, levels)) for size, bits, levels in MARU_IMAGES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    for size, bits, data in images:
        # The colour count byte is 0 for 256 colours and more.
        colour_count = 1 << bits if bits < 8 else 0
        directory += struct.pack("<BBBBHHII", size, size, colour_count, 0, 1, bits, len(data),
                                 offset)
        offset += len(data)
    return directory + b"".join(data for _, _, data in images)


def maru_2x_png():
    """The 32-pixel ring at twice the size, in pen red with the ring's coverage as its alpha."""
    cover = ring_coverage(64)
    ring = Image.new("RGBA", (64, 64))
    ring.putdata([PEN_RED + (int(round(a * 255)),) for a in cover])
    return png(ring)


# ---------------------------------------------------------------------------------------------

# What each picture is held to by --check, beside its format, size and mode: the lossless ones
# are this script's own arithmetic and may move by a rounding step, the backdrop is quantized and
# dithered by libimagequant, which another version does differently pixel by pixel.
LOSSLESS = picture_differences(0.5, 8)
PICTURES = {
    "maru.ico": (maru_ico, picture_differences(0.5, 8, traits=ico_traits)),
    "background.gif": (background_gif, picture_differences(1.0, 12, smoothing=1,
                                                           traits=gif_traits)),
    "maru@2x.png": (maru_2x_png, LOSSLESS),
    "background@2x.png": (background_2x_png, LOSSLESS),
}


def main(argv):
    mode = mode_of(argv, __doc__)
    if mode is None:
        return 2
    stale = "content/{} is not what tools/make_pictures.py draws: run it to redraw"
    fresh = [write_or_check(CONTENT / name, draw(), mode, stale.format(name), differences)
             for name, (draw, differences) in PICTURES.items()]
    return 0 if all(fresh) else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

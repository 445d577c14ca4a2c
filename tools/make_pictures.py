#!/usr/bin/python3
"""Draws Tamsel's two pictures and writes them into content/.

  content/background.gif  the exam window's backdrop: GIF89a, 794 x 567, one frame, not
                          interlaced, a global table of 256 colours
  content/maru.ico        the red ring shown beside each correct answer: 32 x 32 and 16 x 16 in
                          16 colours, 32 x 32 in 256 colours, transparent inside and outside
  content/background@2x.png, content/maru@2x.png
                          the same two drawn at twice the size for high-density screens: the
                          backdrop in full colour, the ring 64 x 64 with smooth transparency
  content/background.bmp  the backdrop as the program reads it: background.gif's colour table
                          and pixels in an uncompressed 8-bit BMP, which Qt decodes in about a
                          tenth of the GIF's instructions

Usage:
  tools/make_pictures.py                draw both pictures and write them into content/
  tools/make_pictures.py --check        exit 1 if a committed picture differs from what this
                                        draws in what the program relies on: format, size,
                                        mode, the markers above, pixels within a small tolerance;
                                        background.bmp's pixels exactly those of background.gif
  tools/make_pictures.py --check-bytes  exit 1 if a committed picture has other bytes

Pillow quantizes the backdrop (libimagequant: palette and Floyd-Steinberg dithering) and writes
the GIF. The icon is written here, as Pillow cannot put 4-bit images into an ICO. Nothing is
random: every run with the same libraries gives the same bytes. The pixels are computed with
numpy, a whole picture at a time. Run it with Debian's Python, python3-pil and python3-numpy,
from anywhere: /usr/bin/python3 tools/make_pictures.py
"""

import io
import math
import struct
import sys
from pathlib import Path

import numpy as np
from PIL import Image

from committed import (gif_traits, ico_traits, mode_of, picture_differences,
                       write_or_check)

ROOT = Path(__file__).resolve().parent.parent
CONTENT = ROOT / "content"


# ---------------------------------------------------------------------------------------------
# Small helpers. Every function of a position takes numpy arrays of positions and gives arrays,
# so that a picture is computed whole rather than a pixel at a time.

def clamp(v, lo=0.0, hi=1.0):
    return np.clip(v, lo, hi)


def smoothstep(e0, e1, x):
    t = clamp((x - e0) / (e1 - e0))
    return t * t * (3.0 - 2.0 * t)


def mix(a, b, t):
    """a towards b by t, colours as arrays of shape (..., 3) or triples; t of shape (...)."""
    a, b = np.asarray(a, dtype=float), np.asarray(b, dtype=float)
    return a + (b - a) * np.asarray(t)[..., None]


def ramp(stops, x):
    """Colour at x on a piecewise ramp of (position, colour) stops, eased between stops."""
    col = np.broadcast_to(np.asarray(stops[-1][1], dtype=float), x.shape + (3,))
    # From the last segment back, so that each x takes the first segment that reaches it.
    for (p0, c0), (p1, c1) in reversed(list(zip(stops, stops[1:]))):
        col = np.where((x <= p1)[..., None], mix(c0, c1, smoothstep(p0, p1, x)), col)
    return np.where((x <= stops[0][0])[..., None], np.asarray(stops[0][1], dtype=float), col)


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
    nearer_a = ax * ax + ay * ay < bx * bx + by * by
    gx = np.where(nearer_a, np.abs(ax), np.abs(bx))
    gy = np.where(nearer_a, np.abs(ay), np.abs(by))
    h = np.maximum(gx * 0.5 + gy * 0.8660254037844386, gx)
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
    col = ramp(SKY, y / (BG_H - 1))
    # A gentle light falling from the upper left.
    d = np.hypot(x - 30.0, y + 40.0)
    glow = 0.55 * np.exp(-(d / 260.0) ** 2)
    col = mix(col, (255, 255, 255), glow)
    # A slight darkening towards the right edge keeps the left column the brightest place.
    col = col * (1.0 - 0.018 * (x / BG_W))[..., None]
    # Honeycomb lines, fading out away from the left column.
    e = hex_edge_distance(x + 7.0, y + 3.0, 22.0)
    line = clamp(1.0 - np.abs(e) / 0.85)
    fade = 0.5 + 0.5 * (1.0 - smoothstep(100.0, 420.0, x))
    return mix(col, (150, 190, 215), line * 0.050 * fade)


def over(dst, src, alpha):
    return mix(dst, src, alpha)


def cell_colour(x, y, base, scale):
    """Paints the soft translucent cells on top of the base colour, anti-aliased analytically
    over one pixel of a picture drawn scale times the design's size."""
    col = base
    for cx, cy, rad, nx, ny in CELLS:
        d = np.hypot(x - cx, y - cy)
        near = d <= rad + 1.5
        inside = clamp((rad - d) * scale + 0.5)
        # A whitish body, a little brighter towards the top-left like a droplet.
        lift = 0.30 + 0.18 * clamp(((cx - x) + (cy - y)) / (2.0 * rad) + 0.5)
        col = over(col, (255, 255, 255), np.where(near, inside * lift, 0.0))
        ring = clamp(1.0 - np.abs(d - rad + 0.6) / 0.9)
        col = over(col, (120, 170, 200), np.where(near, ring * 0.22, 0.0))
        nd = np.hypot(x - cx - nx, y - cy - ny)
        nr = rad * 0.30
        nuc = smoothstep(nr + 1.0, nr - 1.5, nd)
        col = over(col, (196, 188, 234), np.where(near, nuc * 0.32, 0.0))
    return col


# --- the sprig in the lower-left corner ------------------------------------------------------

def bezier(p0, p1, p2, t):
    u = 1.0 - t
    return (u * u * p0[0] + 2 * u * t * p1[0] + t * t * p2[0],
            u * u * p0[1] + 2 * u * t * p1[1] + t * t * p2[1])


STEM = ((8.0, 562.0), (30.0, 482.0), (98.0, 454.0))
STEM_POINTS = [bezier(*STEM, i / 80.0) for i in range(81)]


def stem_distance(x, y):
    best = np.full(np.shape(x), 1e9)
    for (ax, ay), (bx, by) in zip(STEM_POINTS, STEM_POINTS[1:]):
        vx, vy = bx - ax, by - ay
        t = clamp(((x - ax) * vx + (y - ay) * vy) / (vx * vx + vy * vy))
        dx, dy = x - ax - vx * t, y - ay - vy * t
        best = np.minimum(best, dx * dx + dy * dy)
    return np.sqrt(best)


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
MIDRIB = (214, 234, 206)


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
    """The colour and alpha of the DNA strand at sub-pixel positions; alpha 0 off the strand."""
    t = (x - HELIX_X0) / (HELIX_X1 - HELIX_X0)
    taper = np.sin(math.pi * clamp(t)) ** 0.5
    amp = 9.0 * taper
    phase = (x - HELIX_X0) / 29.0 * 2.0 * math.pi
    y1 = HELIX_Y + amp * np.sin(phase)
    y2 = HELIX_Y - amp * np.sin(phase)
    front1 = np.cos(phase) > 0.0
    # The slope of the backbone widens its vertical cross-section.
    slope = amp * np.cos(phase) * 2.0 * math.pi / 29.0
    along = (HELIX_X0 <= x) & (x <= HELIX_X1)
    hit1 = along & (np.abs(y - y1) / np.sqrt(1.0 + slope * slope) < 1.25)
    hit2 = along & (np.abs(y - y2) / np.sqrt(1.0 + slope * slope) < 1.25)
    # Where both backbones pass, the one in front shows.
    first = hit1 & (front1 | ~hit2)
    colour = np.where(first[..., None], np.asarray((122, 150, 214), dtype=float),
                      np.asarray((214, 120, 186), dtype=float))
    alpha = np.where(first, np.where(front1, 0.85, 0.45),
                     np.where(hit2, np.where(front1, 0.45, 0.85), 0.0))
    # Rungs every quarter turn, between the backbones.
    rung_step = 29.0 / 6.0
    k = np.round((x - HELIX_X0) / rung_step)
    rx = HELIX_X0 + k * rung_step
    rung = (~hit1 & ~hit2 & (k > 0) & (rx < HELIX_X1 - 1) & (np.abs(x - rx) < 0.6)
            & (np.minimum(y1, y2) + 1.0 < y) & (y < np.maximum(y1, y2) - 1.0))
    colour = np.where(rung[..., None], np.asarray((170, 180, 205), dtype=float), colour)
    alpha = np.where(rung, 0.55, alpha)
    box = (x >= HELIX_X0 - 2) & (x <= HELIX_X1 + 2) & (np.abs(y - HELIX_Y) <= 13)
    return colour, np.where(box, alpha, 0.0)


def sprig_sample(x, y, base):
    """The colour at sub-pixel samples of the corner ornament."""
    col = base
    # Stem.
    col = over(col, (104, 150, 112), np.where(stem_distance(x, y) < 1.1, 0.8, 0.0))
    # Leaves, each with a midrib and fine side veins.
    for bx, by, dx, dy, length, half, tone in SPRIG_LEAVES:
        px, py = x - bx, y - by
        u = px * dx + py * dy
        v = -px * dy + py * dx
        t = clamp(u / length)
        w = half * leaf_width_profile(t)
        on_leaf = (u > 0.0) & (u < length) & (np.abs(v) < w)
        light, dark = LEAF_TONES[tone]
        c = np.where((v > 0.0)[..., None], np.asarray(light, dtype=float),
                     np.asarray(dark, dtype=float))
        # Lighter towards the midrib, a touch deeper at the rim.
        c = mix(c, (220, 238, 214), 0.25 * (1.0 - np.abs(v) / np.where(on_leaf, w, 1.0)))
        c = np.where((w - np.abs(v) < 0.9)[..., None], mix(c, (70, 130, 90), 0.35), c)
        midrib = (np.abs(v) < 0.55) & (t < 0.93)
        vein = ((u - np.abs(v) * 1.1) / 6.5) % 1.0
        veined = ~midrib & ((vein < 0.14) | (vein > 0.94)) & (np.abs(v) < w - 1.2) & (t < 0.88)
        c = np.where(veined[..., None], mix(c, MIDRIB, 0.55), c)
        c = np.where(midrib[..., None], np.asarray(MIDRIB, dtype=float), c)
        col = over(col, c, np.where(on_leaf, 0.82, 0.0))
    colour, alpha = helix_sample(x, y)
    return over(col, colour, alpha)


SPRIG_BOX = (0, 430, 128, 567)  # x0, y0, x1, y1 (exclusive)


def render_background(scale=1):
    """Returns the picture as an RGB image, scale times the design's size: every pixel is
    sampled where it lies in the design's coordinates, the sprig at 4 x 4 samples a design
    pixel."""
    # Pixel centres sit at +0.5.
    cy, cx = np.mgrid[0:BG_H * scale, 0:BG_W * scale]
    cx, cy = (cx + 0.5) / scale, (cy + 0.5) / scale
    col = background_base(cx, cy)
    cells = np.s_[:480 * scale, :140 * scale]
    col[cells] = cell_colour(cx[cells], cy[cells], col[cells], scale)

    x0, y0, x1, y1 = (v * scale for v in SPRIG_BOX)
    ss = 4 // scale
    offsets = ((np.arange(ss) + 0.5) / ss - 0.5) / scale
    sprig = np.s_[y0:y1, x0:x1]
    # The samples of a pixel along the last axis.
    shape = (y1 - y0, x1 - x0, ss, ss)
    sx = np.broadcast_to(cx[sprig][..., None, None] + offsets[None, :], shape)
    sy = np.broadcast_to(cy[sprig][..., None, None] + offsets[:, None], shape)
    sx, sy = sx.reshape(y1 - y0, x1 - x0, -1), sy.reshape(y1 - y0, x1 - x0, -1)
    samples = sprig_sample(sx, sy, col[sprig][:, :, None, :])
    col[sprig] = samples.mean(axis=2)
    pixels = np.round(clamp(col, 0.0, 255.0)).astype(np.uint8)
    return Image.fromarray(pixels, "RGB")


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


def background_bmp():
    """The committed GIF, decoded and written again as an uncompressed BMP: made from the file
    rather than drawn again, so that its pixels are the GIF's whatever the quantizer does."""
    out = io.BytesIO()
    with Image.open(CONTENT / "background.gif") as gif:
        gif.save(out, "BMP")
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
    """Fraction of each pixel covered by the ring, sampled 8 x 8 per pixel, as an array of rows.
    The 32-pixel ring is the model: a 64-pixel one is that ring at twice the size."""
    c = size / 2.0
    if size >= 32:
        k = size / 32
        outer, thick, pressure = 14.6 * k, 3.3 * k, 0.45 * k
    else:
        outer, thick, pressure = 7.4, 2.1, 0.0
    ss = 8
    sub = (np.arange(ss) + 0.5) / ss
    # Axes: pixel row, pixel column, sample row, sample column.
    sy = (np.arange(size)[:, None, None, None] + sub[None, None, :, None]) - c
    sx = (np.arange(size)[None, :, None, None] + sub[None, None, None, :]) - c
    d = np.hypot(sx, sy)
    # Pressed a little harder on the lower left, as a pen stroke would be.
    t = thick + pressure * np.cos(np.arctan2(sy, sx) - math.radians(135))
    hits = ((outer - t <= d) & (d <= outer)).sum(axis=(2, 3))
    return hits / (ss * ss)


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
    left_out = cover < 0.4
    shade = np.where(left_out, 0, 1 + np.round((cover - 0.4) / 0.6 * (levels - 1)))
    pixels = Image.fromarray(shade.astype(np.uint8), "P")
    mask = Image.fromarray(left_out)
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
    ring = np.empty((64, 64, 4), dtype=np.uint8)
    ring[..., :3] = PEN_RED
    ring[..., 3] = np.round(cover * 255)
    return png(Image.fromarray(ring, "RGBA"))


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
    # After the GIF, which it is made from.
    "background.bmp": (background_bmp, picture_differences(0, 0)),
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

#!/usr/bin/python3
"""Draws Tamsel's two pictures and writes them into content/.

  content/background.gif  the exam window's backdrop, 794 x 567, one frame, 256 colours
  content/maru.ico        the red ring shown beside each correct answer (three images)

Only the standard library is used, and nothing random: every run writes the same bytes.
Run it from anywhere:  /usr/bin/python3 tools/make_pictures.py
"""

import math
import struct
from pathlib import Path

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


def cell_colour(x, y, base):
    """Paints the soft translucent cells on top of the base colour (anti-aliased analytically)."""
    col = base
    for cx, cy, rad, nx, ny in CELLS:
        d = math.hypot(x - cx, y - cy)
        if d > rad + 1.5:
            continue
        inside = clamp(rad - d + 0.5)
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


def render_background():
    """Returns the picture as three lists of floats (r, g, b), row after row."""
    rs, gs, bs = [], [], []
    x0, y0, x1, y1 = SPRIG_BOX
    ss = 4
    offsets = [((i + 0.5) / ss - 0.5, (j + 0.5) / ss - 0.5) for j in range(ss) for i in range(ss)]
    for y in range(BG_H):
        for x in range(BG_W):
            # Pixel centres sit at +0.5.
            cx, cy = x + 0.5, y + 0.5
            base = background_base(cx, cy)
            col = cell_colour(cx, cy, base) if x < 140 and y < 480 else base
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
            rs.append(col[0])
            gs.append(col[1])
            bs.append(col[2])
    return rs, gs, bs


# ---------------------------------------------------------------------------------------------
# Palette and dithering

def median_cut(histogram, count):
    """Splits the colour histogram {(r, g, b): n} into at most `count` boxes; returns their
    weighted means as integer colours, sorted so the palette does not depend on dict order."""
    boxes = [sorted(histogram.items())]

    def score(box):
        if len(box) < 2:
            return -1.0
        n = sum(c for _, c in box)
        spread = max(max(col[k] for col, _ in box) - min(col[k] for col, _ in box)
                     for k in range(3))
        return spread * math.sqrt(n)

    scores = [score(boxes[0])]
    while len(boxes) < count:
        i = max(range(len(boxes)), key=lambda j: (scores[j], -j))
        if scores[i] <= 0:
            break
        box = boxes[i]
        ranges = [max(col[k] for col, _ in box) - min(col[k] for col, _ in box) for k in range(3)]
        axis = max(range(3), key=lambda k: (ranges[k], -k))
        box.sort(key=lambda item: (item[0][axis], item[0]))
        total = sum(c for _, c in box)
        acc, cut = 0, 1
        for cut, (_, c) in enumerate(box, start=1):
            acc += c
            if acc * 2 >= total:
                break
        cut = min(max(cut, 1), len(box) - 1)
        a, b = box[:cut], box[cut:]
        boxes[i:i + 1] = [a, b]
        scores[i:i + 1] = [score(a), score(b)]
    palette = []
    for box in boxes:
        n = sum(c for _, c in box)
        palette.append(tuple(int(round(sum(col[k] * c for col, c in box) / n)) for k in range(3)))
    palette = sorted(set(palette))
    while len(palette) < count:
        palette.append((0, 0, 0))
    return palette


def dither(rs, gs, bs, width, height, palette):
    """Floyd-Steinberg error diffusion in serpentine order; returns palette indices."""
    cache = {}

    def nearest(r, g, b):
        key = (r, g, b)
        hit = cache.get(key)
        if hit is None:
            best, hit = 1 << 30, 0
            for i, (pr, pg, pb) in enumerate(palette):
                # Weighted towards green, as the eye is.
                d = 2 * (pr - r) ** 2 + 4 * (pg - g) ** 2 + 3 * (pb - b) ** 2
                if d < best:
                    best, hit = d, i
            cache[key] = hit
        return hit

    out = bytearray(width * height)
    err_r = [0.0] * (width + 2)
    err_g = [0.0] * (width + 2)
    err_b = [0.0] * (width + 2)
    for y in range(height):
        nxt_r = [0.0] * (width + 2)
        nxt_g = [0.0] * (width + 2)
        nxt_b = [0.0] * (width + 2)
        forward = (y % 2) == 0
        xs = range(width) if forward else range(width - 1, -1, -1)
        step = 1 if forward else -1
        for x in xs:
            i = y * width + x
            e = x + 1
            r = rs[i] + err_r[e]
            g = gs[i] + err_g[e]
            b = bs[i] + err_b[e]
            qi = nearest(int(clamp(round(r), 0, 255)), int(clamp(round(g), 0, 255)),
                         int(clamp(round(b), 0, 255)))
            out[i] = qi
            pr, pg, pb = palette[qi]
            dr, dg, db = r - pr, g - pg, b - pb
            err_r[e + step] += dr * 7 / 16
            err_g[e + step] += dg * 7 / 16
            err_b[e + step] += db * 7 / 16
            nxt_r[e - step] += dr * 3 / 16
            nxt_g[e - step] += dg * 3 / 16
            nxt_b[e - step] += db * 3 / 16
            nxt_r[e] += dr * 5 / 16
            nxt_g[e] += dg * 5 / 16
            nxt_b[e] += db * 5 / 16
            nxt_r[e + step] += dr / 16
            nxt_g[e + step] += dg / 16
            nxt_b[e + step] += db / 16
        err_r, err_g, err_b = nxt_r, nxt_g, nxt_b
    return bytes(out)


# ---------------------------------------------------------------------------------------------
# GIF writing

class BitPacker:
    """Packs variable-width codes least-significant bit first, as GIF wants them."""

    def __init__(self):
        self.out = bytearray()
        self.acc = 0
        self.nbits = 0

    def put(self, code, width):
        self.acc |= code << self.nbits
        self.nbits += width
        while self.nbits >= 8:
            self.out.append(self.acc & 0xFF)
            self.acc >>= 8
            self.nbits -= 8

    def finish(self):
        if self.nbits:
            self.out.append(self.acc & 0xFF)
        self.acc = self.nbits = 0
        return bytes(self.out)


def lzw_encode(indices, min_code_size=8):
    """GIF-flavoured LZW: codes grow from min_code_size + 1 bits up to 12; when the table is
    full a clear code starts a fresh one."""
    clear = 1 << min_code_size
    end = clear + 1
    packer = BitPacker()

    table = {}
    next_code = end + 1
    width = min_code_size + 1
    packer.put(clear, width)
    if not indices:
        packer.put(end, width)
        return packer.finish()

    prefix = indices[0]
    for k in indices[1:]:
        key = (prefix << 8) | k
        code = table.get(key)
        if code is not None:
            prefix = code
            continue
        packer.put(prefix, width)
        # The decoder learns each new string one code later than we do, and widens its codes
        # as soon as the next free code no longer fits; widening here before adding keeps the
        # two in step.
        if next_code == (1 << width) and width < 12:
            width += 1
        if next_code < 4096:
            table[key] = next_code
            next_code += 1
        else:
            packer.put(clear, width)
            table = {}
            next_code = end + 1
            width = min_code_size + 1
        prefix = k
    packer.put(prefix, width)
    # The decoder adds one more entry on reading that last code and may widen for the end code.
    if next_code == (1 << width) and width < 12:
        width += 1
    packer.put(end, width)
    return packer.finish()


def lzw_decode(data, min_code_size, expected):
    """A plain GIF LZW decoder, used to prove the encoder round-trips."""
    clear = 1 << min_code_size
    end = clear + 1
    pos = 0
    acc = 0
    nbits = 0
    width = min_code_size + 1
    table = [bytes([i]) for i in range(clear)] + [b"", b""]
    prev = None
    out = bytearray()
    while True:
        while nbits < width:
            if pos >= len(data):
                raise ValueError("LZW data ran out before the end code")
            acc |= data[pos] << nbits
            pos += 1
            nbits += 8
        code = acc & ((1 << width) - 1)
        acc >>= width
        nbits -= width
        if code == clear:
            table = table[:end + 1]
            width = min_code_size + 1
            prev = None
            continue
        if code == end:
            break
        if prev is None:
            entry = table[code]
        elif code < len(table):
            entry = table[code]
            table.append(prev + entry[:1])
        elif code == len(table):
            entry = prev + prev[:1]
            table.append(entry)
        else:
            raise ValueError("LZW code out of range")
        out += entry
        prev = entry
        if len(table) == (1 << width) and width < 12:
            width += 1
    if bytes(out) != expected:
        raise ValueError("LZW round trip differs")


def write_gif(path, width, height, palette, indices):
    assert len(palette) == 256 and len(indices) == width * height
    out = bytearray(b"GIF89a")
    # Logical screen: global colour table present (0x80), 8 bits of colour resolution (0x70),
    # table of 2^(7+1) = 256 entries (0x07).
    out += struct.pack("<HHBBB", width, height, 0xF7, 0, 0)
    for r, g, b in palette:
        out += bytes((r, g, b))
    # One image covering the whole screen: no local table, not interlaced.
    out += b"\x2C" + struct.pack("<HHHHB", 0, 0, width, height, 0)
    min_code_size = 8
    data = lzw_encode(indices, min_code_size)
    lzw_decode(data, min_code_size, indices)
    out.append(min_code_size)
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        out.append(len(chunk))
        out += chunk
    out.append(0)
    out += b"\x3B"
    path.write_bytes(bytes(out))


def make_background(path):
    rs, gs, bs = render_background()
    histogram = {}
    for r, g, b in zip(rs, gs, bs):
        key = (int(round(r)), int(round(g)), int(round(b)))
        histogram[key] = histogram.get(key, 0) + 1
    palette = median_cut(histogram, 256)
    indices = dither(rs, gs, bs, BG_W, BG_H, palette)
    write_gif(path, BG_W, BG_H, palette, indices)


# ---------------------------------------------------------------------------------------------
# The correct-answer mark

PEN_RED = (214, 24, 32)
# Edge pixels are mixed towards the light grey the mark usually sits on, since an icon's
# transparency is all or nothing.
PAPER = (236, 236, 236)


def ring_coverage(size):
    """Fraction of each pixel covered by the ring, sampled 8 x 8 per pixel."""
    c = size / 2.0
    if size >= 32:
        outer, thick = 14.6, 3.3
    else:
        outer, thick = 7.4, 2.1
    ss = 8
    cover = []
    for y in range(size):
        row = []
        for x in range(size):
            hits = 0
            for j in range(ss):
                sy = y + (j + 0.5) / ss - c
                for i in range(ss):
                    sx = x + (i + 0.5) / ss - c
                    d = math.hypot(sx, sy)
                    # Pressed a little harder on the lower left, as a pen stroke would be.
                    t = thick
                    if size >= 32:
                        t += 0.45 * math.cos(math.atan2(sy, sx) - math.radians(135))
                    if outer - t <= d <= outer:
                        hits += 1
            row.append(hits / (ss * ss))
        cover.append(row)
    return cover


def ring_image(size, levels):
    """Returns (palette, rows of indices, rows of transparency) for a ring with `levels`
    shades between paper and full red. Index 0 is black and used under the mask."""
    cover = ring_coverage(size)
    palette = [(0, 0, 0)]
    for k in range(levels):
        a = 0.4 + 0.6 * k / (levels - 1)
        palette.append(tuple(int(round(p + (r - p) * a)) for r, p in zip(PEN_RED, PAPER)))
    pixels, masks = [], []
    for row in cover:
        prow, mrow = [], []
        for a in row:
            if a < 0.4:
                prow.append(0)
                mrow.append(1)
            else:
                k = int(round((a - 0.4) / 0.6 * (levels - 1)))
                prow.append(1 + k)
                mrow.append(0)
        pixels.append(prow)
        masks.append(mrow)
    return palette, pixels, masks


def dib(size, bits, palette, pixels, masks):
    """A BITMAPINFOHEADER image as icons hold it: colour bitmap, then the AND mask, both
    stored bottom row first, the header's height counting both."""
    colours = 1 << bits
    palette = list(palette) + [(0, 0, 0)] * (colours - len(palette))
    xor_stride = ((size * bits + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor = bytearray()
    for row in reversed(pixels):
        line = bytearray()
        if bits == 8:
            line += bytes(row)
        else:
            for x in range(0, size, 2):
                line.append((row[x] << 4) | row[x + 1])
        line += b"\0" * (xor_stride - len(line))
        xor += line
    andmask = bytearray()
    for row in reversed(masks):
        line = bytearray(and_stride)
        for x, m in enumerate(row):
            if m:
                line[x // 8] |= 0x80 >> (x % 8)
        andmask += line
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0,
                         len(xor) + len(andmask), 0, 0, colours, 0)
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return header + table + bytes(xor) + bytes(andmask)


def make_maru(path):
    images = []
    for size, bits in ((32, 4), (16, 4), (32, 8)):
        levels = 15 if bits == 4 else 64
        palette, pixels, masks = ring_image(size, levels)
        images.append((size, bits, dib(size, bits, palette, pixels, masks)))
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, bits, data in images:
        colour_count = 16 if bits == 4 else 0
        out += struct.pack("<BBBBHHII", size, size, colour_count, 0, 1, bits, len(data), offset)
        offset += len(data)
    for _, _, data in images:
        out += data
    path.write_bytes(bytes(out))


def main():
    CONTENT.mkdir(exist_ok=True)
    make_maru(CONTENT / "maru.ico")
    make_background(CONTENT / "background.gif")


if __name__ == "__main__":
    main()

#!/usr/bin/python3
"""Draws the seven figures of Tamsel's question booklet and writes them into content/, each also
at twice the size for dense screens, with a text alternative for each in Japanese.

  content/figure1.jpg  図１        525 x 349  onion root-tip squash, cells ア-オ in mitosis
  content/figure2.jpg  図２、図３  373 x 357  DNA per cell through the cycle; the DNA histogram
  content/figure3.jpg  図４        447 x 359  respiratory-quotient apparatus, 装置A and 装置B
  content/figure4.jpg  図５        501 x 336  gas decrease against time, four series
  content/figure5.jpg  図６        431 x 244  blood glucose and insulin after a glucose drink
  content/figure6.jpg  図７        545 x 356  coleoptiles with a mica plate, 実験１ and 実験２
  content/figure7.jpg  図８        310 x 237  phylogenetic tree of seven vertebrates, nodes a-f

Each picture is shown unscaled in a box that clips it, so the right 33 columns of figure 4, the
bottom 6 rows of figure 5 and the right 11 columns of figure 6 carry nothing that matters. No
text may run off a picture's edge either: drawing stops with an error if some does.

  content/figure1@2x.png ... figure7@2x.png  the same figures drawn at twice the resolution
      (matplotlib at 200 dpi, the micrograph's shapes at twice their coordinates), exactly twice
      the JPEG's width and height, RGB; the program shows them on screens denser than 100 %.
  content/figure-descriptions.json  what a blind student is told in each figure's place: a JSON
      object from the JPEG's file name to its description, in exam Japanese, which says what the
      figure shows (labels, axes, scales, plotted values, apparatus, branching order) without
      saying what its questions ask. The descriptions are made from the same lists of values,
      labels and positions that the drawings use, so the two cannot differ.

Every file is a baseline JFIF 1.02 JPEG, YCbCr, 72 dpi, with an sRGB profile (APP2), a
Photoshop resource block holding an IPTC caption (APP13), a comment and a restart interval of
one MCU row. Pillow encodes, `jpegtran -copy all -restart 1` adds the restart markers, and this
script then splices the APP13 segment in after APP0 and sets the JFIF version; it never touches
the entropy-coded data. Random texture comes from fixed seeds, so every run writes the same
bytes.

Needs /usr/bin/python3 with python3-pil, python3-matplotlib (and its python3-numpy), the fonts
of fonts-ipafont-gothic and fonts-ipafont-mincho, and jpegtran from libjpeg-turbo-progs.

Usage:
  /usr/bin/python3 tools/make_figures.py           write the figures, their @2x pictures and
                                                   content/figure-descriptions.json
  /usr/bin/python3 tools/make_figures.py --check   draw into a temporary folder; exit 1 naming
                                                   every committed file that differs in what
                                                   the program relies on: the layout of markers
                                                   above, size, mode, pixels within a tolerance;
                                                   the descriptions byte for byte
  /usr/bin/python3 tools/make_figures.py --check-bytes
                                                   the same, naming every one with other bytes
"""

import json
import math
import shutil
import struct
import subprocess
import sys
import tempfile
from pathlib import Path

import numpy as np
from PIL import Image, ImageCms, ImageDraw, ImageFilter, ImageFont

import matplotlib
matplotlib.use("Agg")
from matplotlib import font_manager, patches, ticker  # noqa: E402
from matplotlib.text import Text  # noqa: E402
from matplotlib.backends.backend_agg import FigureCanvasAgg  # noqa: E402
from matplotlib.figure import Figure  # noqa: E402

from committed import jpeg_traits, mode_of, picture_differences, write_or_check  # noqa: E402

ROOT = Path(__file__).resolve().parent.parent
CONTENT = ROOT / "content"

# Labels are in IPA Gothic, whose full-width digits keep the full width ("図５", "実験１"). The
# numbers on the axes use its proportional face, IPA P Gothic: the fixed-pitch full stop looks like
# a comma at small sizes and its zero is slashed.
GOTHIC = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"
GOTHIC_P = "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf"
MINCHO = "/usr/share/fonts/opentype/ipafont-mincho/ipam.ttf"

# Matplotlib draws at 100 dots per inch, so a point is 100/72 pixels: 9 pt text is 12.5 px.
DPI = 100
FONT_PT = 9.0


def setup_matplotlib():
    for path in (GOTHIC, GOTHIC_P, MINCHO):
        font_manager.fontManager.addfont(path)
    matplotlib.rcParams.update({
        "font.family": "IPAGothic",
        "font.size": FONT_PT,
        "axes.unicode_minus": False,
        "axes.linewidth": 0.8,
        "axes.edgecolor": "black",
        "xtick.direction": "in",
        "ytick.direction": "in",
        "xtick.major.size": 3.0,
        "ytick.major.size": 3.0,
        "xtick.major.width": 0.7,
        "ytick.major.width": 0.7,
        "xtick.major.pad": 3.0,
        "ytick.major.pad": 3.0,
        "lines.linewidth": 1.1,
        "legend.fontsize": FONT_PT,
        "legend.frameon": True,
        "legend.framealpha": 1.0,
        "legend.edgecolor": "black",
        "legend.fancybox": False,
        "path.simplify": False,
    })


def new_figure(width, height, scale=1):
    """A figure of width x height pixels at 1x, drawn scale times as fine: every length in the
    drawings is in points or in fractions of the figure, so only the resolution changes."""
    # Agg truncates the canvas size, and 4.31 inches at 100 dpi comes out as 430.99... pixels.
    fig = Figure(figsize=((width + 0.01) / DPI, (height + 0.01) / DPI), dpi=DPI * scale,
                 facecolor="white")
    FigureCanvasAgg(fig)
    return fig


def rendered(fig, width, height):
    """The figure as an RGB picture; fails loudly if Agg rounded the canvas to another size, or
    if a piece of text runs off the picture, where the reader would lose part of it."""
    scale = round(fig.dpi / DPI)
    width, height = width * scale, height * scale
    canvas = fig.canvas
    canvas.draw()
    rgba = np.asarray(canvas.buffer_rgba())
    if rgba.shape[:2] != (height, width):
        raise SystemExit(f"matplotlib drew {rgba.shape[1]} x {rgba.shape[0]}, "
                         f"wanted {width} x {height}")
    renderer = canvas.get_renderer()
    for text in fig.findobj(Text):
        if not text.get_visible() or not text.get_text():
            continue
        box = text.get_window_extent(renderer)
        if box.x0 < 0 or box.y0 < 0 or box.x1 > width or box.y1 > height:
            raise SystemExit(f"the text {text.get_text()!r} runs off the picture: "
                             f"{box.x0:.1f}..{box.x1:.1f} x {height - box.y1:.1f}.."
                             f"{height - box.y0:.1f} in {width} x {height}")
    return Image.fromarray(np.ascontiguousarray(rgba[..., :3]), "RGB")


def pixel_axes(fig, width, height):
    """Axes over the whole figure in pixel units, y growing downwards, for the line drawings."""
    ax = fig.add_axes((0.0, 0.0, 1.0, 1.0))
    ax.set_xlim(0, width)
    ax.set_ylim(height, 0)
    ax.set_axis_off()
    return ax


def px(points):
    """A length in pixels as a matplotlib line width in points."""
    return points * 72.0 / DPI


def proportional_numbers(ax):
    """Sets the tick numbers of an axes in the proportional face; call after the ticks are set."""
    for label in ax.get_xticklabels() + ax.get_yticklabels():
        label.set_fontfamily("IPAPGothic")


def axis_title_above(ax, text, dx=-14.0):
    """The y axis's name written across, above the top of the axis, as Japanese textbooks do."""
    ax.annotate(text, xy=(0.0, 1.0), xycoords="axes fraction", xytext=(dx, 6.0),
                textcoords="offset points", ha="left", va="bottom")


# ---------------------------------------------------------------------------------------------
# 図１: a squash of an onion root tip stained with aceto-orcein

F1_W, F1_H = 525, 349
SS = 3  # the micrograph is drawn three times larger and reduced, for smooth edges

BACKGROUND = (236, 224, 230)
CYTOPLASM = (226, 196, 210)
WALL = (176, 110, 142)
NUCLEUS = (164, 58, 112)
CHROMATIN = (126, 30, 84)
NUCLEOLUS = (98, 18, 64)
CHROMOSOME = (112, 22, 74)

ROW_HEIGHT = 46.0
# The five marked cells: label, row, left and right edge (in final pixels).
MARKED = {
    "ア": (2, 70.0, 130.0),
    "ウ": (2, 330.0, 390.0),
    "エ": (4, 206.0, 262.0),
    "イ": (5, 380.0, 448.0),
    "オ": (6, 56.0, 120.0),
}


def row_edge(k, x):
    """The y of the wall line between cell file k - 1 and file k at x: the files run across the
    picture, slightly tilted and wavy as a squashed root tip is."""
    return (k - 0.55) * ROW_HEIGHT + 0.035 * x + 3.0 * math.sin(0.011 * x + 1.7 * k)


def chaikin(points, rounds=2):
    """Rounds the corners of a closed polygon."""
    for _ in range(rounds):
        out = []
        n = len(points)
        for i in range(n):
            (x0, y0), (x1, y1) = points[i], points[(i + 1) % n]
            out.append((0.75 * x0 + 0.25 * x1, 0.75 * y0 + 0.25 * y1))
            out.append((0.25 * x0 + 0.75 * x1, 0.25 * y0 + 0.75 * y1))
        points = out
    return points


def cell_outline(k, x0, x1, gap=1.3):
    """The outline of the cell of file k between crosswalls x0 and x1, a little inside both."""
    xs = np.linspace(x0 + gap, x1 - gap, 6)
    top = [(x, row_edge(k, x) + gap) for x in xs]
    bottom = [(x, row_edge(k + 1, x) - gap) for x in xs[::-1]]
    return chaikin(top + bottom)


class Enlarged:
    """Draws on a picture `factor` times the size of the micrograph, taking the micrograph's own
    coordinates, so that one description of the cells serves every size it is drawn at."""

    def __init__(self, image, factor):
        self.draw = ImageDraw.Draw(image)
        self.factor = factor

    def scaled(self, points):
        return [(x * self.factor, y * self.factor) for x, y in points]

    def polygon(self, points, fill):
        self.draw.polygon(self.scaled(points), fill=fill)

    def line(self, points, fill, width):
        self.draw.line(self.scaled(points), fill=fill,
                       width=max(1, int(round(width * self.factor))), joint="curve")

    def disc(self, x, y, r, fill):
        k = self.factor
        self.draw.ellipse([(x - r) * k, (y - r) * k, (x + r) * k, (y + r) * k], fill=fill)


def tone(colour, rng, spread):
    return tuple(int(max(0, min(255, c + rng.normal(0.0, spread)))) for c in colour)


def blob(draw, cx, cy, rx, ry, fill, rng, angle=0.0, wobble=0.06):
    """An irregular ellipse, as a stained nucleus is."""
    pts = []
    phase = rng.uniform(0, 2 * math.pi)
    for i in range(40):
        t = 2 * math.pi * i / 40
        r = 1.0 + wobble * math.sin(3 * t + phase) + 0.5 * wobble * math.sin(5 * t - phase)
        x, y = rx * r * math.cos(t), ry * r * math.sin(t)
        ca, sa = math.cos(angle), math.sin(angle)
        pts.append((cx + x * ca - y * sa, cy + x * sa + y * ca))
    draw.polygon(pts, fill=fill)


def dots(draw, cx, cy, rx, ry, count, radius, fill, rng):
    """Granules of chromatin scattered inside an ellipse."""
    for _ in range(count):
        r = math.sqrt(rng.uniform(0.0, 1.0)) * 0.85
        t = rng.uniform(0.0, 2 * math.pi)
        x, y = cx + rx * r * math.cos(t), cy + ry * r * math.sin(t)
        rr = radius * rng.uniform(0.6, 1.2)
        draw.disc(x, y, rr, fill)


def stroke(draw, pts, width, fill):
    draw.line(pts, fill, width)
    for x, y in (pts[0], pts[-1]):
        draw.disc(x, y, width / 2.0, fill)


def interphase(draw, cx, cy, w, h, rng):
    # Round whatever the cell's shape, so that no resting nucleus passes for a dividing one.
    r = 0.29 * min(w, h)
    rx, ry = r * rng.uniform(0.92, 1.1), r * rng.uniform(0.92, 1.1)
    cx += rng.uniform(-0.06, 0.06) * w
    cy += rng.uniform(-0.06, 0.06) * h
    blob(draw, cx, cy, rx, ry, tone(NUCLEUS, rng, 6.0), rng, rng.uniform(-0.3, 0.3))
    dots(draw, cx, cy, rx, ry, 14, 0.9, tone(CHROMATIN, rng, 5.0), rng)
    for _ in range(1 if rng.uniform() < 0.7 else 2):
        nx = cx + rng.uniform(-0.35, 0.35) * rx
        ny = cy + rng.uniform(-0.35, 0.35) * ry
        r = rng.uniform(2.0, 2.7)
        draw.disc(nx, ny, r, NUCLEOLUS)


def prophase(draw, cx, cy, w, h, rng):
    r = 0.33 * min(w, h) + 1.5
    blob(draw, cx, cy, r, r * 0.97, (190, 104, 148), rng, wobble=0.03)
    for _ in range(11):
        t = rng.uniform(0, 2 * math.pi)
        d = math.sqrt(rng.uniform(0.0, 1.0)) * r * 0.6
        x, y = cx + d * math.cos(t), cy + d * math.sin(t)
        heading = rng.uniform(0, 2 * math.pi)
        pts = [(x, y)]
        for _ in range(14):
            heading += rng.normal(0.0, 0.55)
            nx, ny = x + 1.5 * math.cos(heading), y + 1.5 * math.sin(heading)
            if math.hypot(nx - cx, ny - cy) > r * 0.86:
                heading += math.pi * 0.8
                continue
            x, y = nx, ny
            pts.append((x, y))
        if len(pts) > 3:
            stroke(draw, pts, 1.25, CHROMOSOME)


def metaphase(draw, cx, cy, w, h, rng):
    # A clear spindle region, then the chromosomes packed on the plate across the middle.
    blob(draw, cx, cy, 0.36 * w, 0.36 * h, (232, 206, 218), rng, wobble=0.03)
    n = 13
    for i in range(n):
        y = cy - 0.33 * h + 0.66 * h * (i + rng.uniform(0.1, 0.9)) / n
        x = cx + rng.normal(0.0, 1.0)
        length = rng.uniform(6.0, 9.0)
        a = rng.normal(0.0, 0.45)
        dx, dy = 0.5 * length * math.cos(a), 0.5 * length * math.sin(a)
        stroke(draw, [(x - dx, y - dy), (x + dx, y + dy)], 2.6, CHROMOSOME)


def anaphase(draw, cx, cy, w, h, rng):
    blob(draw, cx, cy, 0.40 * w, 0.36 * h, (232, 206, 218), rng, wobble=0.03)
    for side in (-1.0, 1.0):
        px0 = cx + side * 0.24 * w
        n = 7
        for i in range(n):
            y = cy - 0.29 * h + 0.58 * h * (i + rng.uniform(0.2, 0.8)) / n
            # The apex (the centromere) leads towards the pole; the arms trail behind.
            apex = (px0 + side * (rng.uniform(1.0, 3.0) - 2.0 * abs(y - cy) / h * 4.0), y)
            arm = rng.uniform(5.5, 7.5)
            spread = rng.uniform(0.35, 0.55)
            back = -side
            a1 = (apex[0] + back * arm * math.cos(spread), apex[1] - arm * math.sin(spread))
            a2 = (apex[0] + back * arm * math.cos(spread), apex[1] + arm * math.sin(spread))
            stroke(draw, [a1, apex, a2], 1.8, CHROMOSOME)


def telophase(draw, cx, cy, w, h, rng):
    # Two small, dense daughter nuclei against the end walls.
    for side in (-1.0, 1.0):
        nx = cx + side * 0.34 * w
        blob(draw, nx, cy, 0.09 * w, 0.25 * h, (138, 36, 90), rng, wobble=0.10)
        dots(draw, nx, cy, 0.09 * w, 0.25 * h, 9, 1.0, CHROMOSOME, rng)
    # The cell plate growing out from the middle, not yet reaching the side walls: a band of
    # vesicles in a clear zone.
    blob(draw, cx, cy, 0.13 * w, 0.36 * h, (236, 214, 225), rng, wobble=0.03)
    top, bottom = cy - 0.30 * h, cy + 0.30 * h
    draw.line([(cx, top), (cx, bottom)], (150, 70, 112), 1.8)
    for i in range(8):
        y = top + (bottom - top) * (i + 0.5) / 8
        for off in (-1.6, 1.6):
            r = 0.8
            draw.disc(cx + off, y, r, (166, 88, 128))


STAGES = {"ア": prophase, "イ": telophase, "ウ": metaphase, "エ": interphase, "オ": anaphase}


def micrograph_cells(rng):
    """Lays out the cell files; returns (file, left, right, label or None) for every cell."""
    cells = []
    rows = int(F1_H / ROW_HEIGHT) + 3
    for k in range(rows):
        fixed = sorted((x0, x1, lab) for lab, (row, x0, x1) in MARKED.items() if row == k)
        x = -rng.uniform(10.0, 40.0)
        while x < F1_W + 10:
            nxt = fixed[0] if fixed else None
            width = rng.uniform(38.0, 56.0)
            if nxt is not None and x + width + 30.0 > nxt[0]:
                # Close the gap up to the marked cell, splitting it if it is long.
                gap = nxt[0] - x
                if gap > 60.0:
                    cells.append((k, x, x + gap / 2.0, None))
                    cells.append((k, x + gap / 2.0, nxt[0], None))
                elif gap > 0.0:
                    cells.append((k, x, nxt[0], None))
                cells.append((k, nxt[0], nxt[1], nxt[2]))
                x = nxt[1]
                fixed.pop(0)
                continue
            cells.append((k, x, x + width, None))
            x += width
    return cells


# What a sighted student sees in a cell drawn by each of the drawings above, worded so that it
# names no stage: putting the stages in order is the question.
APPEARANCE = {
    interphase: "丸い核が一つあり，核の中に細かい粒状の模様と，濃く染まった小さな粒が見える",
    prophase: "丸い輪郭の中に，細い糸のような染色体が多数，からまり合うように見える",
    metaphase: "丸い核は見られず，太く短い棒状の染色体が，細胞の中央に縦一列に集まって並んでいる",
    anaphase: ("丸い核は見られず，V字形の染色体が左右の二つの群に分かれ，それぞれ細胞の左端と右端"
               "の方にV字の先端を向けて並んでいる"),
    telophase: ("細胞の左端と右端の近くに，小さく濃く染まった核が一つずつある。二つの核の間の細胞"
                "の中央には縦方向に仕切りの線が見えるが，その線は上下の細胞壁には達していない"),
}
SCALE_BAR_UM, SCALE_BAR_PX = 20, 40  # the cells of the meristem are about 20 μm wide


def marked_centre(label):
    """Where a marked cell's middle lies in the picture."""
    k, x0, x1 = MARKED[label]
    cx = 0.5 * (x0 + x1)
    return cx, 0.5 * (row_edge(k, cx) + row_edge(k + 1, cx))


def place_in_field(x, y):
    """Where in the field of view a point lies, in thirds, as an examiner would say it."""
    across = ["左", "中央", "右"][min(2, int(3 * x / F1_W))]
    down = ["上", "中ほど", "下"][min(2, int(3 * y / F1_H))]
    if across == "中央":
        return "中央" if down == "中ほど" else f"中央の{down}"
    return f"{across}{down}" if down != "中ほど" else f"{across}の中ほど"


def describe_figure1():
    cells = "".join(f"{label}は視野の{place_in_field(*marked_centre(label))}の細胞で，"
                    f"{APPEARANCE[STAGES[label]]}。" for label in sorted(MARKED))
    return ("図１は，タマネギの根の先端を押しつぶし，酢酸オルセイン溶液で染色した標本の顕微鏡写真で"
            "ある。細胞壁で仕切られた四角い細胞が横に列をなして並び，多くの細胞には丸い核が一つずつ"
            "見える。そのうち5個の細胞に，引き出し線でア～オの記号が付けられている。" + cells
            + f"視野の右下に，{SCALE_BAR_UM} μmの長さを示すスケールバーがある。")


def figure1(scale=1):
    rng = np.random.RandomState(20241)
    big = Image.new("RGB", (F1_W * SS * scale, F1_H * SS * scale), BACKGROUND)
    draw = Enlarged(big, SS * scale)
    for k, x0, x1, label in micrograph_cells(rng):
        outline = cell_outline(k, x0, x1)
        draw.polygon(outline, fill=tone(CYTOPLASM, rng, 4.0))
        draw.line(outline + outline[:1], tone(WALL, rng, 6.0), 1.5)
        cx = 0.5 * (x0 + x1)
        cy = 0.5 * (row_edge(k, cx) + row_edge(k + 1, cx))
        w, h = x1 - x0, row_edge(k + 1, cx) - row_edge(k, cx)
        STAGES.get(label, interphase)(draw, cx, cy, w, h, rng)

    width, height = F1_W * scale, F1_H * scale
    img = big.resize((width, height), Image.LANCZOS).filter(ImageFilter.GaussianBlur(0.7 * scale))
    a = np.asarray(img).astype(np.float64)
    # Uneven illumination, a slightly darker rim and sensor noise.
    yy, xx = np.mgrid[0:height, 0:width] / scale
    r2 = ((xx - F1_W * 0.46) / (F1_W * 0.62)) ** 2 + ((yy - F1_H * 0.45) / (F1_H * 0.62)) ** 2
    light = 1.0 - 0.10 * r2 + 0.025 * np.sin(xx / 57.0 + yy / 83.0)
    a = a * light[..., None]
    # The noise belongs to the camera's pixels, which are the picture's at 1x: at twice the size
    # each grain covers four pixels, so the grain looks the same at both sizes.
    noise = rng.normal(0.0, 2.2, (F1_H, F1_W, 1)) + rng.normal(0.0, 1.6, (F1_H, F1_W, 3))
    a += noise.repeat(scale, axis=0).repeat(scale, axis=1)
    img = Image.fromarray(np.clip(np.rint(a), 0, 255).astype(np.uint8), "RGB")

    # The labels and the scale bar are drawn at the final size, in pixels of the figure at 1x.
    draw = ImageDraw.Draw(img)
    font = ImageFont.truetype(GOTHIC, 15 * scale)
    # Where each label's box sits, relative to its cell's centre.
    offsets = {"ア": (-14, -56), "イ": (58, -50), "ウ": (44, -54), "エ": (66, 10),
               "オ": (-28, 56)}
    for label, (k, x0, x1) in sorted(MARKED.items()):
        cx, cy = marked_centre(label)
        w, h = x1 - x0, row_edge(k + 1, cx) - row_edge(k, cx)
        dx, dy = offsets[label]
        bx, by = cx + dx, cy + dy
        # The leader points at the cell's middle and ends inside its wall, short of what the
        # student has to see.
        ux, uy = cx - bx, cy - by
        d = math.hypot(ux, uy)
        ex, ey = cx - ux / d * 0.42 * min(w, h), cy - uy / d * 0.42 * min(w, h)
        leader = [(bx * scale, by * scale), (ex * scale, ey * scale)]
        draw.line(leader, fill=(255, 255, 255), width=3 * scale)
        draw.line(leader, fill=(0, 0, 0), width=scale)
        label_box(draw, bx, by, label, font, scale)
    label_box(draw, 22, 17, "図１", font, scale)
    # The scale bar.
    x1, y = F1_W - 26, F1_H - 14
    x0 = x1 - SCALE_BAR_PX
    text = f"{SCALE_BAR_UM} μm"
    tw = draw.textlength(text, font=font) / scale
    draw.rectangle([(x0 - 6) * scale, (y - 25) * scale, (x1 + 6) * scale, (y + 6) * scale],
                   fill=(255, 255, 255), outline=(0, 0, 0), width=scale)
    draw.rectangle([x0 * scale, (y - 2) * scale, x1 * scale, (y + 1) * scale], fill=(0, 0, 0))
    draw.text((((x0 + x1) / 2 - tw / 2) * scale, (y - 22) * scale), text, font=font,
              fill=(0, 0, 0))
    return img


def label_box(draw, cx, cy, text, font, scale):
    """A white box with a thin black border, centred on (cx, cy) in pixels of the figure at 1x."""
    tw = draw.textlength(text, font=font)
    w, h = tw + 8 * scale, 21 * scale
    x0, y0 = int(round(cx * scale - w / 2)), int(round(cy * scale - h / 2))
    draw.rectangle([x0, y0, x0 + int(w), y0 + h], fill=(255, 255, 255), outline=(0, 0, 0),
                   width=scale)
    draw.text((x0 + 4 * scale, y0 + 3 * scale), text, font=font, fill=(0, 0, 0))


# ---------------------------------------------------------------------------------------------
# 図２ and 図３

DNA_LABEL = "細胞あたりのDNA量（相対値）"
# 図２: DNA per cell over one cycle and into the next, and the periods marked on it.
CYCLE_T = [0.0, 4.0, 7.0, 9.0, 10.5, 10.5, 13.0]
CYCLE_DNA = [2.0, 2.0, 4.0, 4.0, 4.0, 2.0, 2.0]
CYCLE_TICKS = [0, 2, 4]
PERIODS = [(0.0, 4.0, "a"), (4.0, 7.0, "b"), (7.0, 9.0, "c"), (9.0, 10.5, "d")]
# 図３: the cells by DNA amount: two peaks (position, height, width) and the low stretch between
# them (where it starts and ends, and its height), each with the letter naming it and where the
# letter sits.
PEAK_X, PEAK_Z = (2.0, 100.0, 0.16), (4.0, 50.0, 0.20)
BETWEEN = (2.15, 3.85, 11.0)
HISTOGRAM_TICKS = [0, 2, 4, 6]
HISTOGRAM_LETTERS = ((PEAK_X[0] + 0.32, PEAK_X[1] - 8.0, "X"),
                     ((BETWEEN[0] + BETWEEN[1]) / 2, 20.0, "Y"),
                     (PEAK_Z[0] + 0.36, PEAK_Z[1], "Z"))


def number(value, places=None):
    """A value as a reader of the figure reads it: with the places its axis's numbers have (2.0
    on an axis numbered 0.0, 0.5, ...) or else as few as it needs (2, 1.5), and with two places,
    marked as rounded, when those do not hold it."""
    if places is None:
        text = f"{value:.2f}".rstrip("0").rstrip(".")
    else:
        text = f"{value:.{places}f}"
    if abs(float(text) - value) < 1e-9:
        return text
    return "約" + f"{value:.2f}".rstrip("0")


def dna_along_cycle(t0, t1):
    """How 図２'s line runs through a period: its value at the period's start and at its end
    (before any drop there), and the value it drops to at the end, if it does."""
    def at(t):
        return CYCLE_DNA[CYCLE_T.index(t)] if t in CYCLE_T else float(
            np.interp(t, CYCLE_T, CYCLE_DNA))
    drops = [CYCLE_DNA[i + 1] for i in range(len(CYCLE_T) - 1)
             if CYCLE_T[i] == CYCLE_T[i + 1] == t1]
    return at(t0), at(t1), drops[0] if drops else None


def describe_figure2():
    course = []
    for t0, t1, name in PERIODS:
        start, end, drop = dna_along_cycle(t0, t1)
        if start == end:
            text = f"期間{name}では{number(start)}で一定"
        else:
            text = f"期間{name}では{number(start)}から{number(end)}へしだいに増加"
        course.append(text + (f"で，期間{name}の終わりに{number(drop)}へ急に減少する。"
                              if drop is not None else
                              ("である。" if start == end else "する。")))
    names = "，".join(name for _, _, name in PERIODS)
    x_at, x_height, _ = PEAK_X
    z_at, z_height, _ = PEAK_Z
    y_from, y_to, y_height = BETWEEN
    return (f"図２は，横軸に時間，縦軸に{DNA_LABEL}をとったグラフである。縦軸の目盛りは"
            + "，".join(map(str, CYCLE_TICKS)) + "で，横軸には目盛りがない。横軸は点線で区切られ"
            f"，左から順に期間{names}と記されている。" + "".join(course)
            + f"その後は{number(CYCLE_DNA[-1])}で一定である。"
            f"図３は，横軸に{DNA_LABEL}（目盛りは" + "，".join(map(str, HISTOGRAM_TICKS))
            + "），縦軸に細胞数（目盛りなし）をとったグラフである。"
            f"DNA量{number(x_at)}の位置に最も高い山があり，この山にXと記されている。"
            f"DNA量{number(z_at)}の位置に，高さがXの山の約{round(x_height / z_height)}分の1の"
            f"山があり，この山にZと記されている。DNA量{number(round(y_from))}と"
            f"{number(round(y_to))}の間は，高さがXの山の約{round(x_height / y_height)}分の1の"
            "低く平らな部分でつながっていて，この部分にYと記されている。")


def figure2(scale=1):
    w, h = 373, 357
    fig = new_figure(w, h, scale)

    ax = fig.add_axes((60 / w, 1 - 142 / h, 290 / w, 112 / h))
    ax.plot(CYCLE_T, CYCLE_DNA, color="black", lw=1.6)
    ax.set_xlim(0, 13.0)
    ax.set_ylim(0, 5.0)
    ax.set_yticks(CYCLE_TICKS)
    ax.set_xticks([])
    for s in ("top", "right"):
        ax.spines[s].set_visible(False)
    for x in sorted({t for t0, t1, _ in PERIODS for t in (t0, t1)} - {0.0}):
        ax.axvline(x, color="0.45", lw=0.7, ls=(0, (2, 2)))
    for x0, x1, name in PERIODS:
        ax.annotate("", xy=(x0, 0.95), xytext=(x1, 0.95),
                    arrowprops=dict(arrowstyle="<->", lw=0.8, color="black",
                                    shrinkA=0, shrinkB=0, mutation_scale=7))
        ax.text((x0 + x1) / 2, 1.25, name, ha="center", va="bottom", fontsize=10)
    proportional_numbers(ax)
    axis_title_above(ax, DNA_LABEL, dx=-30.0)
    ax.annotate("時間", xy=(1.0, 0.0), xycoords="axes fraction", xytext=(0, -6),
                textcoords="offset points", ha="right", va="top")
    fig.text(186 / w, 1 - 170 / h, "図２", ha="center", va="center", fontsize=10)

    # 図３: how many cells hold how much DNA.
    ax = fig.add_axes((60 / w, 1 - 300 / h, 290 / w, 94 / h))
    x = np.linspace(0.0, 6.0, 601)
    y = sum(height * np.exp(-0.5 * ((x - at) / width) ** 2)
            for at, height, width in (PEAK_X, PEAK_Z))
    low_from, low_to, low_height = BETWEEN
    rise = 1.0 / (1.0 + np.exp(-(x - low_from) / 0.05))
    fall = 1.0 / (1.0 + np.exp((x - low_to) / 0.05))
    y = y + low_height * rise * fall
    ax.fill_between(x, 0, y, color="0.82", lw=0)
    ax.plot(x, y, color="black", lw=1.3)
    ax.set_xlim(0, 6.4)
    ax.set_ylim(0, 116)
    ax.set_xticks(HISTOGRAM_TICKS)
    ax.set_yticks([])
    for s in ("top", "right"):
        ax.spines[s].set_visible(False)
    for xx, yy, name in HISTOGRAM_LETTERS:
        ax.text(xx, yy, name, ha="center", va="bottom", fontsize=10)
    proportional_numbers(ax)
    axis_title_above(ax, "細胞数", dx=-14.0)
    ax.set_xlabel(DNA_LABEL, labelpad=2)
    fig.text(186 / w, 1 - 345 / h, "図３", ha="center", va="center", fontsize=10)
    return rendered(fig, w, h)


# ---------------------------------------------------------------------------------------------
# 図４: the apparatus

WATER = "#d6e8f7"


def flask_points(cx, top, shoulder, bottom, neck, base):
    """The outline of a conical flask, the mouth open at the top."""
    return [(cx - neck, top), (cx - neck, shoulder), (cx - base, bottom - 4),
            (cx - base + 4, bottom), (cx + base - 4, bottom), (cx + base, bottom - 4),
            (cx + neck, shoulder), (cx + neck, top)]


def setup_drawing(ax, cx, side, cup_fill, rng):
    """One flask in the bath with its seeds, hanging cup, stopper and bent graduated tube.
    side is -1 when the horizontal part of the tube runs to the left, +1 to the right."""
    top, shoulder, bottom, neck, base = 112.0, 160.0, 294.0, 11.0, 50.0
    ax.add_patch(patches.Polygon(flask_points(cx, top, shoulder, bottom, neck, base),
                                 closed=True, facecolor="white", edgecolor="none", zorder=3))
    # Moist filter paper with germinating seeds on the bottom.
    ax.add_patch(patches.Rectangle((cx - base + 5, bottom - 4), 2 * base - 10, 3,
                                   facecolor="#e9e4d8", edgecolor="none", zorder=4))
    for i in range(9):
        sx = cx - base + 12 + i * (2 * base - 24) / 8 + rng.uniform(-1.5, 1.5)
        sy = bottom - 8 + rng.uniform(-0.8, 0.8)
        ax.add_patch(patches.Ellipse((sx, sy), 8.5, 5.5, angle=rng.uniform(-25, 25),
                                     facecolor="#d9b77e", edgecolor="#6b4e22", lw=px(0.9),
                                     zorder=5))
        root_dir = rng.uniform(-0.6, 0.6)
        ax.plot([sx + 3, sx + 6 + 2 * root_dir], [sy + 1.5, sy + 4], color="#6b4e22",
                lw=px(1.0), zorder=5)
    ax.plot(*zip(*flask_points(cx, top, shoulder, bottom, neck, base)), color="black",
            lw=px(1.4), zorder=6, solid_joinstyle="round")
    # The stopper, and the wire holding the cup.
    ax.add_patch(patches.Polygon([(cx - neck - 3, top - 12), (cx + neck + 3, top - 12),
                                  (cx + neck - 1, top + 6), (cx - neck + 1, top + 6)],
                                 closed=True, facecolor="#8c8c8c", edgecolor="black",
                                 lw=px(1.0), zorder=7))
    cup_top, cup_bottom, cup_half = 188.0, 212.0, 14.0
    ax.plot([cx - 4, cx - 4, cx - cup_half + 1], [top + 6, cup_top - 10, cup_top],
            color="0.35", lw=px(0.9), zorder=6)
    ax.plot([cx - 4, cx + cup_half - 1], [cup_top - 10, cup_top], color="0.35", lw=px(0.9),
            zorder=6)
    ax.add_patch(patches.Rectangle((cx - cup_half + 1.5, cup_top + 8), 2 * cup_half - 3,
                                   cup_bottom - cup_top - 9, facecolor=cup_fill,
                                   edgecolor="none", zorder=6))
    ax.plot([cx - cup_half, cx - cup_half, cx + cup_half, cx + cup_half],
            [cup_top, cup_bottom, cup_bottom, cup_top], color="black", lw=px(1.2), zorder=7)
    # The glass tube: up through the stopper, then across, graduated.
    tube_x = cx + 4
    tube_y = 64.0
    end_x = cx + side * 148.0
    for off in (-2.0, 2.0):
        ax.plot([tube_x + off * side, tube_x + off * side, end_x],
                [top + 2, tube_y + off, tube_y + off], color="black", lw=px(1.1), zorder=8,
                solid_joinstyle="round")
    for i in range(1, 13):
        gx = tube_x + side * (14 + i * 10)
        if (end_x - gx) * side < 3:
            break
        ax.plot([gx, gx], [tube_y - 2, tube_y - (6 if i % 5 == 0 else 4.5)], color="black",
                lw=px(0.8), zorder=8)
    # The drop of coloured liquid, and the way it moves when gas in the flask decreases.
    drop_x = cx + side * 96.0
    ax.add_patch(patches.Rectangle((drop_x - 5, tube_y - 1.6), 10, 3.2, facecolor="#d23c3c",
                                   edgecolor="none", zorder=9))
    ax.annotate("", xy=(drop_x - side * 24, tube_y - 15), xytext=(drop_x + side * 6, tube_y - 15),
                arrowprops=dict(arrowstyle="-|>", lw=px(1.2), color="black", shrinkA=0,
                                shrinkB=0, mutation_scale=9), zorder=9)


# The two set-ups: name, where the flask stands, the way its tube runs (-1 left, +1 right) and
# the liquid in its cup, in the lines its label is written in.
SETUPS = (("装置A", 170.0, -1.0, ("水酸化カリウム", "水溶液")),
          ("装置B", 278.0, 1.0, ("蒸留水",)))
BATH_CELSIUS = 25
SEEDS, TUBE, DROP = "発芽種子", "目盛り付きガラス管", "着色液"


def describe_figure3():
    names = "と".join(name for name, _, _, _ in SETUPS)
    liquids = "，".join(f"{name}の容器には{''.join(lines)}" for name, _, _, lines in SETUPS)
    tubes = "，".join(f"{name}では{'左' if side < 0 else '右'}" for name, _, side, _ in SETUPS)
    return (f"図４は，{names}を示した図である。どちらの装置も，三角フラスコの底に{SEEDS}を入れ，"
            "フラスコの中に液体を入れた小さな容器を針金でつるし，口をゴム栓でふさいだものである。"
            f"ゴム栓には{TUBE}が差しこまれ，ガラス管は上にのびてから直角に曲がって水平にのびている。"
            f"水平部分の途中に{DROP}が入っていて，{DROP}の上にはフラスコの方を向いた矢印がかかれて"
            f"いる。ガラス管の水平部分は，{tubes}へのびている。{liquids}が入っている。"
            f"二つの装置のフラスコは，{BATH_CELSIUS}℃の恒温水槽の水につかっている。")


def figure3(scale=1):
    w, h = 447, 359
    fig = new_figure(w, h, scale)
    ax = pixel_axes(fig, w, h)
    rng = np.random.RandomState(4)
    (a_name, a_x, a_side, a_liquid), (b_name, b_x, b_side, b_liquid) = SETUPS

    # The water bath: a tank with water up to a wavy surface.
    tank = (104.0, 132.0, 344.0, 296.0)
    x0, y0, x1, y1 = tank
    surface = 146.0
    xs = np.linspace(x0, x1, 60)
    ax.fill_between(xs, surface + 1.2 * np.sin(xs / 6.0), y1, color=WATER, lw=0, zorder=1)
    ax.plot(xs, surface + 1.2 * np.sin(xs / 6.0), color="#5b8fc2", lw=px(0.9), zorder=2)
    ax.plot([x0, x0, x1, x1], [y0, y1, y1, y0], color="black", lw=px(1.6), zorder=2)

    setup_drawing(ax, a_x, a_side, "#cfe1f2", rng)
    setup_drawing(ax, b_x, b_side, "#cfe1f2", rng)

    def label(x, y, text, to=None, ha="left", start=None):
        ax.text(x, y, text, ha=ha, va="center", zorder=10)
        if to is not None:
            ax.plot([start[0], to[0]], [start[1], to[1]], color="black", lw=px(0.8), zorder=10)

    ax.text(8, 14, "図４", ha="left", va="center", fontsize=10.5)
    ax.text(a_x, 34, a_name, ha="center", va="center", fontsize=10)
    ax.text(b_x, 34, b_name, ha="center", va="center", fontsize=10)
    # A's liquid is written at the left edge, its last line leading to the cup; B's at the right.
    for i, line in enumerate(a_liquid):
        last = i == len(a_liquid) - 1
        label(8, 202 - 16 * (len(a_liquid) - 1 - i), line, to=(a_x - 15, 200) if last else None,
              start=(8 + 14 * len(line), 202))
    label(360, 200, "".join(b_liquid), to=(b_x + 15, 200), start=(358, 200))
    label(8, 272, SEEDS, to=(a_x - 36, 283), start=(60, 272))
    label(w - 8, 92, TUBE, ha="right", to=(b_x + 118, 67), start=(b_x + 118, 84))
    label(30, 92, DROP, to=(a_x - 96, 67), start=(a_x - 96, 84))
    label(w / 2, 320, f"{BATH_CELSIUS}℃の恒温水槽", ha="center", to=(x1 - 30, y1),
          start=(w / 2 + 52, 316))
    return rendered(fig, w, h)


# ---------------------------------------------------------------------------------------------
# 図５: the results

# The four series: name, rate of decrease (mL per minute), line, marker and its fill, read at
# every ten minutes.
SERIES = [
    ("コムギ・装置A", 3.0 / 60.0, "-", "o", "black"),
    ("コムギ・装置B", 0.0, "--", "o", "white"),
    ("ゴマ・装置A", 2.0 / 60.0, "-", "^", "black"),
    ("ゴマ・装置B", 0.6 / 60.0, "--", "^", "white"),
]
GAS_MINUTES = list(range(0, 61, 10))
GAS_TICKS = [0.5 * i for i in range(8)]
GAS_TITLE, MINUTES_TITLE = "気体の減少量（mL）", "時間（分）"
# How a reader names a series by its marks.
LINE_NAMES = {"-": "実線", "--": "破線"}
MARKER_NAMES = {("o", "black"): "黒丸", ("o", "white"): "白丸", ("^", "black"): "黒い三角",
                ("^", "white"): "白い三角"}


def ticks_text(ticks, places=0):
    """An axis's scale: its range and the step between its numbered ticks."""
    return (f"{number(ticks[0], places)}～{number(ticks[-1], places)}，"
            f"{number(ticks[1] - ticks[0], places)}ごとに目盛り")


def values_text(xs, ys, unit, places=None):
    """A series point by point: the value read off at each time."""
    return "，".join(f"{number(x)}{unit}で{number(y, places)}" for x, y in zip(xs, ys))


def describe_figure4():
    lines = "".join(
        f"{name}（{MARKER_NAMES[marker, face]}と{LINE_NAMES[ls]}）は，"
        f"{values_text(GAS_MINUTES, [rate * t for t in GAS_MINUTES], '分', 1)}である。"
        for name, rate, ls, marker, face in SERIES)
    return (f"図５は，横軸に{MINUTES_TITLE}（{ticks_text(GAS_MINUTES)}），縦軸に{GAS_TITLE}"
            f"（{ticks_text(GAS_TICKS, 1)}）をとったグラフで，目盛りごとに格子線がある。"
            f"{len(SERIES)}本の折れ線がかかれ，左上の凡例に，それぞれの線が示す種子と装置が記され"
            f"ている。各線の値は{GAS_MINUTES[1] - GAS_MINUTES[0]}分ごとに点で示されていて，"
            "読み取れる値（mL）は次のとおりである。" + lines)


def figure4(scale=1):
    w, h = 501, 336
    fig = new_figure(w, h, scale)
    ax = fig.add_axes((62 / w, 1 - 276 / h, 384 / w, 240 / h))
    t = np.array(GAS_MINUTES)
    for name, rate, ls, marker, face in SERIES:
        ax.plot(t, rate * t, ls=ls, color="black", lw=1.1, marker=marker, markersize=5.5,
                markerfacecolor=face, markeredgecolor="black", markeredgewidth=0.9,
                label=name, clip_on=False, zorder=3)
    ax.set_xlim(GAS_MINUTES[0], GAS_MINUTES[-1])
    ax.set_ylim(GAS_TICKS[0], GAS_TICKS[-1])
    ax.set_xticks(GAS_MINUTES)
    ax.set_yticks(GAS_TICKS)
    ax.yaxis.set_major_formatter(ticker.FuncFormatter(lambda v, _: number(v, 1)))
    ax.xaxis.set_major_formatter(ticker.FormatStrFormatter("%d"))
    # The series at nought lies on the time axis and its first mark on the corner: the numbers
    # stand clear of the marks' half that hangs outside the axes.
    ax.tick_params(axis="both", pad=6.5)
    proportional_numbers(ax)
    ax.grid(True, color="0.78", lw=0.6, zorder=0)
    ax.set_axisbelow(True)
    ax.set_xlabel(MINUTES_TITLE, labelpad=3)
    axis_title_above(ax, GAS_TITLE, dx=-40.0)
    ax.legend(loc="upper left", handlelength=3.0, borderpad=0.5, labelspacing=0.45,
              bbox_to_anchor=(0.015, 0.985))
    fig.text(254 / w, 1 - 326 / h, "図５", ha="center", va="center", fontsize=10)
    return rendered(fig, w, h)


# ---------------------------------------------------------------------------------------------
# 図６: blood glucose and insulin after taking glucose

# Minutes after the drink, and the two panels: where the axes stand across the picture (left,
# right), the axis's name, its range and numbered ticks, the healthy person's and Pさん's values,
# and where the legend goes.
DRINK_MINUTES = [0, 30, 60, 90, 120, 150, 180]
DRINK_TITLE = "グルコース摂取後の時間（分）"
PANELS = [
    ((42, 200), "血糖濃度（mg/100mL）", (0, 300), list(range(0, 301, 100)),
     [90, 140, 130, 105, 90, 88, 90], [150, 220, 270, 275, 260, 245, 230], "lower center"),
    ((258, 416), "血中インスリン濃度（相対値）", (0, 10), list(range(0, 11, 2)),
     [1, 7, 8, 5, 2, 1.5, 1], [0.5, 0.6, 0.7, 0.7, 0.6, 0.6, 0.5], "upper right"),
]
PEOPLE = [("健康な人", "-", "black"), ("Pさん", "--", "white")]


def describe_figure5():
    marks = "，".join(f"{name}を{MARKER_NAMES['o', face]}と{LINE_NAMES[ls]}"
                     for name, ls, face in PEOPLE)
    panels = []
    for side, (_, title, _, yticks, *series, _) in zip(("左", "右"), PANELS):
        values = "".join(f"{name}は{values_text(DRINK_MINUTES, ys, '分')}である。"
                         for (name, _, _), ys in zip(PEOPLE, series))
        panels.append(f"{side}のグラフは，縦軸に{title}（{ticks_text(yticks)}）をとったもので，"
                      f"値は次のとおりである。{values}")
    return (f"図６は，左右二つのグラフからなる。どちらも横軸は{DRINK_TITLE}"
            f"（{ticks_text(DRINK_MINUTES)}）で，{marks}で示している。" + "".join(panels))


def figure5(scale=1):
    w, h = 431, 244
    fig = new_figure(w, h, scale)
    t = DRINK_MINUTES
    top, bottom = 28, 170
    for (left, right), title, ylim, yticks, healthy, patient, where in PANELS:
        ax = fig.add_axes((left / w, 1 - bottom / h, (right - left) / w, (bottom - top) / h))
        for (name, ls, face), values in zip(PEOPLE, (healthy, patient)):
            ax.plot(t, values, ls, color="black", lw=1.1, marker="o", markersize=4.0,
                    markerfacecolor=face, markeredgecolor="black", markeredgewidth=0.9,
                    label=name, clip_on=False, zorder=3)
        ax.set_xlim(t[0], t[-1])
        ax.set_ylim(*ylim)
        ax.set_xticks(t)
        ax.set_yticks(yticks)
        ax.tick_params(axis="x", labelsize=8.5)
        proportional_numbers(ax)
        ax.grid(True, axis="y", color="0.82", lw=0.6, zorder=0)
        ax.set_axisbelow(True)
        axis_title_above(ax, title, dx=-26.0)
        # On the left the legend fits under the healthy curve, which stays near 90 late on.
        ax.legend(loc=where, handlelength=2.6, borderpad=0.25, labelspacing=0.2,
                  borderaxespad=0.25, fontsize=8.5)
    # The caption and the time axis's name stand under the middle of the two panels.
    middle = (PANELS[0][0][0] + PANELS[-1][0][1]) / 2
    fig.text(middle / w, 1 - 201 / h, DRINK_TITLE, ha="center", va="center")
    fig.text(middle / w, 1 - 224 / h, "図６", ha="center", va="center", fontsize=10)
    return rendered(fig, w, h)


# ---------------------------------------------------------------------------------------------
# 図７: coleoptiles with a mica plate under light from the right

COLEOPTILE = "#e3edb4"
# The two experiments: name, where the coleoptile stands, and the side the mica plate is pushed
# in from (-1 left, +1 right); the light comes from the right.
EXPERIMENTS = (("実験１", 140.0, -1.0), ("実験２", 402.0, 1.0))
LIGHT_SIDE = 1.0
TIP_REGION = "先端から数mm"


def side_name(side):
    return "左" if side < 0 else "右"


def describe_figure6():
    plates = "".join(
        f"{name}では，雲母片が{side_name(side)}側（"
        f"{'光の来る側' if side == LIGHT_SIDE else '光の来る側と反対側'}）から差しこまれている。"
        for name, _, side in EXPERIMENTS)
    names = "と".join(name for name, _, _ in EXPERIMENTS)
    return (f"図７は，{names}の幼葉鞘を並べて示した図である。どちらも，鉢の土から幼葉鞘がまっすぐ"
            f"上にのびていて，{side_name(LIGHT_SIDE)}側から水平に光が当てられている。どちらの幼葉鞘"
            f"にも，{TIP_REGION}下の位置に，雲母片が片側から幼葉鞘の太さの中央まで水平に差しこまれ"
            "ている。" + plates)


def coleoptile(ax, cx, mica_side):
    soil, tip, half = 292.0, 64.0, 12.0
    # The pot, its soil and the coleoptile standing in it.
    ax.add_patch(patches.Polygon([(cx - 40, soil - 4), (cx + 40, soil - 4), (cx + 31, 338),
                                  (cx - 31, 338)], closed=True, facecolor="#c98f5e",
                                 edgecolor="black", lw=px(1.2), zorder=2))
    ax.add_patch(patches.Rectangle((cx - 36, soil - 4), 72, 8, facecolor="#7a5a3c",
                                   edgecolor="none", zorder=3))
    body = [(cx - half, soil)] + [(cx - half * math.cos(a), tip + half - half * math.sin(a))
                                  for a in np.linspace(0, math.pi, 25)] + [(cx + half, soil)]
    ax.add_patch(patches.Polygon(body, closed=False, facecolor=COLEOPTILE, edgecolor="black",
                                 lw=px(1.3), zorder=4))
    # The mica plate pushed in from one side just below the tip, as far as the middle.
    mica_y = tip + 30.0
    outer = cx + mica_side * (half + 16)
    ax.add_patch(patches.Rectangle((min(outer, cx), mica_y - 1.8), abs(outer - cx), 3.6,
                                   facecolor="#5d6b7a", edgecolor="black", lw=px(0.8),
                                   zorder=6))
    # The tip region, above the plate.
    bx = cx - half - 7
    ax.plot([bx + 3, bx, bx, bx + 3], [tip, tip, mica_y - 4, mica_y - 4], color="black",
            lw=px(0.9), zorder=6)
    ax.text(bx - 4, (tip + mica_y - 4) / 2, TIP_REGION.replace("から", "から\n"), ha="right",
            va="center", linespacing=1.15, zorder=6)
    # Mica label, off the end of the plate, and the name of the organ.
    if mica_side < 0:
        ax.text(cx - 66, mica_y + 22, "雲母片", ha="center", va="center", zorder=6)
        ax.plot([cx - 62, outer + 2], [mica_y + 14, mica_y + 2], color="black", lw=px(0.8),
                zorder=6)
    else:
        ax.text(cx + 54, mica_y - 30, "雲母片", ha="center", va="center", zorder=6)
        ax.plot([cx + 48, outer - 2], [mica_y - 22, mica_y - 2], color="black", lw=px(0.8),
                zorder=6)
    ax.text(cx - 62, 226, "幼葉鞘", ha="center", va="center", zorder=6)
    ax.plot([cx - 42, cx - half - 1], [226, 232], color="black", lw=px(0.8), zorder=6)
    # The light.
    for y in (150.0, 178.0, 206.0):
        ax.annotate("", xy=(cx + LIGHT_SIDE * (half + 20), y),
                    xytext=(cx + LIGHT_SIDE * (half + 98), y),
                    arrowprops=dict(arrowstyle="-|>", lw=px(1.6), color="#c08a00", shrinkA=0,
                                    shrinkB=0, mutation_scale=12), zorder=6)
    ax.text(cx + LIGHT_SIDE * (half + 60), 132, "光", ha="center", va="center", fontsize=10.5,
            zorder=6)


def figure6(scale=1):
    w, h = 545, 356
    fig = new_figure(w, h, scale)
    ax = pixel_axes(fig, w, h)
    ax.text(8, 14, "図７", ha="left", va="center", fontsize=10.5)
    for name, cx, mica_side in EXPERIMENTS:
        ax.text(cx, 30, name, ha="center", va="center", fontsize=10.5)
        coleoptile(ax, cx, mica_side)
    ax.plot([267, 267], [22, 340], color="0.6", lw=px(0.8), ls=(0, (4, 3)))
    return rendered(fig, w, h)


# ---------------------------------------------------------------------------------------------
# 図８: the tree

TREE_TIPS = ["ヤツメウナギ", "サメ", "コイ", "カエル", "ウサギ", "トカゲ", "ハト"]
NODES = "abcdef"


def describe_figure7():
    """The tree as the drawing builds it: node k parts tip k from every tip to its right."""
    splits = []
    for k, node in enumerate(NODES):
        rest = TREE_TIPS[k + 1:]
        other = rest[0] if len(rest) == 1 else f"残りの{len(rest)}種（{'，'.join(rest)}）"
        splits.append(f"分岐点{node}で{TREE_TIPS[k]}と{other}に分かれる。")
    return (f"図８は，脊椎動物{len(TREE_TIPS)}種の系統樹である。上端に左から順に"
            + "，".join(TREE_TIPS) + "が並ぶ。左下の根元から右上の"
            f"{TREE_TIPS[-1]}に向かって一本の枝がのび，その途中に根元に近い方から順に分岐点"
            f"{NODES[0]}～{NODES[-1]}がある。各分岐点から，左上に向かってそれぞれの動物への枝が"
            "出ている。根元に近い方から，" + "".join(splits))


def figure7(scale=1):
    w, h = 310, 237
    fig = new_figure(w, h, scale)
    ax = pixel_axes(fig, w, h)
    step, first, tip_y = 42.0, 30.0, 98.0
    xs = [first + i * step for i in range(len(TREE_TIPS))]
    last = xs[-1]
    # Node k joins tip k with every tip to its right; all the nodes lie on one diagonal.
    nodes = []
    for k in range(len(TREE_TIPS) - 1):
        nodes.append(((xs[k] + last) / 2.0, tip_y + (last - xs[k]) / 2.0))
    root = (nodes[0][0] - 8, nodes[0][1] + 8)
    ax.plot([root[0], last], [root[1], tip_y], color="black", lw=px(1.5),
            solid_capstyle="round")
    for (nx, ny), x in zip(nodes, xs):
        ax.plot([x, nx], [tip_y, ny], color="black", lw=px(1.5), solid_capstyle="round")
    for (nx, ny), letter in zip(nodes, NODES):
        ax.add_patch(patches.Circle((nx, ny), 2.6, color="black", zorder=3))
        ax.text(nx + 7, ny + 3, letter, ha="left", va="center", fontsize=10.5)
    # The names written downwards, one character under another.
    for x, name in zip(xs, TREE_TIPS):
        for i, ch in enumerate(name):
            ax.text(x, tip_y - 8 - (len(name) - 1 - i) * 13.5, ch, ha="center", va="bottom")
    ax.text(w - 10, h - 14, "図８", ha="right", va="center", fontsize=10.5)
    return rendered(fig, w, h)


# ---------------------------------------------------------------------------------------------
# JPEG files

FIGURES = [
    # (file, drawing, quality, what the picture shows)
    ("figure1.jpg", figure1, 86, "Fig. 1: onion root-tip squash, aceto-orcein, cells in mitosis"),
    ("figure2.jpg", figure2, 92, "Figs. 2 and 3: DNA per cell through the cycle; DNA histogram"),
    ("figure3.jpg", figure3, 92, "Fig. 4: respiratory quotient apparatus, set-ups A and B"),
    ("figure4.jpg", figure4, 92, "Fig. 5: decrease of gas volume against time"),
    ("figure5.jpg", figure5, 92, "Fig. 6: blood glucose and insulin after glucose intake"),
    ("figure6.jpg", figure6, 92, "Fig. 7: oat coleoptiles with a mica plate, lit from the right"),
    ("figure7.jpg", figure7, 92, "Fig. 8: phylogenetic tree of seven vertebrates"),
]
SIZES = {"figure1.jpg": (525, 349), "figure2.jpg": (373, 357), "figure3.jpg": (447, 359),
         "figure4.jpg": (501, 336), "figure5.jpg": (431, 244), "figure6.jpg": (545, 356),
         "figure7.jpg": (310, 237)}
# What a student who cannot see the figure is told in its place, made from the data it is drawn
# from.
DESCRIPTIONS = {"figure1.jpg": describe_figure1, "figure2.jpg": describe_figure2,
                "figure3.jpg": describe_figure3, "figure4.jpg": describe_figure4,
                "figure5.jpg": describe_figure5, "figure6.jpg": describe_figure6,
                "figure7.jpg": describe_figure7}
DESCRIPTIONS_FILE = "figure-descriptions.json"


def twice_the_size(name):
    """The name of the figure drawn for dense screens, where the program looks for it."""
    return name.rsplit(".", 1)[0] + "@2x.png"


OUTPUTS = ([name for name, _, _, _ in FIGURES] + [twice_the_size(name) for name, _, _, _ in FIGURES]
           + [DESCRIPTIONS_FILE])


def segments(data):
    """The marker segments before the scan: (marker, start offset, total length)."""
    if data[:2] != b"\xff\xd8":
        raise ValueError("no SOI")
    out, pos = [], 2
    while pos + 4 <= len(data):
        if data[pos] != 0xFF:
            raise ValueError(f"no marker at {pos}")
        marker = data[pos + 1]
        length = struct.unpack(">H", data[pos + 2:pos + 4])[0]
        out.append((marker, pos, 2 + length))
        if marker == 0xDA:
            break
        pos += 2 + length
    return out


def iptc_record(dataset, text):
    value = text.encode("ascii")
    return b"\x1c\x02" + bytes([dataset]) + struct.pack(">H", len(value)) + value


def photoshop_segment(caption):
    """APP13 with one 8BIM resource, 0x0404 (IPTC-NAA): record version, caption, copyright."""
    iptc = (b"\x1c\x02\x00\x00\x02\x00\x04" + iptc_record(120, caption)
            + iptc_record(116, "Tamsel mock examination"))
    block = b"8BIM" + struct.pack(">H", 0x0404) + b"\x00\x00" + struct.pack(">I", len(iptc))
    block += iptc + (b"\x00" if len(iptc) % 2 else b"")
    body = b"Photoshop 3.0\x00" + block
    return b"\xff\xed" + struct.pack(">H", 2 + len(body)) + body


def finish(data, caption):
    """Sets JFIF 1.02 and puts the APP13 segment right after APP0; checks the layout."""
    segs = segments(data)
    marker, start, length = segs[0]
    if marker != 0xE0 or data[start + 4:start + 9] != b"JFIF\x00":
        raise ValueError("the first segment is not JFIF APP0")
    app0 = bytearray(data[start:start + length])
    app0[9:11] = b"\x01\x02"
    out = data[:start] + bytes(app0) + photoshop_segment(caption) + data[start + length:]
    found = [m for m, _, _ in segments(out)]
    for needed in (0xE0, 0xED, 0xE2, 0xFE, 0xDD, 0xC0, 0xDA):
        if needed not in found:
            raise ValueError(f"marker FF{needed:02X} missing")
    if 0xC2 in found or found[:2] != [0xE0, 0xED]:
        raise ValueError("unexpected marker layout")
    return out


def srgb_profile():
    """LittleCMS's sRGB profile with a fixed creation date in its header (it stamps the time of
    the call there), so that the files do not change from run to run."""
    icc = bytearray(ImageCms.ImageCmsProfile(ImageCms.createProfile("sRGB")).tobytes())
    if icc[36:40] != b"acsp":
        raise SystemExit("LittleCMS gave no ICC profile")
    icc[24:36] = struct.pack(">6H", 2024, 4, 1, 0, 0, 0)
    # A profile ID, when present, is a digest that would include the date.
    if any(icc[84:100]):
        raise SystemExit("the sRGB profile carries a profile ID; it would need recomputing")
    return bytes(icc)


def write_jpeg(image, path, number, quality, caption, work):
    raw = work / f"raw{number}.jpg"
    icc = srgb_profile()
    image.save(raw, "JPEG", quality=quality, dpi=(72, 72), icc_profile=icc,
               comment=f"Tamsel figure {number}".encode("ascii"), subsampling=0,
               optimize=False, progressive=False)
    restarted = subprocess.run(["jpegtran", "-copy", "all", "-restart", "1", str(raw)],
                               check=True, capture_output=True).stdout
    path.write_bytes(finish(restarted, caption))


def descriptions_json():
    texts = {name: describe() for name, describe in DESCRIPTIONS.items()}
    for name, text in texts.items():
        if not text or "\n" in text or not text.endswith("。"):
            raise SystemExit(f"{name}: the description is not a run of whole sentences")
    return (json.dumps(texts, ensure_ascii=False, indent=2, sort_keys=True) + "\n").encode()


def make_all(folder):
    setup_matplotlib()
    if shutil.which("jpegtran") is None:
        raise SystemExit("jpegtran not found (Debian package libjpeg-turbo-progs)")
    folder.mkdir(parents=True, exist_ok=True)
    with tempfile.TemporaryDirectory() as tmp:
        for figure, (name, draw, quality, caption) in enumerate(FIGURES, start=1):
            image = draw()
            if image.size != SIZES[name]:
                raise SystemExit(f"{name}: drew {image.size}, wanted {SIZES[name]}")
            write_jpeg(image, folder / name, figure, quality, caption, Path(tmp))
            # Drawn anew at twice the resolution, not enlarged: a dense screen gets sharp lines
            # and text.
            sharp = draw(2)
            if sharp.size != (2 * image.width, 2 * image.height):
                raise SystemExit(f"{name}: drew {sharp.size} at twice the size")
            sharp.save(folder / twice_the_size(name), "PNG", optimize=True)
    (folder / DESCRIPTIONS_FILE).write_bytes(descriptions_json())


def main(argv):
    mode = mode_of(argv, __doc__)
    if mode is None:
        return 2
    # A matplotlib or libjpeg-turbo update moves the edges of lines and letters by a few steps;
    # a changed label or curve moves them by far more.
    jpeg = picture_differences(1.0, 48, traits=jpeg_traits)
    png = picture_differences(1.0, 48)

    def comparison(name):
        # The descriptions are this program's own text: every byte counts.
        return jpeg if name.endswith(".jpg") else png if name.endswith(".png") else None

    stale = "content/{} differs from what tools/make_figures.py draws: run it to redraw"
    with tempfile.TemporaryDirectory() as tmp:
        make_all(Path(tmp))
        fresh = [write_or_check(CONTENT / name, (Path(tmp) / name).read_bytes(), mode,
                                stale.format(name), comparison(name))
                 for name in OUTPUTS]
    return 0 if all(fresh) else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

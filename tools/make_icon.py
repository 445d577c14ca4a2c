#!/usr/bin/python3
"""Draws Tamsel's application icon and writes it into content/icons/.

  content/icons/tamsel-N.png    the icon at N x N pixels for N in 16, 24, 32, 48, 64, 128, 256:
                                an answer sheet with ticked boxes and the red ring of a right
                                answer, on a transparent ground (RGBA)

  content/icons/tamsel.ico      every size in one icon file, for tamsel.exe (Explorer, the Start
                                menu, shortcuts); 256 is stored as a PNG
  content/icons/tamsel-frame.ico  16 to 64 pixels as bitmaps, for the windows' frames and task
                                bar buttons: Qt reads a bitmap without loading its image plugins,
                                which every PNG it reads makes it load

The desktop's menus and the software centre take these from the hicolor icon theme, where the
install puts them (share/icons/hicolor/NxN/apps/tamsel.png).

Usage:
  tools/make_icon.py                draw every size and write it into content/icons/
  tools/make_icon.py --check        exit 1 if a committed size differs from what this draws in
                                    size, mode or pixels beyond a small tolerance
  tools/make_icon.py --check-bytes  exit 1 if a committed size has other bytes

Each size is drawn large with Pillow and scaled down, so that even 16 pixels stay smooth. Nothing
is random: every run with the same libraries gives the same bytes. Run it with Debian's Python,
python3-pil and python3-numpy, from anywhere: /usr/bin/python3 tools/make_icon.py
"""

import io
import sys
from pathlib import Path

from PIL import Image, ImageDraw, ImageFilter

from committed import mode_of, picture_differences, write_or_check

ROOT = Path(__file__).resolve().parent.parent
ICONS = ROOT / "content" / "icons"

SIZES = (16, 24, 32, 48, 64, 128, 256)
CANVAS = 1024  # the drawing's own size, scaled down to each size

PAPER = (252, 252, 247, 255)
PAPER_EDGE = (150, 160, 170, 255)
HEADER = (190, 220, 246, 255)  # the pale sky of the exam window's backdrop
LEAF = (92, 160, 104, 255)
INK = (92, 108, 128, 255)
BOX_INK = (120, 134, 150, 255)
PEN_RED = (214, 24, 32, 255)  # the red of the correct-answer mark


def sheet_layer():
    """The answer sheet with its shadow, header band and rows of boxes."""
    picture = Image.new("RGBA", (CANVAS, CANVAS), (0, 0, 0, 0))
    # A soft shadow below and to the right lifts the sheet off any panel colour.
    shadow = Image.new("RGBA", (CANVAS, CANVAS), (0, 0, 0, 0))
    ImageDraw.Draw(shadow).rounded_rectangle((176, 112, 880, 968), 64, fill=(0, 0, 0, 90))
    picture.alpha_composite(shadow.filter(ImageFilter.GaussianBlur(18)))

    draw = ImageDraw.Draw(picture)
    draw.rounded_rectangle((144, 72, 848, 928), 64, fill=PAPER, outline=PAPER_EDGE, width=12)
    draw.rounded_rectangle((150, 78, 842, 250), 58, fill=HEADER)
    draw.rectangle((150, 190, 842, 250), fill=HEADER)
    # A leaf in the header: the subject is biology.
    draw.ellipse((220, 112, 400, 216), fill=LEAF)
    draw.line((226, 164, 394, 164), fill=PAPER, width=10)
    # The title of the sheet, as a stroke of ink.
    draw.rounded_rectangle((448, 142, 776, 186), 22, fill=INK)

    # Rows of the answer sheet: a number, then the choice boxes, one of them ticked.
    for row, ticked in enumerate((1, 3, 0, 2)):
        top = 320 + row * 150
        draw.rounded_rectangle((216, top + 20, 300, top + 60), 20, fill=INK)
        for box in range(4):
            left = 350 + box * 112
            draw.rectangle((left, top, left + 76, top + 76), outline=BOX_INK, width=12)
            if box == ticked:
                draw.line((left + 14, top + 40, left + 34, top + 62, left + 66, top + 12),
                          fill=INK, width=16, joint="curve")
    return picture


def ring_layer():
    """The red ring of a right answer over the lower right of the sheet, pressed a little harder
    on the lower left as a pen stroke would be."""
    ring = Image.new("RGBA", (CANVAS, CANVAS), (0, 0, 0, 0))
    draw = ImageDraw.Draw(ring)
    draw.ellipse((486, 522, 974, 1010), outline=PEN_RED, width=70)
    draw.ellipse((470, 506, 958, 994), outline=PEN_RED, width=56)
    return ring


def draw_icon():
    picture = sheet_layer()
    picture.alpha_composite(ring_layer())
    return picture


def png(picture, size):
    out = io.BytesIO()
    picture.resize((size, size), Image.Resampling.LANCZOS).save(out, "PNG", optimize=False)
    return out.getvalue()


def ico(picture):
    """Every size in one icon file, each scaled as its PNG is (256 is stored as a PNG)."""
    largest, *smaller = [picture.resize((size, size), Image.Resampling.LANCZOS)
                         for size in reversed(SIZES)]
    out = io.BytesIO()
    largest.save(out, "ICO", sizes=[(size, size) for size in SIZES], append_images=smaller)
    return out.getvalue()


FRAME_SIZES = [size for size in SIZES if size <= 64]


def frame_ico(picture):
    """The frame's sizes, each scaled as its PNG is, stored as bitmaps."""
    largest, *smaller = [picture.resize((size, size), Image.Resampling.LANCZOS)
                         for size in reversed(FRAME_SIZES)]
    out = io.BytesIO()
    largest.save(out, "ICO", sizes=[(size, size) for size in FRAME_SIZES],
                 append_images=smaller, bitmap_format="bmp")
    return out.getvalue()


def main(argv):
    mode = mode_of(argv, __doc__)
    if mode is None:
        return 2
    picture = draw_icon()
    # Pillow's drawing and resampling are the same from one of its updates to the next; a pixel
    # may still move by a rounding step.
    close = picture_differences(0.5, 8)
    stale = "content/icons/{} is not what tools/make_icon.py draws: run it to redraw"
    fresh = [write_or_check(ICONS / f"tamsel-{size}.png", png(picture, size), mode,
                            stale.format(f"tamsel-{size}.png"), close)
             for size in SIZES]
    fresh.append(write_or_check(ICONS / "tamsel.ico", ico(picture), mode,
                                stale.format("tamsel.ico"), close))
    fresh.append(write_or_check(ICONS / "tamsel-frame.ico", frame_ico(picture), mode,
                                stale.format("tamsel-frame.ico"), close))
    return 0 if all(fresh) else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

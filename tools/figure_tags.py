"""Where the red number of each box that 解答・解説 draws on a figure goes, so that it covers none
of what the figure shows.

A box frames what an item's explanation looks at; its tag, the item's number, stands beside it:
at the place nearest the box where the picture is blank, inside the picture and clear of every
box and of the tags placed before it. Where no such place is blank (a micrograph is textured all
over), the tag stands in the margin beside the picture, level with the box's top, on the side
nearer the box. make_companion.py draws the boxes and the tags; the places are fractions of the
picture's width and height, as the boxes are.
"""

from PIL import Image

# A tag's size, as make_companion.py's style sheet sets it: 0.6 em of Gothic digits with 0.2 em
# on either side, 1.15 em high. On screen an em is 16 px and the picture is shown at its 1x width;
# printed, an em is 9.5 pt (12.7 px) and the picture is 10 cm (378 px) wide. A place must be
# blank for the larger of the two.
SCREEN_EM, PRINT_EM, PRINT_WIDTH = 16.0, 12.7, 378.0
TAG_EM = 0.6
DIGIT_EM, PADDING_EM, HEIGHT_EM = 0.55, 0.4, 1.15
# Printed, a tag measures about a quarter more than the sum of its digits' advances and padding
# (the glyphs' side bearings, the inline box's rounding): the places are found for this much.
ROOM = 1.3
# What counts as ink: a pixel darker than this in any channel (the figures are drawn on white);
# a tag keeps this many pixels of the @2x picture (1.5 at 1x) clear of it, lest it touch a label.
INK = 235
CLEARANCE = 3
# Between a tag and its box, and between a margin tag and the next one below; how far from its
# box a tag may stand, and the steps in which places are tried, all in fractions of the picture.
GAP = 0.004
REACH = 0.12
STEP = 0.005


class TagError(Exception):
    pass


def tag_size(number, width, height):
    """A tag's width and height as fractions of a picture of width x height pixels at 1x."""
    across = TAG_EM * (DIGIT_EM * len(str(number)) + PADDING_EM)
    screen = (across * SCREEN_EM / width, TAG_EM * HEIGHT_EM * SCREEN_EM / height)
    printed_height = PRINT_WIDTH * height / width
    printed = (across * PRINT_EM / PRINT_WIDTH, TAG_EM * HEIGHT_EM * PRINT_EM / printed_height)
    return ROOM * max(screen[0], printed[0]), ROOM * max(screen[1], printed[1])


def inked(picture, area):
    """Whether any pixel of the picture within area (x, y, w, h, in fractions) or CLEARANCE
    pixels around it is ink."""
    x, y, w, h = area
    box = (max(int(x * picture.width) - CLEARANCE, 0), max(int(y * picture.height) - CLEARANCE, 0),
           int((x + w) * picture.width) + 1 + CLEARANCE,
           int((y + h) * picture.height) + 1 + CLEARANCE)
    darkest = picture.crop(box).convert("RGB").getextrema()
    return any(low < INK for low, _ in darkest)


def overlaps(a, b):
    return (a[0] < b[0] + b[2] and b[0] < a[0] + a[2]
            and a[1] < b[1] + b[3] and b[1] < a[1] + a[3])


def distance(area, box):
    """How far apart two areas are: the gap between their nearest edges."""
    across = max(box[0] - (area[0] + area[2]), area[0] - (box[0] + box[2]), 0)
    down = max(box[1] - (area[1] + area[3]), area[1] - (box[1] + box[3]), 0)
    return (across * across + down * down) ** 0.5


def nearest_blank(picture, box, size, clear):
    """The blank place for a tag of size nearest to box, within REACH of it, clear of the areas
    in clear; None where there is none."""
    tw, th = size
    steps = int(REACH / STEP)
    places = []
    for i in range(-steps, steps + 1):
        for j in range(-steps, steps + 1):
            area = (box[0] + i * STEP - tw, box[1] + j * STEP - th, tw, th)
            if (area[0] >= 0 and area[1] >= 0 and area[0] + tw <= 1 and area[1] + th <= 1
                    and distance(area, box) >= GAP):
                places.append((distance(area, box), -area[1], area[0], area))
    for _, _, _, area in sorted(places):
        if not any(overlaps(area, other) for other in clear) and not inked(picture, area):
            return area
    return None


def placed_tags(picture_path, width, height, marks):
    """For each (number, box) of marks, in order, the CSS that places its tag and whether it
    stands in the margin beside the picture."""
    with Image.open(picture_path) as picture:
        picture.load()
        clear = [box for _, box in marks]
        margins = {"left": 0.0, "right": 0.0}  # how far down each margin is filled
        found = []
        for number, box in marks:
            size = tag_size(number, width, height)
            area = nearest_blank(picture, box, size, clear)
            if area:
                clear.append(area)
                found.append((number, f"left: {area[0] * 100:.1f}%; top: {area[1] * 100:.1f}%",
                              False))
                continue
            side = "left" if box[0] + box[2] / 2 < 0.5 else "right"
            top = max(box[1], margins[side])
            if top + size[1] > 1:
                raise TagError(f"the tag of {number} finds no place beside the picture")
            margins[side] = top + size[1] + GAP
            # Its edge at the picture's: right: 100% puts a tag left of it.
            edge = "right" if side == "left" else "left"
            found.append((number, f"{edge}: 100%; top: {top * 100:.1f}%; margin-{edge}: 2px",
                          True))
        return found

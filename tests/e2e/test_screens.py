"""Every screen, end to end under a window manager: the program's windows stand with their whole
frame on the screen, centred in its work area or, where they do not fit, with the title bar's
corner at the work area's top-left, and offer no maximise button. On screenshots, the controls'
borders stand where the design puts them, in twips turned into the screen's pixels, and every one
of them is whole: no line lost where the screen's scale falls between two pixels. At 100 % the
backdrop is the design's picture pixel for pixel, at 200 % its drawing at twice the size, and the
correct-answer ring likewise.

The screen's size and scale come from the run (QT_SCALE_FACTOR 1 unless set):
    tests/e2e/run build/ci/tamsel tests/e2e/test_screens.py TAMSEL_E2E_WM=openbox \\
        TAMSEL_E2E_SCREEN=1024x768 QT_SCALE_FACTOR=1.5
"""

import os
import re
import subprocess
import sys
from pathlib import Path

from tamsel_e2e import (contrast, device_rect, ExamWindow, HELP, HELP_MENU, is_showing, is_within,
                        load_picture,
                        output_dir, pages_of, PASS_LINE, PASS_RATE, press, Report, Role, SCORE,
                        scale_factor, screen_extents, screenshot, select_tab, Snapshot, START,
                        tabs_of, toggle, wait_for, wait_until, x_window_geometry, x_window_of)

ROOT = Path(__file__).resolve().parents[2]
DESIGN = ROOT / "core" / "design" / "ExamWindowDesign.h"
CONTENT = ROOT / "content"
PEN_RED = (214, 24, 32)  # the ring's colour where it is solid
MARK_SIZE = 32           # the mark's picture, in the window's pixels
# Item 1's right choice (④): one right answer shows its mark.
FIRST_ITEM_KEY = 4
TWIPS_PER_PIXEL = 15
# The exam window's client area, in twips.
CLIENT_WIDTH, CLIENT_HEIGHT = 11880, 8310
# A line is whole when this share of its pixels, corners left out, has the line's colour.
WHOLE = 0.95
# Colours closer than this in every channel count as the same. A sunken panel's light edge is
# 4 steps from the page behind it.
SAME = 3

report = Report(f"the windows at {os.environ.get('TAMSEL_E2E_SCREEN', '1280x1024')} and "
                f"{scale_factor() * 100:g} %, end to end")
ui = {}


def design_rects():
    """Places of the controls in the design, in twips: name -> (left, top, width, height)."""
    text = DESIGN.read_text(encoding="utf-8")
    rects = {}
    for name in ("startButton", "scoreButton", "passRateButton", "bookletViewer",
                 "answerSheet"):
        found = re.search(name + r'\{[^{]*\{(\d+),\s*(\d+),\s*(\d+),\s*(\d+)\}', text)
        assert found, f"{name} is not in {DESIGN}"
        rects[name] = tuple(int(v) for v in found.groups())
    for control in ("RichTextBox1", "Picture1"):
        found = re.search(r'"' + control + r'",\s*\{(\d+),\s*(\d+),\s*(\d+),\s*(\d+)\}', text)
        assert found, f"{control} is not in {DESIGN}"
        rects[control] = tuple(int(v) for v in found.groups())
    return rects


def mark_place():
    """Where item 1's mark stands on the answer sheet, in twips: (left, top)."""
    text = DESIGN.read_text(encoding="utf-8")
    top = int(re.search(r"markTop = (\d+);", text).group(1))
    left = int(re.search(r"\{\d+, \d+, (\d+), &lefts\w+\},\s*// 1\n", text).group(1))
    return left, top


def pixels(twips):
    return twips // TWIPS_PER_PIXEL


# ----------------------------------------------------------------------------------------------
# The frame, from the window manager

def root_property(name, window=None):
    args = ["xprop", "-root", name] if window is None else ["xprop", "-id", window, name]
    return subprocess.run(args, capture_output=True, text=True, timeout=10).stdout


def numbers(text):
    return [int(v) for v in re.findall(r"-?\d+", text.split("=", 1)[-1])] if "=" in text else []


def work_area():
    values = numbers(root_property("_NET_WORKAREA"))
    return tuple(values[:4])


def framed(window):
    """The whole framed window in the screen's pixels, or None while the window manager has not
    framed it yet."""
    extents = numbers(root_property("_NET_FRAME_EXTENTS", window))
    if len(extents) != 4:
        return None
    left, right, top, bottom = extents
    x, y, w, h = x_window_geometry(window)
    return x - left, y - top, w + left + right, h + top + bottom


def placed_well(frame, area):
    """What is wrong with the frame's place in the work area, or an empty list."""
    fx, fy, fw, fh = frame
    ax, ay, aw, ah = area
    # Qt places windows in its own pixels, which a scale factor above 1 makes coarser.
    tolerance = max(1.0, scale_factor())
    wrong = []
    for axis, pos, size, start, length in (("x", fx, fw, ax, aw), ("y", fy, fh, ay, ah)):
        if size <= length:
            centre_off = (2 * (pos - start) + size) - length
            if abs(centre_off) / 2 > tolerance:
                wrong.append(f"not centred in {axis}: {centre_off / 2:+g} px")
            if pos < start or pos + size > start + length:
                wrong.append(f"off the screen in {axis}")
        elif not start <= pos <= start + 1:
            wrong.append(f"too large in {axis}, but its corner is at {pos}, not {start}")
    return wrong


def check_frame(node, what):
    window = x_window_of(node)
    area = work_area()
    # The window manager frames the window and the program places it once more by that frame.
    frame = wait_for(lambda: (lambda f: f and not placed_well(f, area) and f)(framed(window)),
                     3.0) or framed(window)
    report.check(frame and not placed_well(frame, area),
                 f"{what}: its whole frame stands on the screen as it should",
                 f"frame {frame} in the work area {area}: "
                 f"{placed_well(frame, area) if frame else 'never framed'}")
    actions = root_property("_NET_WM_ALLOWED_ACTIONS", window)
    report.check("_NET_WM_ACTION_MOVE" in actions and "MAXIMIZE" not in actions,
                 f"{what}: its frame offers no maximise button", actions.strip())
    return window


# ----------------------------------------------------------------------------------------------
# Borders on the screenshot

def line_pixels(image, side, position, span):
    """The pixels of one row (top, bottom) or column (left, right) of the picture, as far as it
    lies on the screen."""
    start, end = span
    along = image.width if side in ("top", "bottom") else image.height
    start, end = max(0, start), min(along, end)
    if side in ("top", "bottom"):
        return [image.getpixel((x, position)) for x in range(start, end)]
    return [image.getpixel((position, y)) for y in range(start, end)]


def on_screen(image, rect, side):
    """Whether the side of rect lies on the screen, far enough for three pixels inside it."""
    x, y, w, h = rect
    position = {"left": x, "top": y, "right": x + w - 1, "bottom": y + h - 1}[side]
    limit = image.width if side in ("left", "right") else image.height
    along = (x, x + w) if side in ("top", "bottom") else (y, y + h)
    along_limit = image.width if side in ("top", "bottom") else image.height
    return 3 <= position < limit - 3 and min(along[1], along_limit) - max(along[0], 0) > 8


def same(a, b):
    return all(abs(p - q) <= SAME for p, q in zip(a, b))


def dominant(colours):
    counts = {}
    for c in colours:
        counts[c] = counts.get(c, 0) + 1
    colour = max(counts, key=counts.get)
    return colour, sum(1 for c in colours if same(c, colour)) / len(colours)


def border_line(image, rect, side):
    """Looks for the border on one side of rect (the screen's pixels) within a pixel of where it
    should be: a line of one colour along the side, unlike the lines three pixels inside and
    outside it where those are of one colour too. Returns (position found or None, what was
    seen)."""
    x, y, w, h = rect
    if side in ("top", "bottom"):
        expected, inward = (y, 1) if side == "top" else (y + h - 1, -1)
        span = (x + w // 10, x + w - w // 10)
    else:
        expected, inward = (x, 1) if side == "left" else (x + w - 1, -1)
        span = (y + h // 10, y + h - h // 10)
    seen = []
    for position in (expected, expected + inward, expected - inward):
        colour, share = dominant(line_pixels(image, side, position, span))
        inside, inside_share = dominant(line_pixels(image, side, position + 3 * inward, span))
        outside, outside_share = dominant(line_pixels(image, side, position - 3 * inward, span))
        seen.append(f"{position}: {share:.0%} {colour}, inside {inside_share:.0%} {inside}, "
                    f"outside {outside_share:.0%} {outside}")
        if share >= WHOLE and not any(s >= WHOLE and same(colour, c) for s, c in
                                      ((inside_share, inside), (outside_share, outside))):
            return position, seen
    return None, seen


def check_borders(image, name, rect, sides=("left", "top", "right", "bottom")):
    for side in sides:
        if not on_screen(image, rect, side):
            print(f"   (the {side} border of {name} lies off the screen)")
            continue
        found, seen = border_line(image, rect, side)
        report.check(found is not None, f"{name}: the {side} border is whole, where the design "
                     "puts it", f"expected about {rect} ({'; '.join(seen)})")


def design_on_screen(left, top, width, height):
    """A rectangle of the client area, in the design's pixels, in the screen's pixels."""
    cx, cy = ui["client"]
    scale = scale_factor()
    x0, y0 = cx + round(left * scale), cy + round(top * scale)
    x1, y1 = cx + round((left + width) * scale), cy + round((top + height) * scale)
    return x0, y0, x1 - x0, y1 - y0


# ----------------------------------------------------------------------------------------------

def step_window():
    ui["exam"] = exam = ExamWindow()
    ui["frame"], ui["tree"] = exam.frame, exam.tree
    ui["window"] = check_frame(exam.frame, "the exam window")


def step_design_geometry():
    tree, rects, scale = ui["tree"], design_rects(), scale_factor()
    menu_bar = tree.one(Role.MENU_BAR)
    # The client area starts below the menu bar; the program's own pixels, from the bus.
    fx, fy, _, _ = screen_extents(ui["frame"])
    client = (fx, fy + screen_extents(menu_bar)[3])
    wx, wy, _, _ = x_window_geometry(ui["window"])
    ui["client"] = (wx, wy + round(screen_extents(menu_bar)[3] * scale))

    def on_client(node):
        x, y, w, h = screen_extents(node)
        return x - client[0], y - client[1], w, h

    expected = {name: tuple(pixels(v) for v in rects[key]) for name, key in
                ((START, "startButton"), (SCORE, "scoreButton"), (PASS_RATE, "passRateButton"))}
    for name, place in expected.items():
        report.equal(on_client(ui["exam"].buttons[name]), place,
                     f"{name} stands where the design puts it, in the window's pixels")
    ui["booklet"], ui["sheet"] = ui["exam"].booklet, ui["exam"].sheet
    viewer = tuple(pixels(v) for v in rects["bookletViewer"])
    report.equal(on_client(ui["booklet"]), viewer, "the booklet viewer stands as designed")
    report.equal(on_client(ui["sheet"]), tuple(pixels(v) for v in rects["answerSheet"]),
                 "the answer sheet stands as designed, running past the window's edge")

    image = load_picture(screenshot(screenshot_name("exam")))
    for name, place in expected.items():
        check_borders(image, name, design_on_screen(*place))
    box = tuple(pixels(v) for v in rects["RichTextBox1"])
    check_borders(image, "the booklet's text box",
                  design_on_screen(viewer[0] + box[0], viewer[1] + box[1], box[2], box[3]))
    # The viewer's panel below its tabs: its sides and its bottom.
    check_borders(image, "the booklet viewer's panel", design_on_screen(*viewer),
                  ("left", "right", "bottom"))

    select_tab(tabs_of(ui["booklet"])[1])
    figure = tuple(pixels(v) for v in rects["Picture1"])
    wait_until(lambda: any(is_showing(p) for p in pages_of(ui["booklet"])),
               what="図１ to show")
    box = design_on_screen(viewer[0] + figure[0], viewer[1] + figure[1], figure[2], figure[3])
    # The figure is drawn a moment after its page shows.
    image = wait_for(lambda: (lambda i: border_line(i, box, "left")[0] is not None and i)(
        load_picture(screenshot(screenshot_name("figure")))), 3.0)
    image = image or load_picture(os.path.join(output_dir(), screenshot_name("figure")))
    check_borders(image, "the first figure's box", box)


def step_pictures():
    """At 100 % the screen shows the design's pictures pixel for pixel; at 200 % their drawings
    at twice the size, never the design's ones blown up."""
    scale = scale_factor()
    if scale not in (1.0, 2.0):
        print(f"   (at {scale * 100:g} % the pictures are brought down from twice the size: "
              "only their borders and places are checked)")
        return
    tree = ui["tree"]
    select_tab(tabs_of(ui["sheet"])[0])
    boxes = Snapshot(pages_of(ui["sheet"])[0]).all(Role.CHECK_BOX)
    toggle(boxes[FIRST_ITEM_KEY - 1])
    press(ui["exam"].buttons[SCORE])
    wait_until(lambda: any(d.get_name() == "3 点" for d in tree.all(Role.LABEL)),
               what="one right answer to score 3")
    ui["scored"] = "3"
    image = load_picture(screenshot(screenshot_name("pictures")))

    # The backdrop above Start, where no control stands.
    size = (round(120 * scale), round(60 * scale))
    cx, cy = ui["client"]
    shown = image.crop((cx, cy, cx + size[0], cy + size[1]))
    source = CONTENT / ("background.gif" if scale == 1 else "background@2x.png")
    drawn = load_picture(str(source)).crop((0, 0) + size)
    differing = sum(1 for a, b in zip(shown.getdata(), drawn.getdata()) if a != b)
    report.equal(differing, 0, f"the backdrop shows {source.name} pixel for pixel")

    left, top = mark_place()
    sheet = tuple(pixels(v) for v in design_rects()["answerSheet"])
    mx, my, _, _ = design_on_screen(sheet[0] + pixels(left), sheet[1] + pixels(top), 0, 0)
    side = round(MARK_SIZE * scale)
    ring = image.crop((mx, my, mx + side, my + side))
    if scale == 2:
        from PIL import Image  # python3-pil
        drawing = Image.open(CONTENT / "maru@2x.png").convert("RGBA")
        solid = [i for i, a in enumerate(drawing.getdata()) if a[3] == 255]
        shown = list(ring.getdata())
        red = sum(1 for i in solid if shown[i] == PEN_RED)
        report.check(solid and red >= 0.99 * len(solid), "the mark shows the ring drawn at twice "
                     "the size: its solid pixels in pen red", f"{red} of {len(solid)}")
    else:
        red = sum(1 for c in ring.getdata() if contrast(c, PEN_RED) < 1.3)
        report.check(red > MARK_SIZE * 4, "the mark shows the red ring", f"{red} red pixels")


def step_every_control_reachable():
    """A window too large for the screen at its scale scrolls its client area: scrolled to its
    right and bottom, the last answer box comes into the window's sight, and scrolled back to
    its left, 合格率."""
    wx, wy, ww, wh = x_window_geometry(ui["window"])
    scale = scale_factor()
    design_fits = ww >= pixels(CLIENT_WIDTH) * scale and wh >= pixels(CLIENT_HEIGHT) * scale
    bars = [b for b in ui["tree"].all(Role.SCROLL_BAR) if not is_within(b, ui["booklet"])]
    report.check(bool(bars) != design_fits,
                 "the client area scrolls exactly when the window does not fit the screen",
                 f"window {ww}x{wh} on the screen, {len(bars)} scroll bars")

    def scroll(across_to_end):
        for bar in bars:
            value = bar.get_value_iface()
            _, _, width, height = screen_extents(bar)
            end = width < height or across_to_end
            value.set_current_value(value.get_maximum_value() if end else
                                    value.get_minimum_value())

    last_box = Snapshot(pages_of(ui["sheet"])[0]).all(Role.CHECK_BOX)[-1]
    for node, what, across_to_end in ((last_box, "item 1's last box", True),
                                      (ui["exam"].buttons[PASS_RATE], PASS_RATE, False)):
        scroll(across_to_end)
        x, y, w, h = device_rect(node)
        report.check(wx <= x and x + w <= wx + ww and wy <= y and y + h <= wy + wh,
                     f"{what} comes into the window's sight", f"{(x, y, w, h)} in "
                     f"{(wx, wy, ww, wh)}")


def screenshot_name(what):
    return f"e2e_screens_{what}_{os.environ.get('TAMSEL_E2E_SCREEN', '1280x1024')}_" \
           f"{round(scale_factor() * 100)}.png"


def step_other_windows():
    exam = ui["exam"]
    if "scored" not in ui:
        press(exam.buttons[SCORE])
        wait_until(lambda: any(d.get_name() == "0 点" for d in exam.tree.all(Role.LABEL)),
                   what="an empty sheet to score 0")
    press(exam.buttons[PASS_RATE])
    pass_line = wait_until(lambda: exam.top_windows(PASS_LINE), what=f"a window {PASS_LINE!r}")[0]
    check_frame(pass_line, "the pass-line window")
    exam.choose_from_menu(HELP_MENU, "h", "a")
    help_window = wait_until(lambda: exam.top_windows(HELP), what=f"a window {HELP!r}")[0]
    check_frame(help_window, "the help window")
    screenshot(screenshot_name("windows"))


sys.exit(report.run([
    ("the exam window and its frame", step_window),
    ("the design's geometry on the screen, every border whole", step_design_geometry),
    ("the pictures at the screen's density", step_pictures),
    ("every control can be reached", step_every_control_reachable),
    ("the pass-line and help windows and their frames", step_other_windows),
]))

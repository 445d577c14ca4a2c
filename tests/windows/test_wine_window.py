"""The Windows program from its zip or its set-up, end to end under Wine on the same virtual
screen as the Linux program: the exam window maps with its title, its first picture is the Linux
program's within a small tolerance, Start shows 1:00 as on Linux, at time-up the chime sounds
from a PulseAudio null sink through Wine's sound driver, and the read-me opened by keyboard shows
its text as on Linux. It runs under the locale tests/e2e/run is given: under ja_JP.UTF-8 Wine is
a Japanese Windows, code page 932, whose faces go by their Japanese names.

The Linux program (tests/e2e/run's program, its clock held near 10:15:00 by faketime) gives the
reference: its first picture, where Start and the time display stand, and the display showing
1:00. It is then closed, and the Windows program is started from the unzipped or installed
folder in an empty Wine prefix (both made by tests/windows/e2e-wine). Wine runs without a window
manager here, as the Linux program does, so both windows are bare client areas and compare pixel
for pixel (text is drawn by FreeType in both).

The hour passes in one step: faketime takes the Windows program's clock from a file that the test
rewrites, and Wine honours it for the time of day and for the time since start alike. The clock
runs at its real pace, so Wine's sound driver plays the chime as a student would hear it (sped
up, it hands the server silence).

Environment: TAMSEL_WINE_EXE (tamsel.exe in the unzipped or installed folder), WINEPREFIX,
PULSE_SERVER.
"""

import os
import signal
import subprocess
import sys
import time
from datetime import timedelta

from tamsel_e2e import (BOOKLET_TEXT, chimes_heard, ExamWindow, HELP, load_picture, output_dir,
                        press, press_keys, program_alive, program_pid, Report, Role,
                        screen_extents, sink_is_playing, SinkRecorder, START,
                        start_sound_server, stop_sound_server, time_name, wait_for, wait_until,
                        WINDOW, x_window_geometry, x_window_of, xdotool)
from wine_program import EXAM_DAY, window_named, WineProgram

# A pixel differs when a channel differs by more than this; the pictures match when few do. Both
# programs lay text out with FreeType, but smooth it a little differently, and Windows' menu bar
# is a pixel taller; a missing picture, face, control or document moves far more.
PIXEL_TOLERANCE = 64
DIFFERING_SHARE = 0.06
MENU_BAR_HEIGHT = 20
# Two pictures of the same text overlap in at least this share of their ink, at their best
# alignment; 1:00 and 0:59 overlap in about a third.
SAME_TEXT_OVERLAP = 0.5
# The read-me's opening lines, which its Linux and Windows variants share (the requirements
# come next); they are nearly all Japanese.
README_OPENING_HEIGHT = 195

report = Report("the Windows program under Wine")
linux = {}
wine = {}


def grab(window, name, box=None, timeout=30):
    """A PNG of an X window (or of box, (x, y, w, h) within it) in the output folder."""
    path = os.path.join(output_dir(), name)
    crop = [] if box is None else ["-crop", "{2}x{3}+{0}+{1}".format(*box)]
    subprocess.run(["import", "-window", window, *crop, "+repage", path], check=True,
                   timeout=timeout)
    return path


def differing_share(linux_path, wine_path, height=None):
    """The share of pixels that differ by more than the tolerance, in the top height rows or all:
    the menu bars aligned at their tops, the rest at the bottom (the window is as much taller as
    the menu bar)."""
    a, b = load_picture(linux_path), load_picture(wine_path)
    width, taller = min(a.width, b.width), max(0, b.height - a.height)
    height = min(height or a.height, a.height)
    pa, pb = a.load(), b.load()
    differing = 0
    for y in range(height):
        y_wine = y if y < MENU_BAR_HEIGHT else min(y + taller, b.height - 1)
        for x in range(width):
            if max(abs(p - q) for p, q in zip(pa[x, y], pb[x, y_wine])) > PIXEL_TOLERANCE:
                differing += 1
    return differing / (width * height)


def ink_mask(path):
    from PIL import ImageFilter
    grey = load_picture(path).convert("L")
    return grey.point(lambda v: 255 if v < 100 else 0).filter(ImageFilter.MaxFilter(3))


def ink_overlap(path_a, path_b, reach=3):
    """How much the text of two pictures overlaps (shared ink over all ink), at the best of the
    alignments within reach pixels."""
    a, b = ink_mask(path_a), ink_mask(path_b)
    pa, pb = a.load(), b.load()
    best = 0.0
    for dx in range(-reach, reach + 1):
        for dy in range(-reach, reach + 1):
            shared = either = 0
            for y in range(a.height):
                for x in range(a.width):
                    u = pa[x, y] > 0
                    v = 0 <= x + dx < b.width and 0 <= y + dy < b.height and pb[x + dx, y + dy] > 0
                    shared += u and v
                    either += u or v
            best = max(best, shared / max(either, 1))
    return best


def ink(path, box):
    """The share of dark pixels (text) in box of a picture."""
    picture = load_picture(path).crop((box[0], box[1], box[0] + box[2], box[1] + box[3]))
    dark = sum(1 for p in picture.getdata() if sum(p) < 3 * 128)
    return dark / (box[2] * box[3])


def relative_box(node, window_place):
    x, y, w, h = screen_extents(node)
    return x - window_place[0], y - window_place[1], w, h


def settled_grab(window, name, timeout=40.0):
    """The window's picture once two grabs in a row are the same."""
    previous = {}

    def same_as_before():
        # A grab can wait on the X server for a long while just after Wine has mapped its
        # window (once more than 30 s, in a run that passed again at once): one that
        # waits is taken again, as one that differs would be.
        try:
            path = grab(window, name, timeout=5)
        except subprocess.TimeoutExpired:
            previous.pop("data", None)
            return None
        data = load_picture(path).tobytes()
        same = previous.get("data") == data
        previous["data"] = data
        return path if same else None

    return wait_until(same_as_before, timeout=timeout, interval=0.3,
                      what=f"the picture of {name} to settle")


def step_linux_reference():
    exam = ExamWindow()
    window = x_window_of(exam.frame)
    place = x_window_geometry(window)
    linux["size"] = place[2:]
    linux["first"] = settled_grab(window, "linux-first.png")
    linux["start"] = relative_box(exam.buttons[START], place)
    linux["text"] = relative_box(exam.tree.one(Role.TEXT, BOOKLET_TEXT, within=exam.booklet),
                                 place)
    press(exam.buttons[START])
    display = wait_until(exam.time_display, what="the Linux time display to show the time")
    report.equal(display.get_name(), time_name(60), "on Linux, Start shows one hour")
    linux["time"] = relative_box(display, place)
    linux["time_shot"] = grab(window, "linux-time.png", linux["time"])
    linux["readme"] = open_readme(window, "linux-readme.png")
    os.killpg(program_pid(), signal.SIGTERM)
    deadline = time.monotonic() + 10
    while program_alive() and time.monotonic() < deadline:
        time.sleep(0.05)
    report.check(not program_alive(), "the Linux program ends")


def wine_window():
    return window_named(WINDOW)


def open_readme(exam_window, name):
    """Opens the read-me from the exam window's help menu by its access keys, as a student
    would, and returns its picture once it has settled."""
    xdotool("windowfocus", "--sync", exam_window)
    press_keys("alt+h")
    press_keys("a")
    readme = wait_until(lambda: window_named(HELP), timeout=20, interval=0.2,
                        what="the read-me to open")
    return settled_grab(readme, name)


def step_wine_window_maps():
    wine["program"] = WineProgram(os.environ["TAMSEL_WINE_EXE"], "wine-program")
    window = wait_until(wine_window, timeout=60, interval=0.2, what="the Wine window to map")
    wine["window"] = window
    title = subprocess.run(["xdotool", "getwindowname", window], capture_output=True, text=True,
                           timeout=10).stdout.rstrip("\n")
    report.equal(title, WINDOW, "the window maps with its title")


def step_first_picture():
    window = wine["window"]
    place = x_window_geometry(window)
    report.check(all(abs(w - l) <= 2 for w, l in zip(place[2:], linux["size"])),
                 "the window has the Linux window's size", f"{place[2:]} and {linux['size']}")
    first = settled_grab(window, "wine-first.png")
    share = differing_share(linux["first"], first)
    report.check(share <= DIFFERING_SHARE, "the first picture is the Linux program's",
                 f"{share:.2%} of the pixels differ")
    # An empty booklet (as without a code page 932 converter) would differ in its text alone.
    text_ink, linux_ink = ink(first, linux["text"]), ink(linux["first"], linux["text"])
    # (Wine's glyphs come out a little heavier: within a factor of two.)
    report.check(0.5 <= text_ink / linux_ink <= 2.0,
                 "the booklet shows as much text as on Linux",
                 f"{text_ink:.2%} of the box inked, {linux_ink:.2%} on Linux")


def step_start_shows_an_hour():
    # Early in a clock minute, so that the display shows 1:00 for most of a minute.
    wine["program"].set_clock(EXAM_DAY + timedelta(seconds=3))
    x, y, w, h = linux["start"]
    place = x_window_geometry(wine["window"])
    subprocess.run(["xdotool", "mousemove", "--sync", str(place[0] + x + w // 2),
                    str(place[1] + y + h // 2), "click", "1"], check=True, timeout=10)
    # The display below the menu bar stands as much lower as the window is taller.
    x, y, w, h = linux["time"]
    taller = x_window_geometry(wine["window"])[3] - linux["size"][1]
    overlaps = []

    def shows_an_hour():
        shot = grab(wine["window"], "wine-time.png", (x, y + taller, w, h))
        overlaps.append(ink_overlap(linux["time_shot"], shot))
        return overlaps[-1] >= SAME_TEXT_OVERLAP

    report.check(wait_for(shows_an_hour, 20, interval=0.2), "Start shows 1:00, as on Linux",
                 f"at best {max(overlaps):.0%} of the ink overlaps")


def step_chime_at_time_up():
    # An hour on, and half a minute more: the countdown ends at its next look at the clock.
    recorder = wine["recorder"] = SinkRecorder("wine-chime.wav")
    wine["program"].set_clock(EXAM_DAY + timedelta(hours=1, seconds=30))
    wait_until(sink_is_playing, timeout=30, interval=0.05, what="the chime to sound")
    wait_until(lambda: not sink_is_playing(), timeout=30, interval=0.05, what="the chime to end")
    report.equal(len(chimes_heard(recorder.stop())), 1,
                 "at time-up one chime is heard through Wine's sound driver")


def step_readme():
    shown = open_readme(wine["window"], "wine-readme.png")
    share = differing_share(linux["readme"], shown, README_OPENING_HEIGHT)
    report.check(share <= DIFFERING_SHARE, "the read-me opens with the Linux program's lines",
                 f"{share:.2%} of the pixels differ")
    opening = (0, 0, load_picture(shown).width, README_OPENING_HEIGHT)
    text_ink, linux_ink = ink(shown, opening), ink(linux["readme"], opening)
    report.check(0.5 <= text_ink / linux_ink <= 2.0, "the read-me shows its Japanese text",
                 f"{text_ink:.2%} of its opening inked, {linux_ink:.2%} on Linux")


try:
    start_sound_server()
    sys.exit(report.run([
        ("the Linux program's picture and 1:00", step_linux_reference),
        ("the Windows program's window maps", step_wine_window_maps),
        ("its first picture", step_first_picture),
        ("Start shows 1:00", step_start_shows_an_hour),
        ("the chime at time-up", step_chime_at_time_up),
        ("the read-me", step_readme),
    ]))
finally:
    if wine.get("program") and wine["program"].running():
        os.killpg(wine["program"].process.pid, signal.SIGKILL)
    if "recorder" in wine:
        wine["recorder"].kill()
    stop_sound_server()

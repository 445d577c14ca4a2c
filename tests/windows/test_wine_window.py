"""The Windows program from its zip, end to end under Wine on the same virtual screen as the Linux
program: the exam window maps with its title, its first picture is the Linux program's within a
small tolerance, Start shows 1:00 as on Linux, and at time-up the chime's stream reaches a
PulseAudio null sink through Wine's sound driver.

The Linux program (tests/e2e/run's program, its clock held near 10:15:00 by faketime) gives the
reference: its first picture, where Start and the time display stand, and the display showing
1:00. It is then closed, and the Windows program is started from the unzipped folder in an empty
Wine prefix (both made by tests/windows/e2e-wine) with its clock sped up by faketime, which Wine
honours: an hour passes in two real minutes. Wine runs without a window manager here, as the Linux
program does, so both windows are bare client areas and compare pixel for pixel (text is drawn by
FreeType in both).

Environment: TAMSEL_WINE_EXE (tamsel.exe in the unzipped folder), WINEPREFIX, PULSE_SERVER.
"""

import os
import re
import signal
import subprocess
import sys
import time

from tamsel_e2e import (BOOKLET_TEXT, ExamWindow, load_picture, output_dir, press, program_alive,
                        program_pid, Report, Role, screen_extents, START, start_sound_server,
                        stop_sound_server, time_name, wait_for, wait_until, WINDOW,
                        x_window_geometry, x_window_of)

SPEED = 30  # fake seconds per real second: a fake minute lasts two real seconds
# A pixel differs when a channel differs by more than this; the pictures match when few do. Both
# programs lay text out with FreeType, but smooth it a little differently, and Windows' menu bar
# is a pixel taller; a missing picture, face, control or document moves far more.
PIXEL_TOLERANCE = 64
DIFFERING_SHARE = 0.06
MENU_BAR_HEIGHT = 20
# Two pictures of the same text overlap in at least this share of their ink, at their best
# alignment; 1:00 and 0:59 overlap in about a third.
SAME_TEXT_OVERLAP = 0.5

report = Report("the Windows program under Wine")
linux = {}
wine = {}


def grab(window, name, box=None):
    """A PNG of an X window (or of box, (x, y, w, h) within it) in the output folder."""
    path = os.path.join(output_dir(), name)
    crop = [] if box is None else ["-crop", "{2}x{3}+{0}+{1}".format(*box)]
    subprocess.run(["import", "-window", window, *crop, "+repage", path], check=True, timeout=30)
    return path


def differing_share(linux_path, wine_path):
    """The share of pixels that differ by more than the tolerance: the menu bars aligned at
    their tops, the rest at the bottom (the window is as much taller as the menu bar)."""
    a, b = load_picture(linux_path), load_picture(wine_path)
    width, taller = min(a.width, b.width), max(0, b.height - a.height)
    pa, pb = a.load(), b.load()
    differing = 0
    for y in range(a.height):
        y_wine = y if y < MENU_BAR_HEIGHT else min(y + taller, b.height - 1)
        for x in range(width):
            if max(abs(p - q) for p, q in zip(pa[x, y], pb[x, y_wine])) > PIXEL_TOLERANCE:
                differing += 1
    return differing / (width * a.height)


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


def settled_grab(window, name, timeout=20.0):
    """The window's picture once two grabs in a row are the same."""
    previous = {}

    def same_as_before():
        path = grab(window, name)
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
    os.killpg(program_pid(), signal.SIGTERM)
    deadline = time.monotonic() + 10
    while program_alive() and time.monotonic() < deadline:
        time.sleep(0.05)
    report.check(not program_alive(), "the Linux program ends")


def wine_window():
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "Tamsel"],
                           capture_output=True, text=True, timeout=10).stdout.split()
    return found[0] if len(found) == 1 else None


def step_wine_window_maps():
    exe = os.environ["TAMSEL_WINE_EXE"]
    log_path = os.path.join(output_dir(), "wine-program.log")
    log = open(log_path, "wb")
    env = dict(os.environ, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    env.pop("QT_QPA_PLATFORM", None)  # Windows has its own platform, whatever Linux was told
    wine["process"] = subprocess.Popen(
        ["faketime", "-f", f"@2026-12-08 10:15:00 x{SPEED}", "/usr/lib/wine/wine64", exe],
        cwd=os.path.dirname(exe), env=env, stdout=log, stderr=subprocess.STDOUT,
        start_new_session=True)
    wine["started"] = time.monotonic()
    # From here on the program the helpers watch is the Windows one.
    os.environ["TAMSEL_PID"] = str(wine["process"].pid)
    os.environ["TAMSEL_LOG"] = log_path
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


def fake_second_of_minute():
    return (time.monotonic() - wine["started"]) * SPEED % 60


def step_start_shows_an_hour():
    # Early in a clock minute, so that the display still shows 1:00 when it is grabbed.
    wait_until(lambda: 3 <= fake_second_of_minute() <= 15, timeout=5, interval=0.01,
               what="early in a clock minute")
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

    report.check(wait_for(shows_an_hour, 1.5, interval=0.05), "Start shows 1:00, as on Linux",
                 f"at best {max(overlaps):.0%} of the ink overlaps")


def sound_streams():
    """The playback streams on the sound server, by the client that plays them."""
    listed = subprocess.run(["pactl", "list", "sink-inputs"], capture_output=True, text=True,
                            timeout=10).stdout
    return re.findall(r'application\.name = "([^"]*)"', listed)


def step_chime_at_time_up():
    # The hour is two real minutes; the chime is a stream of Wine's on the server while it plays.
    # Its samples are not held here: under the sped-up clock Wine's sound driver runs thirty
    # times fast too and hands the server silence.
    streams = wait_until(sound_streams, timeout=180, interval=0.1,
                         what="a sound stream at time-up")
    report.check(True, "at time-up the chime reaches the sound server through Wine's driver",
                 streams)


try:
    start_sound_server()
    sys.exit(report.run([
        ("the Linux program's picture and 1:00", step_linux_reference),
        ("the Windows program's window maps", step_wine_window_maps),
        ("its first picture", step_first_picture),
        ("Start shows 1:00", step_start_shows_an_hour),
        ("the chime at time-up", step_chime_at_time_up),
    ]))
finally:
    if wine.get("process") and wine["process"].poll() is None:
        os.killpg(wine["process"].pid, signal.SIGKILL)
    stop_sound_server()

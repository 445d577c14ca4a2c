"""The Windows program's chime of every other form it plays (24 and 32 bits, floats, extensible),
end to end under Wine: for each form, the program from its zip, beside a Zikan.wav holding
tools/make_test_waves.py's tone in that form, sounds the tone once at time-up through Wine's sound
driver, at the tone's level and pitch, as recorded from a PulseAudio null sink.

The Linux program (tests/e2e/run's program) shows where Start stands and is closed; then each form
has a Windows program of its own, in the Wine prefix that tests/windows/e2e-wine made. Its clocks
run at real pace from a faketime clock file that the test rewrites, so that the hour passes in one
step once Start has begun the attempt, and the chime plays as a student would hear it.

Environment: TAMSEL_WINE_EXE (tamsel.exe in the unzipped folder), WINEPREFIX, PULSE_SERVER.
"""

import os
import signal
import subprocess
import sys
from datetime import timedelta

from tamsel_e2e import (check_tone, ExamWindow, load_picture, output_dir, program_alive,
                        program_pid, Report, screen_extents, sink_is_playing, SinkRecorder, START,
                        start_sound_server, stop_sound_server, wait_until, WINDOW,
                        x_window_geometry, x_window_of)
from wine_program import EXAM_DAY, window_named, WineProgram

TOOLS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools")
sys.path.insert(0, TOOLS)
from make_test_waves import FORMS, tone, TONE_HZ, TONE_LEVEL  # noqa: E402

PATIENCE = 60  # Wine starts slowly on a loaded machine: every wait on it is this generous

report = Report("the Windows program's chime of every form under Wine")
linux = {}
wine = {}


def step_linux_reference():
    exam = ExamWindow()
    place = x_window_geometry(x_window_of(exam.frame))
    x, y, w, h = screen_extents(exam.buttons[START])
    linux["start"] = (x - place[0] + w // 2, y - place[1] + h // 2)
    os.killpg(program_pid(), signal.SIGTERM)
    wait_until(lambda: not program_alive(), timeout=10, what="the Linux program to end")


def picture(window):
    """The window's pixels as a grab gives them."""
    path = os.path.join(output_dir(), "wine-window.png")
    subprocess.run(["import", "-window", window, path], check=True, timeout=30)
    return load_picture(path).tobytes()


def start_wine_program(form):
    exe = os.environ["TAMSEL_WINE_EXE"]
    with open(os.path.join(os.path.dirname(exe), "Zikan.wav"), "wb") as chime:
        chime.write(tone(form))
    wine["program"] = WineProgram(exe, f"wine-program-{form}")
    return wait_until(lambda: window_named(WINDOW), timeout=PATIENCE, interval=0.2,
                      what="the Wine window to map")


def end_wine_program():
    process = wine.pop("program").process
    os.killpg(process.pid, signal.SIGKILL)
    process.wait(timeout=30)
    # Wine's server, started with this form's clock file, ends before the next form's program
    # starts one of its own.
    subprocess.run(["/usr/lib/wine/wineserver", "-w"], check=True, timeout=PATIENCE)


def press_start(window):
    """Clicks Start once the window's picture has settled, and again until the picture changes
    (the time display shows the hour): a click that comes before the window takes input is
    given again."""
    shots = [picture(window)]

    def settled():
        shots.append(picture(window))
        return shots[-1] == shots[-2]
    wait_until(settled, timeout=PATIENCE, interval=0.3, what="the Wine window to settle")
    place = x_window_geometry(window)
    x, y = place[0] + linux["start"][0], place[1] + linux["start"][1]

    def started():
        subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], check=True,
                       timeout=10)
        try:
            wait_until(lambda: picture(window) != shots[-1], timeout=5, interval=0.3)
            return True
        except TimeoutError:
            return False
    wait_until(started, timeout=PATIENCE, interval=0.5, what="Start to begin the attempt")


def chime_of(form):
    def step():
        window = start_wine_program(form)
        press_start(window)
        wine["recorder"] = SinkRecorder(f"wine-chime-{form}.wav")
        # An hour on, and half a minute more: the countdown ends at its next look at the clock.
        wine["program"].set_clock(EXAM_DAY + timedelta(hours=1, seconds=30))
        wait_until(sink_is_playing, timeout=PATIENCE, interval=0.02, what="the chime to sound")
        wait_until(lambda: not sink_is_playing(), timeout=PATIENCE, interval=0.05,
                   what="the chime to end")
        check_tone(report, wine.pop("recorder").stop(), TONE_HZ, TONE_LEVEL)
        end_wine_program()
    return step


try:
    start_sound_server()
    sys.exit(report.run([("the Linux program's Start", step_linux_reference)] +
                        [(f"a chime written as {form}", chime_of(form)) for form in FORMS]))
finally:
    if wine.get("program") and wine["program"].running():
        os.killpg(wine["program"].process.pid, signal.SIGKILL)
    if "recorder" in wine:
        wine["recorder"].kill()
    stop_sound_server()

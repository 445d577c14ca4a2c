"""Every time-up of a session chimes, and a display that goes away while the chime sounds ends the
program without a signal.

Eight attempts in a row, Start to time-up to Score, with the clock sped up: what a PulseAudio null
sink plays is recorded for the whole session and must hold eight chimes. At the ninth time-up the X
server is killed while the chime sounds, as when a student logs out at the bell: the program must
end by itself with an exit status, not die of a signal.

Run it through tests/e2e/run with PULSE_SERVER set and a fast clock, as ctest does.
"""

import os
import signal
import sys

from tamsel_e2e import (chimes_heard, clock_speed, ExamWindow, has_state, press,
                        program_exit_status, Report, SCORE, sink_is_playing, SinkRecorder, START,
                        start_sound_server, State, stop_sound_server, time_name,
                        wait_program_exit, wait_until)

ATTEMPTS = 8
SPEED = clock_speed(600)

report = Report("a chime at every time-up, and the display's end during the chime")
ui = {}
sound = {}


def one_attempt():
    exam = ui["exam"]
    press(exam.buttons[START])
    wait_until(lambda: not has_state(exam.buttons[START], State.ENABLED),
               what="Start to begin the attempt")
    wait_until(lambda: exam.time_display() and exam.time_display().get_name() == time_name(0),
               timeout=3600 / SPEED * 1.5 + 10, interval=0.05, what="time-up")
    wait_until(sink_is_playing, timeout=5, interval=0.02, what="the chime to sound")


def step_session():
    start_sound_server()
    ui["exam"] = ExamWindow()
    sound["recorder"] = SinkRecorder("chime-session.wav")
    for attempt in range(ATTEMPTS):
        one_attempt()
        wait_until(lambda: not sink_is_playing(), timeout=10, interval=0.05,
                   what="the chime to end")
        press(ui["exam"].buttons[SCORE])
        wait_until(lambda: has_state(ui["exam"].buttons[START], State.ENABLED),
                   what="Score to end the attempt")
    path = sound.pop("recorder").stop()
    report.equal(len(chimes_heard(path)), ATTEMPTS, "a chime is heard at every time-up")


def x_server_pid():
    display = os.environ["DISPLAY"]
    for proc in os.listdir("/proc"):
        if not proc.isdigit():
            continue
        try:
            with open(f"/proc/{proc}/cmdline", "rb") as cmdline:
                args = cmdline.read().decode(errors="replace").split("\0")
        except OSError:
            continue
        if os.path.basename(args[0]) == "Xvfb" and display in args:
            return int(proc)
    raise RuntimeError(f"no Xvfb for {display}")


def step_display_ends_during_the_chime():
    one_attempt()
    os.kill(x_server_pid(), signal.SIGKILL)
    report.check(wait_program_exit(10), "the program ends when its display goes")
    status = program_exit_status()
    report.check(status is not None and status < 128, "it ends with a status, not a signal",
                 f"status {status}")


try:
    sys.exit(report.run([
        (f"{ATTEMPTS} attempts in a row", step_session),
        ("the display ends while the chime sounds", step_display_ends_during_the_chime),
    ]))
finally:
    if "recorder" in sound:
        sound["recorder"].kill()
    stop_sound_server()

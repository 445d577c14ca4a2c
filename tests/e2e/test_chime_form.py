"""A chime of another form sounds at time-up as it is: the program, beside a Zikan.wav that
tools/make_test_waves.py wrote as its test tone in TAMSEL_E2E_CHIME_FORM (24-bit, 32-bit, float,
extensible), sounds the tone once at time-up, at the tone's level and pitch, as recorded from a
PulseAudio null sink.

The program runs at real pace, its clocks read by faketime from a file (TAMSEL_E2E_CLOCK) that the
test rewrites: once the program has connected to the sound server ahead of time-up, the hour
passes in one step, so that the chime plays as at a real time-up and no wait inside the sound
library is sped up with the clock. Run it through tests/e2e/chime-form, as ctest does.
"""

import os
import sys

from tamsel_e2e import (check_tone, ExamWindow, has_state, press, program_is_sound_client,
                        Report, set_clock_ahead, sink_is_playing, SinkRecorder, START,
                        start_sound_server, State, stop_sound_server, time_name, wait_until)

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
from make_test_waves import TONE_HZ, TONE_LEVEL  # noqa: E402

FORM = os.environ["TAMSEL_E2E_CHIME_FORM"]
# An hour on, and half a minute more: the countdown ends at its next look at the clock.
HOUR_AND_A_HALF_MINUTE = 3630
# Slow on a loaded machine, never wrong: every wait on the program is this generous.
PATIENCE = 30

report = Report(f"a chime written as {FORM}")
ui = {}
sound = {}


def step_start():
    start_sound_server()
    ui["exam"] = exam = ExamWindow()
    press(exam.buttons[START])
    wait_until(lambda: not has_state(exam.buttons[START], State.ENABLED),
               what="Start to begin the attempt")
    wait_until(program_is_sound_client, timeout=PATIENCE, interval=0.1,
               what="the program to connect to the sound server ahead of time-up")


def step_time_up():
    sound["recorder"] = SinkRecorder(f"chime-{FORM}.wav")
    set_clock_ahead(HOUR_AND_A_HALF_MINUTE)
    exam = ui["exam"]
    wait_until(lambda: exam.time_display() and exam.time_display().get_name() == time_name(0),
               timeout=PATIENCE, interval=0.05, what="time-up")
    wait_until(sink_is_playing, timeout=PATIENCE, interval=0.02, what="the chime to sound")
    wait_until(lambda: not sink_is_playing(), timeout=PATIENCE, interval=0.05,
               what="the chime to end")
    check_tone(report, sound.pop("recorder").stop(), TONE_HZ, TONE_LEVEL)


try:
    sys.exit(report.run([
        ("Start, connected ahead of time-up", step_start),
        ("the hour passes, and the chime", step_time_up),
    ]))
finally:
    if "recorder" in sound:
        sound["recorder"].kill()
    stop_sound_server()

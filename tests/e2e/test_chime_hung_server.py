"""A sound server that hangs costs one chime, said at once, and no chime sounds late.

The server is stopped (SIGSTOP) before time-up: the program says within seconds that the chime did
not sound, the student scores and starts the next attempt, and the server goes on: the first
attempt's chime never sounds, and the second attempt's does, once. Then the server is stopped while
a chime sounds and left stopped: the program says within seconds that the chime broke off; the
server goes on, and the next attempt's chime sounds. Each line is said once.

The program runs at real pace, its clocks read by faketime from a file that the test rewrites
(the hour passes in one step). Run it through tests/e2e/chime-form, as ctest does.
"""

import os
import signal
import subprocess
import sys

from tamsel_e2e import (chimes_heard, ExamWindow, has_state, press, program_is_sound_client,
                        Report, SCORE, set_clock_ahead, sink_is_playing, SinkRecorder,
                        sound_server_pid, START, start_sound_server, State, stop_sound_server,
                        time_name, wait_until)

# An hour on, and half a minute more: the countdown ends at its next look at the clock.
HOUR_AND_A_HALF_MINUTE = 3630
# Slow on a loaded machine, never wrong: every wait on the program is this generous.
PATIENCE = 30
DID_NOT_ANSWER = ("チャイムが鳴りませんでした。the chime did not sound: the sound server did not "
                  "answer within 2 s of time-up")
STOPPED_ANSWERING = ("チャイムが途中で止まりました。the chime broke off: the sound server stopped "
                     "answering for 2 s")
# The chime sounds 2.6 s; with the server's buffer, once, it lasts less than this.
LONGEST_CHIME = 3.5

report = Report("a sound server that hangs")
ui = {}
sound = {"hours": 0}


def program_log():
    with open(os.environ["TAMSEL_LOG"], encoding="utf-8", errors="replace") as log:
        return log.read()


def said(line):
    return line in program_log()


def start():
    """Start, and the program connected to the sound server ahead of time-up."""
    exam = ui["exam"]
    press(exam.buttons[START])
    wait_until(lambda: not has_state(exam.buttons[START], State.ENABLED),
               what="Start to begin the attempt")


def connected():
    wait_until(program_is_sound_client, timeout=PATIENCE, interval=0.1,
               what="the program to connect ahead of time-up")


def pass_the_hour():
    sound["hours"] += 1
    set_clock_ahead(sound["hours"] * HOUR_AND_A_HALF_MINUTE)


def time_up():
    exam = ui["exam"]
    wait_until(lambda: exam.time_display() and exam.time_display().get_name() == time_name(0),
               timeout=PATIENCE, interval=0.05, what="time-up")


def score():
    exam = ui["exam"]
    press(exam.buttons[SCORE])
    wait_until(lambda: has_state(exam.buttons[START], State.ENABLED),
               what="Score to end the attempt")


def chime_sounds_to_its_end():
    wait_until(sink_is_playing, timeout=PATIENCE, interval=0.02, what="the chime to sound")
    wait_until(lambda: not sink_is_playing(), timeout=PATIENCE, interval=0.05,
               what="the chime to end")


def server_answers():
    return subprocess.run(["pactl", "info"], capture_output=True, timeout=10).returncode == 0


def step_setting():
    start_sound_server()
    sound["server"] = sound_server_pid()
    ui["exam"] = ExamWindow()
    sound["recorder"] = SinkRecorder("hung-server.wav")


def step_stopped_before_time_up():
    start()
    connected()
    os.kill(sound["server"], signal.SIGSTOP)
    pass_the_hour()
    time_up()
    wait_until(lambda: said(DID_NOT_ANSWER), timeout=PATIENCE, interval=0.1,
               what="the program to say that the chime did not sound")
    report.check(True, "a server stopped before time-up is said within seconds")
    score()
    start()
    os.kill(sound["server"], signal.SIGCONT)
    wait_until(server_answers, timeout=PATIENCE, what="the server to answer again")
    pass_the_hour()
    time_up()
    chime_sounds_to_its_end()
    path = sound.pop("recorder").stop()
    heard = chimes_heard(path)
    report.equal(len(heard), 1, "a chime is heard only at the time-up of the next attempt")
    report.check(heard and heard[0] / 20 <= LONGEST_CHIME, "and only once",
                 f"{heard[0] / 20 if heard else 0:.2f} s of sound")


def step_stopped_while_it_sounds():
    score()
    start()
    connected()
    pass_the_hour()
    wait_until(sink_is_playing, timeout=PATIENCE, interval=0.02, what="the chime to sound")
    os.kill(sound["server"], signal.SIGSTOP)
    wait_until(lambda: said(STOPPED_ANSWERING), timeout=PATIENCE, interval=0.1,
               what="the program to say that the chime broke off")
    report.check(True, "a server stopped while the chime sounds is said within seconds")
    os.kill(sound["server"], signal.SIGCONT)
    score()
    start()
    pass_the_hour()
    time_up()
    chime_sounds_to_its_end()
    report.check(True, "the next attempt's chime sounds")
    log = program_log()
    report.equal((log.count(DID_NOT_ANSWER), log.count(STOPPED_ANSWERING)), (1, 1),
                 "each is said once")


try:
    sys.exit(report.run([
        ("a sound server, the program", step_setting),
        ("the server stopped before time-up", step_stopped_before_time_up),
        ("the server stopped while the chime sounds", step_stopped_while_it_sounds),
    ]))
finally:
    if "server" in sound:
        try:
            os.kill(sound["server"], signal.SIGCONT)
        except ProcessLookupError:
            pass
    if "recorder" in sound:
        sound["recorder"].kill()
    stop_sound_server()

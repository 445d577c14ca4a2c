"""The way out never waits on the sound: whatever the sound server does, the program is gone
within a second of 終了 closing its last window, with status 0.

TAMSEL_E2E_SOUND picks what the server does when the chime is to sound at time-up:
  silent   a listener on the server's socket takes the connection and never answers
  stopped  a real PulseAudio server, stopped with SIGSTOP
  killed   a real PulseAudio server, killed while the chime sounds at time-up

Run it through tests/e2e/run with PULSE_SERVER set and a fast clock, as ctest does.
"""

import os
import signal
import socket
import sys
import time

from tamsel_e2e import (clock_speed, do_action, ExamWindow, find, press,
                        process_tree, program_exit_status, program_pid, Report, Role,
                        sound_server_pid, START, start_sound_server, time_name,
                        wait_program_exit, wait_until)

EXIT = "終了(Q)"
MODE = os.environ.get("TAMSEL_E2E_SOUND", "silent")
SPEED = clock_speed(300)

report = Report(f"the exit command with a sound server that is {MODE}")
ui = {}
server = {}


def socket_path():
    return os.environ["PULSE_SERVER"][len("unix:"):]


def sound_thread_started():
    """The program's thread named "sound", which the first tick starts to read the chime."""
    for pid in process_tree(program_pid()):
        try:
            for task in os.listdir(f"/proc/{pid}/task"):
                with open(f"/proc/{pid}/task/{task}/comm", encoding="ascii") as comm:
                    if comm.read().strip() == "sound":
                        return True
        except OSError:
            continue
    return False


def step_server():
    if MODE == "silent":
        os.makedirs(os.path.dirname(socket_path()), exist_ok=True)
        if os.path.exists(socket_path()):  # left by an earlier run
            os.unlink(socket_path())
        listener = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        listener.bind(socket_path())
        listener.listen(8)
        server["listener"] = listener
    else:
        start_sound_server()
        server["pid"] = sound_server_pid()


def step_start():
    ui["exam"] = exam = ExamWindow()
    press(exam.buttons[START])
    wait_until(sound_thread_started, what="the chime to be read on the sound thread")
    if MODE == "stopped":
        os.kill(server["pid"], signal.SIGSTOP)
        report.check(True, "the sound server is stopped before time-up")
    wait_until(lambda: ui["exam"].time_display() and
               ui["exam"].time_display().get_name() == time_name(0),
               timeout=3600 / SPEED * 1.5 + 10, interval=0.05, what="time-up")
    if MODE == "silent":
        server["listener"].settimeout(10)
        server["connection"] = server["listener"].accept()[0]
        report.check(True, "the program connects to the silent server at time-up")
    elif MODE == "killed":
        os.kill(server["pid"], signal.SIGKILL)
        report.check(True, "the sound server is killed while the chime sounds")


def step_exit():
    frame = ui["exam"].frame
    exit_item = find(frame, Role.MENU_ITEM, EXIT)
    began = time.monotonic()
    do_action(exit_item)
    gone = wait_program_exit(5)
    took = time.monotonic() - began
    report.check(gone and took < 1.0, "the program is gone within 1 s of 終了", f"{took:.2f} s")
    report.equal(program_exit_status(), 0, "the program's exit status")


try:
    sys.exit(report.run([
        ("a sound server", step_server),
        ("Start, and time-up", step_start),
        ("終了", step_exit),
    ]))
finally:
    if "pid" in server:
        try:
            os.kill(server["pid"], signal.SIGKILL)
        except ProcessLookupError:
            pass

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
import subprocess
import sys
import wave

from tamsel_e2e import (clock_speed, ExamWindow, has_state, output_dir, press,
                        program_exit_status, Report, SCORE, START, start_sound_server, State,
                        stop_sound_server, time_name, wait_program_exit, wait_until)

ATTEMPTS = 8
SPEED = clock_speed(600)

report = Report("a chime at every time-up, and the display's end during the chime")
ui = {}
sound = {}


def sink_is_playing():
    inputs = subprocess.run(["pactl", "list", "short", "sink-inputs"], capture_output=True,
                            text=True, timeout=10).stdout
    return bool(inputs.strip())


def one_attempt():
    exam = ui["exam"]
    press(exam.buttons[START])
    wait_until(lambda: not has_state(exam.buttons[START], State.ENABLED),
               what="Start to begin the attempt")
    wait_until(lambda: exam.time_display() and exam.time_display().get_name() == time_name(0),
               timeout=3600 / SPEED * 1.5 + 10, interval=0.05, what="time-up")
    wait_until(sink_is_playing, timeout=5, interval=0.02, what="the chime to sound")


def chimes_heard(path):
    """Runs of sound in the recording, each at least a tenth of a second long and apart from the
    next by half a second of silence."""
    with wave.open(path) as recording:
        rate, width, channels = (recording.getframerate(), recording.getsampwidth(),
                                 recording.getnchannels())
        frames = recording.readframes(recording.getnframes())
    assert width == 2, f"{width}-byte samples"
    window = rate // 20  # a twentieth of a second
    step = window * channels * width
    loud = []
    for start in range(0, len(frames) - step + 1, step):
        samples = memoryview(frames[start:start + step]).cast("h")
        loud.append(max(abs(s) for s in samples) > 300)
    runs, current, quiet = [], 0, 99
    for is_loud in loud:
        if is_loud:
            if quiet >= 10 and current:
                runs.append(current)
                current = 0
            current += 1
            quiet = 0
        else:
            quiet += 1
    if current:
        runs.append(current)
    return [r for r in runs if r >= 2]


def step_session():
    start_sound_server()
    ui["exam"] = ExamWindow()
    path = os.path.join(output_dir(), "chime-session.wav")
    sound["recorder"] = subprocess.Popen(
        ["parecord", "-d", "t.monitor", "--file-format=wav", path],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for attempt in range(ATTEMPTS):
        one_attempt()
        wait_until(lambda: not sink_is_playing(), timeout=10, interval=0.05,
                   what="the chime to end")
        press(ui["exam"].buttons[SCORE])
        wait_until(lambda: has_state(ui["exam"].buttons[START], State.ENABLED),
                   what="Score to end the attempt")
    recorder = sound.pop("recorder")
    recorder.send_signal(signal.SIGINT)
    recorder.wait(timeout=10)
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
    recorder = sound.get("recorder")
    if recorder and recorder.poll() is None:
        recorder.kill()
    stop_sound_server()

"""The countdown end to end, with the clock sped up by faketime: Start shows 1:00 ("あと 60 分" to a
screen reader), the display moves one minute at each clock minute down to 0:00 ("あと 0 分"), the
chime sounds at time-up on a real sound server (a PulseAudio null sink whose monitor the test
records) and the window, not the active one, asks the window manager for attention.

Qt 6.4 on X asks for attention with a _NET_WM_STATE client message for
_NET_WM_STATE_DEMANDS_ATTENTION sent to the root window (it never sets the urgency of WM_HINTS);
a window manager turns it into the window's state, which xprop then shows. Without a window
manager nothing changes on the window, so the test listens on the root window for the request.

Run it through tests/e2e/run with a faketime wrapper, as ctest does.
"""

import os
import re
import signal
import subprocess
import sys
import time

from tamsel_e2e import (clock_speed, ExamWindow, has_state, output_dir, press, Report, SCORE,
                        screenshot, START, start_sound_server, State, stop_sound_server,
                        time_name, wait_early_in_a_minute, wait_for, wait_until,
                        x_window_of)

SPEED = clock_speed(60)
# Faster than 60 times, the first minute may be over before the driver first reads the display.
SEES_EVERY_MINUTE = SPEED <= 60

report = Report("countdown and chime, end to end")
ui = {}
sound = {}


def time_text():
    label = ui.get("time") or ui["exam"].time_display()
    return label.get_name() if label else ""


class AttentionWatch:
    """Hears the requests that reach a window manager on the root window (Qt sends its client
    messages with the structure-notify mask, which any client may select on the root)."""

    def __init__(self):
        from Xlib import display, X  # python3-xlib
        self.x = X
        self.display = display.Display()
        self.display.screen().root.change_attributes(event_mask=X.StructureNotifyMask)
        self.display.sync()
        self.requests = []

    def pump(self):
        while self.display.pending_events():
            event = self.display.next_event()
            if event.type != self.x.ClientMessage:
                continue
            kind = self.display.get_atom_name(event.client_type)
            values = event.data[1]
            atoms = [self.display.get_atom_name(a) for a in values[1:3] if a]
            self.requests.append((event.window.id, kind, values[0], atoms))
        return self.requests

    def demands_attention(self, window):
        """Whether the window has asked to be marked as demanding attention."""
        return any(w == window and kind == "_NET_WM_STATE" and action == 1
                   and "_NET_WM_STATE_DEMANDS_ATTENTION" in atoms
                   for w, kind, action, atoms in self.pump())


def step_find_window():
    start_sound_server()
    ui["exam"] = exam = ExamWindow()
    ui["start"], ui["score"] = exam.buttons[START], exam.buttons[SCORE]
    report.check(has_state(ui["start"], State.ENABLED), "Start is available at first")
    ui["window"] = int(x_window_of(exam.frame), 0)
    ui["attention"] = AttentionWatch()
    # The student is elsewhere: the exam window is not the active one (nothing gave it the focus).
    report.check(not has_state(exam.frame, State.ACTIVE), "the exam window is not active")


def step_start():
    if SEES_EVERY_MINUTE:
        wait_early_in_a_minute(SPEED)
    press(ui["start"])
    ui["time"] = wait_until(ui["exam"].time_display,
                            what="the time display to show the remaining time")
    ui["started"] = time.monotonic()
    if SEES_EVERY_MINUTE:
        report.equal(ui["time"].get_name(), time_name(60), "Start shows one hour")
    wait_until(lambda: not has_state(ui["start"], State.ENABLED), what="Start to turn unavailable")
    report.check(True, "Start is unavailable during the attempt")


def step_count_down():
    """Follows the display to 0:00 and records the chime while it sounds."""
    seen = [(time.monotonic(), time_text())]
    real_hour = 3600 / SPEED
    deadline = time.monotonic() + real_hour * 1.5 + 10
    while seen[-1][1] != time_name(0) and time.monotonic() < deadline:
        text = time_text()
        if text != seen[-1][1]:
            seen.append((time.monotonic(), text))
            if text == time_name(1):
                start_recording()
                ui["asked_early"] = ui["attention"].demands_attention(ui["window"])
        time.sleep(0.02)
    texts = [t for _, t in seen]
    expected = [time_name(m) for m in range(60, -1, -1)]
    if not SEES_EVERY_MINUTE:
        expected = expected[-len(texts):]
    report.equal(texts, expected, "the display counts down minute by minute to 0:00")
    if SEES_EVERY_MINUTE and len(seen) > 2:
        first = seen[1][0] - ui["started"]
        report.check(first <= 60 / SPEED + 1.0,
                     "the first minute ends at the next clock minute", f"{first:.2f} s real")
        steps = [b[0] - a[0] for a, b in zip(seen[1:], seen[2:])]
        minute = 60 / SPEED
        report.check(all(minute * 0.5 < s < minute * 1.6 for s in steps),
                     "every later minute lasts a clock minute",
                     f"min {min(steps):.2f} s, max {max(steps):.2f} s real")
    ui["timed_out"] = time.monotonic()


def start_recording():
    path = os.path.join(output_dir(), "chime.wav")
    sound["path"] = path
    sound["recorder"] = subprocess.Popen(
        ["parecord", "-d", "t.monitor", "--file-format=wav", path],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def step_attention_at_time_up():
    watch, window = ui["attention"], ui["window"]
    asked = wait_for(lambda: watch.demands_attention(window), 3.0)
    report.check(asked, "at time-up the window asks for attention "
                 "(_NET_WM_STATE_DEMANDS_ATTENTION)", watch.requests or "no request heard")
    # (Only when the driver read the last minute: at 600 times speed it lasts a tenth of a second.)
    report.check(not ui.get("asked_early"), "it had not asked a minute before")


def step_after_time_up():
    # A clock minute later the display still reads 0:00 and Start is still unavailable.
    time.sleep(max(0.0, ui["timed_out"] + 60 / SPEED * 1.5 - time.monotonic()))
    report.equal(time_text(), time_name(0), "0:00 stays shown after time-up")
    report.check(not has_state(ui["start"], State.ENABLED), "Start stays unavailable after time-up")
    # The chime lasts under three seconds; give it four, then measure what the sink heard.
    time.sleep(max(0.0, ui["timed_out"] + 4.0 - time.monotonic()))
    recorder = sound["recorder"]
    recorder.send_signal(signal.SIGINT)
    recorder.wait(timeout=10)
    stat = subprocess.run(["sox", sound["path"], "-n", "stat"], capture_output=True,
                          text=True, timeout=30).stderr
    rms = float(re.search(r"RMS\s+amplitude:\s+([0-9.]+)", stat).group(1))
    report.check(rms > 0.01, "the chime sounds at time-up", f"RMS {rms:.4f}")
    screenshot("countdown-time-up.png")


def step_score_ends_the_attempt():
    press(ui["score"])
    wait_until(lambda: has_state(ui["start"], State.ENABLED), what="Score to make Start available")
    report.check(True, "the window still answers: Score makes Start available again")
    report.equal(ui["time"].get_name(), "", "Score empties the time display")


try:
    sys.exit(report.run([
        ("find the exam window", step_find_window),
        ("press Start", step_start),
        ("count down to time-up", step_count_down),
        ("the window asks for attention", step_attention_at_time_up),
        ("after time-up", step_after_time_up),
        ("Score ends the attempt", step_score_ends_the_attempt),
    ]))
finally:
    recorder = sound.get("recorder")
    if recorder and recorder.poll() is None:
        recorder.kill()
    stop_sound_server()

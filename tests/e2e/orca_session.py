"""A short session of the program read by Orca: scripts/orca runs the program, a sound server,
speech-dispatcher and Orca on a virtual X screen in a D-Bus session, then this driver.

    orca_session.py drive F   starts Orca with its debug output copied to F and presses real
                              keys (xdotool), waiting after each on what the program reports
                              through the accessibility bus and on what Orca says
    orca_session.py check F   prints what Orca spoke (the SPEECH OUTPUT lines of its debug
                              file F) and exits non-zero unless it spoke the start, a figure's
                              text alternative, an answered item, the score and the verdict

The session: Tab and Shift+Tab first (Orca's first key event can take half a minute to pass),
Space on Start, Shift+Tab to the booklet's tabs, Right to 図１, Tab onto the figure, Tab on to
the answer sheet, 4 ticks ④ of 1-A1 (right, 3 points), Shift+Tab back to its tab, Shift+Tab to
得　点 and Space, Tab to 合格率 and Space, Esc closes the pass-line window.
"""

import os
import pty
import re
import signal
import subprocess
import sys
import threading
import tty

from tamsel_e2e import (ExamWindow, focus_window, FocusWatch, has_state, is_checked, is_selected,
                        is_within, PASS_LINE, PASS_RATE, press_keys, Role, SCORE, score_name,
                        Snapshot, START, State, STARTED, tabs_of, wait_for, wait_until)

# Orca passes the first key on after up to half a minute; later keys at once.
FIRST_KEY = 60.0
# How long Orca may take to say what a key brought.
SAYS = 30.0
MOST_TABS = 12
SPEECH = re.compile(r"SPEECH OUTPUT: '(.*?)'(?:\{.*\})?\s*$")

# What Orca must have spoken: a description and a pattern over all its speech.
EXPECTED = [
    ("the start announcement", re.escape(STARTED)),
    ("the figure's text alternative", r"図１は"),
    ("the answered item", r"解答済み|1-A1 page tab"),
    ("the score", r"\d+ 点"),
    ("the pass-line verdict", r"合格率 ０％|進学は無茶です"),
]


class Orca:
    """Orca, its debug output read as it writes it: the debug file is a pseudo-terminal, which
    Python writes line by line (a plain file only fills as Orca ends)."""

    def __init__(self, copy_to):
        master, slave = pty.openpty()
        tty.setraw(slave)
        self.lines, self.copy = [], open(copy_to, "w", encoding="utf-8")
        self.process = subprocess.Popen(
            ["orca", "-d", "braille", "-d", "braille-monitor", "--debug-file",
             os.ttyname(slave)], stdout=subprocess.DEVNULL, stderr=subprocess.STDOUT)
        # The terminal stays open here too: while no one holds it, reading it fails.
        self.slave = slave
        self.reader = threading.Thread(target=self._read, args=(master,), daemon=True)
        self.reader.start()

    def _read(self, master):
        pending = b""
        while True:
            try:
                chunk = os.read(master, 65536)
            except OSError:
                break
            if not chunk:
                break
            pending += chunk
            *complete, pending = pending.split(b"\n")
            for raw in complete:
                line = raw.decode("utf-8", "replace").rstrip("\r")
                self.copy.write(line + "\n")
                self.lines.append(line)

    def spoken(self, start=0):
        return [m.group(1) for m in map(SPEECH.search, self.lines[start:]) if m]

    def mark(self):
        return len(self.lines)

    def says(self, pattern, since=0, timeout=SAYS, what=None):
        """Waits until Orca has spoken something that matches since the mark; True if it did."""
        found = wait_for(lambda: any(re.search(pattern, p) for p in self.spoken(since)), timeout,
                         what=what or pattern)
        print(f"orca: {'heard' if found else 'NOT heard'} {what or pattern}", flush=True)
        return bool(found)

    def stop(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        os.close(self.slave)
        self.reader.join(timeout=5)
        self.copy.close()


def drive(debug_copy):
    exam = ExamWindow()
    orca = Orca(debug_copy)
    try:
        session(exam, orca)
    finally:
        orca.stop()


def session(exam, orca):
    orca.says(r"Screen reader on", timeout=FIRST_KEY, what="Orca to start")
    watch = FocusWatch()
    focus_window(exam.frame)
    start = exam.buttons[START]
    wait_until(lambda: has_state(start, State.FOCUSED), what="Start to have the focus")

    def focused():
        return watch.current()

    def key(keys, test, what, timeout=5.0):
        press_keys(*keys.split())
        return wait_until(lambda: focused() is not None and test(focused()), timeout, what=what)

    def key_until(keys, test, what):
        for _ in range(MOST_TABS):
            moves = watch.moves
            press_keys(keys)
            wait_until(lambda: watch.moves > moves, what=f"{keys} to move the focus")
            if test(focused()):
                return focused()
        raise TimeoutError(what)

    booklet, sheet = exam.booklet, exam.sheet
    # A harmless first key and back: it waits for Orca.
    key("Tab", lambda f: is_within(f, booklet), "the first key to pass through Orca", FIRST_KEY)
    mark = orca.mark()
    key("shift+Tab", lambda f: f == start, "Shift+Tab back to Start")
    orca.says("スタート", mark, what="Start, focused again")

    mark = orca.mark()
    press_keys("space")
    wait_until(exam.time_display, what="Space on Start to start the countdown")
    text = exam.tree.one(Role.TEXT, "問題", within=booklet)
    wait_until(lambda: focused() == text, what="the focus to go to the booklet's text")
    orca.says(re.escape(STARTED), mark, what="the start announcement")

    key("shift+Tab", lambda f: is_within(f, booklet) and f != text, "Shift+Tab to the tabs")
    press_keys("Right")
    figure_tab = tabs_of(booklet)[1]
    wait_until(lambda: is_selected(figure_tab), what="Right to select 図１")
    figure = exam.tree.one(Role.IMAGE, "図１", within=booklet)
    mark = orca.mark()
    key("Tab", lambda f: f == figure, "Tab onto the figure 図１")
    orca.says("図１は", mark, what="the figure 図１ and its text alternative")

    key_until("Tab", lambda f: is_within(f, sheet), "Tab to the answer sheet")
    first_item = tabs_of(sheet)[0]
    box = Snapshot(exam.sheet).all(Role.CHECK_BOX, "④")[0]
    mark = orca.mark()
    key("4", lambda f: f == box, "4 to put the focus on ④ of 1-A1")
    wait_until(lambda: is_checked(box), what="4 to tick ④")
    wait_until(lambda: first_item.get_description() == "解答済み", what="1-A1 to be answered")
    orca.says("④", mark, what="the box ④")
    mark = orca.mark()
    key_until("shift+Tab", lambda f: f == first_item, "Shift+Tab back to the tab of 1-A1")
    orca.says("解答済み", mark, what="the tab 1-A1, answered")

    score_button = exam.buttons[SCORE]
    key_until("shift+Tab", lambda f: f == score_button, "Shift+Tab to 得　点")
    mark = orca.mark()
    press_keys("space")
    wait_until(lambda: any(d.get_name() == score_name(3) for d in exam.displays),
               what="the score 3 点")
    orca.says(score_name(3), mark, what="the score")

    key("Tab", lambda f: f == exam.buttons[PASS_RATE], "Tab to 合格率")
    mark = orca.mark()
    press_keys("space")
    window = wait_until(lambda: exam.top_windows(PASS_LINE), what="the pass-line window")[0]
    orca.says("進学は無茶です", mark, what="the pass-line verdict")
    if not has_state(window, State.ACTIVE):
        focus_window(window)  # no window manager: the student clicks on it
    mark = orca.mark()
    press_keys("Escape")
    wait_until(lambda: not exam.top_windows(PASS_LINE), what="Esc to close the window")
    wait_until(lambda: has_state(exam.buttons[PASS_RATE], State.FOCUSED),
               what="the focus back on 合格率")
    orca.says("合格率", mark, what="合格率, focused again after Esc")
    watch.close()


def spoken(debug_file):
    with open(debug_file, encoding="utf-8", errors="replace") as lines:
        return [m.group(1) for m in map(SPEECH.search, lines) if m]


def check(debug_file):
    speech = spoken(debug_file)
    print(f"== what Orca spoke ({len(speech)} phrases)")
    for phrase in speech:
        print(f"   {phrase}")
    everything = "\n".join(speech)
    missing = [what for what, pattern in EXPECTED if not re.search(pattern, everything)]
    for what, pattern in EXPECTED:
        print(f"   {'MISSING' if what in missing else 'ok     '} {what}")
    return 1 if missing else 0


if __name__ == "__main__":
    if sys.argv[1:2] == ["drive"] and len(sys.argv) == 3:
        drive(sys.argv[2])
    elif sys.argv[1:2] == ["check"] and len(sys.argv) == 3:
        sys.exit(check(sys.argv[2]))
    else:
        sys.exit("usage: orca_session.py drive DEBUG_FILE | check DEBUG_FILE")

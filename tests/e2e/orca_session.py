"""A short session of the program read by Orca: scripts/orca runs the program, a sound server,
speech-dispatcher and Orca on a virtual X screen in a D-Bus session, then this driver.

    orca_session.py drive F   starts Orca with its debug output copied to F and presses real
                              keys (xdotool), waiting after each on what the program reports
                              through the accessibility bus and on what Orca says
    orca_session.py check F   prints what Orca spoke (the SPEECH OUTPUT lines of its debug
                              file F) and exits non-zero unless it spoke the start, a figure's
                              text alternative, a second tick once, the score with the count of
                              right items, 正解 on the right item's tab and not on the wrong
                              one's, 複数選択 on the double-ticked one's, the verdict once, and
                              the focused control after Esc

The session: Tab and Shift+Tab first (Orca's first key event can take half a minute to pass),
Space on Start; in the booklet 4 twice (ticks and clears ④ of 1-A1), Ctrl+Tab and
Ctrl+Shift+Tab, Ctrl+T (the time left), F10 (the menu) and Esc twice; Shift+Tab to the booklet's
tabs, Right to 図１, Tab onto the figure, Down (its next sentence), Tab on to
the answer sheet, 4 ticks ④ of 1-A1 (right, 3 points), Ctrl+Tab and 1 tick ① of 1-A2 (wrong),
Ctrl+Tab, 1 and 2 tick ① and ② of 1-A3, Shift+Tab back to its tab, Shift+Tab to 得　点 and Space,
Tab to 合格率, Tab to the tab of 1-A3, Left to 1-A2 and 1-A1, Shift+Tab to 合格率 and Space, Esc
closes the pass-line window; Shift+Tab back to Start and Space, with 図１ in view: the start is
heard before anything the focus on the figure brings.
"""

import json
import os
import pty
import re
import signal
import subprocess
import sys
import threading
import tty
from pathlib import Path

from tamsel_e2e import (CHOICES, ExamWindow, focus_window, FocusWatch, has_state, is_checked,
                        is_selected, is_within, pages_of, PASS_LINE, PASS_RATE, press_keys, Role,
                        SCORE, score_name, SHEET_TABS, Snapshot, START, State, STARTED, tabs_of,
                        wait_for, wait_until)

# Orca passes the first key on after up to half a minute; later keys at once.
FIRST_KEY = 60.0
# How long Orca may take to say what a key brought.
SAYS = 30.0
MOST_TABS = 12
SPEECH = re.compile(r"SPEECH OUTPUT: '(.*?)'(?:\{.*\})?\s*$")

ANSWERED, DOUBLE, RIGHT = "解答済み", "複数選択", "正解"
# Orca's words for the roles, in the session's language (scripts/orca runs it in Japanese).
NOTIFICATION, PUSH_BUTTON, PAGE_TAB, FRAME, IMAGE = "通知", "プッシュボタン", "ページタブ", "フレーム", "画像"
MARKED = f"{score_name(3)}。34 問中 1 問正解"
VERDICT = "進学は無茶です"
# What Orca must have spoken: a description, a pattern over its phrases, and how many phrases
# match it (None: at least one).
EXPECTED = [
    ("the start announcement", re.escape(STARTED), None),
    ("the figure's text alternative", r"図１は", None),
    ("the second tick, once", rf"^{NOTIFICATION} {DOUBLE}\.?$", 1),
    ("the score and the right items", re.escape(MARKED), None),
    ("the pass-line verdict, once", VERDICT, 1),
    ("4 in the booklet, with its item and choice", rf"^{NOTIFICATION} 1-A1 ④ チェック\.?$", 1),
    ("4 again, cleared", rf"^{NOTIFICATION} 1-A1 ④ チェックなし\.?$", 1),
    ("Ctrl+Tab from the booklet, with the item reached", rf"^{NOTIFICATION} 1-A2 未解答\.?$", 1),
    ("Ctrl+Shift+Tab back", rf"^{NOTIFICATION} 1-A1 未解答\.?$", 1),
    ("Ctrl+T, the time left", rf"^{NOTIFICATION} あと \d+ 分\.?$", 1),
    ("F10, the menu bar's first menu", r"^ゲーム\(G\)", None),
]
FIGURE_TEXT = "図１は"
# The figure's second sentence, which Down on it reads.
SECOND_SENTENCE = json.loads((Path(__file__).resolve().parents[2] / "content"
                              / "figure-descriptions.json").read_text(encoding="utf-8")
                             )["figure1.jpg"].split("。")[1] + "。"
# What Orca must have said of a tab the last time it came to it: the phrase after its name.
TAB_SAYS = [
    ("1-A1, right, says 正解", "1-A1", f"{ANSWERED}、{RIGHT}."),
    ("1-A2, wrong, does not", "1-A2", f"{ANSWERED}."),
    ("1-A3, double-ticked, says 複数選択", "1-A3", f"{DOUBLE}."),
]
# What Orca must have said after Esc closed the pass-line window: the exam window, then the
# control that has the focus again.
AFTER_ESC = [f"問題 （Tamsel） {FRAME}.", f"合格率 {PUSH_BUTTON}."]


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

    for keys, pattern, what in [
            ("4", r"1-A1 ④ チェック\.?$", "4 in the booklet"),
            ("4", "1-A1 ④ チェックなし", "4 again"),
            ("ctrl+Tab", "1-A2 未解答", "Ctrl+Tab from the booklet"),
            ("ctrl+shift+Tab", "1-A1 未解答", "Ctrl+Shift+Tab back"),
            ("ctrl+t", rf"^{NOTIFICATION} あと \d+ 分", "Ctrl+T"),
            ("F10", r"^ゲーム\(G\)", "F10")]:
        mark = orca.mark()
        press_keys(keys)
        orca.says(pattern, mark, what=what)
    press_keys("Escape")
    press_keys("Escape")
    wait_until(lambda: focused() == text, what="Esc twice to leave the menu for the booklet")

    key("shift+Tab", lambda f: is_within(f, booklet) and f != text, "Shift+Tab to the tabs")
    press_keys("Right")
    figure_tab = tabs_of(booklet)[1]
    wait_until(lambda: is_selected(figure_tab), what="Right to select 図１")
    figure = exam.tree.one(Role.IMAGE, "図１", within=booklet)
    mark = orca.mark()
    key("Tab", lambda f: f == figure, "Tab onto the figure 図１")
    orca.says("図１は", mark, what="the figure 図１ and its text alternative")
    mark = orca.mark()
    press_keys("Down")
    orca.says(re.escape(SECOND_SENTENCE), mark, what="Down on the figure, its next sentence")

    key_until("Tab", lambda f: is_within(f, sheet), "Tab to the answer sheet")
    item_tabs = tabs_of(sheet)
    boxes = Snapshot(exam.sheet)
    pages = pages_of(sheet)

    def tick(item, choice):
        box = boxes.one(Role.CHECK_BOX, CHOICES[choice - 1], within=pages[item - 1])
        key(str(choice), lambda f: f == box, f"{choice} to put the focus on its box of item {item}")
        wait_until(lambda: is_checked(box), what=f"{choice} to tick its box of item {item}")

    def page_to(item):
        press_keys("ctrl+Tab")
        wait_until(lambda: is_selected(item_tabs[item - 1]), what=f"Ctrl+Tab to item {item}")

    mark = orca.mark()
    tick(1, 4)
    wait_until(lambda: item_tabs[0].get_description() == ANSWERED, what="1-A1 to be answered")
    orca.says("④", mark, what="the box ④")
    page_to(2)
    tick(2, 1)
    page_to(3)
    tick(3, 1)
    mark = orca.mark()
    tick(3, 2)
    orca.says(DOUBLE, mark, what="the second tick on 1-A3")
    mark = orca.mark()
    key_until("shift+Tab", lambda f: f == item_tabs[2], "Shift+Tab back to the tab of 1-A3")
    orca.says(DOUBLE, mark, what="the tab 1-A3, double-ticked")

    score_button = exam.buttons[SCORE]
    key_until("shift+Tab", lambda f: f == score_button, "Shift+Tab to 得　点")
    mark = orca.mark()
    press_keys("space")
    wait_until(lambda: any(d.get_name() == score_name(3) for d in exam.displays),
               what="the score 3 点")
    orca.says(re.escape(MARKED), mark, what="the score and the right items")

    key("Tab", lambda f: f == exam.buttons[PASS_RATE], "Tab to 合格率")
    key("Tab", lambda f: f == item_tabs[2], "Tab on to the tab of 1-A3")
    for item in (2, 1):
        mark = orca.mark()
        key("Left", lambda f: f == item_tabs[item - 1], f"Left to the tab of item {item}")
        orca.says(f"{SHEET_TABS[item - 1]} {PAGE_TAB}", mark, what=f"the tab of item {item}")
    key("shift+Tab", lambda f: f == exam.buttons[PASS_RATE], "Shift+Tab back to 合格率")

    mark = orca.mark()
    press_keys("space")
    window = wait_until(lambda: exam.top_windows(PASS_LINE), what="the pass-line window")[0]
    if not has_state(window, State.ACTIVE):
        focus_window(window)  # no window manager: the student clicks on it
    orca.says(VERDICT, mark, what="the pass-line verdict")
    orca.says("大学別合格ライン", mark, what="the focused text box of the pass-line window")
    mark = orca.mark()
    press_keys("Escape")
    wait_until(lambda: not exam.top_windows(PASS_LINE), what="Esc to close the window")
    wait_until(lambda: has_state(exam.buttons[PASS_RATE], State.FOCUSED),
               what="the focus back on 合格率")
    orca.says("合格率", mark, what="合格率, focused again after Esc")

    # Start again, 図１ still in view: Start sends the focus onto the figure.
    mark = orca.mark()
    key_until("shift+Tab", lambda f: f == start, "Shift+Tab back to Start")
    orca.says(f"スタート {PUSH_BUTTON}", mark, what="Start, focused again")
    mark = orca.mark()
    press_keys("space")
    wait_until(lambda: focused() == figure, what="the focus to go to the figure in view")
    orca.says(re.escape(STARTED), mark, what="the start announcement, 図１ in view")
    watch.close()


def spoken(debug_file):
    with open(debug_file, encoding="utf-8", errors="replace") as lines:
        return [m.group(1) for m in map(SPEECH.search, lines) if m]


def check(debug_file):
    speech = spoken(debug_file)
    print(f"== what Orca spoke ({len(speech)} phrases)")
    for phrase in speech:
        print(f"   {phrase}")
    results = []
    expected = EXPECTED + [("Down on the figure, its second sentence alone",
                            rf"^{re.escape(SECOND_SENTENCE)}$", 1)]
    for what, pattern, count in expected:
        heard = sum(1 for phrase in speech if re.search(pattern, phrase))
        results.append((what, heard == count if count else heard > 0, f"{heard} times"))
    for what, caption, said in TAB_SAYS:
        names = [i for i, phrase in enumerate(speech) if phrase.startswith(f"{caption} {PAGE_TAB}")]
        last = speech[names[-1] + 1] if names and names[-1] + 1 < len(speech) else None
        results.append((what, last == said, repr(last)))
    # The last Start: nothing of the figure it focuses comes before its announcement.
    starts = [i for i, phrase in enumerate(speech) if phrase.startswith(f"スタート {PUSH_BUTTON}")]
    started = [i for i, phrase in enumerate(speech) if re.search(re.escape(STARTED), phrase)]
    between = speech[starts[-1] + 1:started[-1]] if starts and started else None
    results.append(("the start heard first, 図１ in view",
                    between is not None and started[-1] > starts[-1]
                    and not any(FIGURE_TEXT in phrase or f"図１ {IMAGE}" in phrase
                                for phrase in between), between))
    esc = [i for i, phrase in enumerate(speech) if phrase == AFTER_ESC[0]]
    after = speech[esc[-1]:esc[-1] + len(AFTER_ESC)] if esc else []
    results.append(("after Esc, the exam window and 合格率", after == AFTER_ESC, after))
    for what, ok, detail in results:
        print(f"   {'ok     ' if ok else 'MISSING'} {what} ({detail})")
    return 0 if all(ok for _, ok, _ in results) else 1


if __name__ == "__main__":
    if sys.argv[1:2] == ["drive"] and len(sys.argv) == 3:
        drive(sys.argv[2])
    elif sys.argv[1:2] == ["check"] and len(sys.argv) == 3:
        sys.exit(check(sys.argv[2]))
    else:
        sys.exit("usage: orca_session.py drive DEBUG_FILE | check DEBUG_FILE")

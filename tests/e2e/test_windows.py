"""The windows beside the exam window, end to end: 合格率 opens the pass-line window of the score's
band (no copy on a second press), the help window opens from the menu with
real key presses while the countdown runs, and ゲーム → 終了 closes every window, the exam window
first, and ends the program at once with status 0. Every window that opens is a window to a screen
reader and shows its document from the top, in a named text box. A pass-line window is described
by its badge and message, which a screen reader says with its name as it comes up with the
keyboard, when it opens and when 合格率 raises it again, and no announcement repeats them; Esc
closes it, and the exam window has the keyboard back with the focus where it was.

A screenshot of the windows where the program puts them (their placement on screens of every
size is the screens test's).

Run it through tests/e2e/run with a faketime wrapper, as ctest does:
    tests/e2e/run build/ci/tamsel tests/e2e/test_windows.py \
        -- faketime -f "@2026-12-08 10:15:40 x20"
"""

import sys
import time

from tamsel_e2e import (Atspi, box_of, check_screenshot, clock_speed, do_action, document_text,
                        ExamWindow, focus_window, GAME_MENU, has_state, HELP, HELP_MENU, HELP_TEXT,
                        is_showing, is_within, KEY, Listener, pages_of, PASS_LINE, PASS_LINE_TEXT,
                        PASS_RATE, POINTS, press, press_keys, process_tree, program_alive,
                        program_exit_status, program_pid, Report, Role, SCORE, score_name,
                        select_tab, SHEET_TABS, Snapshot, START, State, tabs_of, text_boxes,
                        TIME_NAME, time_name, toggle, wait_early_in_a_minute, wait_for,
                        wait_program_exit, wait_until, WINDOW, x_windows)

SPEED = clock_speed(20)
# How long to watch for something that must not happen: a window shows within a few tenths.
NOTHING_HAPPENS = 1.5


# The first marking gets items 1-5 right: 17 points, in the band from 1 to 39.
FIRST_ITEMS = SHEET_TABS[:5]
FIRST_SCORE = sum(POINTS[:5])
LOW_BAND = (" 合格率 ０％", " 進学は無茶です。 金属バットは捨てておきましょう。")
# What a screen reader hears of that window: its badge and message.
LOW_VERDICT = "合格率 ０％ 進学は無茶です。 金属バットは捨てておきましょう。"
TOP_BAND = (" 合格率 ９９％", " あなたは八百長です。 一流大学でも不正入試できるでしょう。")

report = Report("pass-line and help windows, and the exit command, end to end")
ui = {}


# ----------------------------------------------------------------------------------------------
# The program's windows and widgets

def top_windows(name=None):
    return ui["exam"].top_windows(name)


def labels_of(window):
    return [n.get_name() for n in Snapshot(window).all(Role.LABEL)]


def check_new_window(window, what, text_name):
    """What holds for every window the program opens beside the exam window."""
    report.check(is_showing(window), f"{what} is on screen")
    report.equal(window.get_role().value_nick, Role.FRAME.value_nick,
                 f"{what} is a window (frame) to a screen reader")
    report.equal([b.get_name() for b in text_boxes(window)], [text_name],
                 f"{what} holds one text box named {text_name!r}")
    scrolled = [f"{Atspi.Value.get_current_value(b):g} of "
                f"{Atspi.Value.get_minimum_value(b):g}..{Atspi.Value.get_maximum_value(b):g}"
                for b in Snapshot(window).all(Role.SCROLL_BAR)
                if is_showing(b) and "Value" in b.get_interfaces()
                and Atspi.Value.get_current_value(b) != Atspi.Value.get_minimum_value(b)]
    report.equal(scrolled, [], f"{what} shows its document from the top")


def time_text():
    return ui["time_label"].get_name()


def score_text():
    return ui["score_label"].get_name()


def tick_keyed_answers(captions, seen_times=None):
    """Selects each item's tab and ticks its right choice; notes the time display on the way."""
    for caption in captions:
        tab = ui["tabs"][SHEET_TABS.index(caption)]
        target = box_of(ui["boxes_by_tab"][caption], KEY[SHEET_TABS.index(caption)], caption)
        select_tab(tab)
        wait_until(lambda: is_showing(target), what=f"the boxes of {caption} to show")
        toggle(target)
        if seen_times is not None and time_text() != seen_times[-1]:
            seen_times.append(time_text())


def score_and_wait():
    """Presses 得　点 on a sheet whose score display is empty and returns the score it shows."""
    press(ui[SCORE])
    return wait_until(score_text, what="the score display to show a score")


def start_early_in_a_minute():
    """Presses Start early in a clock minute, so that 1:00 stands long enough to be read."""
    wait_early_in_a_minute(SPEED)
    press(ui[START])
    return wait_until(lambda: TIME_NAME.match(time_text()) and time_text(),
                      what="the time display to show the remaining time")


# ----------------------------------------------------------------------------------------------

def step_window():
    ui["exam"] = exam = ExamWindow()
    ui["program"] = exam.app.get_process_id()
    ui["processes"] = process_tree(program_pid()) if program_pid() else {ui["program"]}
    report.check(ui["program"] in ui["processes"], "the application on the bus is the started "
                 "program", ui["program"])
    ui.update(exam.buttons)
    report.check(exam.sheet is not None, "one tab list with the 34 items")
    ui["tabs"] = tabs_of(exam.sheet)
    report.equal([t.get_name() for t in ui["tabs"]], SHEET_TABS, "the answer sheet's tabs")
    ui["boxes"] = exam.tree.all(Role.CHECK_BOX)
    ui["boxes_by_tab"] = {c: exam.tree.all(Role.CHECK_BOX, within=page)
                          for c, page in zip(SHEET_TABS, pages_of(exam.sheet))}
    report.equal(len(exam.displays), 2, "two empty displays (time and score) at start")
    report.equal([w.get_name() for w in top_windows()], [WINDOW], "the exam window is the only "
                 "window")


def verdicts(window):
    """The announcements heard from inside window, in order."""
    return [e.name for e in ui["heard"].of("object:state-changed:showing", Role.NOTIFICATION,
                                           detail=1) if is_within(e.source, window)]


def step_first_marking():
    press(ui[START])
    # Start writes the remaining time into one display; the other one is the score.
    ui["time_label"] = wait_until(ui["exam"].time_display,
                                  what="the time display to show the remaining time")
    ui["score_label"] = next(d for d in ui["exam"].displays if d is not ui["time_label"])
    tick_keyed_answers(FIRST_ITEMS)
    report.equal(score_and_wait(), score_name(FIRST_SCORE), f"score of items {FIRST_ITEMS[0]} to "
                 f"{FIRST_ITEMS[-1]} right")
    # 合格率 pressed from the keyboard, as the exam window's user would.
    ui["heard"] = Listener("object:state-changed:showing")
    focus_window(ui["exam"].frame)
    do_action(ui[PASS_RATE], "SetFocus")
    wait_until(lambda: has_state(ui[PASS_RATE], State.FOCUSED), what="合格率 to take the focus")
    press_keys("space")
    window = wait_until(lambda: top_windows(PASS_LINE), what=f"a window {PASS_LINE!r}")[0]
    ui["low"] = window
    check_new_window(window, f"the pass-line window of {FIRST_SCORE} points", PASS_LINE_TEXT)
    report.equal(labels_of(window), list(LOW_BAND), f"its badge and message for {FIRST_SCORE} "
                 "points")
    report.equal(window.get_description(), LOW_VERDICT, "the window is described by them")
    report.check(wait_for(lambda: has_state(window, State.ACTIVE), 2.0),
                 "it opens with the keyboard, so a screen reader says its name and description")
    ui["low_document"] = text = document_text(window)
    report.check(text.strip() and "合格ライン" in text.splitlines()[0],
                 "its box holds the pass-line table, header first", text[:80])

    press(ui[PASS_RATE])
    copies = wait_for(lambda: len(top_windows(PASS_LINE)) > 1, NOTHING_HAPPENS)
    report.check(not copies, "合格率 again in the same band opens no copy",
                 copies and len(top_windows(PASS_LINE)))
    windows = top_windows(PASS_LINE)
    report.check(len(windows) == 1 and windows[0] is window and is_showing(window),
                 "the same pass-line window is still there", len(windows))
    report.check(wait_for(lambda: has_state(window, State.ACTIVE), 2.0),
                 "raised again, it has the keyboard again")
    report.equal(verdicts(window), [], "no announcement says the verdict a second time")


def step_escape_closes():
    window = ui["low"]
    if not has_state(window, State.ACTIVE):
        focus_window(window)  # without a window manager a new window may not get the keyboard
    press_keys("Escape")
    wait_until(lambda: not top_windows(PASS_LINE), what="Esc to close the pass-line window")
    report.check(True, "Esc closes the pass-line window")
    active = wait_for(lambda: has_state(ui["exam"].frame, State.ACTIVE), 2.0)
    report.check(active, "the exam window has the keyboard back")
    report.check(wait_for(lambda: has_state(ui[PASS_RATE], State.FOCUSED), 2.0),
                 "the focus is back on 合格率, where it was")
    ui["heard"].close()
    # Opened again, it shows the same verdict.
    press(ui[PASS_RATE])
    ui["low"] = window = wait_until(lambda: top_windows(PASS_LINE),
                                    what=f"the window {PASS_LINE!r} again")[0]
    report.equal(labels_of(window), list(LOW_BAND), "opened again, it has the same badge and "
                 "message")
    ui["low_document"] = document_text(window)


def step_second_marking():
    seen = [start_early_in_a_minute()]
    report.equal(seen[0], time_name(60), "Start shows one hour")
    report.equal(score_text(), "", "Start empties the score display")
    tick_keyed_answers(SHEET_TABS[5:], seen)
    wait_until(lambda: time_text() != time_name(60), timeout=60 / SPEED + 2,
               what="the time display to move from 1:00")
    if time_text() != seen[-1]:
        seen.append(time_text())
    expected = [time_name(m) for m in range(60, 60 - len(seen), -1)]
    report.equal(seen, expected, "the display counts down from 1:00 while the student answers")

    report.equal(score_and_wait(), score_name(100), "score of every item right")
    press(ui[PASS_RATE])
    both = wait_until(lambda: len(top_windows(PASS_LINE)) == 2 and top_windows(PASS_LINE),
                      what=f"a second window {PASS_LINE!r}")
    ui["top"] = window = next(w for w in both if w is not ui["low"])
    check_new_window(window, "the pass-line window of 100 points", PASS_LINE_TEXT)
    report.equal(labels_of(window), list(TOP_BAND), "its badge and message for 100 points")
    ui["top_document"] = document_text(window)
    report.check(bool(ui["top_document"].strip()), "its box holds the pass-line table")
    report.check(is_showing(ui["low"]), f"the window of {FIRST_SCORE} points is still on screen")
    report.equal(labels_of(ui["low"]), list(LOW_BAND), f"the window of {FIRST_SCORE} points "
                 "keeps its badge and message")
    report.check(document_text(ui["low"]) == ui["low_document"],
                 f"the window of {FIRST_SCORE} points keeps its table")


def step_help_during_countdown():
    press(ui[START])
    wait_until(lambda: TIME_NAME.match(time_text()), what="the countdown to start")
    wait_until(lambda: not has_state(ui[START], State.ENABLED), what="Start to turn unavailable")
    ui["exam"].choose_from_menu(HELP_MENU, "h", "a")
    ui["help"] = window = wait_until(lambda: top_windows(HELP), what=f"a window {HELP!r}")[0]
    shown_at = time_text()
    watched_from = time.monotonic()
    check_new_window(window, "the help window", HELP_TEXT)
    report.check(bool(document_text(window).strip()), "the help window holds its document")

    ui["exam"].choose_from_menu(HELP_MENU, "h", "a")
    copies = wait_for(lambda: len(top_windows(HELP)) > 1, NOTHING_HAPPENS)
    windows = top_windows(HELP)
    report.check(not copies and len(windows) == 1 and windows[0] is window,
                 "the menu command again opens no second help window", len(windows))
    report.equal(sorted(w.get_name() for w in top_windows()), sorted([WINDOW, PASS_LINE,
                 PASS_LINE, HELP]), "the windows now open")

    # The help window is modeless: the countdown goes on and the answer sheet still answers.
    moved = wait_for(lambda: time_text() != shown_at and time_text(),
                     max(0.1, watched_from + 6 - time.monotonic()))
    report.check(moved, "the countdown keeps moving while the help window is open",
                 f"still {shown_at} after 6 s" if not moved else f"{shown_at} → {moved}")
    disabled = [f"{c} {b.get_name()}" for c, boxes in ui["boxes_by_tab"].items() for b in boxes
                if not has_state(b, State.ENABLED)]
    report.equal(disabled, [], "every box of the answer sheet stays available")
    report.check(not has_state(ui[START], State.ENABLED), "Start stays unavailable: the attempt "
                 "runs on")


def step_screenshot():
    check_screenshot(report, "e2e_windows.png")


def step_exit():
    # The windows' order of going comes from the events a screen reader gets: "showing" turns off
    # for each window as it closes. The bridge sends events only to listeners it knows of, so the
    # menu's own event proves the listener is heard before the command is chosen.
    order = {"exam window": ui["exam"].frame, "pass-line window of 100 points": ui["top"],
             f"pass-line window of {FIRST_SCORE} points": ui["low"], "help window": ui["help"]}
    popup = ui["exam"].menu_popup(GAME_MENU)
    listener = Listener("object:state-changed:showing", names=False)
    exited = {}

    def choose_exit():
        wait_until(lambda: any(e.source is popup and e.detail for e in listener.pump()),
                   what="the menu's event to reach the listener")
        listener.events.clear()
        exited["pressed"] = time.monotonic()

    ui["exam"].choose_from_menu(GAME_MENU, "g", "q", before_command=choose_exit)
    gone = wait_program_exit(5)
    took = time.monotonic() - exited["pressed"]
    report.check(gone, "終了 ends the program within 5 s", f"{took:.2f} s")
    print(f"   the program ended {took:.2f} s after the key press")
    report.equal(program_exit_status(), 0, "the program's exit status")
    leftover = [p for p in ui["processes"] if program_alive(p)]
    report.equal(leftover, [], "none of its processes is left")
    report.equal(x_windows(ui["program"]), [], "no window of it is left on the screen")

    # Every hide event was sent before the program ended; read what the bus still holds.
    def hidden():
        return [name for e in listener.pump() if not e.detail
                for name, node in order.items() if e.source is node]

    deadline = time.monotonic() + 3
    while len(set(hidden())) < len(order) and time.monotonic() < deadline:
        time.sleep(0.02)
    report.equal(hidden(), list(order), "the windows close in the order of the exit command")
    listener.close()


sys.exit(report.run([
    ("the exam window comes up", step_window),
    ("a first marking and its pass-line window", step_first_marking),
    ("Esc closes the pass-line window", step_escape_closes),
    ("every item right: a second pass-line window", step_second_marking),
    ("the help window by keyboard while the countdown runs", step_help_during_countdown),
    ("screenshot", step_screenshot),
    ("ゲーム → 終了 by keyboard", step_exit),
]))

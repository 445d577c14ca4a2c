"""The answer sheet end to end: a student ticks boxes with the mouse and through the accessibility
actions, moves between tabs, presses 得　点 and sees the score and the 正解 marks. Each item's tab
tells a screen reader whether the item is answered ("未解答", "解答済み"), as the boxes change; the
rows of tabs stay where they are when a tab of a back row is chosen.

Run it through tests/e2e/run, as ctest does:
    tests/e2e/run build/ci/tamsel tests/e2e/test_answer_sheet.py
"""

import re
import sys

from tamsel_e2e import (action_names, BOOKLET_TABS, box_of, check_screenshot, children, CHOICES,
                        click, do_action, ExamWindow, full_text, has_state, is_checked,
                        is_selected, is_showing, KEY, pages_of, press, process_tree,
                        program_pid, Report, Role, SCORE, score_name, screen_extents, select_tab,
                        SHEET_TABS, START, State, tabs_of, text_boxes, toggle, WINDOW, wait_until)

MARK, FRAME = "正解", "答え"
ANSWERED, UNANSWERED = "解答済み", "未解答"

# The six questions' headings as the booklet's text reads them, with their weights.
HEADING = re.compile(r"^第([１２3-6])問\u3000.*（配点\u3000(\d+)）$")
HEADINGS = [("１", "17"), ("２", "16"), ("3", "17"), ("4", "17"), ("5", "16"), ("6", "17")]

# What the student ticks, by tab, and how: right answers on 1-A1 (3 points), 1-A3 (4 points) and
# 4-B3-6 (2 points: ⑦ lies beyond the boxes that item reads, so ⑤ alone decides); 4-B3-7 has its
# right box together with a wrong one, and 6-A2 only a wrong one, so neither scores.
RIGHT_TABS = {"1-A1", "1-A3", "4-B3-6"}
EXPECTED_SCORE = 3 + 4 + 2

report = Report("answer sheet, end to end")
ui = {}        # what the steps find and share
ticked = []    # check boxes this run has ticked


def box(caption, choice):
    """The check box for choice (1 = ①) of the item on tab caption."""
    return box_of(boxes_of(caption), choice, caption)


def boxes_of(caption):
    return ui["boxes_by_tab"][caption]


def tab(caption):
    return ui["sheet_tabs"][SHEET_TABS.index(caption)]


def page_of(caption):
    return ui["sheet_pages"][SHEET_TABS.index(caption)]


def mark_of(caption):
    return ui["marks"][SHEET_TABS.index(caption)]


def score_text():
    return ui["score_label"].get_name()


def wait_page_shown(caption, previous=None):
    """Waits until the page of caption is on screen with its boxes and the page of previous is
    not."""
    own = [page_of(caption)] + boxes_of(caption)
    gone = [page_of(previous)] if previous and previous != caption else []

    def shown():
        return all(is_showing(n) for n in own) and not any(is_showing(n) for n in gone)

    wait_until(shown, what=f"the page of {caption} to come on screen"
               + (f" in place of {previous}" if gone else ""))


def selected_sheet_tab():
    selected = [t.get_name() for t in ui["sheet_tabs"] if is_selected(t)]
    assert len(selected) == 1, f"selected answer sheet tabs: {selected}"
    return selected[0]


def go_to(caption):
    """Selects the tab of caption through its action and waits until its page is the one shown."""
    previous = ui.get("current") or selected_sheet_tab()
    select_tab(tab(caption))
    wait_page_shown(caption, previous)
    ui["current"] = caption


def failures_of(items, test):
    """The items for which test fails, for one check over many widgets."""
    return [item for item in items if not test(item)]


# ----------------------------------------------------------------------------------------------

def step_window():
    ui["exam"] = exam = ExamWindow()
    pid = program_pid()
    if pid is not None:
        report.check(exam.app.get_process_id() in process_tree(pid),
                     "the application on the bus is the started program", exam.app.get_process_id())
    report.check(True, f"window {WINDOW!r} is on screen")
    ui["tree"] = exam.tree


def step_buttons():
    for name, button in ui["exam"].buttons.items():
        ui[name] = button
        report.check("press" in [a.lower() for a in action_names(button)],
                     f"button {name!r} can be pressed", action_names(button))
        for state in (State.ENABLED, State.SENSITIVE, State.SHOWING):
            report.check(has_state(button, state), f"button {name!r} is {state.value_nick}")


def step_labels():
    tree = ui["tree"]
    for text in ("あと 分", "点", "（平均 70,12 点）"):
        report.equal(len(tree.all(Role.LABEL, text)), 1, f"label {text!r} is there")
    empty = tree.all(Role.LABEL, "")
    report.equal(len(empty), 2, "two empty displays (time and score) at start")
    # The score display stands in front of the 点 frame label, the time display in the あと…分 one.
    unit = screen_extents(tree.one(Role.LABEL, "点"))

    def inside(label, outer):
        x, y, w, h = screen_extents(label)
        left, top, width, height = outer
        return left <= x and x + w <= left + width and top <= y + h // 2 <= top + height

    score = [label for label in empty if inside(label, unit)]
    report.equal(len(score), 1, "one empty display stands inside the 点 label")
    ui["score_label"] = score[0]
    ui["time_label"] = next(label for label in empty if label is not score[0])


def step_tab_lists():
    exam = ui["exam"]
    report.equal(len(exam.tab_lists), 2, "two tab lists")
    booklet, sheet = exam.booklet, exam.sheet
    report.check(booklet is not None and sheet is not None, "one list has 8 tabs, the other 34",
                 sorted(len(tabs_of(t)) for t in exam.tab_lists))
    ui["booklet"], ui["sheet"] = booklet, sheet
    for tab_list, expected, what in ((booklet, BOOKLET_TABS, "booklet"),
                                     (sheet, SHEET_TABS, "answer sheet")):
        tabs = tabs_of(tab_list)
        report.equal([t.get_name() for t in tabs], expected, f"{what} tabs in order")
        kids = children(tab_list)
        report.check(all(k.get_role() == Role.PAGE_TAB for k in kids[:len(tabs)]),
                     f"{what}: tabs come first among the list's children")
        report.equal(len(pages_of(tab_list)), len(tabs), f"{what}: one page per tab")
        report.equal([t.get_name() for t in tabs if is_selected(t)], [expected[0]],
                     f"{what}: only the first tab is selected")
        report.check(all(a.lower() == "press" for t in tabs for a in action_names(t)[:1]),
                     f"{what}: every tab has an action")
    ui["sheet_tabs"] = tabs_of(sheet)


def step_booklet_headings():
    boxes = text_boxes(pages_of(ui["booklet"])[0])
    report.equal(len(boxes), 1, "the booklet's page holds one text box")
    text = full_text(boxes[0])
    headings = [m.groups() for m in map(HEADING.match, text.splitlines()) if m]
    report.equal(headings, HEADINGS, "the booklet reads its six headings and weights in order")
    report.check("\ufffd" not in text, "no replacement character in the booklet's text")


def step_sheet_contents():
    ui["sheet_pages"] = pages = pages_of(ui["sheet"])
    ui["boxes"], ui["boxes_by_tab"], ui["marks"] = [], {}, []
    # How frames, boxes and marks are named and described is the accessibility test's.
    problems = {"frame": [], "boxes": []}
    for caption, page in zip(SHEET_TABS, pages):
        # A frame shows "答え" and is named with its item.
        frames = [n for n in ui["tree"].all(name=f"{caption} {FRAME}", within=page)
                  if n.get_role() in (Role.PANEL, Role.GROUPING)]
        if len(frames) != 1:
            problems["frame"].append(f"{caption}: {len(frames)}")
        boxes = ui["tree"].all(Role.CHECK_BOX, within=frames[0]) if frames else []
        names = "".join(b.get_name() for b in boxes)
        # 4 to 8 boxes, ① onwards, enough of them to hold the right answer.
        if not (4 <= len(boxes) <= 8 and names == CHOICES[:len(boxes)]
                and len(boxes) >= KEY[SHEET_TABS.index(caption)]):
            problems["boxes"].append(f"{caption}: {names}")
        marks = ui["tree"].all(Role.IMAGE, MARK, within=page)
        ui["boxes"].extend(boxes)
        ui["boxes_by_tab"][caption] = boxes
        ui["marks"].append(marks[0] if marks else None)
    report.check(not problems["frame"], f"every page holds one {FRAME!r} frame", problems["frame"])
    report.check(not problems["boxes"],
                 "every frame holds 4 to 8 boxes ① onwards, the right one among them",
                 problems["boxes"])
    report.check(len(boxes_of("4-B3-6")) >= 7, "4-B3-6 has a ⑦ box", len(boxes_of("4-B3-6")))
    report.equal(failures_of(ui["boxes"], lambda b: not is_checked(b)), [],
                 "no box is ticked at start")
    report.equal(answered_tabs(), [], f"every tab is described {UNANSWERED!r} at start")
    report.equal(failures_of(SHEET_TABS, lambda c: not is_showing(mark_of(c))), [],
                 f"no {MARK!r} shows at start")
    report.equal(failures_of(boxes_of("1-A1"), is_showing), [], "the boxes of 1-A1 show at start")
    report.equal([f"{b.get_description()} {b.get_name()}" for b in ui["boxes"]
                  if b.get_description() != "1-A1" and is_showing(b)], [],
                 "no other item's boxes show at start")
    ui["current"] = "1-A1"


def answered_tabs():
    """The items whose tabs say they are answered; every other tab must say it is not."""
    descriptions = {t.get_name(): t.get_description() for t in ui["sheet_tabs"]}
    odd = {c: d for c, d in descriptions.items() if d not in (ANSWERED, UNANSWERED)}
    assert not odd, f"tabs described neither {ANSWERED!r} nor {UNANSWERED!r}: {odd}"
    return sorted(c for c, d in descriptions.items() if d == ANSWERED)


def ticked_boxes():
    return sorted(f"{b.get_description()} {b.get_name()}" for b in ui["boxes"] if is_checked(b))


def step_tick_by_action():
    go_to("1-A1")
    target = box("1-A1", 4)
    toggle(target)
    ticked.append(target)
    report.check(is_checked(target), "④ of 1-A1 is ticked through its action")
    report.equal(ticked_boxes(), ["1-A1 ④"], "it is the only box ticked")


def click_tick_square(target):
    """Clicks the small square at the left of a check box, where a student would."""
    _, _, _, height = screen_extents(target)
    click(target, dx=8, dy=height // 2)


def step_tick_by_mouse():
    # A real click on a tab in the front row, then on the tick square of ③.
    click(tab("1-A3"))
    wait_until(lambda: is_selected(tab("1-A3")), what="1-A3 to be selected by the click")
    wait_page_shown("1-A3", "1-A1")
    ui["current"] = "1-A3"
    report.check(not is_selected(tab("1-A1")), "1-A1 is no longer selected")
    target = box("1-A3", 3)
    click_tick_square(target)
    wait_until(lambda: is_checked(target), what="③ of 1-A3 to be ticked by the click")
    ticked.append(target)
    report.check(True, "③ of 1-A3 is ticked by a mouse click")
    report.equal(ticked_boxes(), ["1-A1 ④", "1-A3 ③"], "the ticked boxes")


def step_more_answers():
    # 4-B3-6: ⑤ is right and ⑦ is beyond what the item reads.
    # 4-B3-7: ③ is right but ① is ticked too.
    for caption, choices in (("4-B3-6", (5, 7)), ("4-B3-7", (3, 1))):
        go_to(caption)
        for choice in choices:
            target = box(caption, choice)
            toggle(target)
            ticked.append(target)
    report.equal(ticked_boxes(),
                 ["1-A1 ④", "1-A3 ③", "4-B3-6 ⑤", "4-B3-6 ⑦", "4-B3-7 ①", "4-B3-7 ③"],
                 "the ticked boxes")
    # One of two ticked boxes cleared: the item stays answered.
    toggle(box("4-B3-6", 7))
    ticked.remove(box("4-B3-6", 7))
    report.equal(answered_tabs(), ["1-A1", "1-A3", "4-B3-6", "4-B3-7"],
                 f"the tabs of the items with a ticked box, and only those, say {ANSWERED!r}")


def step_back_row_tab():
    back = tab("6-A2")
    rows_before = {t.get_name(): screen_extents(t)[1] for t in ui["sheet_tabs"]}
    front_y = max(rows_before.values())
    report.equal(sorted(set(rows_before.values()), reverse=True),
                 [rows_before[SHEET_TABS[i]] for i in (0, 12, 24)],
                 "three rows of 12 tabs: the first (1-A1 ...) next to the page, the third on top")
    report.check(rows_before["6-A2"] < front_y, "6-A2 stands in a row behind the front one",
                 rows_before["6-A2"])
    go_to("1-A1")
    click(back)
    wait_until(lambda: is_selected(back), what="6-A2 to be selected by the click")
    report.check(is_selected(back), "6-A2 is selected by a mouse click")
    wait_page_shown("6-A2", "1-A1")
    ui["current"] = "6-A2"
    report.equal(failures_of(boxes_of("6-A2"), is_showing), [], "the boxes of 6-A2 show")
    report.equal([b.get_name() for b in boxes_of("1-A1") if is_showing(b)], [],
                 "the boxes of 1-A1 do not")
    report.equal([t.get_name() for t in ui["sheet_tabs"] if is_selected(t)], ["6-A2"],
                 "only 6-A2 is selected")
    # The rows stay where they are: the tab stays under the pointer that chose it.
    rows_after = {t.get_name(): screen_extents(t)[1] for t in ui["sheet_tabs"]}
    moved = {c: (rows_before[c], y) for c, y in rows_after.items() if y != rows_before[c]}
    report.equal(moved, {}, "no tab moves when a back-row tab is chosen")
    # A wrong answer, ticked with the mouse on the page that just came up.
    target = box("6-A2", 1)
    click_tick_square(target)
    wait_until(lambda: is_checked(target), what="① of 6-A2 to be ticked by the click")
    ticked.append(target)
    report.check(True, "① of 6-A2 (wrong) is ticked by a mouse click")
    wait_until(lambda: tab("6-A2").get_description() == ANSWERED,
               what=f"the tab of 6-A2 to say {ANSWERED!r}")


def check_marks(shown_tabs, when):
    """Visits every tab and checks that the mark shows on exactly the pages in shown_tabs."""
    wrong = []
    for caption in SHEET_TABS:
        go_to(caption)
        showing = is_showing(mark_of(caption))
        if showing != (caption in shown_tabs):
            wrong.append(f"{caption} {'shows' if showing else 'hidden'}")
    # A mark never shows on a page that is not on screen.
    others = [c for c in SHEET_TABS if c != ui["current"] and is_showing(mark_of(c))]
    where = f"on {', '.join(sorted(shown_tabs))} only" if shown_tabs else "on no page"
    report.check(not wrong and not others, f"{MARK!r} shows {where} ({when})",
                 "; ".join(wrong + [f"{c} shows off screen" for c in others]) or None)


def step_score():
    press(ui[SCORE])
    text = wait_until(score_text, what="the score display to show a score")
    report.equal(text, score_name(EXPECTED_SCORE), "score after pressing 得　点")
    report.equal(ui["time_label"].get_name(), "", "the time display stays empty")
    report.equal(failures_of(SHEET_TABS, lambda c: not is_showing(mark_of(c))), [],
                 "no mark shows while the wrong 6-A2 is on screen")
    check_marks(RIGHT_TABS, "after scoring")


def step_screenshot():
    go_to("1-A1")
    wait_until(lambda: is_showing(mark_of("1-A1")), what="the mark of 1-A1 to show")
    # The mark stands on the page, left of the boxes, at a size one can see.
    mx, my, mw, mh = screen_extents(mark_of("1-A1"))
    sx, sy, sw, sh = screen_extents(ui["sheet"])
    bx = min(screen_extents(b)[0] for b in boxes_of("1-A1"))
    report.check(mw >= 16 and mh >= 16 and sx <= mx and mx + mw <= bx and sy <= my
                 and my + mh <= sy + sh, "the mark of 1-A1 stands on its page, left of the boxes",
                 {"mark": (mx, my, mw, mh), "sheet": (sx, sy, sw, sh), "first box x": bx})
    check_screenshot(report, "e2e_answer_sheet.png")


def step_score_again_by_mouse():
    # Move focus away, then click 得　点 for real. The click gives the button focus on the press and
    # releases it on the release, so "focused and not pressed" means the click has been handled.
    start, score = ui[START], ui[SCORE]
    do_action(start, "SetFocus")
    wait_until(lambda: has_state(start, State.FOCUSED), what="スタート to take the focus")
    click(score)
    wait_until(lambda: has_state(score, State.FOCUSED) and not has_state(score, State.PRESSED),
               what="得　点 to be clicked")
    report.equal(score_text(), score_name(EXPECTED_SCORE),
                 "the same score after clicking 得　点 again")
    check_marks(RIGHT_TABS, "after scoring again")


def step_untick_and_score_zero():
    for target in ticked:
        go_to(target.get_description())
        toggle(target)
    report.equal(ticked_boxes(), [], "every box is clear again")
    report.equal(answered_tabs(), [], f"every tab says {UNANSWERED!r} again")
    previous = score_text()
    press(ui[SCORE])
    text = wait_until(lambda: score_text() != previous and score_text(),
                      what=f"the score display to change from {previous!r}")
    report.equal(text, score_name(0), "score of an empty sheet")
    check_marks(set(), "after scoring an empty sheet")


sys.exit(report.run([
    ("the exam window comes up", step_window),
    ("its buttons", step_buttons),
    ("its labels", step_labels),
    ("its two tab lists", step_tab_lists),
    ("the booklet's headings", step_booklet_headings),
    ("the answer sheet's pages", step_sheet_contents),
    ("tick ④ of 1-A1 through its action", step_tick_by_action),
    ("tick ③ of 1-A3 with the mouse", step_tick_by_mouse),
    ("tick 4-B3-6 and 4-B3-7", step_more_answers),
    ("select the back-row tab 6-A2 with the mouse", step_back_row_tab),
    ("press 得　点", step_score),
    ("screenshot", step_screenshot),
    ("click 得　点 again", step_score_again_by_mouse),
    ("clear every box and score again", step_untick_and_score_zero),
]))

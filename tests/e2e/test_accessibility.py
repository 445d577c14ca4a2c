"""What a screen reader gets of the exam window, end to end through AT-SPI.

The tree: only windows are frames (the client area is a filler, the figures are images named by
their tabs), the tab lists and the booklet's text box are named, each display follows its frame
text and is labelled by it, each frame is named with its item and labels its boxes, each 正解 mark
is described by its item.

The events, as a listener such as Orca hears them: a tab change deselects the old tab and selects
the new one; focusing a tab list with the Tab key focuses its selected tab; the score after 得　点
and time-up come as a notification that turns showing, while the focus stays where it was, and no
minute of the countdown is announced. Orca speaks a notification as it turns showing, whatever
has the focus.

Run it through tests/e2e/run with a sped-up clock, as ctest does (an hour takes 12 s):
    tests/e2e/run build/ci/tamsel tests/e2e/test_accessibility.py \\
        -- faketime -f "@2026-12-08 10:15:40 x300"
"""

import sys
import time

from tamsel_e2e import (Atspi, BOOKLET_TABS, children, ExamWindow, focus_window, has_state,
                        is_showing, Listener, pages_of, press, press_keys, Report, Role, SCORE,
                        select_tab, START, State, tabs_of, TIME_TEXT, toggle, wait_for,
                        wait_until)

TIME_FRAME, SCORE_FRAME = "あと\u3000 \u3000\u3000分", "点"
BOOKLET, SHEET = "問題冊子", "解答用紙"
TIME_UP = "あと 0:00 分"
# A right answer on the first item, worth 3 points.
FIRST_ITEM, FIRST_RIGHT, FIRST_POINTS = "1-A1", "④", 3
# An hour of the program's clock at 300 times speed, and some to spare.
HOUR = 3600 / 300 + 8

report = Report("what a screen reader gets of the exam window, end to end")
ui = {}


def related(node, relation):
    """The names of the widgets node has the relation to."""
    names = []
    for r in node.get_relation_set():
        if r.get_relation_type() == relation:
            names += [r.get_target(i).get_name() for i in range(r.get_n_targets())]
    return names


# ----------------------------------------------------------------------------------------------

def step_tree():
    ui["exam"] = exam = ExamWindow()
    frame, tree = exam.frame, exam.tree
    report.equal(len(tree.all(Role.FRAME)), 1, "the window is the only frame in it")
    clients = [c for c in children(frame) if c.get_role() != Role.MENU_BAR]
    report.equal([c.get_role().value_nick for c in clients], [Role.FILLER.value_nick],
                 "the client area is a filler")
    ui["client"] = client = clients[0]

    report.equal([n.get_name() for n in tree.all(Role.PAGE_TAB_LIST)], [BOOKLET, SHEET],
                 "the tab lists are named")
    ui["booklet"] = booklet = tree.one(Role.PAGE_TAB_LIST, BOOKLET)
    ui["sheet"] = sheet = tree.one(Role.PAGE_TAB_LIST, SHEET)
    figures = [n.get_name() for n in tree.all(Role.IMAGE, within=booklet)]
    report.equal(figures, BOOKLET_TABS[1:], "each figure is an image named by its tab")
    report.equal([n.get_name() for n in tree.all(Role.TEXT, within=booklet)
                  if "Text" in n.get_interfaces()], ["問題"], "the booklet's text box is named")

    # Reading order and relations of the displays.
    kids = children(client)
    names = [(k.get_role(), k.get_name()) for k in kids]
    for frame_text, what in ((TIME_FRAME, "time"), (SCORE_FRAME, "score")):
        at = names.index((Role.LABEL, frame_text))
        display = kids[at + 1]
        ui[what] = display
        report.check(display.get_role() == Role.LABEL and display.get_name() == "",
                     f"the empty {what} display follows {frame_text!r}", names[at + 1])
        report.equal(related(display, Atspi.RelationType.LABELLED_BY), [frame_text],
                     f"the {what} display is labelled by its frame text")
        report.equal(related(kids[at], Atspi.RelationType.LABEL_FOR), [""],
                     f"{frame_text!r} labels the {what} display")
    ui["notification"] = notification = tree.one(Role.NOTIFICATION)
    report.check(not is_showing(notification), "no announcement is showing at start")

    # Items on the answer sheet.
    problems = []
    ui["sheet_tabs"] = tabs = tabs_of(sheet)
    for tab, page in zip(tabs, pages_of(sheet)):
        item = tab.get_name()
        frames = tree.all(Role.PANEL, within=page)
        if [f.get_name() for f in frames] != [f"{item} 答え"]:
            problems.append(f"{item}: frames {[f.get_name() for f in frames]}")
            continue
        for box in tree.all(Role.CHECK_BOX, within=frames[0]):
            if related(box, Atspi.RelationType.LABELLED_BY) != [f"{item} 答え"] \
                    or box.get_description() != item:
                problems.append(f"{item} {box.get_name()}")
        marks = tree.all(Role.IMAGE, "正解", within=page)
        if [m.get_description() for m in marks] != [item]:
            problems.append(f"{item}: marks {len(marks)}")
    report.equal(problems, [], "every frame is named with its item and labels its boxes, every "
                 "mark is described by its item")
    ui["listener"] = Listener("object:state-changed:showing", "object:state-changed:selected",
                              "object:state-changed:focused")


def step_tab_change():
    listener = ui["listener"]
    tabs = ui["sheet_tabs"]
    # The bridge sends events only to listeners it knows of: change tabs until one is heard.
    heard = None
    for tab in tabs[1:6]:
        select_tab(tab)
        if wait_for(lambda: listener.of("object:state-changed:selected", Role.PAGE_TAB,
                                        tab.get_name(), 1), 1.0):
            heard = tab
            break
    assert heard, "no tab change reached the listener"
    listener.events.clear()
    select_tab(tabs[20])
    listener.wait("object:state-changed:selected", Role.PAGE_TAB, tabs[20].get_name(), 1)
    selected = [(e.name, e.detail) for e in listener.of("object:state-changed:selected")]
    report.equal(selected, [(heard.get_name(), 0), (tabs[20].get_name(), 1)],
                 "a tab change deselects the old tab, then selects the new one")


def step_focus_tab_list():
    listener = ui["listener"]
    focus_window(ui["exam"].frame)
    start = ui["exam"].buttons[START]
    wait_until(lambda: has_state(start, State.FOCUSED), what="Start to have the focus")
    listener.pump()
    listener.events.clear()
    press_keys("Tab")
    booklet_tab = tabs_of(ui["booklet"])[0]
    listener.wait("object:state-changed:focused", Role.PAGE_TAB, booklet_tab.get_name(), 1)
    focused = [(e.role.value_nick, e.name) for e in listener.of("object:state-changed:focused",
                                                                 detail=1)]
    report.equal(focused[-1], (Role.PAGE_TAB.value_nick, BOOKLET_TABS[0]),
                 "Tab onto the booklet viewer leaves the focus on its selected tab")
    report.check(has_state(booklet_tab, State.FOCUSED), "that tab reports itself focused")

    listener.events.clear()
    press_keys("Right")
    listener.wait("object:state-changed:focused", Role.PAGE_TAB, BOOKLET_TABS[1], 1)
    selected = [(e.name, e.detail) for e in listener.of("object:state-changed:selected")]
    report.equal(selected, [(BOOKLET_TABS[0], 0), (BOOKLET_TABS[1], 1)],
                 "Right moves the selection from 問題 to 図１")
    ui["focus"] = tabs_of(ui["booklet"])[1]


def announcements():
    return [e.name for e in ui["listener"].of("object:state-changed:showing", Role.NOTIFICATION,
                                              detail=1)]


def focus_moves():
    return [(e.role.value_nick, e.name) for e in ui["listener"].of("object:state-changed:focused",
                                                                   detail=1)]


def step_score_announced():
    listener = ui["listener"]
    select_tab(ui["sheet_tabs"][0])
    right = [b for b in ui["exam"].tree.all(Role.CHECK_BOX, FIRST_RIGHT, FIRST_ITEM)]
    assert len(right) == 1, f"{len(right)} boxes {FIRST_RIGHT} of {FIRST_ITEM}"
    toggle(right[0])
    listener.pump()
    listener.events.clear()
    press(ui["exam"].buttons[SCORE])
    listener.wait("object:state-changed:showing", Role.NOTIFICATION, None, 1)
    report.equal(announcements(), [f"{FIRST_POINTS} 点"], "得　点 announces the score")
    report.equal(ui["score"].get_name(), str(FIRST_POINTS), "the score display shows it")
    report.equal(focus_moves(), [], "the focus does not move")
    report.check(has_state(ui["focus"], State.FOCUSED), "the focus stays on the tab 図１")


def step_time_up_announced():
    listener = ui["listener"]
    listener.events.clear()
    press(ui["exam"].buttons[START])
    wait_until(lambda: TIME_TEXT.match(ui["time"].get_name()), what="the countdown to start")
    began = time.monotonic()
    listener.wait("object:state-changed:showing", Role.NOTIFICATION, TIME_UP, 1, timeout=HOUR)
    print(f"   time-up announced {time.monotonic() - began:.1f} s after Start")
    report.equal(ui["time"].get_name(), "0:00", "the time display shows 0:00")
    report.equal(announcements(), [TIME_UP], "time-up is announced, and no minute before it")
    report.equal(focus_moves(), [], "the focus does not move")
    report.check(has_state(ui["focus"], State.FOCUSED), "the focus stays on the tab 図１")
    ui["listener"].close()


sys.exit(report.run([
    ("names, roles and relations of the tree", step_tree),
    ("a tab change through its action", step_tab_change),
    ("the Tab key onto a tab list", step_focus_tab_list),
    ("得　点 announces the score", step_score_announced),
    ("time-up is announced", step_time_up_announced),
]))

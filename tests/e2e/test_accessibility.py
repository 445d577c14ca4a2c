"""What a screen reader gets of the exam window, end to end through AT-SPI.

The tree: only windows are frames (the client area is a filler, the figures are images named by
their tabs and described by their text alternatives), the tab lists and the booklet's text box are
named, each display follows its frame text and speaks a whole phrase of its own (no labelled-by
relation that would read the frame's words twice), each frame is named with its item and labels
its boxes, each 正解 mark is described by its item.

The events, as a listener such as Orca hears them: a tab change deselects the old tab and selects
the new one; focusing a tab list with the Tab key focuses its selected tab, and Tab from the
booklet viewer's tabs lands on the figure of the page; a second tick on one item, the score
after 得　点 with the count of right items, the start, the minutes 30, 10, 5 and 1 and time-up
come as a notification that turns showing, while the focus stays where it was. Orca speaks a
notification as it turns showing, whatever has the focus. After a marking, a right item's tab
says 正解 and a wrong one's does not, until Start; a double-ticked item's tab says 複数選択.

Run it through tests/e2e/run with a sped-up clock, as ctest does (an hour takes 12 s):
    tests/e2e/run build/ci/tamsel tests/e2e/test_accessibility.py \\
        -- faketime -f "@2026-12-08 10:15:40 x300"
"""

import json
import sys
import time
from pathlib import Path

from gi.repository import Gio, GLib

from tamsel_e2e import (ANNOUNCED_MINUTES, Atspi, BOOKLET_TABS, children, ExamWindow,
                        focus_window, full_text, has_state, is_showing, Listener, pages_of, press,
                        press_keys,
                        Report, Role, SCORE, score_name, select_tab, SHEET_TABS, START, STARTED,
                        State, tabs_of, TIME_NAME, time_name, TIME_UP, toggle, wait_for,
                        wait_until)

TIME_FRAME, SCORE_FRAME = "あと 分", "点"
BOOKLET, SHEET = "問題冊子", "解答用紙"
# The figures' text alternatives, by picture, in the order of the booklet's tabs.
FIGURES = json.loads((Path(__file__).resolve().parents[2] / "content"
                      / "figure-descriptions.json").read_text(encoding="utf-8"))
FIGURE_TEXTS = [FIGURES[f"figure{n}.jpg"] for n in range(1, len(BOOKLET_TABS))]
# A right answer on the first item, worth 3 points, a wrong one on the second, two ticks and then
# a third on the third.
FIRST_ITEM, FIRST_RIGHT, FIRST_POINTS = "1-A1", "④", 3
WRONG_ITEM, WRONG_CHOICE = "1-A2", "①"
DOUBLE_ITEM, DOUBLE_CHOICES = "1-A3", ["①", "②", "③"]
ANSWERED, DOUBLE, RIGHT = "解答済み", "複数選択", "解答済み、正解"
MARKED = f"{score_name(FIRST_POINTS)}。34 問中 1 問正解"
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

def application_locale(app):
    """What the program answers assistive technology that asks the language of its texts: the
    locale of AT-SPI's Application interface, called on the accessibility bus."""
    session = Gio.bus_get_sync(Gio.BusType.SESSION)
    address = session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress",
                                None, GLib.VariantType("(s)"), Gio.DBusCallFlags.NONE, 5000,
                                None).unpack()[0]
    bus = Gio.DBusConnection.new_for_address_sync(
        address, Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
        | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
    try:
        return bus.call_sync(app.app.bus_name, "/org/a11y/atspi/accessible/root",
                             "org.a11y.atspi.Application", "GetLocale",
                             GLib.Variant("(u)", (int(Atspi.LocaleType.MESSAGES),)),
                             GLib.VariantType("(s)"), Gio.DBusCallFlags.NONE, 5000,
                             None).unpack()[0]
    finally:
        bus.close_sync(None)


def step_tree():
    ui["exam"] = exam = ExamWindow()
    frame, tree = exam.frame, exam.tree
    # Run under LANG=C.UTF-8: the texts are Japanese whatever the session's locale.
    report.equal(application_locale(exam.app), "ja_JP", "the program tells its texts' language")
    report.equal(len(tree.all(Role.FRAME)), 1, "the window is the only frame in it")
    clients = [c for c in children(frame) if c.get_role() != Role.MENU_BAR]
    report.equal([c.get_role().value_nick for c in clients], [Role.FILLER.value_nick],
                 "the client area is a filler")
    ui["client"] = client = clients[0]

    report.equal([n.get_name() for n in tree.all(Role.PAGE_TAB_LIST)], [BOOKLET, SHEET],
                 "the tab lists are named")
    ui["booklet"] = booklet = tree.one(Role.PAGE_TAB_LIST, BOOKLET)
    ui["sheet"] = sheet = tree.one(Role.PAGE_TAB_LIST, SHEET)
    figures = tree.all(Role.IMAGE, within=booklet)
    report.equal([n.get_name() for n in figures], BOOKLET_TABS[1:],
                 "each figure is an image named by its tab")
    # Its description is the first sentence; its text, the whole alternative, one sentence a
    # line, which a screen reader reads a line at a time.
    wrong = [n.get_name() for n, text in zip(figures, FIGURE_TEXTS)
             if full_text(n).replace("\n", "") != text
             or full_text(n).split("\n")[0] != n.get_description()]
    report.check(len(figures) == len(FIGURE_TEXTS) and not wrong,
                 "each figure holds its text alternative, described by its first sentence", wrong)
    ui["figure"] = figures[0]
    report.equal([n.get_name() for n in tree.all(Role.TEXT, within=booklet)
                  if "Text" in n.get_interfaces()], ["問題"], "the booklet's text box is named")

    # Reading order and relations of the displays.
    kids = children(client)
    names = [(k.get_role(), k.get_name()) for k in kids]
    for frame_text, what in ((TIME_FRAME, "time"), (SCORE_FRAME, "score")):
        at = names.index((Role.LABEL, frame_text))
        display = kids[at + 1]
        ui[what] = display
        report.check(not is_showing(kids[at]) and is_showing(display),
                     f"{frame_text!r} is drawn for the eye: a review finds the {what} display "
                     "alone")
        report.check(display.get_role() == Role.LABEL and display.get_name() == "",
                     f"the empty {what} display follows {frame_text!r}", names[at + 1])
        report.equal(related(display, Atspi.RelationType.LABELLED_BY), [],
                     f"the {what} display is labelled by nothing: its name is a whole phrase")
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
        # The item is said once, by the frame: a box does not repeat it.
        for box in tree.all(Role.CHECK_BOX, within=frames[0]):
            if related(box, Atspi.RelationType.LABELLED_BY) != [f"{item} 答え"] \
                    or box.get_description():
                problems.append(f"{item} {box.get_name()}")
        marks = tree.all(Role.IMAGE, "正解", within=page)
        if [m.get_description() for m in marks] != [item]:
            problems.append(f"{item}: marks {len(marks)}")
    report.equal(problems, [], "every frame is named with its item and labels its boxes, which "
                 "do not say it again; every mark is described by its item")
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

    # Tab from the tab strip goes into the page, onto the figure, which a screen reader describes.
    listener.events.clear()
    press_keys("Tab")
    figure = ui["figure"]
    listener.wait("object:state-changed:focused", Role.IMAGE, BOOKLET_TABS[1], 1)
    report.check(has_state(figure, State.FOCUSED), "Tab from the tab 図１ lands on the figure 図１")
    description = figure.get_description()
    report.check(description.startswith("図１は") and FIGURE_TEXTS[0].startswith(description)
                 and description.endswith("。"),
                 "the focused figure is described by its first sentence", description[:40])
    ui["focus"] = figure


def announcements():
    return [e.name for e in ui["listener"].of("object:state-changed:showing", Role.NOTIFICATION,
                                              detail=1)]


def focus_moves():
    return [(e.role.value_nick, e.name) for e in ui["listener"].of("object:state-changed:focused",
                                                                   detail=1)]


def tick_on_its_page(item, choice):
    select_tab(ui["sheet_tabs"][SHEET_TABS.index(item)])
    page = pages_of(ui["sheet"])[SHEET_TABS.index(item)]
    found = ui["exam"].tree.all(Role.CHECK_BOX, choice, within=page)
    assert len(found) == 1, f"{len(found)} boxes {choice} of {item}"
    toggle(found[0])


def step_score_announced():
    listener = ui["listener"]
    tabs = dict(zip(SHEET_TABS, ui["sheet_tabs"]))
    ui["tabs"] = tabs
    tick_on_its_page(FIRST_ITEM, FIRST_RIGHT)
    tick_on_its_page(WRONG_ITEM, WRONG_CHOICE)
    listener.pump()
    listener.events.clear()
    for choice in DOUBLE_CHOICES:
        tick_on_its_page(DOUBLE_ITEM, choice)
    report.equal(tabs[DOUBLE_ITEM].get_description(), DOUBLE,
                 "a tab with two ticks or more says so")
    press(ui["exam"].buttons[SCORE])
    listener.wait("object:state-changed:showing", Role.NOTIFICATION, MARKED, 1)
    # Events come in order: a third tick's announcement would have come before the score's.
    report.equal(announcements(), [DOUBLE, MARKED], "the second tick is announced, the third "
                 "not again; 得　点 announces the score and the count of right items")
    report.equal(ui["score"].get_name(), score_name(FIRST_POINTS), "the score display says it")
    report.equal([tabs[i].get_description() for i in (FIRST_ITEM, WRONG_ITEM, DOUBLE_ITEM)],
                 [RIGHT, ANSWERED, DOUBLE], "the right item's tab says 正解, the wrong ones' not")
    report.equal(focus_moves(), [], "the focus does not move")
    report.check(has_state(ui["focus"], State.FOCUSED), "the focus stays on the figure 図１")


def step_countdown_announced():
    listener = ui["listener"]
    listener.pump()
    listener.events.clear()
    press(ui["exam"].buttons[START])
    listener.wait("object:state-changed:showing", Role.NOTIFICATION, STARTED, 1)
    report.equal(announcements(), [STARTED], "Start announces the start and the time allowed")
    report.equal(ui["tabs"][FIRST_ITEM].get_description(), ANSWERED,
                 "with the rings hidden, the right item's tab no longer says 正解")
    report.check(TIME_NAME.match(ui["time"].get_name()), "the time display says the minutes left",
                 ui["time"].get_name())
    began = time.monotonic()
    listener.wait("object:state-changed:showing", Role.NOTIFICATION, TIME_UP, 1, timeout=HOUR)
    print(f"   time-up announced {time.monotonic() - began:.1f} s after Start")
    report.equal(ui["time"].get_name(), time_name(0), "the time display says no minute is left")
    report.equal(announcements(), [STARTED] + [time_name(m) for m in ANNOUNCED_MINUTES] + [TIME_UP],
                 "the minutes 30, 10, 5 and 1 and time-up are announced, and nothing else")
    report.equal(focus_moves(), [], "the focus does not move")
    report.check(has_state(ui["focus"], State.FOCUSED), "the focus stays on the figure 図１")
    ui["listener"].close()


sys.exit(report.run([
    ("names, roles and relations of the tree", step_tree),
    ("a tab change through its action", step_tab_change),
    ("the Tab key onto a tab list", step_focus_tab_list),
    ("ticks, then 得　点 announces the score", step_score_announced),
    ("the start, the minutes and time-up are announced", step_countdown_announced),
]))

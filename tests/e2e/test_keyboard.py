"""The exam by keyboard alone, end to end under a window manager: real key presses (xdotool) and
nothing else move the focus, tick the boxes and press the buttons; the accessibility tree only
watches. A whole attempt, from Start to the pass-line window and back, reaches 100 points in at
most 110 key presses: Start sends the focus to the booklet's text, where a choice's digit ticks its
box of the item in view on the answer sheet and Ctrl+Tab goes on to the next item. The keys that
page through a tab control keep the focus inside it, from anywhere on its pages, and land on the
next page's first control (a figure in the booklet); Enter and the keypad's Enter press the
focused button; Up and Down move between the answer sheet's rows, which stay in place; Left and
Right move between an item's boxes. The focus always shows: Start's ring at launch, the tab
list's outline and the selected tab's bar stand out at least 3:1, and a lone Alt highlights the
menu bar's first menu.

Run it through tests/e2e/run, as ctest does:
    tests/e2e/run build/ci/tamsel tests/e2e/test_keyboard.py TAMSEL_E2E_WM=openbox
"""

import sys

from tamsel_e2e import (BOOKLET_TABS, BOOKLET_TEXT, contrast, describe, device_rect, ExamWindow,
                        focus_window, FocusWatch, GAME_MENU, has_state, is_checked, is_selected,
                        is_within, KEY, load_picture, pages_of, PASS_LINE, PASS_RATE, press_keys,
                        Report, Role, SCORE, score_name, screenshot, SHEET_TABS, Snapshot, START,
                        State, tabs_of, wait_for, wait_until)

SHEET_TABS_PER_ROW = 12
# Non-text contrast that a focus indicator and a state must reach (WCAG 2.1, 1.4.11).
LEAST_CONTRAST = 3.0
# How many Tab presses may lie between two controls of the window.
MOST_TABS = 12
# The most key presses a whole attempt may take, from Start to the pass-line window and back.
MOST_KEYS = 110

report = Report("the exam by keyboard alone, end to end")
ui = {}


def picture(name):
    return load_picture(screenshot(name))


def focus_is(node):
    return lambda focused: focused == node


def focus_within(node):
    return lambda focused: is_within(focused, node)


def key_until(key, test, what, press=press_keys):
    """Presses key until the focus passes test; a few presses at most, each waited on until the
    focus has moved."""
    watch = ui["focus"]
    for _ in range(MOST_TABS):
        moves = watch.moves
        press(key)
        wait_until(lambda: watch.current() and watch.moves > moves, what=f"{key} to move the focus")
        if test(watch.current()):
            return watch.current()
    raise TimeoutError(f"{what}: not after {MOST_TABS} presses of {key}")


def selected_tab(tab_list):
    return next((t.get_name() for t in tabs_of(tab_list) if is_selected(t)), None)


def wait_selected(tab_list, caption):
    return wait_until(lambda: selected_tab(tab_list) == caption,
                      what=f"the tab {caption!r} to be selected")


def most_contrast_on_line(image, points, against):
    """The highest contrast of any pixel on a line of points against a colour."""
    return max(contrast(image.getpixel(p), against) for p in points)


# ----------------------------------------------------------------------------------------------

def step_window():
    ui["exam"] = exam = ExamWindow()
    ui.update(exam.buttons, booklet=exam.booklet, sheet=exam.sheet)
    ui["text"] = exam.tree.one(Role.TEXT, BOOKLET_TEXT, within=exam.booklet)
    ui["figures"] = {f.get_name(): f for f in exam.tree.all(Role.IMAGE, within=exam.booklet)}
    ui["pages"] = pages_of(exam.sheet)
    ui["menu"] = exam.tree.one(Role.MENU_ITEM, GAME_MENU)
    ui["focus"] = FocusWatch()
    focus_window(exam.frame)
    report.check(has_state(ui[START], State.FOCUSED), "スタート has the focus at launch",
                 describe(ui["focus"].current()))


def start_ring(image):
    """The colour of Start's outline half-way down its left edge, and the window's colour just
    outside it."""
    x, y, w, h = device_rect(ui[START])
    row = y + h // 2
    # The outline is the darkest pixel of the first few columns of the button.
    edge = min((image.getpixel((x + dx, row)) for dx in range(4)), key=sum)
    return edge, image.getpixel((x - 2, row))


def step_start_ring():
    at_launch = picture("e2e_keyboard_launch.png")
    ring, outside = start_ring(at_launch)
    report.check(contrast(ring, outside) >= LEAST_CONTRAST,
                 "Start's focus ring at launch stands out from the window",
                 f"{ring} on {outside}: {contrast(ring, outside):.2f}:1")
    # Away and back by keyboard: the ring at launch is the keyboard's focus ring.
    press_keys("Tab")
    ui["focus"].wait_for(focus_within(ui["booklet"]), "Tab to reach the booklet viewer")
    away, _ = start_ring(picture("e2e_keyboard_start_unfocused.png"))
    press_keys("shift+Tab")
    ui["focus"].wait_for(focus_is(ui[START]), "Shift+Tab to come back to Start")
    # The button repaints a moment after the focus event.
    back = wait_for(lambda: (lambda c: c == ring and c)(
        start_ring(picture("e2e_keyboard_start_refocused.png"))[0]), 2.0)
    report.check(back, "Start's ring at launch is the one the Tab key gives it",
                 f"{start_ring(picture('e2e_keyboard_start_refocused.png'))[0]}, not {ring}")
    report.check(ring != away, "Start without the focus has no ring", f"{ring} both")


def step_lone_alt():
    x, y, w, h = device_rect(ui["menu"])
    before = picture("e2e_keyboard_menu_before.png")
    press_keys("alt")
    wait_until(lambda: has_state(ui["menu"], State.FOCUSED) or has_state(ui["menu"],
               State.SELECTED), what="a lone Alt to put the menu bar in keyboard mode")
    after = picture("e2e_keyboard_menu_alt.png")
    plain = before.getpixel((x + 1, y + 2))
    # The menu's box takes the highlight's colour, apart from its letters.
    colours = after.crop((x, y, x + w, y + h)).getcolors(w * h)
    share, lit = max(colours)
    report.check(share >= 0.5 * w * h and contrast(lit, plain) >= LEAST_CONTRAST,
                 f"the highlighted {GAME_MENU} stands out at least {LEAST_CONTRAST:g}:1 from "
                 "the menu bar", f"{share} of {w * h} pixels {lit} on {plain}: "
                 f"{contrast(lit, plain):.2f}:1")
    press_keys("Escape")
    wait_until(lambda: has_state(ui[START], State.FOCUSED),
               what="Escape to give the focus back to Start")


def step_tab_strip_focus():
    booklet = ui["booklet"]
    press_keys("Tab")
    ui["focus"].wait_for(focus_within(booklet), "Tab to reach the booklet viewer")
    image = picture("e2e_keyboard_tab_focus.png")
    tabs = tabs_of(booklet)
    sx, sy, sw, sh = device_rect(tabs[0])
    ux, uy, uw, uh = device_rect(tabs[1])
    face = image.getpixel((ux + uw // 2, uy + uh // 2 + 1))  # an unselected tab's face
    selected_face = image.getpixel((sx + 6, sy + sh // 2))
    # The selected tab's bar lies along its top edge, where the unselected tab shows its face.
    bar_rows = range(sy, sy + max(4, sh // 4))
    bar = max((image.getpixel((sx + sw // 2, r)) for r in bar_rows),
              key=lambda c: contrast(c, face))
    report.check(contrast(bar, face) >= LEAST_CONTRAST,
                 f"the selected tab's bar stands out at least {LEAST_CONTRAST:g}:1 from an "
                 "unselected tab", f"{bar} against {face}: {contrast(bar, face):.2f}:1")
    # The focus ring runs over the tab's outline: look along the tab's middle row from its edge.
    row = [(sx + dx, sy + sh // 2) for dx in range(-1, sw // 4)]
    best = most_contrast_on_line(image, row, selected_face)
    report.check(best >= LEAST_CONTRAST, f"the focus outline stands out at least "
                 f"{LEAST_CONTRAST:g}:1 from the tab", f"{best:.2f}:1 on {selected_face}")
    press_keys("Right")
    wait_selected(booklet, BOOKLET_TABS[1])
    press_keys("Left")
    wait_selected(booklet, BOOKLET_TABS[0])


def step_paging_from_inside_pages():
    """Each paging key pressed in the booklet's text: the text's page goes out of sight, and the
    focus must go on to the figure of the page that comes into view, not fall onto the next
    control of the window (得　点). Ctrl+Tab and Ctrl+Shift+Tab there move between the answer
    sheet's items instead, and leave the focus in the text."""
    booklet, text = ui["booklet"], ui["text"]
    last = len(BOOKLET_TABS) - 1
    press_keys("Tab")
    ui["focus"].wait_for(focus_is(text), "Tab to reach the booklet's text")
    press_keys("ctrl+Tab")
    wait_selected(ui["sheet"], SHEET_TABS[1])
    press_keys("ctrl+shift+Tab")
    wait_selected(ui["sheet"], SHEET_TABS[0])
    report.check(selected_tab(booklet) == BOOKLET_TABS[0] and ui["focus"].current() == text,
                 "Ctrl+Tab and Ctrl+Shift+Tab in the booklet's text move between the items",
                 describe(ui["focus"].current()))
    key_until("shift+Tab", focus_within(booklet), "Shift+Tab to the booklet's tabs")
    for keys, lands_on in (("ctrl+Next", 1), ("ctrl+Prior", last)):
        if selected_tab(booklet) != BOOKLET_TABS[0]:
            key_until("shift+Tab", focus_within(booklet), "Shift+Tab to the booklet's tabs")
            press_keys("Home")
            wait_selected(booklet, BOOKLET_TABS[0])
        press_keys("Tab")
        ui["focus"].wait_for(focus_is(text), "Tab to reach the booklet's text")
        press_keys(keys)
        wait_selected(booklet, BOOKLET_TABS[lands_on])
        figure = ui["figures"][BOOKLET_TABS[lands_on]]
        focused = ui["focus"].wait_for(lambda f: f != text,
                                       f"{keys} to move the focus off the hidden text")
        report.check(focused == figure and not has_state(ui[SCORE], State.FOCUSED),
                     f"{keys} from the booklet's text lands on the figure of "
                     f"{BOOKLET_TABS[lands_on]}", describe(focused))
    key_until("shift+Tab", focus_within(booklet), "Shift+Tab to the booklet's tabs")
    press_keys("Home")
    wait_selected(booklet, BOOKLET_TABS[0])


def step_rows():
    """Up and Down from the answer sheet's tab strip: the row above or below, the same column;
    past the top or the first row the selection stays (each stay is proven by the next key)."""
    sheet = ui["sheet"]
    key_until("Tab", focus_within(sheet), "Tab to reach the answer sheet")
    report.equal(selected_tab(sheet), SHEET_TABS[0], "the answer sheet opens at its first item")
    row = SHEET_TABS_PER_ROW
    for key, caption, what in (("Up", SHEET_TABS[row], "row 2"),
                               ("Up", SHEET_TABS[2 * row], "row 3, the top"),
                               ("Up", None, "nothing above the top row"),
                               ("Down", SHEET_TABS[row], "row 2: Up stayed on the top row"),
                               ("Down", SHEET_TABS[0], "row 1"),
                               ("Down", None, "nothing below the first row"),
                               ("Up", SHEET_TABS[row], "row 2: Down stayed on the first row"),
                               ("Down", SHEET_TABS[0], "row 1")):
        press_keys(key)
        if caption is None:
            continue
        shown = wait_for(lambda: selected_tab(sheet) == caption, 2.0)
        report.check(shown, f"{key} goes to {caption}, the same column of {what}",
                     selected_tab(sheet))


def step_digits_and_arrows():
    """On the answer sheet a choice's digit, on the main keys or the keypad, is a click on its
    box: the box takes the focus and toggles; Left and Right move between the item's boxes."""
    boxes = Snapshot(ui["pages"][0]).all(Role.CHECK_BOX)
    press_keys("3")
    ui["focus"].wait_for(focus_is(boxes[2]), "3 to put the focus on box ③")
    report.check(wait_for(lambda: is_checked(boxes[2]), 2.0), "3 on the tab strip ticks ③")
    press_keys("Right")
    ui["focus"].wait_for(focus_is(boxes[3]), "Right to move the focus to ④")
    press_keys("Left", "Left")
    ui["focus"].wait_for(focus_is(boxes[1]), "Left twice to move the focus to ②")
    report.check(is_checked(boxes[2]) and not is_checked(boxes[1]) and not is_checked(boxes[3]),
                 "Left and Right move the focus and tick nothing")
    press_keys("KP_3")
    ui["focus"].wait_for(focus_is(boxes[2]), "the keypad's 3 to put the focus on box ③")
    report.check(wait_for(lambda: not is_checked(boxes[2]), 2.0),
                 "the keypad's 3 clears ③ again")


class KeyCount:
    """Real key presses, counted."""

    def __init__(self):
        self.count = 0

    def __call__(self, *keys):
        self.count += len(keys)
        press_keys(*keys)


def step_whole_attempt():
    """From Start to the pass-line window by keyboard alone, every key press counted: Start, then
    from the booklet's text, where Start leaves the focus, every item by its digit and Ctrl+Tab,
    得　点 by the keypad's Enter, 合格率 by Enter and Esc to close its window."""
    sheet, watch = ui["sheet"], ui["focus"]
    key_until("shift+Tab", focus_is(ui[START]), "Shift+Tab to reach Start")
    key = KeyCount()
    key("Return")
    time_display = wait_until(ui["exam"].time_display,
                              what="Enter on Start to start the countdown")
    report.check(not has_state(ui[START], State.ENABLED), "Enter pressed Start: it is "
                 "unavailable while the countdown runs")
    watch.wait_for(focus_is(ui["text"]), "the focus to go to the booklet's text")
    report.check(True, "Start sends the focus to the booklet's text")
    score_display = next(d for d in ui["exam"].displays if d is not time_display)

    report.equal(selected_tab(sheet), SHEET_TABS[0], "the answer sheet is at its first item")
    for index, (caption, choice) in enumerate(zip(SHEET_TABS, KEY)):
        wait_selected(sheet, caption)
        target = Snapshot(ui["pages"][index]).all(Role.CHECK_BOX)[choice - 1]
        key(str(choice))
        wait_until(lambda: is_checked(target), what=f"{choice} to tick box {choice} of {caption}")
        if index + 1 < len(SHEET_TABS):
            key("ctrl+Tab")
    report.check(watch.current() == ui["text"], "the focus stays in the booklet's text",
                 describe(watch.current()))
    ticked = sum(1 for page in ui["pages"] for b in Snapshot(page).all(Role.CHECK_BOX)
                 if is_checked(b))
    report.equal(ticked, len(SHEET_TABS), "one box ticked on every item")

    key_until("Tab", focus_is(ui[SCORE]), "Tab to reach 得　点", press=key)
    key("KP_Enter")
    score = wait_until(lambda: score_display.get_name(), what="the score display to show a score")
    report.equal(score, score_name(100), "the keypad's Enter pressed 得　点: every item right")
    report.equal(time_display.get_name(), "", "the time display is empty after the marking")
    report.check(has_state(ui[START], State.ENABLED), "Start is available again")

    key_until("Tab", focus_is(ui[PASS_RATE]), "Tab to reach 合格率", press=key)
    key("Return")
    wait_until(lambda: ui["exam"].top_windows(PASS_LINE), what="Enter on 合格率 to open the "
               "pass-line window")
    key("Escape")
    wait_until(lambda: not ui["exam"].top_windows(PASS_LINE), what="Esc to close the pass-line "
               "window")
    print(f"   the whole attempt took {key.count} key presses")
    report.check(key.count <= MOST_KEYS, f"the whole attempt takes at most {MOST_KEYS} key "
                 "presses", key.count)
    ui["focus"].close()


sys.exit(report.run([
    ("the exam window comes up with Start focused", step_window),
    ("Start's focus ring at launch", step_start_ring),
    ("a lone Alt highlights the menu bar", step_lone_alt),
    ("the tab list's focus and selection show", step_tab_strip_focus),
    ("paging keys from inside the booklet", step_paging_from_inside_pages),
    ("Up and Down change the answer sheet's rows", step_rows),
    ("digits, Left and Right on the answer sheet", step_digits_and_arrows),
    ("a whole attempt by keyboard", step_whole_attempt),
]))

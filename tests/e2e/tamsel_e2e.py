"""Drives a running Tamsel through the accessibility bus (AT-SPI), as a screen reader or a user
would.

The program runs on a real X display (Xvfb) inside a private D-Bus session; tests/e2e/run sets that
up, starts the program and then the driver script, which imports this module. Everything here waits
on a condition with a deadline; nothing sleeps for a fixed time in place of a check.

Environment set by tests/e2e/run:
  TAMSEL_PID      process id of the started program (or of the wrapper that started it)
  TAMSEL_LOG      file that collects the program's standard output and error
  TAMSEL_STATUS   file that receives the program's exit status once it ends by itself
  TAMSEL_E2E_OUT  folder for screenshots and other artefacts (a temporary folder by default)

A driver script in short:

    from tamsel_e2e import ExamWindow, Report, START, press, wait_until
    report = Report("what this checks")

    def step_start():
        exam = ExamWindow()  # waits until the exam window shows, and finds its controls
        press(exam.buttons[START])
        ...
        report.check(condition, "what should hold", detail_shown_on_failure)

    sys.exit(report.run([("start the exam", step_start)]))

Pressing a button through its action is asynchronous: Qt shows the button down for 100 ms and
only then clicks it, so wait for the effect with wait_until.
"""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback
import wave

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

Role = Atspi.Role
State = Atspi.StateType

DEFAULT_TIMEOUT = 5.0
POLL_INTERVAL = 0.02


class ProgramGone(RuntimeError):
    """The program under test exited while the driver was still waiting on it."""


# ---------------------------------------------------------------------------------------------
# The program's process

def program_pid():
    value = os.environ.get("TAMSEL_PID")
    return int(value) if value else None


def proc_stat(pid):
    """The fields of /proc/pid/stat after the command's name, from the state on (the name may
    hold spaces and parentheses, so they are split after its last ')')."""
    with open(f"/proc/{pid}/stat", encoding="ascii", errors="replace") as stat:
        return stat.read().rsplit(")", 1)[1].split()


def program_alive(pid=None):
    """True while the started process exists and is no zombie; True when no pid is known."""
    pid = pid if pid is not None else program_pid()
    if pid is None:
        return True
    try:
        return proc_stat(pid)[0] not in ("Z", "X")
    except (OSError, IndexError):
        return False


def process_tree(pid):
    """pid and every process below it (a wrapper such as faketime starts the program as a child)."""
    parents = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            parents[int(entry)] = int(proc_stat(entry)[1])
        except (OSError, IndexError, ValueError):
            continue
    tree = {pid}
    grew = True
    while grew:
        below = {child for child, parent in parents.items() if parent in tree} - tree
        grew = bool(below)
        tree |= below
    return tree


def program_exit_status():
    """The program's exit status once it has ended by itself, else None (tests/e2e/run writes it
    to TAMSEL_STATUS; the driver is not the program's parent and cannot wait for it)."""
    path = os.environ.get("TAMSEL_STATUS")
    if not path:
        return None
    try:
        with open(path, encoding="ascii") as status:
            text = status.read().strip()
    except OSError:
        return None
    return int(text) if text.isdigit() else None


def wait_program_exit(timeout, pid=None):
    """Waits until the started process has ended; returns whether it did before the deadline."""
    deadline = time.monotonic() + timeout
    while program_alive(pid):
        if time.monotonic() >= deadline:
            return False
        time.sleep(POLL_INTERVAL)
    return True


def program_log_tail(lines=40):
    path = os.environ.get("TAMSEL_LOG")
    if not path or not os.path.exists(path):
        return ""
    with open(path, encoding="utf-8", errors="replace") as log:
        return "".join(log.readlines()[-lines:])


def output_dir():
    path = os.environ.get("TAMSEL_E2E_OUT") or os.path.join(tempfile.gettempdir(), "tamsel-e2e")
    os.makedirs(path, exist_ok=True)
    return path


# ---------------------------------------------------------------------------------------------
# Waiting

def wait_until(condition, timeout=DEFAULT_TIMEOUT, what=None, interval=POLL_INTERVAL):
    """Polls condition() until it returns something true and returns that value.

    Raises TimeoutError when the deadline passes and ProgramGone when the program exits first.
    A D-Bus error raised by condition() counts as "not yet" (objects come and go while the
    program builds or changes its windows); the last one is reported on timeout.
    """
    deadline = time.monotonic() + timeout
    last_error = None
    while True:
        try:
            value = condition()
            if value:
                return value
        except GLib.Error as error:
            last_error = error
        if not program_alive():
            # The program may have ended between the two looks, which is what some waits are
            # for: the condition has the last word.
            try:
                value = condition()
            except GLib.Error:
                value = None
            if value:
                return value
            raise ProgramGone(
                f"the program exited while waiting for {describe_what(what, condition)}")
        if time.monotonic() >= deadline:
            detail = f" (last error: {last_error})" if last_error else ""
            raise TimeoutError(
                f"timed out after {timeout:g} s waiting for {describe_what(what, condition)}"
                + detail)
        time.sleep(interval)
        # Events for the driver's listeners are handled while it waits; a driver that leaves
        # them queued also holds up the program's key events on the bus.
        context = GLib.MainContext.default()
        while context.iteration(False):
            pass


def wait_for(condition, timeout, what=None, interval=POLL_INTERVAL):
    """Like wait_until, but returns None at the deadline instead of raising: for waiting a bounded
    time on something that must not happen ("no second window appears")."""
    try:
        return wait_until(condition, timeout, what, interval)
    except TimeoutError:
        return None


def describe_what(what, condition):
    if what:
        return what
    return getattr(condition, "__name__", "a condition")


# ---------------------------------------------------------------------------------------------
# Finding things on the bus

def find_app(name="tamsel", timeout=10.0, pid=None):
    """Waits until an application called name is on the accessibility bus and returns it.

    When pid is given (or TAMSEL_PID is set and the process is the program itself) the
    application must also belong to that process, so a stray copy is never picked up.
    """

    def lookup():
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            if app is None or app.get_name() != name:
                continue
            if pid is not None and app.get_process_id() != pid:
                continue
            return app
        return None

    app = wait_until(lookup, timeout, what=f"application {name!r} on the accessibility bus")
    # Read every property fresh from the program: a cached state or name could lag behind it.
    app.set_cache_mask(Atspi.Cache.NONE)
    return app


def children(node):
    result = []
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            result.append(child)
    return result


def walk(root):
    """Yields root and everything below it, depth first, in the order the program lists them."""
    stack = [root]
    while stack:
        node = stack.pop()
        yield node
        stack.extend(reversed(children(node)))


def matches(node, role=None, name=None, description=None, states=(), predicate=None):
    if role is not None and node.get_role() != role:
        return False
    if name is not None and node.get_name() != name:
        return False
    if description is not None and node.get_description() != description:
        return False
    if states and not all(has_state(node, s) for s in states):
        return False
    return predicate is None or predicate(node)


def find_all(root, role=None, name=None, description=None, states=(), predicate=None):
    return [n for n in walk(root) if matches(n, role, name, description, states, predicate)]


def find(root, role=None, name=None, description=None, states=(), predicate=None,
         timeout=DEFAULT_TIMEOUT):
    """Waits until exactly one node under root matches and returns it.

    Several matches are an error at once: a test that picks "the first" of two look-alikes
    would check the wrong widget without noticing.
    """
    label = describe_query(role, name, description, states)

    def lookup():
        found = find_all(root, role, name, description, states, predicate)
        if len(found) > 1:
            raise LookupError(f"{len(found)} widgets match {label}")
        return found[0] if found else None

    return wait_until(lookup, timeout, what=label)


def describe_query(role=None, name=None, description=None, states=()):
    parts = []
    if role is not None:
        parts.append(role.value_nick)
    if name is not None:
        parts.append(f"named {name!r}")
    if description is not None:
        parts.append(f"described {description!r}")
    if states:
        parts.append("with " + ", ".join(s.value_nick for s in states))
    return " ".join(parts) or "any widget"


class Snapshot:
    """Role, name and description of every widget under root, read once.

    Walking the tree costs a bus round trip per property and widget; a test that looks up many
    widgets in a window that no longer changes its make-up reads it once and filters here. States
    and texts that change are still read live from the widgets themselves.
    """

    class Entry:
        __slots__ = ("node", "role", "name", "description", "path")

        def __init__(self, node, path):
            self.node = node
            self.path = path  # indexes of the children from root down to this widget
            self.role = node.get_role()
            self.name = node.get_name()
            self.description = node.get_description()

    def __init__(self, root):
        self.entries = []
        stack = [(root, ())]
        while stack:
            node, path = stack.pop()
            self.entries.append(Snapshot.Entry(node, path))
            kids = [(node.get_child_at_index(i), path + (i,))
                    for i in range(node.get_child_count())]
            stack.extend(reversed([k for k in kids if k[0] is not None]))

    def path_of(self, node):
        for entry in self.entries:
            if entry.node == node:
                return entry.path
        raise LookupError(f"{describe(node)} is not in this snapshot")

    def all(self, role=None, name=None, description=None, within=None):
        """The widgets that match, in tree order; within limits them to the subtree of a widget."""
        prefix = self.path_of(within) if within is not None else ()
        return [e.node for e in self.entries
                if e.path[:len(prefix)] == prefix
                and (role is None or e.role == role)
                and (name is None or e.name == name)
                and (description is None or e.description == description)]

    def one(self, role=None, name=None, description=None, within=None):
        found = self.all(role, name, description, within)
        if len(found) != 1:
            query = describe_query(role, name, description)
            raise LookupError(f"{len(found)} widgets match {query}")
        return found[0]


def find_frame(app, name, timeout=DEFAULT_TIMEOUT):
    return find(app, Role.FRAME, name, timeout=timeout)


def tabs_of(tab_list):
    """The page tabs of a tab list: they come first among its children, before the pages."""
    return [c for c in children(tab_list) if c.get_role() == Role.PAGE_TAB]


def pages_of(tab_list):
    return [c for c in children(tab_list) if c.get_role() != Role.PAGE_TAB]


# ---------------------------------------------------------------------------------------------
# States and actions

def has_state(node, state):
    return node.get_state_set().contains(state)


def is_showing(node):
    return has_state(node, State.SHOWING)


def is_checked(node):
    return has_state(node, State.CHECKED)


def is_selected(node):
    return has_state(node, State.SELECTED)


def action_names(node):
    if "Action" not in node.get_interfaces():
        return []
    count = Atspi.Action.get_n_actions(node)
    return [Atspi.Action.get_action_name(node, i) for i in range(count)]


def do_action(node, name=None):
    """Runs the action called name (any case), or the first action when name is None."""
    names = action_names(node)
    if not names:
        raise LookupError(f"{describe(node)} has no actions")
    if name is None:
        index = 0
    else:
        lowered = [n.lower() for n in names]
        if name.lower() not in lowered:
            raise LookupError(f"{describe(node)} has no action {name!r}; it has {names}")
        index = lowered.index(name.lower())
    if not Atspi.Action.do_action(node, index):
        raise RuntimeError(f"action {names[index]!r} on {describe(node)} was refused")


def press(node):
    do_action(node, "Press")


def toggle(node):
    """Ticks or unticks a check box through its action and waits until its state has flipped."""
    before = is_checked(node)
    names = [n.lower() for n in action_names(node)]
    action = next((n for n in ("toggle", "click", "press") if n in names), None)
    do_action(node, action)
    wait_until(lambda: is_checked(node) != before,
               what=f"{describe(node)} to become {'clear' if before else 'ticked'}")


def select_tab(tab):
    """Selects a page tab through its action and waits until it reports itself selected."""
    do_action(tab)
    wait_until(lambda: is_selected(tab), what=f"tab {tab.get_name()!r} to be selected")


def describe(node):
    if node is None:
        return "nothing"
    try:
        text = f"{node.get_role_name()} {node.get_name()!r}"
        description = node.get_description()
        return text + (f" ({description})" if description else "")
    except GLib.Error:
        return "a widget that has gone"


# ---------------------------------------------------------------------------------------------
# Real input and pictures

def screen_extents(node):
    """(x, y, width, height) of node on the screen, in X pixels."""
    r = node.get_extents(Atspi.CoordType.SCREEN)
    return r.x, r.y, r.width, r.height


def xdotool(*args):
    subprocess.run(["xdotool", *[str(a) for a in args]], check=True, timeout=10)


def mouse_click(x, y, button=1):
    """Moves the real pointer to (x, y) and clicks there, through the X server."""
    xdotool("mousemove", "--sync", int(x), int(y), "click", button)


def click(node, dx=None, dy=None):
    """Clicks node with the mouse: dx, dy from its top-left corner, its centre by default."""
    x, y, w, h = screen_extents(node)
    if w <= 0 or h <= 0:
        raise RuntimeError(f"{describe(node)} has no place on the screen: {(x, y, w, h)}")
    mouse_click(x + (w // 2 if dx is None else dx), y + (h // 2 if dy is None else dy))


def x_windows(pid):
    """The visible X windows of the process pid (Qt keeps hidden helper windows as well)."""
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)],
                           capture_output=True, text=True, timeout=10)
    return found.stdout.split()  # xdotool exits with 1 when there is none


def x_window_geometry(window):
    """(x, y, width, height) of an X window's client area on the screen, in X pixels; under a
    window manager the frame stands round it."""
    info = subprocess.run(["xwininfo", "-id", window], capture_output=True, text=True,
                          check=True, timeout=10).stdout
    values = {}
    for line in info.splitlines():
        key, _, value = line.strip().partition(":")
        values[key] = value.strip()
    return tuple(int(values[k]) for k in ("Absolute upper-left X", "Absolute upper-left Y",
                                          "Width", "Height"))


def x_window_of(node, timeout=3 * DEFAULT_TIMEOUT):
    """The X window of a top-level window on the bus: the program's visible X window with its
    title, or, where several have it, the one that stands where the node does (the bus gives
    places in the program's pixels, X in the screen's: QT_SCALE_FACTOR tells them apart). Under a
    window manager the X window shows a little after the program reports it showing."""

    def lookup():
        windows = [w for w in x_windows(node.get_process_id())
                   if subprocess.run(["xdotool", "getwindowname", w], capture_output=True,
                                     text=True, timeout=10).stdout.rstrip("\n")
                   == node.get_name()]
        if len(windows) == 1:
            return windows[0]
        scale = scale_factor()
        wanted = screen_extents(node)
        places = {window: x_window_geometry(window) for window in windows}
        seen["places"] = (wanted, places)
        for window, place in places.items():
            if all(abs(p - w * scale) <= scale for p, w in zip(place, wanted)):
                return window
        return None

    seen = {}
    try:
        return wait_until(lookup, timeout, what=f"the X window of {describe(node)}")
    except TimeoutError as error:
        raise TimeoutError(f"{error}; bus extents and X windows: {seen.get('places')}") from None


def focus_window(node):
    """Gives the keyboard focus to a top-level window, as clicking on it would, and waits until the
    program reports it active. Without a window manager keys go nowhere before this."""
    xdotool("windowfocus", "--sync", x_window_of(node))
    wait_until(lambda: has_state(node, State.ACTIVE), what=f"{describe(node)} to become active")


def press_keys(*keys):
    """Real key presses through the X server, in xdotool's names: "alt+h", "a", "Return"."""
    xdotool("key", *keys)


def imagemagick(tool):
    # Prefer the distribution's copy; fall back to whatever the PATH holds.
    system = f"/usr/bin/{tool}"
    return system if os.access(system, os.X_OK) else (shutil.which(tool) or tool)


def screenshot(name):
    """Writes the whole X screen to a PNG, name in the output folder, and returns its path."""
    path = os.path.join(output_dir(), name)
    subprocess.run([imagemagick("import"), "-window", "root", path], check=True, timeout=30)
    return path


def image_stats(path):
    """(standard deviation 0..1, number of distinct colours) of a picture."""
    out = subprocess.run(
        [imagemagick("convert"), path, "-format", "%[fx:standard_deviation] %k", "info:"],
        check=True, timeout=30, capture_output=True, text=True).stdout.split()
    return float(out[0]), int(out[1])


class Listener:
    """Collects the events a screen reader would hear, of the kinds given, as Events. The bridge
    sends events only to listeners it knows of: make one before what should cause them. With
    names, each event's role and name are read as it comes in, and an event whose widget is
    already gone is left out."""

    class Event:
        __slots__ = ("kind", "source", "detail", "role", "name")

        def __init__(self, event, role=None, name=None):
            self.kind, self.source, self.detail = event.type, event.source, event.detail1
            self.role, self.name = role, name

    def __init__(self, *kinds, names=True):
        self.kinds = kinds
        self.names = names
        self.events = []
        self.listener = Atspi.EventListener.new(self._heard)
        for kind in kinds:
            self.listener.register(kind)

    def _heard(self, event):
        try:
            names = (event.source.get_role(), event.source.get_name()) if self.names else ()
            self.events.append(Listener.Event(event, *names))
        except GLib.Error:
            pass  # a widget already gone

    def pump(self):
        """Takes in the events that have come, and returns them all."""
        context = GLib.MainContext.default()
        while context.iteration(False):
            pass
        return self.events

    def of(self, kind, role=None, name=None, detail=None):
        return [e for e in self.pump() if e.kind == kind and (role is None or e.role == role)
                and (name is None or e.name == name) and (detail is None or e.detail == detail)]

    def wait(self, kind, role=None, name=None, detail=None, timeout=DEFAULT_TIMEOUT):
        return wait_until(lambda: self.of(kind, role, name, detail), timeout,
                          what=f"{kind} from {role.value_nick if role else 'any'} {name!r}")

    def close(self):
        for kind in self.kinds:
            self.listener.deregister(kind)


class FocusWatch(Listener):
    """Follows the keyboard focus through the events a screen reader gets: the last widget that
    reported it took the focus. Make the watch before the keys that move the focus."""

    def __init__(self):
        super().__init__("object:state-changed:focused", names=False)

    @property
    def moves(self):
        """How many focus events have been heard so far."""
        return sum(1 for e in self.pump() if e.detail)

    def current(self):
        return next((e.source for e in reversed(self.pump()) if e.detail), None)

    def wait_for(self, test, what, timeout=DEFAULT_TIMEOUT):
        """Waits until the focused widget passes test and returns it."""
        return wait_until(lambda: self.current() is not None and test(self.current())
                          and self.current(), timeout, what=what)


def is_within(node, ancestor):
    """True when node is ancestor or lies below it."""
    while node is not None:
        if node == ancestor:
            return True
        node = node.get_parent()
    return False


# ---------------------------------------------------------------------------------------------
# Pictures: the screen's pixels

def scale_factor():
    """The program's pixels per window pixel on the screen (QT_SCALE_FACTOR, 1 unless set)."""
    return float(os.environ.get("QT_SCALE_FACTOR", "1"))


def device_rect(node):
    """Where node stands on the screen in the screen's pixels: the bus gives the program's own
    pixels, which the scale factor turns into the screen's."""
    scale = scale_factor()
    x, y, w, h = screen_extents(node)
    return (round(x * scale), round(y * scale), round(w * scale), round(h * scale))


def luminance(colour):
    """Relative luminance of an sRGB colour (0..255 channels), as the contrast ratio takes it."""
    def linear(c):
        c /= 255.0
        return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4
    r, g, b = (linear(c) for c in colour[:3])
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    """The contrast ratio of two colours, 1 to 21."""
    la, lb = sorted((luminance(a), luminance(b)), reverse=True)
    return (la + 0.05) / (lb + 0.05)


def load_picture(path):
    from PIL import Image  # python3-pil; only the drivers that look at pixels need it
    return Image.open(path).convert("RGB")


# ---------------------------------------------------------------------------------------------
# Reporting

class Report:
    """Collects checks and steps and prints a summary a human can read in a CI log.

    check() records a failure and carries on, so one run shows every wrong detail. An exception
    inside a step ends the run: later steps would only fail in its wake.
    """

    def __init__(self, title):
        self.title = title
        self.passed = 0
        self.failures = []
        self.started = time.monotonic()
        self.current_step = None
        print(f"== {title}", flush=True)

    def check(self, condition, message, detail=None):
        if condition:
            self.passed += 1
            print(f"   ok    {message}", flush=True)
        else:
            where = f"[{self.current_step}] " if self.current_step else ""
            text = where + message + (f": {detail}" if detail is not None else "")
            self.failures.append(text)
            print(f"   FAIL  {message}" + (f": {detail}" if detail is not None else ""), flush=True)
        return bool(condition)

    def equal(self, actual, expected, message):
        return self.check(actual == expected, message,
                          None if actual == expected else f"got {actual!r}, expected {expected!r}")

    def run(self, steps):
        """Runs (name, function) pairs in order; returns the process exit code."""
        aborted = False
        for name, function in steps:
            if aborted:
                print(f"-- {name}: skipped", flush=True)
                continue
            self.current_step = name
            started = time.monotonic()
            print(f"-- {name}", flush=True)
            try:
                function()
            except Exception as error:  # noqa: BLE001 - any error ends the run and is reported
                aborted = True
                self.failures.append(f"[{name}] {type(error).__name__}: {error}")
                print(f"   ERROR {type(error).__name__}: {error}", flush=True)
                if not program_alive():
                    self.failures.append(f"[{name}] the program is no longer running")
                    print("   ERROR the program is no longer running", flush=True)
                traceback.print_exc(file=sys.stdout)
            print(f"   ({time.monotonic() - started:.2f} s)", flush=True)
        self.current_step = None
        return self.summary()

    def summary(self):
        elapsed = time.monotonic() - self.started
        print(f"== {self.title}: {self.passed} checks passed, {len(self.failures)} failed "
              f"in {elapsed:.1f} s", flush=True)
        for failure in self.failures:
            print(f"   FAILED {failure}", flush=True)
        if self.failures:
            tail = program_log_tail()
            if tail:
                print("== program output (last lines)\n" + tail, flush=True)
        return 1 if self.failures else 0


# ----------------------------------------------------------------------------------------------
# A sound server for the chime

_sound_server = {}


def start_sound_server():
    """A PulseAudio null sink on the socket named by PULSE_SERVER, which the program was given
    too; nothing when PULSE_SERVER names no socket. The server runs in the foreground as this
    test's own child, so that its process is known by its id."""
    server = os.environ.get("PULSE_SERVER", "")
    if not server.startswith("unix:"):
        return
    socket = server[len("unix:"):]
    os.makedirs(os.path.dirname(socket), exist_ok=True)
    _sound_server["process"] = subprocess.Popen(
        ["pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "-n",
         "--use-pid-file=no", "--load=module-null-sink sink_name=t",
         f"--load=module-native-protocol-unix socket={socket} auth-anonymous=1"],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_until(lambda: subprocess.run(["pactl", "info"], capture_output=True).returncode == 0,
               timeout=10, what="the sound server to answer")


def stop_sound_server():
    process = _sound_server.pop("process", None)
    if process is None:
        return
    subprocess.run(["pactl", "exit"], capture_output=True, timeout=10)
    try:
        process.wait(timeout=10)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def sound_server_pid():
    """The process of the sound server that start_sound_server() started."""
    return _sound_server["process"].pid


def program_is_sound_client():
    """Whether the sound server has the program among its clients (its short list names them by
    their binaries)."""
    clients = subprocess.run(["pactl", "list", "short", "clients"], capture_output=True,
                             text=True, timeout=10).stdout
    return any(line.split("\t")[2:3] == ["tamsel"] for line in clients.splitlines())


def set_clock_ahead(seconds):
    """Moves the program's clocks to seconds ahead of real time, where tests/e2e/chime-form has
    them read from the clock file TAMSEL_E2E_CLOCK."""
    written = os.environ["TAMSEL_E2E_CLOCK"] + ".new"
    with open(written, "w", encoding="ascii") as clock:
        clock.write(f"+{seconds}\n")
    os.replace(written, os.environ["TAMSEL_E2E_CLOCK"])


def sink_is_playing():
    """Whether any stream plays on the sound server's sink."""
    inputs = subprocess.run(["pactl", "list", "short", "sink-inputs"], capture_output=True,
                            text=True, timeout=10).stdout
    return bool(inputs.strip())


class SinkRecorder:
    """Records what the null sink plays into a WAV file in the output folder, until stop()."""

    def __init__(self, name):
        self.path = os.path.join(output_dir(), name)
        self.process = subprocess.Popen(
            ["parecord", "-d", "t.monitor", "--file-format=wav", self.path],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def stop(self):
        """Ends the recording and gives its path."""
        self.process.send_signal(signal.SIGINT)
        self.process.wait(timeout=10)
        return self.path

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()


def chimes_heard(path):
    """Runs of sound in a recording, each at least a tenth of a second long and apart from the
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


# A chime heard as it is written: its peak and pitch this near the tone's. A sample format read
# as another gives noise or silence, far off both.
TONE_LEVEL_TOLERANCE = 0.15
TONE_PITCH_TOLERANCE = 0.03


def check_tone(report, path, hz, level):
    """Checks that a recording holds one chime, at a tone's pitch and level (a share of full
    scale): the peak of its first channel, and the mean time between its sign changes, of those
    near the usual one, so that a dropout or the ends (as Wine's driver gives under load) make the
    tone neither lower nor higher."""
    report.equal(len(chimes_heard(path)), 1, "one chime is heard at time-up")
    with wave.open(path) as recording:
        rate, channels = recording.getframerate(), recording.getnchannels()
        frames = recording.readframes(recording.getnframes())
    first = memoryview(frames).cast("h")[::channels]
    peak = max((abs(s) for s in first), default=0) / 32767
    changes = [i for i in range(1, len(first)) if (first[i - 1] < 0) != (first[i] < 0)]
    gaps = sorted(b - a for a, b in zip(changes, changes[1:]))
    usual = gaps[len(gaps) // 2] if gaps else 0
    near = [g for g in gaps if abs(g - usual) <= usual / 2]
    pitch = rate / (2 * sum(near) / len(near)) if near and usual else 0.0
    report.check(abs(peak / level - 1) <= TONE_LEVEL_TOLERANCE, "at the tone's level",
                 f"peak {peak:.3f} of full scale, written {level}")
    report.check(abs(pitch / hz - 1) <= TONE_PITCH_TOLERANCE, "at the tone's pitch",
                 f"{pitch:.1f} Hz, written {hz}")


# ----------------------------------------------------------------------------------------------
# The exam as the student sees it

WINDOW, PASS_LINE, HELP = "問題 （Tamsel）", "合格ライン", "バージョン情報"
# The Score button shows "得　点"; its name has no layout space.
START, SCORE, PASS_RATE = "スタート", "得点", "合格率"
GAME_MENU, HELP_MENU = "ゲーム(G)", "ヘルプ(H)"
CHOICES = "①②③④⑤⑥⑦⑧"
# What the displays say to a screen reader while they show something (they show "1:00" and "72"):
# the minutes left and the score as phrases. Empty displays have empty names.
TIME_NAME = re.compile(r"^あと (\d+) 分$")
# What the exam window announces.
STARTED = "試験開始。制限時間は 60 分です。"
TIME_UP = "時間です。あと 0 分"
ANNOUNCED_MINUTES = [30, 10, 5, 1]
# The documents' text boxes, by window.
BOOKLET_TEXT, PASS_LINE_TEXT, HELP_TEXT = "問題", "大学別合格ライン", "ソフトの説明"


def time_name(minutes):
    """The time display's name with minutes left: "あと 59 分"."""
    return f"あと {minutes} 分"


def score_name(points):
    """The score display's name for a score: "72 点"."""
    return f"{points} 点"


BOOKLET_TABS = ["問題", "図１", "図２、図３", "図４（実験）", "図５", "図６", "図７", "図８"]
SHEET_TABS = (["1-A1", "1-A2", "1-A3", "1-B4", "1-B5"]
              + [f"2-{i}" for i in range(1, 6)] + [f"3-{i}" for i in range(1, 6)]
              + ["4-A1-1", "4-A1-2", "4-A2-3", "4-A2-4", "4-B3-5", "4-B3-6", "4-B3-7", "4-B4"]
              + ["5-1", "5-2", "5-3", "5-4-4", "5-4-5"]
              + ["6-A1", "6-A2", "6-A3", "6-B4", "6-B5-5", "6-B5-6"])
# The right choice and the points of every item, in sheet order.
KEY = [4, 2, 3, 3, 1, 1, 3, 2, 2, 4, 3, 4, 2, 1, 5, 3, 5, 3, 8, 2,
       5, 3, 4, 2, 4, 4, 2, 5, 1, 2, 3, 1, 3, 5]
POINTS = [3, 3, 4, 4, 3, 3, 3, 3, 3, 4, 3, 3, 4, 3, 4, 2, 2, 2, 2, 2,
          2, 2, 3, 4, 3, 3, 3, 3, 3, 3, 4, 3, 2, 2]
assert len(SHEET_TABS) == len(KEY) == len(POINTS) == 34 and sum(POINTS) == 100


def tamsel_process():
    """The program's own process among what tests/e2e/run started (wrappers come before it)."""
    return next(pid for pid in process_tree(program_pid())
                if open(f"/proc/{pid}/comm", encoding="utf-8").read().strip() == "tamsel")


def clock_speed(default):
    """Fake seconds per real second of the program's clock: TAMSEL_E2E_SPEED, else the default of
    the driver's faketime wrapper."""
    return float(os.environ.get("TAMSEL_E2E_SPEED", default))


def fake_second_of_minute(speed):
    """Where the program's sped-up clock stands within its minute, from how long it has run.

    faketime starts the clock at TAMSEL_E2E_FAKE_START_SECOND (40 unless set: "@… 10:15:40") when
    the program starts; /proc tells when that was to 10 ms, which the speed turns into well under
    a fake second.
    """
    start_second = int(os.environ.get("TAMSEL_E2E_FAKE_START_SECOND", "40"))
    started = int(proc_stat(tamsel_process())[19]) / os.sysconf("SC_CLK_TCK")
    with open("/proc/uptime", encoding="ascii") as uptime:
        running = float(uptime.read().split()[0]) - started
    return (start_second + running * speed) % 60


def wait_early_in_a_minute(speed):
    """Waits until the program's clock is early in a minute, so that a countdown started then
    shows 1:00 long enough to be read."""
    wait_until(lambda: 5 <= fake_second_of_minute(speed) < 15, timeout=60 / speed * 2,
               what="the start of a clock minute", interval=0.005)


def text_boxes(root):
    """The widgets under root whose text can be read, in tree order."""
    return [n for n in Snapshot(root).all(Role.TEXT) if "Text" in n.get_interfaces()]


def full_text(node):
    return Atspi.Text.get_text(node, 0, Atspi.Text.get_character_count(node))


def document_text(window):
    """The text of the window's one text box."""
    boxes = text_boxes(window)
    assert len(boxes) == 1, f"{len(boxes)} text boxes in {window.get_name()!r}"
    return full_text(boxes[0])


def box_of(boxes, choice, caption):
    """The check box for choice (1 = ①) among the boxes of the item on tab caption."""
    found = [b for b in boxes if b.get_name() == CHOICES[choice - 1]]
    assert len(found) == 1, f"{len(found)} boxes {CHOICES[choice - 1]} on {caption}"
    return found[0]


def check_screenshot(report, name):
    """Takes a screenshot and checks that it shows something: not one flat colour."""
    path = screenshot(name)
    deviation, colours = image_stats(path)
    print(f"   screenshot {path}: standard deviation {deviation:.3f}, {colours} colours")
    report.check(deviation > 0.05 and colours >= 32, f"the screenshot {name} is not blank",
                 f"deviation {deviation:.3f}, {colours} colours")


class ExamWindow:
    """The exam window once it shows, its make-up read once (it is built in full before it
    shows), and its controls: the buttons by caption, the booklet and the answer sheet by their
    tabs (None unless exactly one tab list has that many) and the displays empty at start."""

    def __init__(self):
        self.app = find_app("tamsel", timeout=15)
        self.frame = find_frame(self.app, WINDOW, timeout=10)
        wait_until(lambda: is_showing(self.frame), what="the exam window to show")
        self.tree = tree = Snapshot(self.frame)
        self.buttons = {name: tree.one(Role.PUSH_BUTTON, name) for name in (START, SCORE,
                                                                             PASS_RATE)}
        self.tab_lists = tree.all(Role.PAGE_TAB_LIST)
        self.booklet, self.sheet = (self.tab_list_of(len(tabs))
                                    for tabs in (BOOKLET_TABS, SHEET_TABS))
        self.displays = tree.all(Role.LABEL, "")

    def tab_list_of(self, count):
        found = [t for t in self.tab_lists if len(tabs_of(t)) == count]
        return found[0] if len(found) == 1 else None

    def time_display(self):
        """The display that shows the remaining time, once the countdown runs; else None."""
        return next((d for d in self.displays if TIME_NAME.match(d.get_name())), None)

    def top_windows(self, name=None):
        """The program's top-level windows on the bus, of any role, named name if given."""
        return [w for w in children(self.app) if name is None or w.get_name() == name]

    def menu_popup(self, menu):
        """The pull-down of a menu of the menu bar."""
        popups = [c for c in children(self.tree.one(Role.MENU_ITEM, menu))
                  if c.get_role() == Role.POPUP_MENU]
        assert len(popups) == 1, f"{len(popups)} pull-downs under {menu!r}"
        return popups[0]

    def choose_from_menu(self, menu, access_key, command_key, before_command=None):
        """Focuses the window, opens menu with Alt and its access key and, once it is down,
        chooses a command by its access key: real key presses, as a student would type them."""
        popup = self.menu_popup(menu)
        focus_window(self.frame)
        press_keys(f"alt+{access_key}")
        wait_until(lambda: is_showing(popup), what=f"the menu {menu!r} to drop down")
        if before_command:
            before_command()
        press_keys(command_key)
        # The exit command may end the program before the menu's state can be read.
        wait_until(lambda: not program_alive() or not is_showing(popup),
                   what=f"the menu {menu!r} to close")

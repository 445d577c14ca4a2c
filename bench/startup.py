"""Times start-up side by side: the program, a bare Qt window with one Japanese label, and the
floor of what Qt needs to show this booklet at all (a bare window with the booklet's plain text in
a text box, in the Japanese serif face at 8 pt, at the booklet box's size), started in turn on the
same virtual screen. For each it reports two moments after launch: the window's map,
and its picture settled (the last change to the screen before it stays still for a second), both
read from the X server's own events, and its peak memory (resident set) once settled. Prints the
medians and their ratios. Run it through scripts/bench, which gives it a screen.

Usage: startup.py <tamsel> <minimal_window> <booklet_floor> [runs]
"""

import os
import statistics
import subprocess
import select
import sys
import tempfile
import time
from pathlib import Path

from Xlib import X, display
from Xlib.ext import damage

QUIET_SECONDS = 1.0


class ScreenWatch:
    """Sees every map and every change of picture on the screen, through the DAMAGE extension."""

    def __init__(self):
        self.display = display.Display()
        root = self.display.screen().root
        root.change_attributes(event_mask=X.SubstructureNotifyMask)
        self.display.damage_query_version()
        self.damage = root.damage_create(damage.DamageReportNonEmpty)
        self.damage_event = self.display.query_extension("DAMAGE").first_event

    def drain(self):
        self.display.sync()
        while self.display.pending_events():
            self.display.next_event()
        self.display.damage_subtract(self.damage)

    def next_event(self, timeout):
        """The kind of the next event ('map' or 'damage'), or None after `timeout` seconds."""
        deadline = time.monotonic() + timeout
        while not self.display.pending_events():
            left = deadline - time.monotonic()
            if left <= 0:
                return None
            select.select([self.display], [], [], left)
            self.display.pending_events()
        event = self.display.next_event()
        if event.type == X.MapNotify:
            return "map"
        if event.type == self.damage_event:
            self.display.damage_subtract(self.damage)
            return "damage"
        return "other"


def peak_resident_mb(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) / 1024
    raise RuntimeError(f"no peak memory for process {pid}")


def time_start(watch, command):
    """Milliseconds from launch to the first map and to the last change before a quiet second,
    and the peak resident memory in MB by then."""
    watch.drain()
    started = time.monotonic()
    program = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    mapped = settled = None
    try:
        while True:
            kind = watch.next_event(QUIET_SECONDS if mapped else 20)
            now = (time.monotonic() - started) * 1000
            if kind is None:
                if mapped is None:
                    raise TimeoutError(f"{command[0]} showed no window")
                return mapped, settled, peak_resident_mb(program.pid)
            if kind == "map" and mapped is None:
                mapped = now
            if kind == "damage" and mapped is not None:
                settled = now
    finally:
        program.terminate()
        program.wait()
        watch.drain()


def booklet_plain_text(folder):
    """The booklet's text as the program shows it, in a file for the floor to read."""
    tools = Path(__file__).resolve().parent.parent / "tools"
    sys.path.insert(0, str(tools))
    from rtfwrite import plain_text  # noqa: E402
    source = (tools.parent / "content" / "documents" / "booklet.txt").read_text(encoding="utf-8")
    path = os.path.join(folder, "booklet.txt")
    Path(path).write_text(plain_text(source), encoding="utf-8")
    return path


def main():
    tamsel, minimal, floor = sys.argv[1:4]
    runs = int(sys.argv[4]) if len(sys.argv) > 4 else 7
    watch = ScreenWatch()
    with tempfile.TemporaryDirectory() as folder:
        commands = {"tamsel": [tamsel], "minimal window": [minimal],
                    "booklet floor": [floor, booklet_plain_text(folder)]}
        times = {name: [] for name in commands}
        for _ in range(runs):
            for name, command in commands.items():
                times[name].append(time_start(watch, command))
    for index, moment in enumerate(("the window's map", "the picture settled")):
        medians = {name: statistics.median(t[index] for t in runs_of)
                   for name, runs_of in times.items()}
        print(f"start-up to {moment}, median of {runs} alternating runs: "
              + ", ".join(f"{name} {ms:.0f} ms" for name, ms in medians.items()) + "; tamsel is "
              + ", ".join(f"{medians['tamsel'] / medians[name]:.2f}x the {name}"
                          for name in commands if name != "tamsel"))
    memory = {name: statistics.median(t[2] for t in runs_of) for name, runs_of in times.items()}
    print("peak resident memory once settled: "
          + ", ".join(f"{name} {mb:.1f} MB" for name, mb in memory.items()))


if __name__ == "__main__":
    main()

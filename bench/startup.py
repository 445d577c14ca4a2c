"""Times start-up side by side: the program and a bare Qt window with one Japanese label, started
in turn on the same virtual screen. For each it reports two moments after launch: the window's map,
and its picture settled (the last change to the screen before it stays still for a second), both
read from the X server's own events, and its peak memory (resident set) once settled. Prints the
medians and their ratios. Run it through scripts/bench, which gives it a screen.

Usage: startup.py <tamsel> <minimal_window> [runs]
"""

import statistics
import subprocess
import select
import sys
import time

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


def main():
    tamsel, minimal = sys.argv[1], sys.argv[2]
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 7
    watch = ScreenWatch()
    times = {"tamsel": [], "minimal": []}
    for _ in range(runs):
        times["tamsel"].append(time_start(watch, [tamsel]))
        times["minimal"].append(time_start(watch, [minimal]))
    for index, moment in enumerate(("the window's map", "the picture settled")):
        program, yardstick = (statistics.median(t[index] for t in times[k])
                              for k in ("tamsel", "minimal"))
        print(f"start-up to {moment}, median of {runs} alternating runs: "
              f"tamsel {program:.0f} ms, minimal window {yardstick:.0f} ms, "
              f"ratio {program / yardstick:.2f}")
    program, yardstick = (statistics.median(t[2] for t in times[k]) for k in ("tamsel", "minimal"))
    print(f"peak resident memory once settled: tamsel {program:.1f} MB, "
          f"minimal window {yardstick:.1f} MB, {program - yardstick:+.1f} MB")


if __name__ == "__main__":
    main()

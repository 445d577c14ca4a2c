"""Counts the instructions the program and the floor (a bare window with the booklet's plain text
in a text box, see booklet_floor.cpp) run from launch to their settled first picture, under
callgrind, one count per thread. Unlike wall-clock times on a shared machine, the counts repeat
from run to run within a fraction of a per cent.

Fontconfig's caches are brought up to date first: a font folder changed since they were written
has every program scan its fonts again (a billion instructions here) until one writes them anew.

Each program is started under `valgrind --tool=callgrind --separate-threads=yes`; once its window
has mapped and the process has then stayed idle (under IDLE_CPU_SECONDS of processor time in
IDLE_SECONDS), its counts are dumped with `callgrind_control -d` and it is killed. Prints, for
each, the main thread's instructions and all threads' together, then the program's ratios to the
floor. With --record FILE it also writes them into FILE's start-up section (between the lines
`<!-- start-up -->` and `<!-- /start-up -->`), where the project keeps its measured figures. Run it
through scripts/bench, which gives it a screen and a session bus, or by hand:

  dbus-run-session -- xvfb-run -a -s "-screen 0 1024x768x24" /usr/bin/python3 \\
      bench/startup_instructions.py build/bench/tamsel build/bench/bench/booklet_floor [runs] \\
      [--record docs/measurements.md]
"""

import os
import re
import signal
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

from startup import ScreenWatch, booklet_plain_text

IDLE_SECONDS = 3.0
IDLE_CPU_SECONDS = 0.1
TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    """Processor time the process has used so far, all its threads together."""
    with open(f"/proc/{pid}/stat") as stat:
        # The fields after the command's name, which is in parentheses and may hold spaces.
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS


def wait_until_settled(watch, pid):
    """Returns once the process's window has mapped and the process has then stayed idle."""
    deadline = time.monotonic() + 300
    while watch.next_event(1) != "map":
        if time.monotonic() > deadline:
            raise TimeoutError(f"process {pid} showed no window")
    used = cpu_seconds(pid)
    while True:
        time.sleep(IDLE_SECONDS)
        now = cpu_seconds(pid)
        if now - used < IDLE_CPU_SECONDS:
            return
        used = now


def thread_counts(folder):
    """Instructions per thread, by thread number (1 is the main thread), of the first dump."""
    counts = {}
    for path in Path(folder).glob("callgrind.out.*.1-*"):
        text = path.read_text(errors="replace")
        thread = int(re.search(r"^thread: (\d+)$", text, re.M).group(1))
        counts[thread] = int(re.search(r"^(?:summary|totals): (\d+)$", text, re.M).group(1))
    if 1 not in counts:
        raise RuntimeError(f"callgrind wrote no dump of the main thread in {folder}")
    return counts


def count_start(watch, command):
    """(main thread, all threads) instructions from launch to the settled first picture."""
    with tempfile.TemporaryDirectory() as folder:
        watch.drain()
        program = subprocess.Popen(
            ["valgrind", "--tool=callgrind", "--separate-threads=yes",
             f"--callgrind-out-file={folder}/callgrind.out.%p", *command],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            wait_until_settled(watch, program.pid)
            subprocess.run(["callgrind_control", "-d", str(program.pid)], check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        finally:
            # Killed rather than ended, so that callgrind writes no second dump at exit.
            program.send_signal(signal.SIGKILL)
            program.wait()
            watch.drain()
        counts = thread_counts(folder)
    return counts[1], sum(counts.values())


SECTION_START, SECTION_END = "<!-- start-up -->", "<!-- /start-up -->"


def record(path, program, floor, runs):
    """Rewrites the start-up section of path with the medians."""
    text = Path(path).read_text(encoding="utf-8")
    before, rest = text.split(SECTION_START + "\n", 1)
    after = rest.split(SECTION_END, 1)[1]
    section = (
        f"| | window's thread | all threads |\n"
        f"|---|---:|---:|\n"
        f"| Tamsel | {program[0] / 1e6:.1f} M | {program[1] / 1e6:.1f} M |\n"
        f"| floor (`bench/booklet_floor.cpp`) | {floor[0] / 1e6:.1f} M | {floor[1] / 1e6:.1f} M |\n"
        f"| ratio | {program[0] / floor[0]:.3f}x | {program[1] / floor[1]:.3f}x |\n\n"
        f"Instructions to the settled first picture, median of {runs} run(s) under callgrind, "
        f"counted {time.strftime('%Y-%m-%d')} by `scripts/bench`.\n")
    Path(path).write_text(before + SECTION_START + "\n" + section + SECTION_END + after,
                          encoding="utf-8")


def main():
    arguments = sys.argv[1:]
    destination = None
    if "--record" in arguments:
        at = arguments.index("--record")
        destination = arguments[at + 1]
        del arguments[at:at + 2]
    tamsel, floor = arguments[:2]
    runs = int(arguments[2]) if len(arguments) > 2 else 1
    subprocess.run(["fc-cache"], check=True)
    watch = ScreenWatch()
    with tempfile.TemporaryDirectory() as folder:
        commands = {"tamsel": [tamsel], "booklet floor": [floor, booklet_plain_text(folder)]}
        counts = {name: [] for name in commands}
        for _ in range(runs):
            for name, command in commands.items():
                counts[name].append(count_start(watch, command))
    medians = {}
    for name, runs_of in counts.items():
        main_thread = statistics.median(run[0] for run in runs_of)
        all_threads = statistics.median(run[1] for run in runs_of)
        medians[name] = main_thread, all_threads
        spread = ", ".join(f"{m / 1e6:.1f}/{a / 1e6:.1f}" for m, a in runs_of)
        print(f"{name}: main thread {main_thread / 1e6:.1f} M, all threads "
              f"{all_threads / 1e6:.1f} M instructions to the settled first picture "
              f"(runs, main/all: {spread})")
    program, floor_counts = medians["tamsel"], medians["booklet floor"]
    print(f"tamsel is {program[0] / floor_counts[0]:.3f}x the floor on the main thread, "
          f"{program[1] / floor_counts[1]:.3f}x with all threads")
    if destination:
        record(destination, program, floor_counts, runs)


if __name__ == "__main__":
    main()

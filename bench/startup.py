"""Times start-up side by side: the program and a bare Qt window with one Japanese label, started
in turn on the same virtual screen, from launch to the moment their window is mapped. Prints the
medians and their ratio. Run it through scripts/bench, which gives it a screen.

Usage: startup.py <tamsel> <minimal_window> [runs]
"""

import statistics
import subprocess
import sys
import time


def mapped(title):
    tree = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True, text=True).stdout
    return any(f'"{title}"' in line and "x" in line for line in tree.splitlines())


def time_to_map(command, title):
    started = time.monotonic()
    program = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        while not mapped(title):
            if time.monotonic() - started > 20:
                raise TimeoutError(f"{command[0]} showed no window {title!r}")
            time.sleep(0.001)
        return (time.monotonic() - started) * 1000
    finally:
        program.terminate()
        program.wait()


def main():
    tamsel, minimal = sys.argv[1], sys.argv[2]
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 7
    times = {"tamsel": [], "minimal": []}
    for _ in range(runs):
        times["tamsel"].append(time_to_map([tamsel], "問題 （Tamsel）"))
        times["minimal"].append(time_to_map([minimal], "Minimal"))
    program, yardstick = (statistics.median(times[k]) for k in ("tamsel", "minimal"))
    print(f"start-up to the window's map, median of {runs} alternating runs: "
          f"tamsel {program:.0f} ms, minimal window {yardstick:.0f} ms, "
          f"ratio {program / yardstick:.2f}")


if __name__ == "__main__":
    main()

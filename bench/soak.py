"""A soak: ten accelerated attempts in a row, each to time-up, its chime and Score, while the
program's resident memory and open file descriptors are sampled every second from start to the last
time-up. Prints first, peak and last of both; they must stay flat.

Run it through scripts/soak, which gives it the program, a virtual screen and a fast clock.
"""

import os
import re
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "e2e"))

from tamsel_e2e import (Role, State, find, find_all, find_app, find_frame, has_state,  # noqa: E402
                        press, start_sound_server, tamsel_process,
                        stop_sound_server, wait_until)

WINDOW = "問題 （Tamsel）"
START, SCORE = "スタート", "得\u3000点"
ATTEMPTS = int(os.environ.get("TAMSEL_SOAK_ATTEMPTS", "10"))
SPEED = float(os.environ.get("TAMSEL_E2E_SPEED", "600"))
TIME_TEXT = re.compile(r"^\d:\d\d$")


def sample(pid):
    with open(f"/proc/{pid}/status", encoding="ascii") as status:
        rss = next(int(line.split()[1]) for line in status if line.startswith("VmRSS:"))
    return rss, len(os.listdir(f"/proc/{pid}/fd"))


def main():
    start_sound_server()
    frame = find_frame(find_app(), WINDOW)
    start = find(frame, Role.PUSH_BUTTON, START)
    score = find(frame, Role.PUSH_BUTTON, SCORE)
    pid = tamsel_process()
    samples, done = [sample(pid)], threading.Event()

    def sampler():
        while not done.wait(1.0):
            samples.append(sample(pid))

    threading.Thread(target=sampler, daemon=True).start()
    hour = 3600 / SPEED
    for attempt in range(1, ATTEMPTS + 1):
        press(start)
        wait_until(lambda: find_all(frame, Role.LABEL,
                                    predicate=lambda n: n.get_name() == "0:00"),
                   timeout=hour * 1.5 + 10, what=f"time-up of attempt {attempt}", interval=0.1)
        time.sleep(3.5)  # the chime lasts under three seconds
        press(score)  # ends the attempt: Start is available again
        wait_until(lambda: has_state(start, State.ENABLED), what="Start to be available again")
        print(f"attempt {attempt}: RSS {samples[-1][0]} kB, {samples[-1][1]} descriptors",
              flush=True)
    done.set()
    stop_sound_server()
    for what, index, unit in (("resident memory", 0, " kB"), ("open descriptors", 1, "")):
        values = [s[index] for s in samples]
        print(f"{what}: first {values[0]}{unit}, peak {max(values)}{unit}, "
              f"last {values[-1]}{unit} ({len(values)} samples)")
    return 0


if __name__ == "__main__":
    sys.exit(main())

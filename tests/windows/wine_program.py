"""The Windows program under Wine, as the Windows end-to-end tests start it: its clocks run at
real pace from a faketime clock file that the test rewrites, so that the hour passes in one step
and the chime plays as a student hears it; its window is found by its title."""

import os
import subprocess
import time
from datetime import datetime, timedelta

from tamsel_e2e import output_dir

LIBFAKETIME = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"
EXAM_DAY = datetime(2026, 12, 8, 10, 15)


def window_named(title):
    """The one visible X window whose title is title, or None."""
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"],
                           capture_output=True, text=True, timeout=10).stdout.split()
    return found[0] if len(found) == 1 else None


class WineProgram:
    """tamsel.exe started under Wine, its output in the output folder under name."""

    def __init__(self, exe, name):
        self.clock_file = os.path.join(output_dir(), f"{name}-clock")
        self.log_path = os.path.join(output_dir(), f"{name}.log")
        self.started = time.monotonic()
        self.set_clock(EXAM_DAY)
        # The file is read at every clock call, so that a new time holds from the next call on.
        env = dict(os.environ, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
                   LD_PRELOAD=LIBFAKETIME, FAKETIME_TIMESTAMP_FILE=self.clock_file,
                   FAKETIME_NO_CACHE="1")
        env.pop("FAKETIME", None)  # it would win over the file
        env.pop("QT_QPA_PLATFORM", None)  # Windows has its own platform, whatever Linux was told
        with open(self.log_path, "wb") as log:
            self.process = subprocess.Popen(
                ["/usr/lib/wine/wine64", exe], cwd=os.path.dirname(exe), env=env, stdout=log,
                stderr=subprocess.STDOUT, start_new_session=True)
        # From here on the program the helpers watch is the Windows one.
        os.environ["TAMSEL_PID"] = str(self.process.pid)
        os.environ["TAMSEL_LOG"] = self.log_path

    def set_clock(self, now):
        """Makes the program's clocks read now, and run on from there. faketime counts on from
        the time in the file since each process of Wine started (the program and the server
        started within a second of self.started), so every clock moves by the same step."""
        start = now - timedelta(seconds=round(time.monotonic() - self.started))
        written = self.clock_file + ".new"
        with open(written, "w", encoding="ascii") as clock:
            clock.write(start.strftime("@%Y-%m-%d %H:%M:%S\n"))
        os.replace(written, self.clock_file)

    def running(self):
        return self.process.poll() is None

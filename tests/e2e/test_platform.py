"""The platform the program runs on: its windows are placed by position, which only X allows, so
with an X display it runs on X even inside a Wayland session (Qt would choose Wayland there), on
Wayland only where no X display is set, and on whatever the user names in QT_QPA_PLATFORM.

A headless weston is the Wayland session; run this on an X display (xvfb-run), as ctest does:
    xvfb-run -a /usr/bin/python3 tests/e2e/test_platform.py build/ci/tamsel
Which platform Qt took is read from the Wayland client's protocol log (WAYLAND_DEBUG), and that
the window maps from the protocol (a titled toplevel given a buffer) or from X (xdotool).
"""

import os
import subprocess
import sys
import tempfile
import time

TITLE = "問題 （Tamsel）"
DEADLINE = 20.0


def wait_for(condition, what, timeout=DEADLINE):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        result = condition()
        if result:
            return result
        time.sleep(0.05)
    raise AssertionError(f"timed out waiting for {what}")


def start_weston(runtime):
    weston = subprocess.Popen(
        ["weston", "--backend=headless-backend.so", "--socket=tamsel-test", "--use-pixman",
         "--idle-time=0"],
        env={**os.environ, "XDG_RUNTIME_DIR": runtime}, stdout=subprocess.DEVNULL,
        stderr=subprocess.DEVNULL)
    wait_for(lambda: os.path.exists(os.path.join(runtime, "tamsel-test")), "weston's socket")
    return weston


def run_program(program, runtime, log, **settings):
    env = {k: v for k, v in os.environ.items() if k not in ("QT_QPA_PLATFORM", "WAYLAND_DEBUG")}
    env.update(XDG_RUNTIME_DIR=runtime, WAYLAND_DISPLAY="tamsel-test", XDG_SESSION_TYPE="wayland",
               WAYLAND_DEBUG="client", LC_ALL="C.UTF-8")
    env.update(settings)
    env = {k: v for k, v in env.items() if v is not None}
    return subprocess.Popen([program], env=env, stdout=log, stderr=subprocess.STDOUT)


def wayland_log(log):
    log.flush()
    with open(log.name, encoding="utf-8", errors="replace") as text:
        return [line for line in text if "wl_" in line or "xdg_" in line]


def mapped_on_wayland(log):
    lines = wayland_log(log)
    titled = any(f'set_title("{TITLE}")' in line for line in lines)
    return titled and any(".attach(wl_buffer" in line for line in lines)


def mapped_on_x(process):
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(process.pid)],
                           capture_output=True, text=True)
    return found.returncode == 0 and found.stdout.strip()


def case(name, program, runtime, expected, **settings):
    with tempfile.NamedTemporaryFile("w+", suffix=".log") as log:
        process = run_program(program, runtime, log, **settings)
        try:
            if expected == "wayland":
                wait_for(lambda: mapped_on_wayland(log), "the window to map on Wayland")
            else:
                wait_for(lambda: mapped_on_x(process), "the window to map on X")
                assert not wayland_log(log), "a Wayland connection beside X:\n" + "".join(
                    wayland_log(log)[:5])
        finally:
            process.terminate()
            process.wait(timeout=10)
    print(f"ok: {name}: {expected}", flush=True)


def main(program):
    assert os.environ.get("DISPLAY"), "run this on an X display"
    with tempfile.TemporaryDirectory() as runtime:
        os.chmod(runtime, 0o700)
        weston = start_weston(runtime)
        try:
            case("X display and Wayland session", program, runtime, "x")
            case("Wayland alone", program, runtime, "wayland", DISPLAY=None)
            case("the user's choice", program, runtime, "wayland", QT_QPA_PLATFORM="wayland")
        finally:
            weston.terminate()
            weston.wait(timeout=10)


if __name__ == "__main__":
    main(os.path.realpath(sys.argv[1]))

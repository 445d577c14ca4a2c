"""The program writes nothing: a whole attempt under strace, from Start through time-up and its
chime, Score, Pass rate, the read-me and the exit command, opens no file for writing, makes no
folder and renames or removes nothing, apart from what the libraries beneath it keep: Qt's
runtime folder, fontconfig's caches and the sound client's cookie.

Run it through tests/e2e/run with strace and a fast clock in front of the program, as ctest does;
TAMSEL_STRACE names strace's output file.
"""

import os
import re
import sys

from tamsel_e2e import (clock_speed, do_action, find, find_all, find_app, find_frame, has_state,
                        HELP, PASS_LINE, PASS_RATE, press, program_exit_status, Report, Role,
                        SCORE, START, start_sound_server, State, stop_sound_server,
                        time_name, wait_program_exit, wait_until, WINDOW)

ABOUT, EXIT = "バージョン情報(A)", "終了(Q)"
SPEED = clock_speed(600)
HOME = os.path.realpath(os.path.expanduser("~"))

# What the libraries under the program may write, and why.
ALLOWED = [
    (re.compile(r"^/dev/(null|shm/.*)$"), "shared memory of faketime's clock and the sound client"),
    (re.compile("^" + re.escape(os.path.realpath(os.environ.get("XDG_RUNTIME_DIR", "/run/none")))
                + r"(/.*)?$"), "the session's runtime folder"),
    (re.compile("^(" + re.escape(HOME) + r"/\.cache|/var/cache)/fontconfig(/.*)?$"),
     "fontconfig's caches, renewed when they look newer than the clock (faketime's is behind)"),
    (re.compile("^" + re.escape(HOME) + r"/\.config/pulse(/.*)?$"), "the sound client's cookie"),
]
WRITING = re.compile(r"O_WRONLY|O_RDWR|O_CREAT|O_TRUNC")
CALL = re.compile(r'^\d+\s+(?P<call>\w+)\((?:AT_FDCWD|\d+)?,?\s*"(?P<path>[^"]*)"(?P<rest>.*)$')

report = Report("the program writes nothing, end to end")


def step_whole_attempt():
    start_sound_server()
    app = find_app()
    frame = find_frame(app, WINDOW)
    start = find(frame, Role.PUSH_BUTTON, START)
    press(start)
    time_up = time_name(0)
    wait_until(lambda: find_all(frame, Role.LABEL, predicate=lambda n: n.get_name() == time_up),
               timeout=3600 / SPEED * 1.5 + 10, what="time-up", interval=0.1)
    press(find(frame, Role.PUSH_BUTTON, SCORE))
    wait_until(lambda: has_state(start, State.ENABLED), what="Score to end the attempt")
    press(find(frame, Role.PUSH_BUTTON, PASS_RATE))
    wait_until(lambda: find_all(app, Role.FRAME, PASS_LINE), what="the pass-line window")
    do_action(find(frame, Role.MENU_ITEM, ABOUT))
    wait_until(lambda: find_all(app, Role.FRAME, HELP), what="the help window")
    do_action(find(frame, Role.MENU_ITEM, EXIT))
    report.check(wait_program_exit(10), "the exit command ends the program")
    report.equal(program_exit_status(), 0, "with status 0")
    stop_sound_server()


def written_paths(trace):
    """Every path that the traced processes opened for writing, made, renamed or removed."""
    found = {}
    with open(trace, encoding="utf-8", errors="replace") as lines:
        for line in lines:
            match = CALL.match(line)
            if not match:
                continue
            call, path, rest = match["call"], match["path"], match["rest"]
            writes = (call in ("open", "openat") and WRITING.search(rest)) or call in (
                "creat", "mkdir", "mkdirat", "rename", "renameat", "renameat2", "unlink",
                "unlinkat", "rmdir", "truncate")
            if writes and "= -1" not in rest:
                found.setdefault(os.path.realpath(path), call)
    return found


def step_what_was_written():
    found = written_paths(os.environ["TAMSEL_STRACE"])
    kept = {path: why for path in found for pattern, why in ALLOWED if pattern.match(path)}
    for why in sorted(set(kept.values())):
        paths = sorted(path for path in kept if kept[path] == why)
        print(f"   (libraries) {why}: {len(paths)} paths, e.g. {paths[0]}")
    report.equal(sorted(set(found) - set(kept)), [], "no other file is written, made or removed")


sys.exit(report.run([
    ("a whole attempt, the windows beside it and the exit", step_whole_attempt),
    ("what was written", step_what_was_written),
]))

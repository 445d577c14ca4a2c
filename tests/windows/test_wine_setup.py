"""The set-up program under Wine, in an empty prefix (tests/windows/setup-wine): its wizard opens
with a Japanese title, and under ja_JP.UTF-8, a Japanese Windows, shows its Japanese text (an
English Wine has no face for it and draws boxes). A silent install for the account lays out the
zip's folder (less the zip's read-me, plus the uninstaller), every file dated the release date,
in the account's programs folder of a profile whose path has Japanese characters and a space,
with three Start menu entries and an uninstall entry under HKCU; its silent uninstall, run as the
entry says, leaves nothing of ours and keeps a file of the user's. Run as administrator (which
Wine always is) and without /CurrentUser, the set-up installs for every user: Program Files, the
common Start menu, HKLM, and the uninstall removes it all, folder included.

The program that tests/e2e/run starts is the wizard (wine64 setup.exe). Wine runs no window
manager here, so its window is a bare client area whose picture is saved in the output folder.

Environment: TAMSEL_SETUP (the set-up program), TAMSEL_ZIP_FOLDER (the zip's unzipped folder),
TAMSEL_VERSION, TAMSEL_HELP_TXT (the read-me's source, for the release date), WINEPREFIX.
"""

import hashlib
import math
import os
import signal
import subprocess
import sys
from datetime import datetime, timezone

from tamsel_e2e import load_picture, output_dir, program_pid, Report, wait_until

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "install"))
from check_dates import release_date  # noqa: E402

WINE = "/usr/lib/wine/wine64"
PREFIX = os.environ["WINEPREFIX"]
TITLE = "Tamsel セットアップ"
# The profile of a student whose account name is Japanese with a space in it.
PROFILE = "C:\\users\\山田 太郎"
START_MENU = "AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs"
SHELL_FOLDERS = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders"
UNINSTALL_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tamsel"
PUBLISHER = "Tamsel 開発チーム"
ZIP_README = "読んでください.txt"
UNINSTALLER = "uninstall.exe"
# Each Start menu entry and the file of the installed folder it opens.
SHORTCUTS = {
    "Tamsel.lnk": "tamsel.exe",
    "解答・解説.lnk": "docs\\companion\\answers.html",
    "問題冊子.lnk": "docs\\companion\\paper.html",
}
# The welcome page's text, right of its picture strip, inks about 5 % of that part in Japanese
# glyphs; Wine's boxes for characters of no face (an English Wine has none for the wizard's
# ＭＳ Ｐゴシック) ink under 2 %, a page without its text less still.
WIZARD_TEXT_INK = 0.03
USER_FILE = "メモ.txt"

report = Report("the set-up program under Wine")
installs = {}


def wine(*args, settle=False, timeout=120):
    """Runs a Windows program; settled, until the prefix is idle again (an uninstaller goes on
    as a copy of itself once the program started has ended)."""
    done = subprocess.run([WINE, *args], capture_output=True, timeout=timeout)
    if settle:
        subprocess.run(["/usr/lib/wine/wineserver", "-w"], check=True, timeout=timeout)
    return done


def unix_path(windows_path):
    drive, rest = windows_path.split(":\\", 1)
    return os.path.join(PREFIX, f"drive_{drive.lower()}", *rest.split("\\"))


def registry_key(root):
    """The values of our uninstall entry under HKCU or HKLM, or None without one."""
    exported = os.path.join(output_dir(), f"uninstall-{root}.reg")
    if wine("reg", "export", f"{root}\\{UNINSTALL_KEY}", exported, "/y").returncode != 0:
        return None
    with open(exported, encoding="utf-16") as reg:
        lines = reg.read().splitlines()
    values = {}
    for line in lines:
        if not line.startswith('"'):
            continue
        name, value = line[1:].split('"=', 1)
        if value.startswith("dword:"):
            values[name] = int(value[6:], 16)
        else:
            values[name] = value[1:-1].replace('\\"', '"').replace("\\\\", "\\")
    return values


def files_under(folder):
    """Every file under folder by its path relative to it, with backslashes."""
    found = {}
    for parent, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(parent, name)
            found[os.path.relpath(path, folder).replace(os.sep, "\\")] = path
    return found


def digest(path):
    with open(path, "rb") as data:
        return hashlib.sha256(data.read()).hexdigest()


def step_wizard():
    window = wait_until(lambda: subprocess.run(
        ["xdotool", "search", "--onlyvisible", "--name", f"^{TITLE}$"], capture_output=True,
        text=True, timeout=10).stdout.split(), timeout=60, interval=0.3,
        what="the wizard's window")[0]
    title = subprocess.run(["xprop", "-id", window, "-notype", "_NET_WM_NAME"],
                           capture_output=True, text=True, timeout=10).stdout
    report.check(f'"{TITLE}"' in title, "the wizard's title is Japanese", title.strip())
    picture = os.path.join(output_dir(), "wizard-welcome.png")
    previous = {}

    def settled():
        subprocess.run(["import", "-window", window, picture], check=True, timeout=20)
        data = load_picture(picture).tobytes()
        same = previous.get("data") == data
        previous["data"] = data
        return same

    wait_until(settled, timeout=40, interval=0.5, what="the wizard's picture to settle")
    grey = load_picture(picture).convert("L")
    text = grey.crop((grey.width * 2 // 5, 0, grey.width, grey.height * 4 // 5))
    ink = sum(1 for v in text.getdata() if v < 100) / (text.width * text.height)
    if os.environ.get("TAMSEL_E2E_LOCALE") == "ja_JP.UTF-8":
        report.check(ink >= WIZARD_TEXT_INK, "the welcome page shows its Japanese text",
                     f"{ink:.1%} of the text's part inked ({picture})")
    os.killpg(program_pid(), signal.SIGTERM)
    subprocess.run(["/usr/lib/wine/wineserver", "-w"], check=True, timeout=60)


def check_install(name, root, expected_folder, menu_folder):
    """The layout, dates, Start menu and uninstall entry of an install under root."""
    other = "HKLM" if root == "HKCU" else "HKCU"
    entry = registry_key(root)
    report.check(entry is not None, f"{name}: the uninstall entry is under {root}")
    report.check(registry_key(other) is None, f"{name}: and none under {other}")
    entry = entry or {}
    folder = entry.get("InstallLocation", "")
    report.equal(folder, expected_folder, f"{name}: it installed into the usual folder")
    installs[name] = {"entry": entry, "folder": folder, "menu": menu_folder}

    installed = files_under(unix_path(expected_folder))
    zipped = files_under(os.environ["TAMSEL_ZIP_FOLDER"])
    del zipped[ZIP_README]
    report.equal(sorted(installed), sorted([*zipped, UNINSTALLER]),
                 f"{name}: the folder is the zip's, without its read-me, with the uninstaller")
    differing = [path for path in zipped
                 if path in installed and digest(installed[path]) != digest(zipped[path])]
    report.equal(differing, [], f"{name}: every file is the zip's to the byte")
    report.check("Zikan.wav" in installed and "tamsel.exe" in installed,
                 f"{name}: the chime lies beside the program")
    released = release_date(os.environ["TAMSEL_HELP_TXT"])
    undated = [path for path, unix in installed.items()
               if datetime.fromtimestamp(os.stat(unix).st_mtime, timezone.utc).date() != released]
    report.equal(undated, [], f"{name}: every file is dated the release date, {released}")

    menu = unix_path(menu_folder)
    shortcuts = sorted(os.listdir(menu)) if os.path.isdir(menu) else []
    report.equal(shortcuts, sorted(SHORTCUTS), f"{name}: the Start menu's entries")
    for shortcut, target in SHORTCUTS.items():
        if shortcut not in shortcuts:
            continue
        with open(os.path.join(menu, shortcut), "rb") as link:
            data = link.read()
        # A shell link names each folder and file of its target in UTF-16, and the folder it
        # starts in.
        parts = [folder, *target.split("\\")]
        report.check(all(part.encode("utf-16-le") in data for part in parts),
                     f"{name}: {shortcut} opens {target} in the installed folder")

    program = f"{folder}\\tamsel.exe"
    uninstaller = f'"{folder}\\{UNINSTALLER}"'
    report.equal({key: entry.get(key) for key in ("DisplayName", "DisplayVersion", "Publisher",
                                                  "DisplayIcon", "UninstallString",
                                                  "QuietUninstallString")},
                 {"DisplayName": "Tamsel（タムセル）",
                  "DisplayVersion": os.environ["TAMSEL_VERSION"], "Publisher": PUBLISHER,
                  "DisplayIcon": program, "UninstallString": uninstaller,
                  "QuietUninstallString": uninstaller + " /S"},
                 f"{name}: the uninstall entry's names, version, icon and commands")
    size = sum(os.path.getsize(path) for path in zipped.values())
    report.equal(entry.get("EstimatedSize"), math.ceil(size / 1024),
                 f"{name}: the entry states the folder's size in KB")


def uninstall(name):
    """Runs the entry's quiet uninstall command, as a school's tools do."""
    command = installs[name]["entry"]["QuietUninstallString"]
    program, arguments = command[1:].split('" ', 1)
    done = wine(program, *arguments.split(), settle=True)
    report.equal(done.returncode, 0, f"{name}: the quiet uninstall command succeeds")


def step_install_for_the_account():
    for value, folder in (("Local AppData", "AppData\\Local"), ("Programs", START_MENU)):
        wine("reg", "add", SHELL_FOLDERS, "/v", value, "/t", "REG_EXPAND_SZ", "/d",
             f"{PROFILE}\\{folder}", "/f")
    done = wine(os.environ["TAMSEL_SETUP"], "/S", "/CurrentUser", settle=True)
    report.equal(done.returncode, 0, "the silent install for the account succeeds")
    check_install("for the account", "HKCU", f"{PROFILE}\\AppData\\Local\\Programs\\Tamsel",
                  f"{PROFILE}\\{START_MENU}\\Tamsel")


def step_uninstall_for_the_account():
    install = installs["for the account"]
    folder = unix_path(install["folder"])
    with open(os.path.join(folder, USER_FILE), "w", encoding="utf-8") as notes:
        notes.write("生物の復習\n")
    uninstall("for the account")
    report.check(registry_key("HKCU") is None, "no uninstall entry is left")
    report.check(not os.path.exists(unix_path(install["menu"])), "no Start menu entry is left")
    left = sorted(files_under(folder)) if os.path.isdir(folder) else []
    report.equal(left, [USER_FILE], "of the folder only the user's file is left")


def step_install_for_everyone():
    done = wine(os.environ["TAMSEL_SETUP"], "/S", settle=True)
    report.equal(done.returncode, 0, "the silent install as administrator succeeds")
    check_install("for every user", "HKLM", "C:\\Program Files\\Tamsel",
                  "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Tamsel")


def step_uninstall_for_everyone():
    install = installs["for every user"]
    uninstall("for every user")
    report.check(registry_key("HKLM") is None, "no uninstall entry is left")
    report.check(not os.path.exists(unix_path(install["menu"])), "no Start menu entry is left")
    report.check(not os.path.exists(unix_path(install["folder"])), "the folder is gone")


sys.exit(report.run([
    ("the wizard", step_wizard),
    ("a silent install for the account", step_install_for_the_account),
    ("its silent uninstall", step_uninstall_for_the_account),
    ("a silent install for every user", step_install_for_everyone),
    ("its silent uninstall", step_uninstall_for_everyone),
]))

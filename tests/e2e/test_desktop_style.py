"""A desktop's own look leaves the designed window as it is.

qt6ct, the settings tool of Qt desktops outside KDE, gives every Qt program a style sheet; a dark
one turned the designed window's colours over and the tab strips off. The program keeps to its
design: its first picture with qt6ct's dark style sheet set equals its picture without.

Usage: xvfb-run ... test_desktop_style.py <path-to-tamsel>
"""

import os
import subprocess
import sys
import tempfile

from PIL import Image, ImageChops

DARK = """QWidget { background-color: #202020; color: #e0e0e0; }
QPushButton { background-color: #303030; color: #ffffff; border: 1px solid #505050; }
"""


def settled_picture(program, env, path):
    """The screen once the program's window shows and two grabs in a row agree."""
    process = subprocess.Popen([program], env=env, stderr=subprocess.DEVNULL)
    try:
        subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--pid",
                        str(process.pid)], check=True, stdout=subprocess.DEVNULL, timeout=30)
        previous = None
        for attempt in range(100):
            subprocess.run(["import", "-window", "root", path], check=True, timeout=30)
            with Image.open(path) as grabbed:
                picture = grabbed.convert("RGB")
            if previous is not None and not ImageChops.difference(picture, previous).getbbox():
                return picture
            previous = picture
        raise RuntimeError("the window's picture never settled")
    finally:
        process.kill()
        process.wait()


def main(program):
    with tempfile.TemporaryDirectory() as home:
        config = os.path.join(home, "config")
        os.makedirs(os.path.join(config, "qt6ct"))
        sheet = os.path.join(home, "dark.qss")
        with open(sheet, "w", encoding="utf-8") as qss:
            qss.write(DARK)
        with open(os.path.join(config, "qt6ct", "qt6ct.conf"), "w", encoding="utf-8") as conf:
            conf.write(f"[Appearance]\nstyle=Fusion\n[Interface]\nstylesheets={sheet}\n")
        plain = dict(os.environ, HOME=home, XDG_CONFIG_HOME=config)
        plain.pop("QT_QPA_PLATFORMTHEME", None)
        themed = dict(plain, QT_QPA_PLATFORMTHEME="qt6ct")
        designed = settled_picture(program, plain, os.path.join(home, "plain.png"))
        desktop = settled_picture(program, themed, os.path.join(home, "themed.png"))
    changed = ImageChops.difference(designed, desktop).getbbox()
    print(("ok    " if not changed else "FAIL  ")
          + "qt6ct's dark style sheet leaves the window's picture as designed"
          + (f": it differs within {changed}" if changed else ""))
    return 1 if changed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))

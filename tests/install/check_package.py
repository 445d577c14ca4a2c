#!/usr/bin/python3
"""Checks the Debian package as a Debian 12 system takes it.

Usage: tests/install/check_package.py <dir> <version>
  <dir> holds the package and, in unpacked/, its files (tests/install/package makes both).

- its control fields: name, version, architecture, section, and a dependency on everything the
  program needs at run time besides itself (Qt with its window-system plugins, the PulseAudio
  simple client, the fonts its documents resolve to) and none on Qt Multimedia;
- the program is hardened as Debian's packages are: stack protection, relocations read-only and
  resolved at start;
- those dependencies are met here: apt would install the package and nothing else with it;
- its desktop entry passes desktop-file-validate and starts a command the package puts on the
  PATH, with an icon the package puts in the hicolor theme, and its actions open each companion
  document (answers and explanations, question paper; HTML and PDF) by the path the package
  installs it at, with xdg-open, which the package recommends; its AppStream metainfo passes
  appstreamcli validate, names that entry and mentions the documents;
- dpkg installs it into an empty scratch database and root, and removing it leaves no file behind;
- installed as slim systems install, without /usr/share/doc (dpkg's path-exclude), it still holds
  every document the desktop entry's actions open and the figures they show.
"""

import configparser
import pathlib
import subprocess
import sys
import tempfile

NEEDED = ("libqt6core6", "libqt6gui6", "libqt6widgets6", "libpulse0",
          "qt6-translations-l10n", "fonts-ipafont-gothic", "fonts-ipafont-mincho",
          "fonts-dejavu-core")
# The chime plays through PulseAudio's own API: Qt Multimedia and its tree are not wanted.
NOT_WANTED = ("libqt6multimedia6",)

# The companion documents, and the figures the HTML shows from one folder up.
COMPANION = tuple(f"usr/share/tamsel/companion/{name}.{kind}"
                  for name in ("answers", "paper") for kind in ("html", "pdf"))
FIGURES = tuple(f"usr/share/tamsel/figure{n}@2x.png" for n in range(1, 8))

failures = []


def check(ok, what):
    print(("ok    " if ok else "FAIL  ") + what)
    if not ok:
        failures.append(what)
    return ok


def run(*command, **kwargs):
    return subprocess.run(command, capture_output=True, text=True, **kwargs)


def fields(deb):
    out = run("dpkg-deb", "--field", str(deb), "Package", "Version", "Architecture", "Section",
              "Depends", "Recommends").stdout
    return dict(line.split(": ", 1) for line in out.splitlines() if ": " in line)


def depended_on(depends):
    """The package names of a Depends field, alternatives included, without versions."""
    names = set()
    for clause in depends.split(","):
        for alternative in clause.split("|"):
            names.add(alternative.split("(")[0].strip())
    return names


def check_fields(deb, version):
    control = fields(deb)
    architecture = run("dpkg", "--print-architecture").stdout.strip()
    check(control.get("Package") == "tamsel", f"package name tamsel: {control.get('Package')}")
    check(control.get("Version") == version, f"version {version}: {control.get('Version')}")
    check(control.get("Architecture") == architecture,
          f"architecture {architecture}: {control.get('Architecture')}")
    check(control.get("Section") == "education", f"section education: {control.get('Section')}")
    check(deb.name == f"tamsel_{version}_{architecture}.deb", f"file name {deb.name}")
    missing = set(NEEDED) - depended_on(control.get("Depends", ""))
    check(not missing,
          f"depends on what the program needs at run time (missing: {sorted(missing)})")
    unwanted = set(NOT_WANTED) & depended_on(control.get("Depends", ""))
    check(not unwanted, f"depends on no sound library beyond PulseAudio's ({sorted(unwanted)})")
    check("xdg-utils" in depended_on(control.get("Recommends", "")),
          f"recommends xdg-utils for the entry's actions: {control.get('Recommends')}")


def check_hardening(program):
    dynamic = run("readelf", "--dynamic", "--wide", str(program)).stdout
    segments = run("readelf", "--segments", "--wide", str(program)).stdout
    symbols = run("readelf", "--dyn-syms", "--wide", str(program)).stdout
    check("BIND_NOW" in dynamic and "GNU_RELRO" in segments,
          "the program's relocations are resolved at start and read-only (-z now, relro)")
    check("__stack_chk_fail" in symbols, "the program is built with stack protection")


def check_installable(deb):
    result = run("apt-get", "-s", "-o", "Debug::NoLocking=1", "--no-install-recommends", "install",
                 f"./{deb.name}", cwd=deb.parent)
    installed = [line.split()[1] for line in result.stdout.splitlines()
                 if line.startswith("Inst ")]
    check(result.returncode == 0 and installed == ["tamsel"],
          f"apt installs it with its dependencies met ({installed or result.stderr.strip()})")


def check_desktop_files(root):
    entries = sorted((root / "usr/share/applications").glob("*.desktop"))
    if not check(len(entries) == 1, f"one desktop entry: {[e.name for e in entries]}"):
        return
    entry = entries[0]
    result = run("desktop-file-validate", str(entry))
    check(result.returncode == 0 and not result.stdout.strip(),
          f"desktop-file-validate {entry.name}: {result.stdout.strip() or 'clean'}")
    desktop = configparser.ConfigParser(interpolation=None, strict=True)
    desktop.optionxform = str
    desktop.read(entry, encoding="utf-8")
    group = desktop["Desktop Entry"]
    command = group.get("Exec", "").split()[0]
    check((root / "usr/bin" / command).exists(), f"its command {command} is in usr/bin")
    check("Education" in group.get("Categories", "").split(";"), "its categories hold Education")
    check("Name[ja]" in group and "Comment[ja]" in group and "Comment" in group,
          "it has an English name and comment and Japanese ones")
    icon = group.get("Icon", "")
    sizes = sorted((root / "usr/share/icons/hicolor").glob(f"*/apps/{icon}.png"))
    check(len(sizes) >= 4, f"its icon {icon} is in the hicolor theme in {len(sizes)} sizes")
    missing = [path for path in COMPANION + FIGURES if not (root / path).is_file()]
    check(not missing, f"it holds the companion documents and their figures (missing: {missing})")
    opened = []
    for action in group.get("Actions", "").rstrip(";").split(";"):
        section = desktop[f"Desktop Action {action}"] if action else {}
        command = section.get("Exec", "").split()
        if len(command) == 2 and command[0] == "xdg-open" and "Name[ja]" in section:
            opened.append(command[1].lstrip("/"))
    check(sorted(opened) == sorted(COMPANION),
          f"its actions open each companion document with xdg-open: {opened}")

    metainfo = sorted((root / "usr/share/metainfo").glob("*.metainfo.xml"))
    if not check(len(metainfo) == 1, f"one metainfo file: {[m.name for m in metainfo]}"):
        return
    result = run("appstreamcli", "validate", "--no-net", str(metainfo[0]))
    check(result.returncode == 0, f"appstreamcli validate {metainfo[0].name}: "
          + (result.stdout.strip().splitlines() or ["clean"])[-1])
    launchable = f'<launchable type="desktop-id">{entry.name}</launchable>'
    described = metainfo[0].read_text(encoding="utf-8")
    check(launchable in described, "the metainfo launches the desktop entry")
    check("解答・解説" in described and "問題冊子" in described,
          "the metainfo mentions the answers and explanations and the question paper")


def files_under(root):
    return sorted(str(p.relative_to(root)) for p in root.rglob("*")
                  if p.is_symlink() or not p.is_dir())


def scratch_database(root):
    """An empty dpkg database under root; returns its folder."""
    admin = root / "var/lib/dpkg"
    for folder in ("info", "updates", "triggers"):
        (admin / folder).mkdir(parents=True)
    (admin / "status").touch()
    return admin


def check_install_and_removal(deb, unpacked):
    with tempfile.TemporaryDirectory() as scratch:
        root = pathlib.Path(scratch)
        admin = scratch_database(root)
        dpkg = ("dpkg", f"--root={root}", "--log=/dev/null")
        # The scratch database knows no other package, so the dependencies are set aside here;
        # check_installable held them to this system's packages.
        result = run(*dpkg, "--force-depends", "--install", str(deb))
        check(result.returncode == 0, "dpkg installs it into a scratch root"
              + ("" if result.returncode == 0 else f": {result.stderr[-300:]}"))
        status = run(*dpkg, "--status", "tamsel").stdout
        check("Status: install ok installed" in status, "dpkg has it installed")
        laid_out = [f for f in files_under(root) if not f.startswith("var/")]
        check(laid_out == files_under(unpacked), "it lays out the files it holds")

        result = run(*dpkg, "--purge", "tamsel")
        check(result.returncode == 0, "dpkg removes it"
              + ("" if result.returncode == 0 else f": {result.stderr[-300:]}"))
        left = [str(p.relative_to(root)) for p in root.rglob("*") if not p.is_relative_to(admin)
                and not (root / "var/lib").is_relative_to(p)]
        check(not left, f"nothing is left after removal: {left}")


def check_install_without_doc(deb):
    with tempfile.TemporaryDirectory() as scratch:
        root = pathlib.Path(scratch)
        scratch_database(root)
        result = run("dpkg", f"--root={root}", "--log=/dev/null", "--force-depends",
                     "--path-exclude=/usr/share/doc/*", "--install", str(deb))
        check(result.returncode == 0, "dpkg installs it without /usr/share/doc"
              + ("" if result.returncode == 0 else f": {result.stderr[-300:]}"))
        kept = [f for f in files_under(root) if f.startswith("usr/share/doc/tamsel/")]
        missing = [path for path in COMPANION + FIGURES if not (root / path).is_file()]
        check(not kept and not missing,
              "without /usr/share/doc the actions' documents and figures are all there"
              f" (kept under doc: {kept}, missing: {missing})")


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    folder, version = pathlib.Path(argv[0]), argv[1]
    debs = sorted(folder.glob("*.deb"))
    if not check(len(debs) == 1, f"one package in {folder}"):
        return 1
    check_fields(debs[0], version)
    check_installable(debs[0])
    check_hardening(folder / "unpacked/usr/libexec/tamsel/tamsel")
    check_desktop_files(folder / "unpacked")
    check_install_and_removal(debs[0], folder / "unpacked")
    check_install_without_doc(debs[0])
    print(f"{len(failures)} failed" if failures else "all passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

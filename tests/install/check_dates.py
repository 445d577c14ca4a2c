"""Every file in the Windows zip or the Debian package carries the release date that the read-me
gives (its 【公開日】 line in content/documents/help.txt), not the day it was built: the zip's
DOS time, which Explorer shows, and its Unix time, which unzip shows in local time; the package's
ar members and every entry of its control and data archives. So two builds of one commit differ
in no date.

    check_dates.py HELP_TXT ARCHIVE.zip|ARCHIVE.deb|FOLDER  (a folder: the one .deb in it)
"""

import io
import pathlib
import re
import struct
import sys
import tarfile
import zipfile
from datetime import date, datetime, timezone

UNIX_TIME_FIELD = 0x5455


def release_date(help_txt):
    with open(help_txt, encoding="utf-8") as readme:
        for line in readme:
            found = re.match(r"【公開日】\u3000(\d+)年(\d+)月(\d+)日", line)
            if found:
                return date(*map(int, found.groups()))
    raise SystemExit(f"{help_txt} gives no release date (【公開日】)")


def utc_day(seconds):
    return datetime.fromtimestamp(seconds, timezone.utc).date()


def unix_times(extra):
    """The modification times in a zip entry's extended timestamp fields."""
    times, offset = [], 0
    while offset + 4 <= len(extra):
        kind, size = struct.unpack_from("<HH", extra, offset)
        body = extra[offset + 4:offset + 4 + size]
        if kind == UNIX_TIME_FIELD and size >= 5 and body[0] & 1:
            times.append(struct.unpack_from("<I", body, 1)[0])
        offset += 4 + size
    return times


def zip_dates(path):
    with zipfile.ZipFile(path) as archive:
        for entry in archive.infolist():
            yield entry.filename + " (DOS time)", date(*entry.date_time[:3])
            for seconds in unix_times(entry.extra):
                yield entry.filename + " (Unix time)", utc_day(seconds)


def ar_members(data):
    if not data.startswith(b"!<arch>\n"):
        raise SystemExit("not an ar archive")
    offset = 8
    while offset + 60 <= len(data):
        header = data[offset:offset + 60]
        name = header[:16].decode().strip().rstrip("/")
        mtime = int(header[16:28])
        size = int(header[48:58])
        yield name, mtime, data[offset + 60:offset + 60 + size]
        offset += 60 + size + (size & 1)


def deb_dates(path):
    with open(path, "rb") as deb:
        data = deb.read()
    for name, mtime, body in ar_members(data):
        yield name, utc_day(mtime)
        if name.endswith((".tar.gz", ".tar.xz", ".tar.zst", ".tar")):
            with tarfile.open(fileobj=io.BytesIO(body)) as tar:
                for member in tar.getmembers():
                    yield f"{name}:{member.name}", utc_day(member.mtime)


def main(help_txt, archive):
    released = release_date(help_txt)
    if pathlib.Path(archive).is_dir():
        debs = sorted(pathlib.Path(archive).glob("*.deb"))
        if len(debs) != 1:
            raise SystemExit(f"{archive} holds {len(debs)} packages, not one")
        archive = str(debs[0])
    dates = list(zip_dates(archive) if archive.endswith(".zip") else deb_dates(archive))
    if not dates:
        raise SystemExit(f"{archive} holds nothing")
    wrong = [(name, day) for name, day in dates if day != released]
    for name, day in wrong:
        print(f"{name}: {day}, not the read-me's {released}", file=sys.stderr)
    if not wrong:
        print(f"{archive}: all {len(dates)} dates are the read-me's {released}")
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:3]))

"""What the content tools share: a made file is either written over the committed one or, in
--check mode, compared with it, so that a stale file in content/ fails the build.
"""

import sys


def write_or_check(path, data, check, stale):
    """Writes data to path, or with check only compares: False, after printing stale on stderr,
    when the committed file is missing or holds other bytes."""
    if not check:
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(data)
        return True
    if path.is_file() and path.read_bytes() == data:
        return True
    print(stale, file=sys.stderr)
    return False

#!/usr/bin/python3
"""Writes the wave files of the chime's tests in every uncompressed form the program plays: a
test tone as the chime of an end-to-end test, and four frames of each form as seeds of the wave
check's fuzz target (tests/fuzz/corpus-wav). The RIFF headers are written here with struct:
Python's wave module writes plain integer PCM only.

Usage (from anywhere, with Debian's Python):
  /usr/bin/python3 tools/make_test_waves.py --tone FORM OUT.wav  the test tone in FORM
  /usr/bin/python3 tools/make_test_waves.py                      write the fuzz seeds
  /usr/bin/python3 tools/make_test_waves.py --check              exit 1 if a committed seed
                                                                 differs (--check-bytes alike)
"""

import math
import struct
import sys
from pathlib import Path

from committed import mode_of, write_or_check

ROOT = Path(__file__).resolve().parent.parent
SEEDS = ROOT / "tests" / "fuzz" / "corpus-wav"

PCM, FLOAT, EXTENSIBLE = 1, 3, 0xFFFE
# The GUID of an extensible format's subformat, after its first two bytes, which are the tag.
SUBFORMAT_TAIL = bytes.fromhex("000000001000800000aa00389b71")

# name: (tag, subformat, container bits, valid bits, channels, rate)
FORMS = {
    "pcm24-stereo": (PCM, None, 24, 24, 2, 48000),
    "pcm32-mono": (PCM, None, 32, 32, 1, 44100),
    "float32-mono": (FLOAT, None, 32, 32, 1, 44100),
    "extensible-pcm16-mono": (EXTENSIBLE, PCM, 16, 16, 1, 22050),
    "extensible-float32-stereo": (EXTENSIBLE, FLOAT, 32, 32, 2, 96000),
}

# The test tone: what an end-to-end test listens for in the sink's recording.
TONE_HZ = 880.0
TONE_LEVEL = 0.5       # of full scale, -6 dBFS
TONE_SECONDS = 1.5
TONE_FADE = 0.01       # seconds of fade at either end, so that it does not click


def chunk(name, body):
    return name + struct.pack("<I", len(body)) + body + b"\0" * (len(body) % 2)


def wave_file(form, values):
    """The bytes of a wave file in form holding values (floats in [-1, 1], frame by frame)."""
    tag, subformat, bits, valid, channels, rate = FORMS[form]
    align = channels * bits // 8
    fmt = struct.pack("<HHIIHH", tag, channels, rate, rate * align, align, bits)
    if tag == EXTENSIBLE:
        speakers = 0x4 if channels == 1 else 0x3
        fmt += struct.pack("<HHIH", 22, valid, speakers, subformat) + SUBFORMAT_TAIL
    elif tag == FLOAT:
        fmt += struct.pack("<H", 0)
    floats = FLOAT in (tag, subformat)
    data = b"".join(sample(v, bits, floats) for v in values)
    body = b"WAVE" + chunk(b"fmt ", fmt) + chunk(b"data", data)
    return b"RIFF" + struct.pack("<I", len(body)) + body


def sample(value, bits, floats):
    if floats:
        return struct.pack("<f", value)
    top = (1 << (bits - 1)) - 1
    return round(value * top).to_bytes(bits // 8, "little", signed=True)


def tone(form):
    channels, rate = FORMS[form][4], FORMS[form][5]
    count = round(TONE_SECONDS * rate)
    fade = TONE_FADE * rate
    values = []
    for i in range(count):
        envelope = min(1.0, i / fade, (count - 1 - i) / fade)
        v = TONE_LEVEL * envelope * math.sin(2 * math.pi * TONE_HZ * i / rate)
        values += [v] * channels
    return wave_file(form, values)


def seed(form):
    """Four frames of exactly representable values, so that every run writes the same bytes."""
    channels = FORMS[form][4]
    return wave_file(form, [v for v in (0.0, 0.5, -0.5, 0.25) for _ in range(channels)])


def main(argv):
    if argv[:1] == ["--tone"]:
        if len(argv) != 3 or argv[1] not in FORMS:
            print(__doc__, "forms:", " ".join(FORMS), file=sys.stderr)
            return 2
        Path(argv[2]).write_bytes(tone(argv[1]))
        return 0
    mode = mode_of(argv, __doc__)
    if mode is None:
        return 2
    fresh = [write_or_check(SEEDS / f"{form}.wav", seed(form), mode,
                            f"tests/fuzz/corpus-wav/{form}.wav is not what "
                            "tools/make_test_waves.py writes: run it")
             for form in FORMS]
    return 0 if all(fresh) else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

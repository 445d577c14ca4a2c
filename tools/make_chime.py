#!/usr/bin/python3
"""Synthesises Tamsel's time-up chime into content/Zikan.wav.

Three soft bell strokes falling through a major triad (G5, E5, C5), the last one left to ring
out. Each stroke is a handful of decaying partials, a few of them slightly out of tune with the
harmonic series as a real bell's are. 44.1 kHz, 16-bit mono, peak at -3 dBFS, no randomness:
every run writes the same bytes.

Usage (from anywhere, with Debian's Python, python3-numpy and python3-pil):
  /usr/bin/python3 tools/make_chime.py                synthesise content/Zikan.wav
  /usr/bin/python3 tools/make_chime.py --check        exit 1 if the committed chime differs
                                                      from what this synthesises in format or
                                                      length, or a sample by more than a step
  /usr/bin/python3 tools/make_chime.py --check-bytes  exit 1 if it has other bytes
"""

import io
import math
import struct
import sys
import wave
from pathlib import Path

from committed import mode_of, wav_differences, write_or_check

ROOT = Path(__file__).resolve().parent.parent
OUTPUT = ROOT / "content" / "Zikan.wav"

RATE = 44100
LENGTH = 2.6          # seconds
PEAK = 10 ** (-3 / 20)  # -3 dBFS
FADE = 0.45           # the tail is eased to exact silence over this many seconds
ATTACK = 0.008        # a soft onset, so no stroke clicks

# (start in seconds, fundamental in Hz, loudness, ring time in seconds)
STROKES = [
    (0.00, 783.99, 0.85, 0.55),   # G5
    (0.36, 659.26, 0.85, 0.60),   # E5
    (0.72, 523.25, 1.00, 0.95),   # C5, rings longest
]

# (frequency ratio, relative amplitude, share of the ring time). The upper partials die away
# sooner, which is what makes a struck bell sound warm once the strike has passed. The pair
# at ratio 1 beats slowly for a gentle shimmer.
PARTIALS = [
    (1.0, 1.00, 1.00),
    (1.0021, 0.28, 0.90),
    (2.0, 0.32, 0.55),
    (3.0, 0.10, 0.40),
    (4.07, 0.07, 0.28),
    (5.19, 0.04, 0.20),
]


def stroke_value(t, freq, loud, ring):
    """One bell stroke t seconds after it was struck."""
    if t < 0.0:
        return 0.0
    onset = 0.5 - 0.5 * math.cos(math.pi * t / ATTACK) if t < ATTACK else 1.0
    v = 0.0
    for ratio, amp, share in PARTIALS:
        f = freq * ratio
        if f >= RATE / 2:
            continue
        v += amp * math.exp(-t / (ring * share)) * math.sin(2.0 * math.pi * f * t)
    return loud * onset * v


def render():
    n = int(RATE * LENGTH)
    samples = []
    for i in range(n):
        t = i / RATE
        v = 0.0
        for start, freq, loud, ring in STROKES:
            v += stroke_value(t - start, freq, loud, ring)
        left = LENGTH - t
        if left < FADE:
            v *= 0.5 - 0.5 * math.cos(math.pi * max(left, 0.0) / FADE)
        samples.append(v)
    samples[-1] = 0.0
    top = max(abs(v) for v in samples)
    scale = PEAK * 32767.0 / top
    return [int(round(v * scale)) for v in samples]


def wav(pcm):
    out = io.BytesIO()
    with wave.open(out, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(struct.pack("<%dh" % len(pcm), *pcm))
    return out.getvalue()


def main(argv):
    mode = mode_of(argv, __doc__)
    if mode is None:
        return 2
    # The samples are this script's own arithmetic; another libm may round one the other way.
    fresh = write_or_check(OUTPUT, wav(render()), mode,
                           "content/Zikan.wav is not what tools/make_chime.py synthesises: run it",
                           wav_differences(0.01, 1))
    return 0 if fresh else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

"""What the content tools share: a made file is either written over the committed one or compared
with it, so that a stale file in content/ fails the build.

Two ways to compare. --check holds the committed file to what the program relies on: for a
picture, its format, size, mode and markers and its decoded pixels within a small tolerance; for
a sound, its format and samples. The bytes themselves come from Pillow, libjpeg-turbo, zlib and
matplotlib, whose every update may write them differently with nothing changed here, so a test
that compared bytes would fail for no fault of ours. --check-bytes compares bytes, for the one
who changes a generator and wants to see that nothing else moved. A file whose bytes are all
ours (the documents) is compared byte for byte in both modes.
"""

import io
import sys
import wave

import numpy as np
from PIL import Image, ImageFilter

MODES = {(): "write", ("--check",): "check", ("--check-bytes",): "bytes"}


def mode_of(argv, usage):
    """The mode a generator's command line asks for, or None after printing usage."""
    mode = MODES.get(tuple(argv))
    if mode is None:
        print(usage, file=sys.stderr)
    return mode


def write_or_check(path, data, mode, stale, differences=None):
    """Writes data to path in mode "write"; otherwise compares, and returns False after printing
    stale and what differs on stderr when the committed file is missing or is not the same.
    differences(committed, made) lists how two files differ in what matters; without it, or in
    mode "bytes", any byte counts."""
    if mode == "write":
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(data)
        return True
    if not path.is_file():
        print(f"{stale} (missing)", file=sys.stderr)
        return False
    committed = path.read_bytes()
    if committed == data:
        return True
    found = ["other bytes"] if mode == "bytes" or differences is None \
        else differences(committed, data)
    if not found:
        return True
    print(stale, file=sys.stderr)
    for difference in found:
        print(f"  {difference}", file=sys.stderr)
    return False


# ---------------------------------------------------------------------------------------------
# Pictures

def pixel_differences(committed, made, mean_limit, max_limit, smoothing=0):
    """How far two pictures of one size lie apart, channel by channel: the mean absolute
    difference and the largest one. Palette pictures are compared as the colours they show.
    A smoothing of n compares both blurred over (2n + 1) x (2n + 1) pixels, as the eye sees a
    dithered picture: another quantizer's dither changes single pixels by a whole step of the
    palette, a changed drawing changes areas."""
    def array(picture):
        wanted = "RGBA" if "A" in picture.mode or "transparency" in picture.info else "RGB"
        picture = picture.convert(wanted)
        if smoothing:
            picture = picture.filter(ImageFilter.BoxBlur(smoothing))
        return np.asarray(picture, dtype=np.int16)
    a, b = array(committed), array(made)
    if a.shape != b.shape:
        return [f"pixels of shape {a.shape} against {b.shape}"]
    diff = np.abs(a - b).reshape(-1, a.shape[-1])
    means, peaks = diff.mean(axis=0), diff.max(axis=0)
    found = []
    if means.max() > mean_limit:
        found.append("mean pixel difference " + " ".join(f"{m:.2f}" for m in means)
                     + f" per channel, more than {mean_limit}")
    if peaks.max() > max_limit:
        found.append("largest pixel difference " + " ".join(str(p) for p in peaks)
                     + f" per channel, more than {max_limit}")
    return found


def frames(picture):
    """Every image a file holds: the frames of an animation, the sizes of an icon."""
    if picture.format == "ICO":
        return [picture.ico.frame(i) for i in range(len(picture.ico.entry))]
    found = []
    for frame in range(getattr(picture, "n_frames", 1)):
        picture.seek(frame)
        found.append(picture.copy())
    return found


def picture_differences(mean_limit, max_limit, smoothing=0, traits=lambda data, picture: {}):
    """A differences() for pictures: both must have the same format, size, mode and number of
    images, what traits(bytes, opened picture) tells of a file (the markers and metadata the
    program relies on) must be the same, and the pixels close (see pixel_differences)."""
    def differences(committed, made):
        found = []
        pictures = []
        for name, data in (("committed", committed), ("made", made)):
            try:
                picture = Image.open(io.BytesIO(data))
                picture.load()
                pictures.append((picture, traits(data, picture)))
            except (OSError, ValueError, IndexError, SyntaxError) as error:
                return [f"the {name} file does not decode: {error!r}"]
        (old, old_traits), (new, new_traits) = pictures
        for what, a, b in (("format", old.format, new.format), ("size", old.size, new.size),
                           ("mode", old.mode, new.mode),
                           ("images", len(frames(old)), len(frames(new)))):
            if a != b:
                found.append(f"{what} {a} where it should be {b}")
        for key in sorted(set(old_traits) | set(new_traits)):
            if old_traits.get(key) != new_traits.get(key):
                found.append(f"{key}: {old_traits.get(key)!r} where it should be "
                             f"{new_traits.get(key)!r}")
        if found:
            return found
        images = list(zip(frames(old), frames(new)))
        for number, (a, b) in enumerate(images, start=1):
            found += [f"image {number}: {d}" if len(images) > 1 else d
                      for d in pixel_differences(a, b, mean_limit, max_limit, smoothing)]
        return found
    return differences


# ---------------------------------------------------------------------------------------------
# Sounds

def wav_differences(mean_limit, max_limit):
    """A differences() for 16-bit WAV files: the same channels, sample width, rate and length,
    and samples within max_limit steps of each other, mean_limit on average."""
    def differences(committed, made):
        sounds = []
        for name, data in (("committed", committed), ("made", made)):
            try:
                with wave.open(io.BytesIO(data)) as w:
                    params = w.getparams()
                    frames = w.readframes(w.getnframes())
            except (EOFError, wave.Error) as error:
                return [f"the {name} file does not decode: {error}"]
            sounds.append((params, frames))
        (old, old_frames), (new, new_frames) = sounds
        found = [f"{what} {getattr(old, what)} where it should be {getattr(new, what)}"
                 for what in ("nchannels", "sampwidth", "framerate", "nframes", "comptype")
                 if getattr(old, what) != getattr(new, what)]
        if found:
            return found
        a = np.frombuffer(old_frames, dtype="<i2").astype(np.int32)
        b = np.frombuffer(new_frames, dtype="<i2").astype(np.int32)
        diff = np.abs(a - b)
        if diff.size and diff.mean() > mean_limit:
            found.append(f"mean sample difference {diff.mean():.2f}, more than {mean_limit}")
        if diff.size and diff.max() > max_limit:
            found.append(f"largest sample difference {diff.max()}, more than {max_limit}")
        return found
    return differences


def gif_traits(data, picture):
    """What the program's reading of a GIF relies on: the version, the global colour table and
    whether the first image is interlaced."""
    flags = data[10]
    table = 2 << (flags & 7) if flags & 0x80 else 0
    # Pillow keeps the interlace flag only in the decoder's arguments, before the first load.
    interlaced = bool(Image.open(io.BytesIO(data)).tile[0][3][1])
    return {"version": data[:6], "global colour table": table, "interlaced": interlaced}


def jpeg_segments(data):
    """The marker segments before the first scan, as (marker, payload), and the count of
    restart markers in the entropy-coded data."""
    segments, pos = [], 2
    while pos + 4 <= len(data) and data[pos] == 0xFF:
        marker = data[pos + 1]
        length = int.from_bytes(data[pos + 2:pos + 4], "big")
        segments.append((marker, data[pos + 4:pos + 2 + length]))
        pos += 2 + length
        if marker == 0xDA:
            break
    restarts = sum(data.count(bytes((0xFF, 0xD0 + n)), pos) for n in range(8))
    return segments, restarts


def jpeg_traits(data, picture):
    """What the program and its tests rely on in a JPEG: the order of the segments before the
    scan (JFIF, Photoshop IPTC, ICC, comment, restart interval, baseline frame), the JFIF version
    and density, the frame's components and sampling, the restart interval and markers, the
    ICC profile's kind, and the comment and the APP13 block, which are this project's own."""
    segments, restarts = jpeg_segments(data)
    first = {}
    for marker, payload in segments:
        first.setdefault(marker, payload)
    app0, frame, icc = first.get(0xE0, b""), first.get(0xC0, b""), first.get(0xE2, b"")
    # Each component of a frame: id, sampling factors, quantisation table.
    components = [tuple(frame[6 + 3 * i:9 + 3 * i]) for i in range(frame[5])] if frame else []
    profile = icc[14:] if icc.startswith(b"ICC_PROFILE\0") else b""
    return {
        "segments": [f"FF{marker:02X}" for marker, _ in segments],
        "JFIF": (app0[:5], tuple(app0[5:7]), app0[7:12]),
        "components": components,
        "restart interval": first.get(0xDD),
        "restart markers": restarts,
        "ICC profile": (profile[12:20], profile[36:40]),
        "comment": first.get(0xFE),
        "APP13": first.get(0xED),
        "dpi": picture.info.get("dpi"),
    }


def ico_traits(data, picture):
    """An ICO's directory: each image's width, height, colour count and bits per pixel."""
    count = int.from_bytes(data[4:6], "little")
    return {"images": [tuple(data[6 + 16 * i:10 + 16 * i]) + (data[12 + 16 * i],)
                       for i in range(count)]}

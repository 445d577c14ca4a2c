#!/usr/bin/env python3
r"""Writes Tamsel's rich-text documents (RTF in code page 932) from readable UTF-8 sources.

Usage:
  tools/rtfwrite.py SOURCE OUTPUT     write one document:
                          tools/rtfwrite.py content/documents/booklet.txt content/booklet.rtf
  tools/rtfwrite.py --all             write every content/documents/NAME.txt to content/NAME.rtf
  tools/rtfwrite.py --check [SOURCE OUTPUT]
                                      exit 1 if a committed document differs from what its source
                                      gives (without paths: every document), or if proofreading
                                      finds a fault in its content (tools/proofread.py)
  tools/rtfwrite.py --list            print each document's source and output, tab-separated
  tools/rtfwrite.py --plain OUTPUT    print the text a document's source stands for, as a reader
                                      shows it: one line per paragraph, without directives and
                                      markup (OUTPUT is a document that --list names)

The source markup:
  Each line of text is one paragraph; an empty line is an empty paragraph.
  A line that starts with "@" is a directive and writes no paragraph:
    @# words          a comment
    @fonts booklet    the booklet's font table, f0 to f7 (otherwise f0 to f3); before any text
    @font f5 fs16     font and size of the text from the next line on (default f3 fs18, for the
                      booklet f5 fs16)
    @hanging          the following paragraphs hang: left indent 360 twips, first line -360, a tab
                      stop at 330, so that a tab after "①、" lines the choice text up
    @plain            back to plain paragraphs
    @platform windows the following lines are only for the Windows program (or linux: only for
                      the Linux one; all: for both again). A source with such lines gives one
                      document for each: NAME.rtf for Linux and NAME-windows.rtf for Windows.
  Inside a line:
    {f7:DNA}          a run in another font, size or both ({fs21:※}, {f5 fs21:※}); the line's
                      own font follows it again. {f6:} writes an empty run. "sub" among the
                      words lowers the run as a subscript: F₁ is {f7:F}{f7 sub:1}.
    \t                a tab
    \\ \{ \} \@       a backslash, a brace, an "@" (needed only at the start of a line)

The document follows the program's conventions: its header, font table, colour table (black),
Japanese line-breaking rule lists, every byte above 0x7F and both bytes of a double-byte character
as lower-case hexadecimal escapes, CR LF after each \par, "\par }" CR LF at the end and a NUL.
"""

import pathlib
import re
import sys

from committed import write_or_check
from proofread import PROOFREADERS

ROOT = pathlib.Path(__file__).resolve().parent.parent
CONTENT = ROOT / "content"
# Every text file here is the source of one of the program's documents, and nothing else is.
SOURCES = CONTENT / "documents"

HEADER = r"{\rtf1\ansi\ansicpg932\deff0\deftab720"
SETTINGS = r"\deflang1041\horzdoc"
COLOURS = r"{\colortbl\red0\green0\blue0;}"

STANDARD_FONTS = [
    (r"\fswiss", "MS Sans Serif"),
    (r"\froman\fcharset2", "Symbol"),
    (r"\fmodern\fcharset128", "ＭＳ ゴシック"),
    (r"\fmodern\fcharset128", "ＭＳ ゴシック"),
]
BOOKLET_FONTS = STANDARD_FONTS + [
    (r"\fswiss\fprq2", "Geneva"),
    (r"\froman\fprq1\fcharset128", "ＭＳ 明朝"),
    (r"\fnil\fprq2\fcharset128", "平成明朝"),
    (r"\froman\fprq2", "Century"),
]
FONT_TABLES = {"standard": STANDARD_FONTS, "booklet": BOOKLET_FONTS}
BODY_FONTS = {"standard": (3, 18), "booklet": (5, 16)}

# Characters that may not begin a line, and characters that may not end one.
NOT_FIRST = "!%),.:;?]}°’”‰′″℃、。々〉》」』】〕゛゜ゝゞ・ヽヾ！％），．：；？］｝｡｣､･ｧｨｩｪｫｬｭｮｯｰﾞﾟ￠"
NOT_LAST = "$([\\{‘“〈《「『【〔＄（［｛｢￡￥"

HANGING = r"\li360\fi-360\tx330"


class SourceError(Exception):
    pass


class Escaper:
    """Turns text into RTF, with the space that ends a control word only where one is needed."""

    def __init__(self, single_byte_kana=False):
        self.parts = []
        self.after_word = False
        # Half-width katakana belong only in the line-breaking rule lists.
        self.single_byte_kana = single_byte_kana

    def word(self, words):
        self.parts.append(words)
        self.after_word = True

    def raw(self, rtf):
        self.parts.append(rtf)
        self.after_word = False

    def text(self, text):
        for ch in text:
            if ch == "\t":
                self.word(r"\tab")
                continue
            if ch in "\\{}":
                self.raw("\\" + ch)
                continue
            if ord(ch) < 0x20:
                raise SourceError(f"control character U+{ord(ch):04X}")
            try:
                data = ch.encode("cp932")
            except UnicodeEncodeError:
                raise SourceError(f"{ch!r} (U+{ord(ch):04X}) is not in code page 932") from None
            if data.decode("cp932") != ch:
                # Python maps some look-alikes (〜 to ～) that would read back as another character.
                raise SourceError(f"{ch!r} reads back as {data.decode('cp932')!r}: write that")
            if len(data) == 1 and data[0] < 0x80:
                if self.after_word:
                    self.parts.append(" ")
                self.raw(ch)
            elif len(data) == 1 and not self.single_byte_kana:
                raise SourceError(f"half-width {ch!r}: the documents use full-width katakana")
            else:
                self.raw("".join(f"\\'{b:02x}" for b in data))

    def result(self):
        return "".join(self.parts)


def escaped(text):
    escaper = Escaper(single_byte_kana=True)
    escaper.text(text)
    return escaper.result()


def parse_font_switch(switch, font, size, fonts):
    """Reads "f5 fs16" (either part may be missing) over the current font and size."""
    words = switch.split()
    if not words:
        raise SourceError("a font switch names neither font nor size")
    for word in words:
        if re.fullmatch(r"fs\d+", word, re.ASCII):
            size = int(word[2:])
            if not 1 <= size <= 3276:
                raise SourceError(f"size {word} out of range")
        elif re.fullmatch(r"f\d+", word, re.ASCII):
            font = int(word[1:])
            if font >= len(fonts):
                raise SourceError(f"font {word} is not in the font table")
        else:
            raise SourceError(f"{word!r} is neither fN nor fsN")
    return font, size


def parse_run_switch(switch, font, size, fonts):
    """Reads a run's switch, "f7 sub:" say, as (font, size, lowered as a subscript)."""
    words = switch.split()
    lowered = "sub" in words
    rest = " ".join(word for word in words if word != "sub")
    if lowered and not rest:
        return font, size, True
    return parse_font_switch(rest, font, size, fonts) + (lowered,)


def split_line(line):
    """Splits a line into (switch, text) pieces: switch None for the line's own font."""
    pieces = []
    text = []
    switch = None
    i = 0
    while i < len(line):
        ch = line[i]
        if ch == "\\":
            if i + 1 == len(line):
                raise SourceError("a backslash at the end of the line")
            nxt = line[i + 1]
            if nxt == "t":
                text.append("\t")
            elif nxt in "\\{}@":
                text.append(nxt)
            else:
                raise SourceError(f"unknown escape \\{nxt}")
            i += 2
            continue
        if ch == "{":
            if switch is not None:
                raise SourceError("a run inside a run")
            colon = line.find(":", i)
            if colon < 0:
                raise SourceError("a run without ':'")
            pieces.append((None, "".join(text)))
            text = []
            switch = line[i + 1 : colon]
            i = colon + 1
            continue
        if ch == "}":
            if switch is None:
                raise SourceError("'}' without its run")
            pieces.append((switch, "".join(text)))
            text = []
            switch = None
            i += 1
            continue
        text.append(ch)
        i += 1
    if switch is not None:
        raise SourceError("a run without its '}'")
    pieces.append((None, "".join(text)))
    return pieces


PLATFORMS = ("linux", "windows")


def source_lines(source, platform=None):
    """The source's lines, without those for another platform than the one given and without
    the @platform directives themselves."""
    text = source.replace("\r\n", "\n")
    lines = text.split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    kept, section = [], "all"
    for number, line in enumerate(lines, start=1):
        if line.startswith("@platform"):
            section = line[len("@platform"):].strip()
            if section not in PLATFORMS + ("all",):
                raise SourceError(f"line {number}: @platform takes linux, windows or all")
            line = "@#"  # keeps the line numbers of what follows
        elif section not in ("all", platform):
            line = "@#"
        kept.append(line)
    return kept


def has_platforms(source):
    return any(line.startswith("@platform") for line in source.splitlines())


def plain_text(source, platform=None):
    """The text the source stands for: its paragraphs without directives, runs and escapes."""
    lines = []
    for number, line in enumerate(source_lines(source, platform), start=1):
        if line.startswith("@"):
            continue
        try:
            lines.append("".join(text for _, text in split_line(line)))
        except SourceError as error:
            raise SourceError(f"line {number}: {error}") from None
    return "".join(line + "\n" for line in lines)


def paragraph_runs(source, platform=None):
    """Each paragraph of a source that write_rtf takes, as (text, hanging, runs): runs as
    (size in half points, text, lowered as a subscript)."""
    kind = "standard"
    font, size = BODY_FONTS[kind]
    hanging = False
    paragraphs = []
    for line in source_lines(source, platform):
        if line.startswith("@"):
            name, _, argument = line[1:].partition(" ")
            if name == "fonts":
                kind = argument
                font, size = BODY_FONTS[kind]
            elif name == "font":
                font, size = parse_font_switch(argument, font, size, FONT_TABLES[kind])
            elif name in ("hanging", "plain"):
                hanging = name == "hanging"
            continue
        runs = []
        for switch, text in split_line(line):
            _, run_size, lowered = (font, size, False) if switch is None else parse_run_switch(
                switch, font, size, FONT_TABLES[kind])
            runs.append((run_size, text, lowered))
        paragraphs.append(("".join(text for _, text, _ in runs), hanging, runs))
    return paragraphs


def write_rtf(source, platform=None):
    """The document, as bytes, that the UTF-8 source text describes for a platform."""
    kind = "standard"
    font, size = BODY_FONTS[kind]
    hanging = False
    pending_pard = True
    pending_plain = True
    paragraphs = []

    for number, line in enumerate(source_lines(source, platform), start=1):
        try:
            if line.startswith("@"):
                name, _, argument = line[1:].partition(" ")
                if name == "#":
                    pass
                elif name == "fonts":
                    if paragraphs or argument not in FONT_TABLES:
                        raise SourceError("@fonts takes standard or booklet, before any text")
                    kind = argument
                    font, size = BODY_FONTS[kind]
                elif name == "font":
                    font, size = parse_font_switch(argument, font, size, FONT_TABLES[kind])
                    pending_plain = True
                elif name in ("hanging", "plain"):
                    hanging = name == "hanging"
                    pending_pard = True
                else:
                    raise SourceError(f"unknown directive @{name}")
                continue

            out = Escaper()
            if pending_pard:
                out.word(r"\pard" + (HANGING if hanging else ""))
            if pending_pard or pending_plain:
                out.word(rf"\plain\f{font}\fs{size}")
            pending_pard = pending_plain = False
            for switch, text in split_line(line):
                if switch is None:
                    out.text(text)
                    continue
                run_font, run_size, lowered = parse_run_switch(switch, font, size,
                                                               FONT_TABLES[kind])
                out.word(rf"\plain\f{run_font}\fs{run_size}" + (r"\sub" if lowered else ""))
                out.text(text)
                out.word(rf"\plain\f{font}\fs{size}")
            out.word(r"\par")
            paragraphs.append(out.result())
        except SourceError as error:
            raise SourceError(f"line {number}: {error}") from None

    if not paragraphs:
        raise SourceError("the source has no text")

    fonts = "".join(
        f"{{\\f{n}{family} {escaped(name)};}}" for n, (family, name) in enumerate(FONT_TABLES[kind])
    )
    rules = f"{{\\*\\fchars {escaped(NOT_FIRST)}}}{{\\*\\lchars {escaped(NOT_LAST)}}}"
    head = [HEADER + "{\\fonttbl" + fonts + "}", COLOURS, SETTINGS + rules]
    rtf = "\r\n".join(head + paragraphs) + " }\r\n"
    return rtf.encode("ascii") + b"\0"


def platform_of(output):
    """The platform a document is for, by its name: NAME-windows.rtf is the Windows one."""
    return "windows" if output.stem.endswith("-windows") else "linux"


def outputs_of(source):
    """The documents a source gives: one, or one for each platform when it has @platform lines."""
    if has_platforms(source.read_text("utf-8")):
        return [CONTENT / (source.stem + ".rtf"), CONTENT / (source.stem + "-windows.rtf")]
    return [CONTENT / (source.stem + ".rtf")]


def documents():
    """Each document's source and the committed document it gives."""
    return [(source, output) for source in sorted(SOURCES.glob("*.txt"))
            for output in outputs_of(source)]


def pairs(paths):
    if paths:
        if len(paths) != 2:
            raise SystemExit("rtfwrite: give a SOURCE and an OUTPUT")
        return [(pathlib.Path(paths[0]), pathlib.Path(paths[1]))]
    return documents()


def plain(output):
    """--plain: the text of the listed document at output."""
    for source, listed in documents():
        if listed.resolve() == pathlib.Path(output).resolve():
            text = plain_text(source.read_text("utf-8"), platform_of(listed))
            sys.stdout.buffer.write(text.encode())
            return 0
    print(f"rtfwrite: {output} is no document of content/ (see --list)", file=sys.stderr)
    return 1


def main(argv):
    if argv == ["--list"]:
        for source, output in documents():
            print(f"{source}\t{output}")
        return 0
    if len(argv) == 2 and argv[0] == "--plain":
        try:
            return plain(argv[1])
        except SourceError as error:
            print(f"{argv[1]}: {error}", file=sys.stderr)
            return 1
    check = "--check" in argv
    everything = "--all" in argv
    paths = [a for a in argv if a not in ("--check", "--all")]
    if not check and not everything and len(paths) != 2:
        print(__doc__, file=sys.stderr)
        return 2

    failed = False
    for source, output in pairs(paths):
        try:
            text = source.read_text(encoding="utf-8")
            rtf = write_rtf(text, platform_of(output))
        except SourceError as error:
            print(f"{source}: {error}", file=sys.stderr)
            failed = True
            continue
        if check and source.stem in PROOFREADERS:
            faults = PROOFREADERS[source.stem](paragraph_runs(text, platform_of(output)))
            for fault in faults:
                print(f"{source}: {fault}", file=sys.stderr)
            failed |= bool(faults)
        stale = f"{output} is not what {source} gives: run tools/rtfwrite.py {source} {output}"
        failed |= not write_or_check(output, rtf, "check" if check else "write", stale)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

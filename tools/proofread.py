"""Proofreading of the documents' invented content, run by tools/rtfwrite.py --check: what a
reader of the pass-line table or the booklet would take for a misprint, though the program reads
the document as written. Each check takes the document's paragraphs as (text, hanging, runs),
runs as (size in half points, text, lowered), and lists its faults.
"""

import re

# --- the pass-line table --------------------------------------------------------------------

TAB_CELLS = 8
GROUP_CELL = 34
PASS_LINE_CELL = 110
PASS_LINE_RANGE = (80.0, 96.0)  # per cent: hard enough to be a former imperial university's
LEADERS = ("東京大学", "京都大学")
MEDICINE = "医学部"

HISTORY = ["世Ａ", "世Ｂ", "日Ａ", "日Ｂ", "地理Ａ", "地理Ｂ"]
CIVICS = ["現社", "倫理", "政経", "倫政"]
# What each subject group offers, and the groups of each of an entry's five lines.
OFFERS = {"国": ["国語"], "地歴": HISTORY, "地歴・公民": HISTORY + CIVICS,
          "数": ["数Ⅰ・Ａ", "数Ⅱ・Ｂ"], "理": ["物理", "化学", "生物", "地学"], "外": ["英語"]}
LINE_GROUPS = (("国",), ("地歴", "地歴・公民"), ("数",), ("理",), ("外",))


def columns(line):
    """The texts of a line with the cells they stand at, as (cell, text), in the monospaced
    table font: an ASCII character is one cell, any other two, a tab goes to the next multiple
    of 8. A column ends at a tab or at blanks wider than the lone ideographic space inside
    "国　―　国語"."""
    def advance(cell, ch):
        return (cell // TAB_CELLS + 1) * TAB_CELLS if ch == "\t" else cell + (
            1 if ord(ch) < 0x80 else 2)

    found, cell, i = [], 0, 0
    while i < len(line):
        if line[i] in "\u3000 \t":
            cell = advance(cell, line[i])
            i += 1
            continue
        start, text = cell, ""
        while i < len(line):
            lone = line[i] == "\u3000" and i + 1 < len(line) and line[i + 1] not in "\u3000 \t"
            if line[i] in "\u3000 \t" and not lone:
                break
            text += line[i]
            cell = advance(cell, line[i])
            i += 1
        found.append((start, text))
    return found


def subject_fault(group, subjects):
    """Why "subjects" is not what the group offers: a list names the required subjects, or ends
    with how many of them are chosen ("…から２"); None when it is."""
    choice = re.search("から([１-９])$", subjects)
    names = subjects[:choice.start()] if choice else subjects
    listed = names.split("，")
    if choice and int(choice.group(1)) >= len(listed):
        return f"chooses {choice.group(1)} of {len(listed)} subjects"
    if group in ("国", "外") and (choice or len(listed) != 1):
        return "the group has one required subject"
    if group == "地歴・公民" and not set(listed) & set(CIVICS):
        return "no civics subject: the group is 地歴"
    for k, name in enumerate(listed):
        if name not in OFFERS.get(group, []):
            return f"{name} is not a subject of {group}"
        if name in listed[:k]:
            return f"{name} twice"
    return None


def passline_faults(paragraphs):
    lines = [text for text, _, _ in paragraphs]
    faults = []
    entries = []  # (university, faculty, pass line)
    university = None
    # The header, a blank line, then entries of five lines and a blank line each.
    for start in range(2, len(lines), 6):
        entry = lines[start:start + 5]
        first = dict(columns(entry[0]))
        university = first.get(4, university)
        faculty = first.get(22)
        where = f"{university} {faculty}"
        match = re.fullmatch("([０-９]{2}．[０-９])％", first.get(PASS_LINE_CELL, ""))
        if not match:
            faults.append(f"{where}: no pass line at cell {PASS_LINE_CELL}")
            continue
        percent = float(match.group(1).translate(str.maketrans("０１２３４５６７８９．",
                                                               "0123456789.")))
        if not PASS_LINE_RANGE[0] <= percent <= PASS_LINE_RANGE[1]:
            faults.append(f"{where}: pass line {percent} % outside {PASS_LINE_RANGE}")
        entries.append((university, faculty, percent))
        for number, (line, groups) in enumerate(zip(entry, LINE_GROUPS), start=1):
            column = dict(columns(line)).get(GROUP_CELL, "")
            group, dash, subjects = column.partition("　―　")
            if not dash or group not in groups:
                faults.append(f"{where}, line {number}: {column!r} is not a group of {groups}")
            elif subject_fault(group, subjects):
                faults.append(f"{where}, line {number}: {subject_fault(group, subjects)}")

    line_of = {(u, f): p for u, f, p in entries}
    for university, faculty, percent in entries:
        medicine = line_of.get((university, MEDICINE), 0.0)
        if faculty != MEDICINE and percent >= medicine:
            faults.append(f"{university}: {faculty} not below {MEDICINE}")
        for leader in LEADERS:
            if university not in LEADERS and percent >= line_of.get((leader, faculty), 0.0):
                faults.append(f"{university} {faculty}: not below {leader}")
    return faults


# --- the booklet ----------------------------------------------------------------------------

BODY_SIZE = 16   # 8 points
LARGE_SIZE = 21  # 10.5 points, for the one "※"
# Each figure and the question and section whose text it illustrates.
FIGURE_PLACES = {1: (1, "A"), 2: (1, "B"), 3: (1, "B"), 4: (2, ""), 5: (2, ""), 6: (4, "A"),
                 7: (5, ""), 8: (6, "B")}
TABLE_PLACE = (4, "B")
TABLE_ROWS = 4


def places(paragraphs):
    """Each paragraph's text with its question and section letter ("" outside sections)."""
    question, section, found = 0, "", []
    for text, _, _ in paragraphs:
        heading = re.match("第([1-9１-９])問　", text)
        if heading:
            question, section = int(heading.group(1)), ""
        elif re.match("[ＡＢ]　", text):
            section = chr(ord("A") + ord(text[0]) - ord("Ａ"))
        found.append((text, question, section))
    return found


def table_columns(row):
    """Where each column of a row of 表１ starts, in half cells."""
    starts, cell, blank = [], 0, True
    for ch in row:
        if ch not in "　 " and blank:
            starts.append(cell)
        blank = ch in "　 "
        cell += 1 if ord(ch) < 0x80 else 2
    return starts


def booklet_faults(paragraphs):
    faults = []
    placed = places(paragraphs)

    for figure, place in FIGURE_PLACES.items():
        name = "図" + chr(ord("０") + figure)
        cited = [(q, s) for text, q, s in placed if name in text]
        if not cited:
            faults.append(f"{name} is never cited")
        faults += [f"{name} cited in question {q}{s}, not {place[0]}{place[1]}"
                   for q, s in cited if (q, s) != place]

    # 表１: a title line and four rows whose columns, set with spaces in the fixed-pitch body face,
    # line up: a half-width character (a figure, a half-width space) fills half the cell of a
    # full-width one, so the columns start at the same count of half cells.
    titles = [i for i, (text, _, _) in enumerate(placed) if text.startswith("表１")]
    if len(titles) != 1 or placed[titles[0]][1:] != TABLE_PLACE:
        faults.append(f"表１ wants one title line, in question {TABLE_PLACE}")
    else:
        rows = [text for text, _, _ in placed[titles[0] + 1:titles[0] + 1 + TABLE_ROWS]]
        starts = [table_columns(row) for row in rows]
        if any("\t" in row for row in rows):
            faults.append("表１ has a tab in a row")
        if len(starts) != TABLE_ROWS or len(starts[0]) != 4 or starts.count(starts[0]) != 4:
            faults.append(f"表１'s columns do not line up: {starts}")
    faults += [f"表１ cited outside question {TABLE_PLACE[0]}: {text}"
               for text, q, _ in placed if "表１" in text and q != TABLE_PLACE[0]]

    # Everything is 8 points but the one "※" at 10.5.
    large = "".join(text for _, _, runs in paragraphs for size, text, _ in runs
                    if size == LARGE_SIZE)
    if large != "※":
        faults.append(f"at 10.5 points: {large!r}, where only ※ should be")
    faults += [f"text at size {size}: {text}" for _, _, runs in paragraphs
               for size, text, _ in runs if text and size not in (BODY_SIZE, LARGE_SIZE)]

    # Exactly four paragraphs hang, the first two choices of two lists, each with one of the
    # booklet's tabs; the choice after each pair is plain again.
    hanging = [i for i, (_, hangs, _) in enumerate(paragraphs) if hangs]
    pairs = [hanging[k:k + 2] for k in range(0, len(hanging), 2)]
    if len(hanging) != 4 or any(second != first + 1 for first, second in pairs):
        faults.append(f"hanging paragraphs {hanging}, where two pairs should be")
    else:
        for first, second in pairs:
            texts = [paragraphs[i][0] for i in (first, second, second + 1)]
            if not (texts[0].startswith("①、\t") and texts[1].startswith("②、\t")
                    and texts[2].startswith("③、") and not paragraphs[second + 1][1]):
                faults.append(f"a hanging pair is not ①、 ②、 then a plain ③、: {texts}")
    faults += [f"a tab outside the hanging choices: {text}" for text, hangs, _ in paragraphs
               if "\t" in text and not hangs]
    faults += [f"{text.count(chr(9))} tabs in: {text}" for text, hangs, _ in paragraphs
               if hangs and text.count("\t") != 1]
    return faults


# The documents proofread, by the name of their source.
PROOFREADERS = {"passline": passline_faults, "booklet": booklet_faults}

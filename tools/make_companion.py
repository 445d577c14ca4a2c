#!/usr/bin/python3
"""Writes the companion booklets that come with Tamsel's paper, each as HTML for the screen and
PDF for print, into content/companion/:

  answers.html, answers.pdf   解答・解説: a general comment (総評); for every question its topic,
                              weight, aim and suggested time; for every answer item the right
                              choice, its points, its textbook unit, difficulty and concept, why
                              it is right, the slip behind each other choice and the point to
                              learn, with the figure the answer rests on; a table of the answers,
                              a table by question and topic, and the score bands of the pass-line
                              windows with study advice for each
  paper.html, paper.pdf       問題冊子: a cover with the rules, the six questions and seven
                              figures with each question's answer slots, and a mark sheet, to sit
                              the paper on paper

Only the explanations' prose is written for them (content/explanations.txt). Everything else is
read from its owner, so that the booklets cannot say other than the program: the key, the points
and the choices read from core/marking/AnswerKey.h, the tab captions from
core/marking/AnswerSheet.h, the questions and choice texts from content/documents/booklet.txt
(read as tools/rtfwrite.py reads it), the figures and their text alternatives from
content/figureN@2x.png and content/figure-descriptions.json (tools/make_figures.py), the score
bands from core/passline/ScoreBands.h (the windows' badges and messages stay in the windows: the
pass rates on the badges were never measured; the explanations give each band its advice). The
explanations must give a reason for every choice but the key: a source that disagrees with the
key does not make a booklet.

The PDF is WeasyPrint's rendering of the same HTML with its print style sheet: A4, IPA Mincho and
Gothic embedded, with the Latin letters and digits of IPA P Mincho and P Gothic (in which O and 0
differ; tools/latin-faces.conf), the figures drawn anew by tools/make_figures.py at print
resolution (at least 300 ppi as printed, 10 cm wide in 解答・解説) and each printed once a
question, the answer table on one page, no heading, paragraph, figure or table row left at a
page's foot or cut, every item of 解答・解説 on one page;
問題冊子 is laid out for duplex print, every figure on the spread of its questions and the mark
sheet a leaf of its own at the end.
WeasyPrint writes no tagged PDF, so the HTML, with the figures' text alternatives, is the version
for a screen reader, and both documents say so.

Needs /usr/bin/python3 with python3-weasyprint (Debian package weasyprint), what
tools/make_figures.py needs to draw the figures (python3-matplotlib), the IPA fonts and, for
--check, pdfinfo, pdffonts, pdftotext and pdfimages from poppler-utils.

Usage:
  /usr/bin/python3 tools/make_companion.py           write the four files
  /usr/bin/python3 tools/make_companion.py --check   make them in a temporary folder; exit 1
                                                     naming every committed file that differs:
                                                     the HTML byte for byte; of a PDF, what a
                                                     reader gets (see pdf_differences)
  /usr/bin/python3 tools/make_companion.py --check-bytes   the same, the PDFs byte for byte too
"""

import functools
import html
import io
import json
import os
import re
import subprocess
import sys
import tempfile
from pathlib import Path

import companion_diagrams
import figure_tags
from committed import mode_of, write_or_check
from rtfwrite import paragraph_runs

ROOT = Path(__file__).resolve().parent.parent
CONTENT = ROOT / "content"
OUT = CONTENT / "companion"
EXPLANATIONS = CONTENT / "explanations.txt"
BOOKLET = CONTENT / "documents" / "booklet.txt"
DESCRIPTIONS = CONTENT / "figure-descriptions.json"
# The documents stand in content/companion/ and, installed, in share/tamsel/companion/; the
# figures one folder up in both.
FIGURE_URL = "../{stem}@2x.png"
LATIN_FACES = Path(__file__).resolve().parent / "latin-faces.conf"

CIRCLED = "①②③④⑤⑥⑦⑧"
FULL_DIGITS = str.maketrans("0123456789", "０１２３４５６７８９")
HALF_DIGITS = str.maketrans("０１２３４５６７８９", "0123456789")


class SourceError(Exception):
    pass


# ---------------------------------------------------------------------------------------------
# The notation, one for the booklet and both documents. The booklet (content/documents/booklet.txt)
# and the explanations are written to it, and what a reader gets of each document is held to it
# before it is written or checked:
#
#   F₁          F with a subscript 1: F_{1} in the explanations, {f7:F}{f7 sub:1} in the booklet;
#               never F1.
#   digits      half-width (in the booklet's Latin face f7) for every quantity, count, fraction,
#               ratio, slot and answer number: 60分, 1滴, 2分の1, 解答番号12, 4-A1-1. Full-width
#               only for the one digit that numbers a part of the paper: 第１問, 問１, 図１, 表１,
#               操作１, 実験１, 男性１, the blanks （１）, and their ranges and pairs (問１～５,
#               問４・問５, （１）・（２）).
#   fractions   N分のM (4分の1); in a formula a quotient is a÷b. A slash stands only in a unit
#               (mg/mL).
#   ratios      the full-width colon between half-width numbers, without spaces: 4：1：1：4.
#   brackets    full-width （） and 「」, for Latin text too (遺伝子A（a））; never one （） directly
#               inside another.
#   commas      the full-width ， and ・ in lists, between Latin letters too (A，B，O); 、 only
#               after a choice's number in the program's booklet (①、), which the documents set
#               as ①　.
PART = "(?:第|問|図|表|操作|実験|男性|女性)"
PART_NUMBERS = re.compile(f"{PART}[１-９](?:[～・]{PART}?[１-９](?![０-９]))*(?![０-９])|（[１-９]）")
NOTATION = (
    ("F1 without its subscript", re.compile("F1")),
    ("a part of the paper numbered in half-width digits", re.compile(f"{PART}[0-9]")),
    ("a slash outside a unit", re.compile("／|(?<![A-Za-z])/|/(?![0-9]*[A-Za-z])")),
    ("a ratio with a half-width colon or spaces", re.compile("[0-9] ?: ?[0-9]|[0-9] ：|： [0-9]")),
    ("a half-width bracket", re.compile("[()\\[\\]]")),
    ("a bracket inside a bracket", re.compile("（[^（）]*（")),
    ("a half-width comma or 、", re.compile("[,、]")),
)


def notation_faults(document_html):
    """Where the text a reader gets of a document, its alternatives and titles included, breaks
    the notation; a subscript reads as such, so that F<sub>1</sub> is F₁."""
    text = re.sub(r"<style>.*?</style>", "", document_html, flags=re.S)
    text = re.sub(r"<sub>([0-9])</sub>", lambda m: "₀₁₂₃₄₅₆₇₈₉"[int(m.group(1))], text)
    alternatives = re.findall(r' (?:alt|aria-label)="([^"]*)"', text)
    read = html.unescape(re.sub(r"<[^>]+>", "\n", text)) + "\n" + "\n".join(
        html.unescape(alternative) for alternative in alternatives)
    faults = [f"a full-width digit that numbers no part of the paper: …{m.group(0)}…"
              for m in re.finditer("[^\\n]{0,12}[０-９][^\\n]{0,8}", PART_NUMBERS.sub("□", read))]
    for what, pattern in NOTATION:
        for m in pattern.finditer(read):
            around = read[max(0, m.start() - 12):m.end() + 8]
            faults.append(f"{what}: …{around}…".replace("\n", " "))
    return faults


# ---------------------------------------------------------------------------------------------
# What the program owns

def cpp_source(relative):
    """A header or source of the program, without its comments."""
    text = (ROOT / relative).read_text("utf-8")
    return re.sub(r"//[^\n]*", "", text)


def answer_items():
    """The sheet's items in order, each with its caption, boxes, key and points."""
    sheet = cpp_source("core/marking/AnswerSheet.h")
    block = re.search(r"answerItems\{\{(.*?)\}\};", sheet, re.S).group(1)
    items = [{"caption": c, "boxes": int(b)}
             for c, b in re.findall(r'\{"([^"]+)",\s*(\d+)\}', block)]
    key = cpp_source("core/marking/AnswerKey.h")
    block = re.search(r"AnswerKey\{\{(.*?)\}\};", key, re.S).group(1)
    rows = re.findall(r"\{(\d+),\s*(\d+),\s*(\d+)\}", block)
    if len(rows) != len(items) or not items:
        raise SourceError(f"{len(rows)} key rows for {len(items)} answer items")
    for number, (item, (consulted, correct, points)) in enumerate(zip(items, rows), start=1):
        item.update(number=number, consulted=int(consulted), correct=int(correct),
                    points=int(points))
        # "4-A1-1": question 4, section A, 問１, the answer slot 1.
        parts = item["caption"].split("-")
        sub = parts[1]
        item["question"] = int(parts[0])
        item["section"] = sub[0] if sub[0].isalpha() else ""
        item["number_in_question"] = int(sub.lstrip("AB"))
        item["slot"] = int(parts[2]) if len(parts) > 2 else 0
    return items


def score_bands(full_marks):
    """Each pass-line window's scores, as (lowest, highest), in the bands' order."""
    bands_source = cpp_source("core/passline/ScoreBands.h")
    block = re.search(r"scoreBands\{\{(.*?)\}\};", bands_source, re.S).group(1)
    bands = [(test, int(bound), int(window)) for test, bound, window in
             re.findall(r"ScoreBand::Test::(Equal|AtLeast),\s*(-?\d+),\s*(\d+)", block)]

    # The first band that holds decides, as passLineWindowFor() does.
    scores = {}
    for score in range(full_marks + 1):
        for test, bound, window in bands:
            if (score == bound) if test == "Equal" else (score >= bound):
                scores.setdefault(window, []).append(score)
                break
    found = []
    for _, _, window in bands:
        reached = scores.get(window, [])
        if not reached:
            continue
        if reached != list(range(reached[0], reached[-1] + 1)):
            raise SourceError(f"window {window} takes scores that are not one range: {reached}")
        found.append((reached[0], reached[-1]))
    return found


# ---------------------------------------------------------------------------------------------
# The booklet

def booklet_structure():
    """The booklet as blocks, in order, and each sub-question's choice lists.

    Blocks are (kind, content, place) with kind "heading", "section", "passage", "subquestion",
    "listintro" (text), "choices" (a list of (circled digit, text)) or "table" (its title and its
    rows of cells, the first the header); place is (question, section letter, 問 number)."""
    # A lowered run reads as the explanations write it: F_{1}.
    paragraphs = ["".join(f"_{{{text}}}" if lowered else text for _, text, lowered in runs)
                  for _, _, runs in paragraph_runs(BOOKLET.read_text("utf-8"))]
    blocks, lists = [], {}
    question, section, number = 0, "", 0
    in_list = False
    table = None  # the rows still to come of 表１
    for text in paragraphs:
        if not text:
            in_list = False
            continue
        place = (question, section, number)
        if m := re.match("第([1-9１-９])問　", text):
            question, section, number = int(m.group(1).translate(HALF_DIGITS)), "", 0
            blocks.append(("heading", text, (question, "", 0)))
        elif re.match("[ＡＢ]　", text):
            section, number = chr(ord("A") + ord(text[0]) - ord("Ａ")), 0
            blocks.append(("section", text, (question, section, 0)))
        elif m := re.match("問([１-９])　", text):
            number = int(m.group(1).translate(HALF_DIGITS))
            blocks.append(("subquestion", text, (question, section, number)))
            lists.setdefault((question, section, number), [])
            in_list = False
        elif re.match("[①-⑧]、", text) and number:
            choices = [(mark, body.strip()) for mark, body in
                       re.findall(r"([①-⑧])、((?:(?![①-⑧]、).)*)", text)]
            if not in_list:
                lists[place].append({"intro": "", "choices": []})
            in_list = True
            lists[place][-1]["choices"] += [body for _, body in choices]
            blocks.append(("choices", choices, place))
        elif text.endswith("の解答群") and number:
            lists[place].append({"intro": text, "choices": []})
            in_list = True
            blocks.append(("listintro", text, place))
        elif text.startswith("表１"):
            # A title and four rows whose columns are set with spaces (tools/proofread.py holds
            # them to it).
            table = (text, [])
            blocks.append(("table", table, place))
        elif table and len(table[1]) < 4:
            table[1].append(re.split("[　 ]+", text.strip("　 ")))
        else:
            blocks.append(("passage", text, place))
    return blocks, lists


def choice_list(item, lists):
    """The list an item is answered from: where its sub-question names its slot as a blank, the
    list introduced by that blank; otherwise the sub-question's only list."""
    found = lists.get((item["question"], item["section"], item["number_in_question"]), [])
    blank = "（" + str(item["slot"]).translate(FULL_DIGITS) + "）"
    named = [one for one in found if item["slot"] and blank in one["intro"]]
    chosen = named or (found if len(found) == 1 else [])
    if len(chosen) != 1:
        raise SourceError(f"{item['caption']}: no single choice list in the booklet")
    if len(chosen[0]["choices"]) != item["consulted"]:
        raise SourceError(f"{item['caption']}: {len(chosen[0]['choices'])} choices in the booklet, "
                          f"{item['consulted']} read on the sheet")
    return chosen[0]


def figures():
    """Each figure's file stem, the figure names it shows (図２, 図３) and its description."""
    found = []
    for name, description in json.loads(DESCRIPTIONS.read_text("utf-8")).items():
        stem = name.rsplit(".", 1)[0]
        names = re.findall("(図[１-９])は，", description)
        if not (CONTENT / f"{stem}@2x.png").is_file() or not names:
            raise SourceError(f"{name}: no @2x picture or no figure named in its description")
        found.append({"stem": stem, "names": names, "description": description})
    return found


def figure_of(names, all_figures):
    """The one picture that shows the figures named ("図２・図３")."""
    found = [figure for figure in all_figures if set(names.split("・")) <= set(figure["names"])]
    if len(found) != 1:
        raise SourceError(f"{names} is not one picture among the figures")
    return found[0]


# ---------------------------------------------------------------------------------------------
# The explanations

def explanations():
    """The paper's general comment and each score band's advice, the questions' topics, aims and
    times, and each item's explanation and textbook unit, by caption."""
    paper, questions, items = {"general": [], "advice": {}}, {}, {}
    current = None
    for number, line in enumerate(EXPLANATIONS.read_text("utf-8").splitlines(), start=1):
        where = f"{EXPLANATIONS.name}:{number}"
        if not line.strip() or line.startswith("@#"):
            continue
        if m := re.fullmatch(r"# (\d) (\S+)", line):
            current = questions.setdefault(int(m.group(1)), {"topic": m.group(2), "aim": "",
                                                             "minutes": 0})
        elif m := re.fullmatch(r"## (\S+) (\S+)", line):
            current = items.setdefault(m.group(1), {"topic": m.group(2), "figures": [],
                                                    "why": [], "others": {}, "point": "",
                                                    "unit": [], "level": "", "concept": ""})
        elif (m := re.fullmatch(r"総評: (.+)", line)) and current is None:
            paper["general"].append(m.group(1))
        elif (m := re.fullmatch(r"合格判定 (\d+): (.+)", line)) and current is None:
            paper["advice"][int(m.group(1))] = m.group(2)
        elif current is None:
            raise SourceError(f"{where}: text before the first question")
        elif m := re.fullmatch(r"ねらい: (.+)", line):
            current["aim"] = m.group(1)
        elif m := re.fullmatch(r"目安: (\d+)分", line):
            current["minutes"] = int(m.group(1))
        elif m := re.fullmatch(r"単元: (生物基礎|生物)｜([^｜]+)｜([^｜]+)", line):
            current["unit"] = list(m.groups())
        elif m := re.fullmatch(r"難易度: ([ABC])", line):
            current["level"] = m.group(1)
        elif m := re.fullmatch(r"概念: (.+)", line):
            current["concept"] = m.group(1)
        elif m := re.fullmatch(r"図: (\S+) \| (.+)", line):
            current["figures"].append((m.group(1), m.group(2), []))
        elif m := re.fullmatch(r"印: ([\d.]+),([\d.]+),([\d.]+),([\d.]+)", line):
            box = tuple(float(n) for n in m.groups())
            if "figures" not in current or not current["figures"]:
                raise SourceError(f"{where}: a box with no figure before it")
            if box[0] + box[2] > 1 or box[1] + box[3] > 1:
                raise SourceError(f"{where}: the box leaves the picture")
            current["figures"][-1][2].append(box)
        elif m := re.fullmatch(r"解説: (.+)", line):
            current["why"].append(m.group(1))
        elif m := re.fullmatch(r"([×※])(\d): (.+)", line):
            current["others"][int(m.group(2))] = (m.group(1), m.group(3))
        elif m := re.fullmatch(r"ポイント: (.+)", line):
            current["point"] = m.group(1)
        else:
            raise SourceError(f"{where}: not a line of the explanations: {line}")
    return paper, questions, items


def check_explanations(items, questions, explained, lists):
    """Every item and question explained, and each item's reasons fit its key: a reason for
    every other choice, none for the key, and "right too" (※) only for the key of another item
    answered from the same list of choices for no blank, as where two right ones are chosen. A
    list for blanks (（１）・（２）の解答群) offers the other blank's answer as a wrong one."""
    captions = [item["caption"] for item in items]
    if sorted(explained) != sorted(captions):
        raise SourceError(f"explained items {sorted(set(explained) ^ set(captions))} "
                          "are not the sheet's")
    if sorted(questions) != sorted({item["question"] for item in items}):
        raise SourceError("the explained questions are not the sheet's")
    for item in items:
        text = explained[item["caption"]]
        others = text["others"]
        expected = set(range(1, item["consulted"] + 1)) - {item["correct"]}
        if set(others) != expected:
            raise SourceError(f"{item['caption']}: reasons for choices {sorted(others)}, the key "
                              f"{item['correct']} wants them for {sorted(expected)}")
        own = choice_list(item, lists)
        shared = {other["correct"] for other in items if other is not item
                  and choice_list(other, lists) is own and not own["intro"]}
        for choice, (mark, _) in others.items():
            if (mark == "※") != (choice in shared):
                raise SourceError(f"{item['caption']}: choice {choice} marked {mark}")
        if not text["why"] or not text["point"]:
            raise SourceError(f"{item['caption']}: no explanation or no point to learn")
        if not (text["unit"] and text["level"] and text["concept"]):
            raise SourceError(f"{item['caption']}: no textbook unit, difficulty or concept")
    if any(not question["minutes"] for question in questions.values()):
        raise SourceError("a question has no suggested time")
    if sum(question["minutes"] for question in questions.values()) > 60:
        raise SourceError("the suggested times add up to more than the hour")


# ---------------------------------------------------------------------------------------------
# HTML

STYLE = """
/* Latin letters and digits from the proportional IPA faces, in which O and 0 differ (the
   fixed-pitch ones print ABO式 as AB0式); Japanese from the fixed-pitch ones, whose kana and
   punctuation keep their full widths. */
@font-face { font-family: "Mincho Latin"; src: local("IPAPMincho"), local("IPA P明朝");
             unicode-range: U+0020-007E; }
@font-face { font-family: "Gothic Latin"; src: local("IPAPGothic"), local("IPA Pゴシック");
             unicode-range: U+0020-007E; }
html { font-family: "Mincho Latin", "IPAMincho", "IPA明朝", serif; line-height: 1.7; }
body { margin: 1em auto; max-width: 46em; padding: 0 1em; }
h1, h2, h3, h4, th { font-family: "Gothic Latin", "IPAGothic", "IPAゴシック", sans-serif; }
h1 { font-size: 1.6em; text-align: center; }
h2 { font-size: 1.3em; border-bottom: 2px solid #333; margin-top: 1.6em; }
h3 { font-size: 1.1em; background: #eee; padding: 0.15em 0.4em; }
h4 { font-size: 1em; margin: 0.8em 0 0.2em; }
p { margin: 0.3em 0; }
sub, sup { line-height: 0; }
table { border-collapse: collapse; margin: 0.6em 0; }
th, td { border: 1px solid #555; padding: 0.15em 0.5em; vertical-align: top; }
thead th { background: #eee; }
caption { text-align: left; font-weight: bold; }
td.blank { min-width: 3em; }
figure { margin: 0.8em 0; }
img { max-width: 100%; height: auto; }
.key { font-size: 1.1em; }
strong, em { font-family: "Gothic Latin", "IPAGothic", "IPAゴシック", sans-serif;
             font-weight: normal; font-style: normal; }
ul.others { padding-left: 1.2em; }
ul.choices { list-style: none; padding-left: 1em; }
ul.choices.short li { display: inline-block; margin-right: 2.5em; }
.place { border-left: 4px solid #c00; padding-left: 0.5em; }
.point { border: 1px solid #555; padding: 0.3em 0.6em; }
@page { size: A4; margin: 16mm 15mm 18mm;
        @bottom-center { content: counter(page) " / " counter(pages); font-size: 9pt; } }
/* A page left empty so that what follows starts where it must says so, lest it look misprinted. */
@page :blank { @top-center { content: "（このページは白紙です）"; font-size: 9pt; } }
.answer-table table { float: left; margin: 0 1.5em 0.6em 0; }
.answer-table::after { content: ""; display: block; clear: both; }
.head { break-inside: avoid; }
.nobr { white-space: nowrap; }
.slots { text-align: right;
         font-family: "Gothic Latin", "IPAGothic", "IPAゴシック", sans-serif; }
.cover h1 { margin-top: 2em; }
.cover .scope { text-align: center; }
table.entry { margin: 1.2em auto; }
table.entry th { padding: 0.5em 1em; }
table.entry td.field { width: 16em; height: 2em; }
table.entry.score td.field { width: 6em; }
ol.rules li { margin: 0.3em 0; }
p.instruction { font-family: "Gothic Latin", "IPAGothic", "IPAゴシック", sans-serif; }
.sheet table { float: left; margin: 0 1.2em 0.6em 0; }
.sheet::after { content: ""; display: block; clear: both; }
.sheet td.bubbles { white-space: nowrap; }
.bubble { display: inline-block; width: 1.5em; text-align: center; color: #c33; }
.note { font-size: 0.9em; }
.meta { font-size: 0.9em; color: #333; }
.worked { border: 1px dashed #777; padding: 0.3em 0.6em; margin: 0.4em 0; }
.worked table { margin: 0.3em 0; }
table.gametes td { text-align: center; }
table.gametes td.hit { border: 2.5px solid #000; font-weight: bold; }
svg.pedigree { display: block; margin: 0.2em auto; }
.marked { display: inline-block; position: relative; }
.marked img { display: block; }
.marked.margins { margin: 0 1.4em; }
.mark { position: absolute; border: 1.5px solid #d00; border-radius: 3px; }
.marked .tag { position: absolute; background: #d00; color: #fff;
             font: 0.6em/1.15 "Gothic Latin", "IPAGothic", sans-serif; padding: 0 0.2em; }
@media print {
  html { font-size: 9.5pt; line-height: 1.55; }
  body { max-width: none; margin: 0; padding: 0; }
  /* A paragraph, a reason, a figure or a table row is never cut; an item of 解答・解説 stays
     on one page, its explanation beside its figure or diagram. */
  section.subquestion, section.item, figure, tr, li, p, .keep { break-inside: avoid; }
  h2, h3, h4, p.aim, p.instruction, .head { break-after: avoid; }
  section.newpage { break-before: page; }
  /* The mark sheet is a leaf of its own in duplex print: it starts on a right-hand (odd) page
     and is the paper's last, so it is handed in without a question on its back. */
  section.marksheet { break-before: right; }
  /* A question or section whose figure would otherwise face away from its questions. */
  section.spread { break-before: left; }
  .screen { display: none; }
  section.item figure { margin: 0.3em 0; text-align: center; }
  /* 10 cm: wide enough to read every label; 図８, the narrowest, prints at 315 ppi. */
  section.item figure img { width: 10cm !important; height: auto; }
  h2 { margin-top: 1em; }
  ul.others { margin: 0.2em 0; }
  h4 { margin: 0.4em 0 0.1em; }
  h3 { margin: 0.8em 0 0.3em; }
  p { margin: 0.15em 0; }
}
"""


# WeasyPrint writes no tagged PDF, so a screen reader finds no structure in the PDFs.
ACCESSIBLE_NOTE = ("<p class=\"note\">印刷用のPDFには，画面読み上げソフトが読む文書の構造が"
                   "ありません。読み上げて使うときは，同じ内容のHTML版（図の説明文つき）を"
                   "開いてください。</p>")


def e(text):
    return html.escape(text, quote=True)


def lowered(text):
    """Escaped text with F_{1} set as F₁, as the booklet and the explanations write it."""
    return re.sub(r"_\{([^}]*)\}", r"<sub>\1</sub>", e(text))


def prose(text):
    """Escaped prose of the explanations, with X^{A} and F_{1} set as super- and subscripts and
    an answer slot's caption kept on one line."""
    return re.sub(r"\^\{([^}]*)\}", r"<sup>\1</sup>", with_captions(text))


def page(title, body):
    return ("<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n"
            "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
            f"<title>{e(title)}</title>\n<style>{STYLE}</style>\n</head>\n<body>\n"
            + "".join(line + "\n" for line in body) + "</body>\n</html>\n")


def figure_html(figure, marks=(), anchor=None):
    from PIL import Image  # only for the picture's size, which the HTML states
    with Image.open(CONTENT / f"{figure['stem']}@2x.png") as picture:
        width, height = picture.size
    # The picture carries its own caption (図６), and its text alternative begins with it. The
    # boxes that show where an item looks are drawn over it, each tagged with the item's number
    # where the tag covers none of the drawing (tools/figure_tags.py); the text beside the
    # figure says the same in words, so they are hidden from screen readers.
    boxes = "".join(
        f"<span class=\"mark\" aria-hidden=\"true\" style=\"left: {x * 100:.1f}%; "
        f"top: {y * 100:.1f}%; width: {w * 100:.1f}%; height: {h * 100:.1f}%\"></span>"
        for _, (x, y, w, h) in marks)
    tags = figure_tags.placed_tags(CONTENT / f"{figure['stem']}@2x.png", width // 2,
                                   height // 2, marks) if marks else []
    boxes += "".join(f"<span class=\"tag\" aria-hidden=\"true\" style=\"{style}\">{number}</span>"
                     for number, style, _ in tags)
    picture = (f"<img src=\"{FIGURE_URL.format(stem=figure['stem'])}\" "
               f"width=\"{width // 2}\" height=\"{height // 2}\" style=\"width: {width // 2}px\" "
               f"alt=\"{e(figure['description'])}\">")
    if boxes:
        margins = " margins" if any(beside for _, _, beside in tags) else ""
        picture = f"<span class=\"marked{margins}\">{picture}{boxes}</span>"
    opening = f"<figure id=\"{anchor}\">" if anchor else "<figure>"
    return [f"{opening}{picture}</figure>"]


def question_title(number):
    return "第" + str(number).translate(FULL_DIGITS) + "問"


def where(item):
    section = {"A": "Ａ", "B": "Ｂ"}.get(item["section"], "")
    return (f"第{str(item['question']).translate(FULL_DIGITS)}問{section}　"
            f"問{str(item['number_in_question']).translate(FULL_DIGITS)}")


LEVELS = {"A": "基本", "B": "標準", "C": "やや難"}


def worked_diagrams(items, lists):
    """The diagrams that work an item through, by caption, each held to the item's key."""
    def keyed(caption):
        item = next(one for one in items if one["caption"] == caption)
        return choice_list(item, lists)["choices"][item["correct"] - 1]
    quotients = re.fullmatch(r"コムギ([\d.]+)，ゴマ([\d.]+)", keyed("2-3"))
    if not quotients:
        raise SourceError(f"2-3's key {keyed('2-3')} gives no two quotients")
    try:
        return {"2-4": companion_diagrams.quotient_equations(float(quotients.group(1)),
                                                             float(quotients.group(2))),
                "3-3": companion_diagrams.gamete_table(BOOKLET.read_text("utf-8"), keyed("3-3")),
                "3-4": companion_diagrams.pedigree(keyed("3-4"))}
    except companion_diagrams.DiagramError as error:
        raise SourceError(str(error)) from error


def answers_html(paper, items, questions, explained, lists, all_figures, bands):
    total = sum(item["points"] for item in items)
    worked = worked_diagrams(items, lists)
    body = ["<h1>生物　解答・解説</h1>",
            f"<p>全{len(questions)}問・解答数{len(items)}・{total}点満点。"
            "「得　点」で採点したあとに，この冊子で答えを確かめましょう。"
            "赤い丸の付かなかった解答欄は，解答番号で下の解説を探してください。</p>",
            ACCESSIBLE_NOTE,
            "<h2 id=\"table\">正解と配点</h2>",
            "<div class=\"answer-table keep\">"]
    # Two halves side by side keep the whole table on one printed page.
    half = (len(items) + 1) // 2
    for k, part in enumerate((items[:half], items[half:])):
        body.append("<table><thead><tr><th scope=\"col\">解答番号</th>"
                    "<th scope=\"col\">解答欄</th><th scope=\"col\">正解</th>"
                    "<th scope=\"col\">配点</th><th scope=\"col\">自己採点</th></tr></thead><tbody>")
        for item in part:
            body.append(f"<tr data-item=\"{item['number']}\">"
                        f"<th scope=\"row\">{item['number']}</th>"
                        f"<td><a href=\"#item-{item['number']}\">{e(item['caption'])}</a></td>"
                        f"<td>{CIRCLED[item['correct'] - 1]}</td><td>{item['points']}</td>"
                        "<td class=\"blank\"></td></tr>")
        body.append("</tbody>")
        if k == 1:
            body.append(f"<tfoot><tr><th scope=\"row\" colspan=\"3\">合計</th><td>{total}</td>"
                        "<td class=\"blank\"></td></tr></tfoot>")
        body.append("</table>")
    body.append("</div>")
    body += ["<h2 id=\"general\">総評</h2>"] + [f"<p>{prose(text)}</p>" for text in paper["general"]]

    body += ["<div class=\"keep\">", "<h2 id=\"topics\">分野別の配点</h2>",
             "<p>正解した解答欄の配点を分野ごとに足すと，どこで点を落としたかがわかります。</p>",
             "<table><thead><tr><th scope=\"col\">大問</th><th scope=\"col\">分野</th>"
             "<th scope=\"col\">解答欄</th><th scope=\"col\">配点</th><th scope=\"col\">得点</th>"
             "</tr></thead>"]
    for number, question in sorted(questions.items()):
        body.append("<tbody>")
        topics = {}
        for item in items:
            if item["question"] == number:
                topics.setdefault(explained[item["caption"]]["topic"], []).append(item)
        weight = sum(i["points"] for group in topics.values() for i in group)
        for k, (topic, group) in enumerate(topics.items()):
            head = (f"<th scope=\"rowgroup\" rowspan=\"{len(topics)}\">"
                    f"{question_title(number)}　{e(question['topic'])}（{weight}点）</th>"
                    if k == 0 else "")
            body.append(f"<tr>{head}<td>{e(topic)}</td>"
                        f"<td>{'，'.join(e(i['caption']) for i in group)}</td>"
                        f"<td>{sum(i['points'] for i in group)}</td><td class=\"blank\"></td></tr>")
        body.append("</tbody>")
    body.append("</table></div>")

    # The pass-line windows keep their designed texts; here each band gets what to study next.
    if sorted(paper["advice"]) != sorted(low for low, _ in bands):
        raise SourceError(f"advice for the bands from {sorted(paper['advice'])}, the pass-line "
                          f"windows' bands start at {sorted(low for low, _ in bands)}")
    # Their badges' pass rates were never measured, so the booklet leaves them to the windows.
    body += ["<div class=\"keep\">", "<h2 id=\"bands\">得点別の学習のアドバイス</h2>",
             "<p>「合格率」ボタンで開く合格判定は，得点によって次の段階に分かれます。"
             "段階ごとに，次に何を学習するとよいかを示します。</p>",
             "<table><thead><tr><th scope=\"col\">得点</th>"
             "<th scope=\"col\">学習のアドバイス</th></tr></thead><tbody>"]
    for low, high in bands:
        scores = f"{low}点" if low == high else f"{low}～{high}点"
        body.append(f"<tr><th scope=\"row\" class=\"nobr\">{scores}</th>"
                    f"<td>{prose(paper['advice'][low])}</td></tr>")
    body.append("</tbody></table></div>")

    tagged = []  # the figures printed with boxes so far: the first says what the boxes mean
    for number, question in sorted(questions.items()):
        own = [item for item in items if item["question"] == number]
        weight = sum(item["points"] for item in own)
        body += [f"<section class=\"question\" id=\"q{number}\">",
                 f"<h2>{question_title(number)}　{e(question['topic'])}"
                 f"（配点　{weight}点・目安　{question['minutes']}分）</h2>",
                 f"<p class=\"aim\"><strong>ねらい</strong>　{prose(question['aim'])}</p>"]
        shown = {}  # figure stem: the item that printed it
        # Every box the question's items draw goes on the one print of their figure.
        marks = {}
        for item in own:
            for name, _, boxes in explained[item["caption"]]["figures"]:
                marks.setdefault(figure_of(name, all_figures)["stem"], []).extend(
                    (item["number"], box) for box in boxes)
        for item in own:
            body += item_html(item, explained[item["caption"]], choice_list(item, lists)["choices"],
                              all_figures, shown, worked.get(item["caption"], []), marks, tagged)
        body.append("</section>")
    return page("生物　解答・解説", body)


# Said under the first figure that has boxes, and so once in the document.
TAG_LEGEND = ("<p class=\"note\">赤い枠は，その問いで図の見るところです。赤地の数字は，"
              "その枠を見る問いの解答番号です（枠のそばか，枠と同じ高さの図の外に付けています）。</p>")


def item_html(item, text, choices, all_figures, shown, worked, marks, tagged):
    key = CIRCLED[item["correct"] - 1]
    lines = [f"<section class=\"item\" id=\"item-{item['number']}\" data-item=\"{item['number']}\" "
             f"data-caption=\"{e(item['caption'])}\" data-correct=\"{item['correct']}\" "
             f"data-points=\"{item['points']}\">",
             "<div class=\"head\">",
             f"<h3>解答番号{item['number']}　解答欄 {e(item['caption'])}　{where(item)}"
             f"　<small>{e(text['topic'])}</small></h3>",
             f"<p>正解　<strong class=\"key\">{key}　{lowered(choices[item['correct'] - 1])}</strong>"
             f"　配点 <span class=\"points\">{item['points']}点</span></p>",
             f"<p class=\"meta\">単元　{'・'.join(e(part) for part in text['unit'])}　"
             f"難易度　{text['level']}（{LEVELS[text['level']]}）　"
             f"概念　{prose(text['concept'])}</p>", "</div>"]
    for name, place, boxes in text["figures"]:
        figure = figure_of(name, all_figures)
        if figure["stem"] in shown:
            earlier = shown[figure["stem"]]
            framed = f"，赤枠の{item['number']}" if boxes else ""
            lines.append(f"<p class=\"place\"><strong>{e(name)}のここを見る</strong>　{prose(place)}"
                         f"（{e(name)}は<a href=\"#item-{earlier}\">解答番号{earlier}</a>に掲載{framed}）"
                         "</p>")
            continue
        shown[figure["stem"]] = item["number"]
        lines.append("<div class=\"keep\">")
        lines += figure_html(figure, marks.get(figure["stem"], []))
        if marks.get(figure["stem"]) and not tagged:
            lines.append(TAG_LEGEND)
        if marks.get(figure["stem"]):
            tagged.append(figure["stem"])
        lines.append(f"<p class=\"place\"><strong>{e(name)}のここを見る</strong>　{prose(place)}</p>")
        lines.append("</div>")
    lines.append("<h4>解説</h4>")
    lines += [f"<p>{prose(step)}</p>" for step in text["why"]]
    lines += worked
    # The reason follows its choice without a gap, which text extraction would read as a column.
    lines.append("<h4>ほかの選択肢</h4>\n<ul class=\"others\">")
    for choice, (mark, reason) in sorted(text["others"].items()):
        verdict = "これも正しい" if mark == "※" else "誤り"
        lines.append(f"<li data-choice=\"{choice}\"><span class=\"choice\">{CIRCLED[choice - 1]}　"
                     f"{lowered(choices[choice - 1])}</span>"
                     f"<em>【{verdict}】</em>{prose(reason)}</li>")
    lines.append("</ul>")
    lines.append(f"<p class=\"point\"><strong>学習のポイント</strong>　{prose(text['point'])}</p>")
    lines.append("</section>")
    return lines


CAPTION = re.compile(r"[1-6]-(?:[AB])?[1-9](?:-[1-9])?")


def with_captions(text):
    """Escaped text in which an answer item's caption ("4-B3-7") never breaks at a line's end,
    and F_{1} is F₁."""
    return CAPTION.sub(lambda m: f"<span class=\"nobr\">{m.group(0)}</span>", lowered(text))


def entry_fields():
    return ("<table class=\"entry\"><tbody><tr><th scope=\"row\">受験番号</th>"
            "<td class=\"field\"></td></tr><tr><th scope=\"row\">氏　名</th>"
            "<td class=\"field\"></td></tr></tbody></table>")


def cover_html(question_count, items, full_marks, pages):
    """The booklet's cover: what a room needs to sit the paper on paper."""
    count = f"全{pages}ページ" if pages else "全　ページ"
    # What only a student at the screen needs (the program's 「得　点」, the note for screen
    # readers) stays in the HTML and leaves the print.
    return ["<section class=\"cover\">", "<h1>生物　問題冊子</h1>",
            f"<p class=\"scope\">出題範囲　生物基礎・生物　　全{question_count}問・解答数{len(items)}・"
            f"{full_marks}点満点</p>",
            entry_fields(),
            "<h2>注意事項</h2>",
            "<ol class=\"rules\">",
            "<li>試験時間は60分です。試験開始の合図があるまで，この問題冊子を開いてはいけません。</li>",
            f"<li>この問題冊子は，表紙と最後の解答用紙（マークシート）を含めて{count}です。"
            "ページの抜けや印刷の不鮮明なところがあれば，手を挙げて知らせてください。</li>",
            "<li>受験番号と氏名を，この表紙と解答用紙のそれぞれの欄に記入してください。</li>",
            "<li>解答は，解答用紙の解答欄にマークします。各問いの終わりに，その問いの解答欄の番号"
            "（<span class=\"nobr\">1-A1</span>など）を示してあります。"
            "HBの黒鉛筆（シャープペンシルも可）で，番号の付いた○を一つ，はみ出さないように"
            "濃く塗りつぶしてください。</li>",
            "<li>一つの解答欄に二つ以上マークした場合は，その解答欄は得点になりません。"
            "訂正するときは，消しゴムできれいに消し，消しくずを残さないでください。</li>",
            "<li>問題冊子の余白は，計算や下書きに使ってかまいません。"
            "ただし，採点されるのは解答用紙のマークだけです。</li>",
            "<li>試験終了の合図があったら，すぐに筆記用具を置いてください。"
            "解答用紙（最後の1枚，裏は白紙）は，問題冊子から切り離し，"
            "監督者の指示に従って提出してください。</li>",
            "<li class=\"screen\">画面で解くときは，答えを Tamsel の解答用紙に入れて「得　点」で採点します。"
            "紙の解答用紙は，解答・解説の「正解と配点」の表で採点できます。"
            "どちらで採点しても得点は同じです。</li>",
            "</ol>",
            ACCESSIBLE_NOTE.replace("<p class=\"note\">", "<p class=\"note screen\">", 1),
            "</section>"]


def marksheet_html(items):
    """The answer sheet to mark by hand: a row for each item, its bubbles ① to its last choice.
    The bubbles are the choices the program reads; a mark beyond them could score nothing."""
    body = ["<section class=\"marksheet newpage\" id=\"marksheet\">",
            "<h2>生物　解答用紙（マークシート）</h2>", entry_fields(),
            "<p class=\"note\">各解答欄に，答えの番号の○を一つだけ塗りつぶしてください。"
            "二つ以上塗った解答欄は得点になりません。</p>",
            "<div class=\"sheet\">"]
    half = (len(items) + 1) // 2
    for part in (items[:half], items[half:]):
        body.append("<table><thead><tr><th scope=\"col\">解答番号</th><th scope=\"col\">解答欄</th>"
                    "<th scope=\"col\">解答記入欄</th></tr></thead><tbody>")
        for item in part:
            bubbles = "".join(f"<span class=\"bubble\" data-choice=\"{k}\">{CIRCLED[k - 1]}</span>"
                              for k in range(1, item["consulted"] + 1))
            body.append(f"<tr data-item=\"{item['number']}\" data-caption=\"{e(item['caption'])}\">"
                        f"<th scope=\"row\">{item['number']}</th><td>{e(item['caption'])}</td>"
                        f"<td class=\"bubbles\">{bubbles}</td></tr>")
        body.append("</tbody></table>")
    body += ["</div>",
             "<table class=\"entry score\"><tbody><tr><th scope=\"row\">得　点</th>"
             "<td class=\"field\"></td></tr></tbody></table>", "</section>"]
    return body


def slots_html(items, place):
    """The answer items a sub-question is marked in, under its choices."""
    question, section, number = place
    own = [item["caption"] for item in items if (item["question"], item["section"],
                                                 item["number_in_question"]) == place]
    if not own:
        raise SourceError(f"第{question}問{section}問{number}: no answer item on the sheet")
    return ("<p class=\"slots\">解答欄　"
            + "，".join(f"<span class=\"nobr\">{e(c)}</span>" for c in own) + "</p>")


def part_id(question, section, number=0):
    """The id of a question ("q4"), its section ("q4A") or a sub-question ("q4A2") in the paper."""
    return f"q{question}{section}{number or ''}"


def paper_html(blocks, all_figures, items, full_marks, pages=None, spreads=frozenset()):
    """The question paper; the questions and sections in spreads start on a left-hand page."""
    question_count = max(place[0] for _, _, place in blocks)
    body = cover_html(question_count, items, full_marks, pages)
    placed = set()
    open_sections = []  # what is open: ("question"|"section"|"subquestion", place)

    def close(down_to):
        while open_sections and open_sections[-1][0] in down_to:
            kind, place = open_sections.pop()
            if kind == "subquestion":
                body.append(slots_html(items, place))
            body.append("</section>")

    for kind, text, place in blocks:
        question, section, number = place
        shown = [figure for figure in all_figures if kind in ("passage", "subquestion", "section")
                 and figure["stem"] not in placed and figure["names"][0] in text]
        if kind == "heading":
            close({"question", "section", "subquestion"})
            # The number and the weight make the heading, which so never breaks before its
            # weight; the instruction follows it.
            parts = re.fullmatch("(第[１-９]問)　(.*)(（配点　[0-9]+）)", text)
            if not parts:
                raise SourceError(f"a question's heading without its weight: {text}")
            number_text, instruction, weight = parts.groups()
            spread = " spread" if (question, "") in spreads else ""
            body += [f"<section class=\"question newpage{spread}\" id=\"{part_id(question, '')}\">",
                     f"<h2>{number_text}　{weight}</h2>",
                     f"<p class=\"instruction\">{with_captions(instruction)}</p>"]
            open_sections.append(("question", place))
        elif kind == "section":
            close({"section", "subquestion"})
            spread = " class=\"spread\"" if (question, section) in spreads else ""
            body += [f"<section{spread} id=\"{part_id(question, section)}\">",
                     f"<h3>{with_captions(text)}</h3>"]
            open_sections.append(("section", place))
        elif kind == "subquestion":
            close({"subquestion"})
            label, _, rest = text.partition("　")
            body += [f"<section class=\"subquestion\" id=\"{part_id(*place)}\">",
                     f"<h4>{e(label)}</h4>",
                     f"<p>{with_captions(rest)}</p>"]
            open_sections.append(("subquestion", place))
        elif kind == "choices":
            short = all(len(choice) <= 12 for _, choice in text)
            body.append(f"<ul class=\"choices{' short' if short else ''}\">"
                        + "".join(f"<li>{mark}　{with_captions(choice)}</li>"
                                  for mark, choice in text)
                        + "</ul>")
        elif kind == "table":
            title, (header, *rows) = text
            body.append(f"<table class=\"keep\"><caption>{e(title)}</caption><thead><tr>"
                        + "".join(f"<th scope=\"col\">{e(c)}</th>" for c in header)
                        + "</tr></thead><tbody>")
            body += [f"<tr><th scope=\"row\">{e(row[0])}</th>"
                     + "".join(f"<td>{e(c)}</td>" for c in row[1:]) + "</tr>" for row in rows]
            body.append("</tbody></table>")
        elif shown:
            # A passage that leads to a figure goes on the figure's page.
            body += ["<div class=\"keep\">", f"<p>{with_captions(text)}</p>"]
            for figure in shown:
                placed.add(figure["stem"])
                body += figure_html(figure, anchor=f"{figure['stem']}-{part_id(question, section)}")
            body.append("</div>")
            continue
        else:
            body.append(f"<p>{with_captions(text)}</p>")
        for figure in shown:
            placed.add(figure["stem"])
            body += figure_html(figure, anchor=f"{figure['stem']}-{part_id(question, section)}")
    close({"question", "section", "subquestion"})
    missing = [f["stem"] for f in all_figures if f["stem"] not in placed]
    if missing:
        raise SourceError(f"the booklet never cites {missing}")
    body += marksheet_html(items)
    return page("生物　問題冊子", body)


def first_pages(document):
    """The printed page, counted from the cover as 1, on which each element with an id begins."""
    found = {}
    for number, printed in enumerate(document.pages, start=1):
        for anchor in printed.anchors:
            found.setdefault(anchor, number)
    return found


def spread_of(page):
    """Pages 2 and 3, 4 and 5, ... face each other in duplex print; the cover, page 1, is alone."""
    return page // 2


def split_parts(document):
    """The parts (question, section) whose figure is not on the spread of all their sub-questions:
    a student reads a figure beside every question of its part, not over the leaf."""
    pages = first_pages(document)
    split = []
    for anchor, page in pages.items():
        if m := re.fullmatch(r"figure\d+-q(\d)([AB]?)", anchor):
            own = re.compile(f"q{m.group(1)}{m.group(2)}\\d")
            users = [used for name, used in pages.items() if own.fullmatch(name)]
            part = (int(m.group(1)), m.group(2))
            if part not in split and any(spread_of(used) != spread_of(page) for used in users):
                split.append(part)
    return split


def print_faults(document):
    """Where a printed document fails its reader. 解答・解説: every item on one page, with its
    figure or worked diagram, so that its explanation is read beside it. 問題冊子, for a room that
    sits it in duplex A4: every figure on the spread of its part's sub-questions, and the mark
    sheet a leaf of its own, on a right-hand page that is the last."""
    faults = [f"第{question}問{section} and its figure are not on one spread"
              for question, section in split_parts(document)]
    pages = first_pages(document)
    on = {}
    for number, printed in enumerate(document.pages, start=1):
        for anchor in printed.anchors:
            if anchor.startswith("item-"):
                on.setdefault(anchor, set()).add(number)
    faults += [f"解答番号{anchor[5:]} runs over pages {sorted(numbers)}: "
               "kept whole, it would still be longer than a page"
               for anchor, numbers in on.items() if len(numbers) > 1]
    if "marksheet" in pages and (pages["marksheet"] % 2 == 0
                                 or pages["marksheet"] != len(document.pages)):
        faults.append(f"the mark sheet starts on page {pages['marksheet']} of "
                      f"{len(document.pages)}, not on the last, odd one")
    return faults


def paper_with_page_count(blocks, all_figures, items, full_marks):
    """The paper, its cover giving the printed page count. It is laid out until every figure
    shares a spread with its part's sub-questions: a part found split starts on a left-hand
    page (a section A with its question), and a part that still does not fit stops the
    generator. Then the page count goes on the cover and the layout is checked once more."""
    weasyprint = weasyprint_html()

    def laid_out(spreads, pages=None):
        made = paper_html(blocks, all_figures, items, full_marks, pages, frozenset(spreads))
        return made, weasyprint(string=made, base_url=str(OUT) + "/").render()

    spreads = set()
    _, document = laid_out(spreads)
    while split := split_parts(document):
        question, section = split[0]
        start = (question, "" if section == "A" else section)
        if start in spreads:
            raise SourceError(f"第{question}問{section} and its figure do not fit on one spread")
        spreads.add(start)
        _, document = laid_out(spreads)
    made, document = laid_out(spreads, len(document.pages))
    if faults := print_faults(document):
        raise SourceError("the printed paper: " + "; ".join(faults))
    return made


# ---------------------------------------------------------------------------------------------
# PDF

# The paper sizes a figure by its pixels at 1x, 96 to the inch: drawn four times as fine it prints
# at 384 ppi. 解答・解説 prints every figure 10 cm wide, which leaves 図８, the narrowest, 315.
PRINT_SCALE = 4
PRINT_PPI = 300


@functools.cache
def print_figures():
    """Each figure the HTML shows, by its file name, drawn anew by tools/make_figures.py at
    print resolution: the PDFs get these, the screen keeps the @2x pictures."""
    import make_figures  # only the PDFs need it, and it loads matplotlib
    make_figures.setup_matplotlib()
    found = {}
    for name, draw, _, _ in make_figures.FIGURES:
        data = io.BytesIO()
        draw(PRINT_SCALE).save(data, "PNG", optimize=True)
        found[make_figures.twice_the_size(name)] = data.getvalue()
    return found


def weasyprint_html():
    """WeasyPrint's HTML, rendering under a fontconfig that does what the style sheet's
    unicode-range says and WeasyPrint does not (the Latin faces give only Latin letters and
    digits), with the figures at print resolution in place of the screen's."""
    os.environ["FONTCONFIG_FILE"] = str(LATIN_FACES)
    from weasyprint import HTML, default_url_fetcher  # noqa: only the writing and checking need it
    printed = print_figures()

    def fetch(url):
        name = url.rsplit("/", 1)[-1]
        if name in printed:
            return {"string": printed[name], "mime_type": "image/png"}
        return default_url_fetcher(url)

    return lambda **arguments: HTML(url_fetcher=fetch, **arguments)


def pdf_of(name, document_html):
    """The document laid out on A4, which must keep to what print_faults asks."""
    document = weasyprint_html()(string=document_html, base_url=str(OUT) + "/").render()
    if faults := print_faults(document):
        raise SourceError(f"{name} in print: " + "; ".join(faults))
    return document.write_pdf()


def poppler(tool, *arguments):
    return subprocess.run([tool, *arguments], capture_output=True, text=True, check=True).stdout


def pdf_facts(data):
    """What a reader gets of a PDF, which WeasyPrint, Pango or a font update leaves as it is:
    the text without its layout, every page A4, the fonts all embedded, the pictures' pixel
    sizes."""
    with tempfile.NamedTemporaryFile(suffix=".pdf") as file:
        file.write(data)
        file.flush()
        sizes = re.findall(r"Page +\d+ size: +([\d.]+) x ([\d.]+) pts",
                           poppler("pdfinfo", "-f", "1", "-l", "9999", file.name))
        fonts = poppler("pdffonts", file.name).splitlines()[2:]
        images = poppler("pdfimages", "-list", file.name).splitlines()[2:]
        text = poppler("pdftotext", "-enc", "UTF-8", file.name, "-")
    return {
        "text": re.sub(r"\s+", "", text),
        "pages not A4": [s for s in sizes if abs(float(s[0]) - 595.3) > 1
                         or abs(float(s[1]) - 841.9) > 1] or (not sizes and ["no page"]),
        "fonts": sorted({line.split()[0].split("+")[-1] + (" embedded" if line.split()[-5] == "yes"
                                                         else " NOT embedded")
                         for line in fonts}),
        "pictures": sorted(" x ".join(line.split()[3:5]) for line in images),
        "pictures under print resolution": sorted(
            f"page {line.split()[0]}: {line.split()[3]} x {line.split()[4]} at "
            f"{line.split()[12]} ppi" for line in images
            if min(int(line.split()[12]), int(line.split()[13])) < PRINT_PPI),
    }


def pdf_differences(committed, made):
    found = []
    old, new = pdf_facts(committed), pdf_facts(made)
    for what in ("text", "pages not A4", "fonts", "pictures"):
        if old[what] != new[what]:
            found.append(f"{what}: {str(old[what])[:200]} where it should be {str(new[what])[:200]}"
                         if what != "text" else "its text is not what the HTML says")
    if new["pages not A4"]:
        found.append(f"pages not A4: {new['pages not A4']}")
    if new["pictures under print resolution"]:
        found.append(f"pictures under {PRINT_PPI} ppi: {new['pictures under print resolution']}")
    if any("NOT" in font for font in new["fonts"]):
        found.append(f"fonts not embedded: {new['fonts']}")
    return found


# ---------------------------------------------------------------------------------------------

def documents():
    items = answer_items()
    full_marks = sum(item["points"] for item in items)
    blocks, lists = booklet_structure()
    paper, questions, explained = explanations()
    check_explanations(items, questions, explained, lists)
    all_figures = figures()
    bands = score_bands(full_marks)
    made = {"answers.html": answers_html(paper, items, questions, explained, lists, all_figures,
                                         bands),
            "paper.html": paper_with_page_count(blocks, all_figures, items, full_marks)}
    faults = [f"{name}: {fault}" for name, text in made.items() for fault in notation_faults(text)]
    if faults:
        raise SourceError("the notation is broken (see NOTATION):\n  " + "\n  ".join(faults))
    return made


def main(argv):
    mode = mode_of(argv, __doc__)
    if mode is None:
        return 2
    try:
        made = documents()
        printed = {name.replace(".html", ".pdf"): pdf_of(name, text) for name, text in made.items()}
    except SourceError as error:
        print(f"make_companion: {error}", file=sys.stderr)
        return 1
    fresh = True
    for name, text in made.items():
        data = text.encode("utf-8")
        stale = f"content/companion/{name} is stale: run tools/make_companion.py"
        fresh &= write_or_check(OUT / name, data, mode, stale)
        pdf = name.replace(".html", ".pdf")
        fresh &= write_or_check(OUT / pdf, printed[pdf], mode,
                                f"content/companion/{pdf} is stale: run tools/make_companion.py",
                                pdf_differences)
    return 0 if fresh else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

"""The worked diagrams of 解答・解説 (tools/make_companion.py): a gamete table for 3-3, the
respiratory-quotient equations for 2-4 and a pedigree for 3-4. Each is computed here from the
numbers the question gives (the booklet's counts, balanced equations, the family as described) and
must come out at the keyed choice, so that a diagram cannot teach other than the answer.

Every diagram is HTML (a table, text, or an inline SVG with a text alternative), which the screen
and WeasyPrint draw alike and a screen reader reads.
"""

import html
import re
from fractions import Fraction

from rtfwrite import paragraph_runs

HALF_DIGITS = str.maketrans("０１２３４５６７８９", "0123456789")


class DiagramError(Exception):
    pass


def e(text):
    return html.escape(text, quote=True)


def sub(text):
    """A chemical formula with its counts as subscripts: C6H12O6 → C<sub>6</sub>H…"""
    return re.sub(r"(?<=[A-Za-z])(\d+)", r"<sub>\1</sub>", e(text))


def fraction_ja(value):
    """A probability as the booklet writes it: 4分の1."""
    value = Fraction(value)
    if value == 0:
        return "0"
    return f"{value.denominator}分の{value.numerator}"


# ---------------------------------------------------------------------------------------------
# 3-3: the gametes of F1 and their combinations

def testcross_counts(booklet_text):
    """Experiment 2's offspring of the testcross, by phenotype, as the booklet states them."""
    for text, _, _ in paragraph_runs(booklet_text):
        if text.startswith("実験２") and "紫・丸形" in text:
            found = dict(re.findall(r"(紫・丸形|紫・細長形|赤・丸形|赤・細長形)(\d+)個体", text))
            if len(found) == 4:
                return {name: int(count) for name, count in found.items()}
    raise DiagramError("the booklet's experiment 2 gives no four counts")


def gamete_table(booklet_text, keyed_choice_text):
    counts = testcross_counts(booklet_text)
    total = sum(counts.values())
    # A testcross shows F1's gametes directly: 紫・丸形 is AB, 赤・細長形 ab, and so on.
    gametes = {"AB": Fraction(counts["紫・丸形"], total), "Ab": Fraction(counts["紫・細長形"], total),
               "aB": Fraction(counts["赤・丸形"], total), "ab": Fraction(counts["赤・細長形"], total)}
    recombination = gametes["Ab"] + gametes["aB"]
    aabb = gametes["ab"] * gametes["ab"]
    if aabb * 100 != Fraction(keyed_choice_text.translate(HALF_DIGITS)):
        raise DiagramError(f"the gamete table gives aabb {aabb}, the key {keyed_choice_text}%")
    names = list(gametes)
    lines = ["<div class=\"worked keep\">",
             "<p class=\"worked-title\"><strong>図解</strong>　F<sub>1</sub>の配偶子とその組合せ"
             f"（組換え価{recombination * 100}％，数値は割合）</p>",
             "<table class=\"gametes\"><caption>行は卵細胞，列は花粉の遺伝子の組合せとその割合"
             "</caption><thead><tr><th scope=\"col\">卵細胞＼花粉</th>"]
    lines += [f"<th scope=\"col\">{name}（{float(gametes[name]):.1f}）</th>" for name in names]
    lines.append("</tr></thead><tbody>")
    for egg in names:
        cells = []
        for pollen in names:
            share = gametes[egg] * gametes[pollen]
            mark = " class=\"hit\"" if egg == pollen == "ab" else ""
            cells.append(f"<td{mark}>{float(share):.2f}</td>")
        lines.append(f"<tr><th scope=\"row\">{egg}（{float(gametes[egg]):.1f}）</th>"
                     + "".join(cells) + "</tr>")
    lines += ["</tbody></table>",
              f"<p>赤花・細長形葉（aabb）は，ab×abの一つのます（太枠）だけで，"
              f"{float(gametes['ab']):.1f}×{float(gametes['ab']):.1f}＝{float(aabb):.2f}，"
              f"すなわち{aabb * 100}％である。</p>", "</div>"]
    return lines


# ---------------------------------------------------------------------------------------------
# 2-4: the respiratory quotients of the substrates

ELEMENT = re.compile(r"([A-Z][a-z]?)(\d*)")


def atoms(formula):
    counted = {}
    for element, count in ELEMENT.findall(formula):
        counted[element] = counted.get(element, 0) + int(count or 1)
    return counted


def balanced(left, right):
    def total(side):
        summed = {}
        for count, formula in side:
            for element, n in atoms(formula).items():
                summed[element] = summed.get(element, 0) + count * n
        return summed
    return total(left) == total(right)


# Each substrate burned completely: (name, the left side, the right side, as (count, formula)).
COMBUSTIONS = (
    ("炭水化物（グルコース）", ((1, "C6H12O6"), (6, "O2")), ((6, "CO2"), (6, "H2O"))),
    ("脂肪（トリステアリン）", ((2, "C57H110O6"), (163, "O2")), ((114, "CO2"), (110, "H2O"))),
)


def side_html(side):
    return "＋".join((str(count) if count > 1 else "") + sub(formula) for count, formula in side)


def quotient_text(numerator, denominator):
    """What a quotient comes to: ＝1.0 where it is exact to a tenth, ≒0.70 where it is rounded."""
    quotient = Fraction(numerator, denominator)
    if quotient * 10 == round(quotient * 10):
        return f"＝{float(quotient):.1f}"
    return f"≒{float(quotient):.2f}"


def quotient_equations(wheat, sesame):
    """The equations behind 1.0 and 0.7, held to the quotients the item reads from 図５."""
    lines = ["<div class=\"worked keep\">",
             "<p class=\"worked-title\"><strong>図解</strong>　呼吸基質と呼吸商（完全に分解したとき）"
             "</p>", "<table class=\"equations\"><thead><tr><th scope=\"col\">呼吸基質</th>"
             "<th scope=\"col\">反応式</th><th scope=\"col\">呼吸商＝CO<sub>2</sub>÷O<sub>2</sub>"
             "</th></tr></thead><tbody>"]
    quotients = []
    for name, left, right in COMBUSTIONS:
        if not balanced(left, right):
            raise DiagramError(f"{name}: the equation does not balance")
        oxygen = sum(count for count, formula in left if formula == "O2")
        carbon_dioxide = sum(count for count, formula in right if formula == "CO2")
        quotient = carbon_dioxide / oxygen
        quotients.append(round(quotient, 1))
        lines.append(f"<tr><th scope=\"row\">{e(name)}</th><td>{side_html(left)}"
                     f"　→　{side_html(right)}</td><td>{carbon_dioxide}÷{oxygen}"
                     f"{quotient_text(carbon_dioxide, oxygen)}</td></tr>")
    lines.append("<tr><th scope=\"row\">タンパク質</th><td>アミノ酸の組成によって式が一つに決まらない"
                 "</td><td>およそ0.8</td></tr>")
    if quotients != [wheat, sesame]:
        raise DiagramError(f"the equations give {quotients}, the item {wheat} and {sesame}")
    lines += ["</tbody></table>",
              f"<p>コムギの{wheat}は炭水化物の式に，ゴマの{sesame}は脂肪の式に一致する。"
              "脂肪は炭水化物に比べて分子中の酸素が少ないので，分解により多くの酸素を使い，"
              "呼吸商が小さくなる。</p>", "</div>"]
    return lines


# ---------------------------------------------------------------------------------------------
# 3-4: the family, its X chromosomes and the son's chance

# Who is who in the question: (label, sex, affected, x, generation); the couples and children.
FAMILY = (("男性１", "M", False, 50, 0), ("女性２", "F", False, 150, 0),
          ("男性３", "M", True, 50, 1), ("女性４", "F", False, 150, 1),
          ("男性５", "M", False, 250, 1), ("男子", "M", None, 200, 2))
COUPLES = (("男性１", "女性２", ("男性３", "女性４")), ("女性４", "男性５", ("男子",)))


def family_chances():
    """Each person's X chromosomes with their chances, by the rules of X-linked inheritance."""
    # Unaffected men carry X^A; a son's X comes from his mother alone, so 男性３'s X^a is 女性２'s.
    mother_of_affected = {"X^A X^a": Fraction(1)}
    daughter = {"X^A X^A": Fraction(1, 2), "X^A X^a": Fraction(1, 2)}  # X^A from 男性１
    son_affected = daughter["X^A X^a"] * Fraction(1, 2)
    return mother_of_affected, daughter, son_affected


def genotype_svg(x, y, genotype):
    """A genotype's SVG text centred on x, its alleles raised. WeasyPrint's SVG centres a text of
    several spans wrongly and ignores baseline-shift, so the text starts at an estimated left
    edge and each allele is raised by dy."""
    pieces = re.findall(r"X\^(\w)|([^X^]+|X)", genotype)
    width = sum(4.5 if allele else sum(11 if ord(c) > 0x2000 else 6.5 for c in plain)
                for allele, plain in pieces)
    spans, raised = [], False
    for allele, plain in pieces:
        if allele:
            letter = "<tspan dy=\"4\">X</tspan>" if raised else "X"
            spans.append(f"{letter}<tspan dy=\"-4\" font-size=\"8\">{e(allele)}</tspan>")
            raised = True
        else:
            shift = " dy=\"4\"" if raised else ""
            spans.append(f"<tspan{shift}>{e(plain)}</tspan>")
            raised = False
    if raised:
        spans.append("<tspan dy=\"4\"> </tspan>")
    return (f"<text x=\"{x - width / 2:.1f}\" y=\"{y}\" font-size=\"11\">"
            + "".join(spans) + "</text>")


def pedigree(keyed_choice_text):
    carrier, daughter, son_affected = family_chances()
    if fraction_ja(son_affected) != keyed_choice_text:
        raise DiagramError(f"the pedigree gives {son_affected}, the key {keyed_choice_text}")
    genotypes = {"男性１": "X^AY", "女性２": "X^AX^a（確定）", "男性３": "X^aY",
                 "女性４": "X^AX^A か X^AX^a", "男性５": "X^AY", "男子": "？"}
    assert set(carrier) == {"X^A X^a"} and daughter["X^A X^a"] == Fraction(1, 2)
    y_of = {0: 30, 1: 110, 2: 190}
    size = 22
    shapes, texts, lines = [], [], []
    where = {}
    for label, sex, affected, x, generation in FAMILY:
        y = y_of[generation]
        where[label] = (x, y)
        fill = "#333" if affected else "#fff"
        if sex == "M":
            shapes.append(f"<rect x=\"{x - size // 2}\" y=\"{y - size // 2}\" width=\"{size}\" "
                          f"height=\"{size}\" fill=\"{fill}\" stroke=\"#000\"/>")
        else:
            shapes.append(f"<circle cx=\"{x}\" cy=\"{y}\" r=\"{size // 2}\" fill=\"{fill}\" "
                          "stroke=\"#000\"/>")
        if label == "女性２":  # a carrier known for certain
            shapes.append(f"<circle cx=\"{x}\" cy=\"{y}\" r=\"3\" fill=\"#000\"/>")
        if affected is None or label == "女性４":
            texts.append(f"<text x=\"{x}\" y=\"{y + 5}\" text-anchor=\"middle\" "
                         "font-size=\"13\">？</text>")
        texts.append(f"<text x=\"{x}\" y=\"{y + size}\" text-anchor=\"middle\" "
                     f"font-size=\"11\">{e(label)}</text>")
        texts.append(genotype_svg(x, y + size + 15, genotypes[label]))
    for one, other, children in COUPLES:
        (x1, y), (x2, _) = where[one], where[other]
        left, right = min(x1, x2), max(x1, x2)
        lines.append(f"<line x1=\"{left + size // 2}\" y1=\"{y}\" x2=\"{right - size // 2}\" "
                     f"y2=\"{y}\" stroke=\"#000\"/>")
        middle = (left + right) // 2
        below = y_of[FAMILY[[f[0] for f in FAMILY].index(children[0])][4]] - size // 2 - 10
        lines.append(f"<line x1=\"{middle}\" y1=\"{y}\" x2=\"{middle}\" y2=\"{below}\" "
                     "stroke=\"#000\"/>")
        xs = [where[child][0] for child in children] + [middle]
        lines.append(f"<line x1=\"{min(xs)}\" y1=\"{below}\" x2=\"{max(xs)}\" y2=\"{below}\" "
                     "stroke=\"#000\"/>")
        for child in children:
            cx, cy = where[child]
            lines.append(f"<line x1=\"{cx}\" y1=\"{below}\" x2=\"{cx}\" y2=\"{cy - size // 2}\" "
                         "stroke=\"#000\"/>")
    description = ("家系図。男性１（X^AY）と女性２の子が，この色覚をもつ男性３（X^aY）と，もたない"
                   "女性４である。男性３のX染色体は母の女性２から来るので，女性２は保因者"
                   "（X^AX^a）と確定する。女性４はX^AX^AかX^AX^aで，保因者である確率は2分の1。"
                   "女性４と男性５（X^AY）の男子が，この色覚をもつ確率は2分の1×2分の1＝"
                   f"{fraction_ja(son_affected)}。").replace("^", "")
    return ["<div class=\"worked keep\">",
            "<p class=\"worked-title\"><strong>図解</strong>　家系図（■はこの色覚をもつ男性，"
            "中に点のある○は保因者と確定した女性）</p>",
            f"<svg class=\"pedigree\" role=\"img\" aria-label=\"{e(description)}\" "
            "viewBox=\"0 0 320 240\" width=\"320\" height=\"240\" "
            "font-family=\"Gothic Latin, IPAGothic, sans-serif\"><title>"
            f"{e(description)}</title>" + "".join(lines + shapes + texts) + "</svg>",
            "<p>男子の色覚は，母から受け取るX染色体だけで決まる（父からはY染色体を受け取る）。"
            "そのため男性３のX<sup>a</sup>は母の女性２から来ており，女性２は必ず保因者である。"
            f"求める確率は，女性４が保因者である確率（2分の1）×保因者の母から男子がX<sup>a</sup>"
            f"を受け取る確率（2分の1）＝{fraction_ja(son_affected)}。</p>",
            "</div>"]

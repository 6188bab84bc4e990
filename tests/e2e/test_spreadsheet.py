"""The user's whole path with real software: the program writes a report,
Chromium reads it, the formulas go into a sheet as the report's instructions
say, and two spreadsheet engines (LibreOffice Calc and Gnumeric) compute it.
Every cell the formulas fill must equal in both engines, and the cells that
carry the results must equal what is worked out here from the table itself
under Excel's rules.
"""

from __future__ import annotations

import dataclasses
import re

import pytest

import browser
import harness
from spreadsheet import (
    Calc,
    CellError,
    SheetContent,
    column_letters,
    column_number,
    gnumeric_values,
    place_report_formulas,
)

SUBTOTAL, SUMIF_01, SUMIF_02 = "1", "2", "3"
REPORT = {SUBTOTAL: "swr_subtotal.htm", SUMIF_01: "swr_sumif_01.htm", SUMIF_02: "swr_sumif_02.htm"}
ANY_ERROR = "any error"


def col(letters: str, offset: int) -> str:
    return column_letters(column_number(letters) + offset)


# ------------------------------------------------------------------ tables

Key = float | str
Amount = float | str | None


@dataclasses.dataclass(frozen=True)
class Table:
    """Rows of three key columns and an amount. The subtotal groups on the
    first one to three key columns, the SUMIF variants on the first."""

    rows: tuple[tuple[tuple[Key, Key, Key], Amount], ...]


# Sorted. A one-row group first and last; "East b y" is followed by "North b
# y", where the outer group changes under equal inner values; decimals,
# negatives, an empty and a text cell in the amounts; "West" totals zero.
REALISTIC = Table(
    (
        (("Apex", "a", "w"), 10.0),
        (("East", "a", "x"), -2.5),
        (("East", "a", "x"), None),
        (("East", "b", "y"), 0.75),
        (("East", "b", "y"), "n/a"),
        (("North", "b", "y"), 3.0),
        (("North", "c", "z"), -4.0),
        (("West", "c", "z"), 1.25),
        (("West", "c", "z"), -1.25),
        (("Zulu", "c", "z"), 6.0),
    )
)

# Values that differ only in case: one group each under Excel's rules.
CASES = Table(
    (
        (("alpha", "x", "p"), 1.0),
        (("Alpha", "X", "p"), 2.0),
        (("ALPHA", "x", "P"), 3.0),
        (("Beta", "y", "q"), 4.5),
        (("beta", "Y", "q"), -1.5),
        (("Gamma", "z", "r"), 7.0),
    )
)

# Numbers as keys, and a text that looks like a number, which stays a text.
NUMERIC = Table(
    (
        ((10.0, 1.0, "a"), 5.0),
        ((10.0, 2.0, "a"), 1.5),
        ((20.0, 2.0, "a"), -3.0),
        ((2.5, 2.0, "b"), 4.0),
        (("007", 2.0, "b"), 2.0),
        (("007", 3.0, "b"), 1.0),
    )
)

# Unsorted: "Nil" (the first of all) and "East" total zero, "Loss" is
# negative.
UNSORTED = Table(
    tuple(
        ((key, "k", "k"), amount)
        for key, amount in [
            ("Nil", 4.0),
            ("North", 10.0),
            ("Loss", 1.5),
            ("South", -3.0),
            ("North", 2.5),
            ("East", 0.0),
            ("South", 8.0),
            ("Nil", -4.0),
            ("North", -1.0),
            ("West", 6.75),
            ("South", -0.5),
            ("Loss", -3.75),
        ]
    )
)

# Keys that SUMIF and COUNTIF read as patterns: "Ab*" takes in "AbC", "X?"
# takes in "XY", "Q~*" means the text "Q*" and "Q*" takes in "Q~*".
PATTERNS = Table(
    tuple(
        ((key, "k", "k"), amount)
        for key, amount in [
            ("Ab*", 1.0),
            ("AbC", 2.0),
            ("AbC", 4.0),
            ("X?", 8.0),
            ("XY", 16.0),
            ("Q~*", 32.0),
            ("Q*", 64.0),
        ]
    )
)

TITLE, GRAND_TOTAL = "Sales 2024", 1000.0


@dataclasses.dataclass(frozen=True)
class Layout:
    """Where the table stands and what the user answered about it."""

    keys: str  # the first key column
    data: str
    first_row: int
    free: str
    levels: int = 1

    def key_column(self, level: int) -> str:
        return col(self.keys, level - 1)


def layout_of(menu_key: str, answers: list[str]) -> Layout:
    if menu_key == SUBTOTAL:
        start, levels, data, first_row, free = answers
        return Layout(start.upper(), data.upper(), int(first_row), free.upper(), int(levels))
    group, data, first_row, free = answers
    return Layout(group.upper(), data.upper(), int(first_row), free.upper())


def build_table(content: SheetContent, table: Table, layout: Layout, key_columns: int = 3) -> int:
    """Types the table's first `key_columns` key columns and its amounts in,
    under a header row; a table from row 4 on also has a title and a grand
    total in its data column above it. Gives the last data row."""
    levels = range(1, key_columns + 1)
    assert layout.data not in [layout.key_column(level) for level in levels]
    above = layout.first_row - 1
    if above > 0:  # a table from row 1 on has none, as an export
        for level in levels:
            content.put(f"{layout.key_column(level)}{above}", f"Key {level}")
        content.put(f"{layout.data}{above}", "Amount")
    if layout.first_row >= 4:
        content.put(f"{layout.keys}{above - 2}", TITLE)
        content.put(f"{layout.keys}{above - 1}", "Grand total")
        content.put(f"{layout.data}{above - 1}", GRAND_TOTAL)
    for offset, (keys, amount) in enumerate(table.rows):
        row = layout.first_row + offset
        for level, key in enumerate(keys[:key_columns], start=1):
            content.put(f"{layout.key_column(level)}{row}", key)
        content.put(f"{layout.data}{row}", amount)
    return layout.first_row + len(table.rows) - 1


# ---------------------------------------------------------- Excel's rules


def excel_equal(left, right, case_sensitive: bool = False) -> bool:
    """`=` of two cell values: an empty cell equals 0 and ""; a text never
    equals a number; texts compare without regard to case."""
    if left is None:
        left = "" if isinstance(right, str) else 0.0
    if right is None:
        right = "" if isinstance(left, str) else 0.0
    if isinstance(left, str) != isinstance(right, str):
        return False
    if isinstance(left, str) and not case_sensitive:
        return left.lower() == right.lower()
    return left == right


def excel_text(value) -> str:
    """A value as `&` joins it: numbers in their shortest form ("10", "2.5")."""
    if value is None:
        return ""
    return value if isinstance(value, str) else f"{value:.15g}"


def number_in(text: str) -> float | None:
    match = re.fullmatch(r"\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?\s*", text)
    return float(text) if match else None


def criterion_matches(criterion: Key, value) -> bool:
    """SUMIF's and COUNTIF's reading of a criterion cell: a number, or a text
    that reads as one, matches numbers and texts of that value; any other
    text is a pattern (`*`, `?`, `~` escapes) matched against texts without
    regard to case."""
    if isinstance(criterion, str) and criterion[:1] in ("=", "<", ">", ""):
        raise ValueError(f"the tables hold no criterion with an operator: {criterion!r}")
    number = criterion if isinstance(criterion, float) else number_in(criterion)
    if number is not None:
        return value == number if isinstance(value, float) else isinstance(value, str) and number_in(value) == number
    if not isinstance(value, str):
        return False
    pattern = "".join(
        re.escape(piece[1]) if piece.startswith("~") else {"*": ".*", "?": "."}.get(piece, re.escape(piece))
        for piece in re.findall(r"~.|.", criterion, re.DOTALL)
    )
    return re.fullmatch(pattern, value, re.IGNORECASE | re.DOTALL) is not None


def sum_of(amounts) -> float:
    """SUM and SUMIF add numbers only: texts and empty cells count nothing."""
    return sum(amount for amount in amounts if isinstance(amount, float))


class Expected:
    """The cells a report's formulas fill, worked out from the sheet's values."""

    def __init__(self, content: SheetContent, layout: Layout, last_row: int) -> None:
        self.values = content.values
        self.layout = layout
        self.rows = range(layout.first_row, last_row + 1)
        self.last_row = last_row
        self.cells: dict[str, object] = {}

    def key(self, row: int, level: int = 1):
        return self.values.get(f"{self.layout.key_column(level)}{row}")

    def amount(self, row: int):
        return self.values.get(f"{self.layout.data}{row}")

    def put(self, offset: int, row: int, value) -> None:
        self.cells[f"{col(self.layout.free, offset)}{row}"] = value

    def caption(self, value) -> str:
        return f"SUMIF({self.layout.keys}={excel_text(value)};{self.layout.data})="

    def sumif_total(self, row: int) -> float:
        """SUMIF over the whole key and data columns, the rows above the table
        included."""
        column = self.layout.key_column(1)
        rows = {int(name[len(column) :]) for name in self.values if re.fullmatch(column + r"[0-9]+", name)}
        return sum_of(self.amount(other) for other in rows if criterion_matches(self.key(row), self.key(other)))

    def count_so_far(self, row: int) -> int:
        return sum(criterion_matches(self.key(row), self.key(other)) for other in range(self.rows.start, row + 1))


# Each gives where every step's formula goes, the length of the list below
# the table, and the sheets to compute: the values typed into each beside the
# table and the cells it must show.


def expected_subtotal(content: SheetContent, layout: Layout, last_row: int, case_sensitive: bool = False):
    """Marker, label and sum of every row and level: a group of a level ends
    where its key changes in the next row or a group of an outer level ends."""
    expected = Expected(content, layout, last_row)
    ends = {row: False for row in expected.rows}
    for level in range(1, layout.levels + 1):
        start = layout.first_row
        for row in expected.rows:
            key, next_key = expected.key(row, level), expected.key(row + 1, level)
            ends[row] = ends[row] or not excel_equal(key, next_key, case_sensitive)
            named = "".join(f"{layout.key_column(k)}={excel_text(expected.key(row, k))}, " for k in range(1, level + 1))
            label = f"SUBTOTAL_0{level}({named}{layout.data})="
            total = sum_of(expected.amount(r) for r in range(start, row + 1))
            expected.put(level - 1, row, float(row) if ends[row] else "")
            expected.put(layout.levels + 2 * level - 2, row, label if ends[row] else "")
            expected.put(layout.levels + 2 * level - 1, row, total if ends[row] else "")
            start = row + 1 if ends[row] else start
    placement = {step: (col(layout.free, step - 1), layout.first_row) for step in range(1, 3 * layout.levels + 1)}
    return placement, 0, [({}, expected.cells)]


def expected_sumif_01(content: SheetContent, layout: Layout, last_row: int):
    expected = Expected(content, layout, last_row)
    listed = []
    for row in expected.rows:
        total, count = expected.sumif_total(row), expected.count_so_far(row)
        shown = total if count == 1 and total != 0 else ""
        listed += [row] if shown != "" else []
        for offset, value in enumerate([total, float(count), shown, float(len(listed)), expected.key(row), shown]):
            expected.put(offset, row, value)
    first_list_row = last_row + 1
    for number, row in enumerate(listed, start=1):
        list_row = first_list_row + number - 1
        expected.put(6, list_row, float(number))
        expected.put(7, list_row, expected.caption(expected.key(row)))
        expected.put(8, list_row, expected.sumif_total(row))
    end = first_list_row + len(listed)
    expected.put(6, end, float(len(listed) + 1))
    expected.put(7, end, ANY_ERROR)
    expected.put(8, end, ANY_ERROR)
    placement = {n: (col(layout.free, n - 1), layout.first_row if n <= 6 else first_list_row) for n in range(1, 10)}
    return placement, len(listed), [({}, expected.cells)]


def expected_sumif_02(content: SheetContent, layout: Layout, last_row: int, case_sensitive: bool = False):
    """One sheet without a selection, and one for every group number typed
    into the selection row."""
    base = Expected(content, layout, last_row)
    groups = []
    for row in base.rows:
        total, count = base.sumif_total(row), base.count_so_far(row)
        shown = total if count == 1 else ""
        groups += [row] if count == 1 else []
        for offset, value in enumerate([total, float(count), shown, float(len(groups)), base.key(row), shown]):
            base.put(offset, row, value)
    selection_row, first_list_row = last_row + 1, last_row + 2
    base.put(5, selection_row, f"INPUT(1 - {len(groups)})=")
    for number, row in enumerate(groups, start=1):
        list_row = first_list_row + number - 1
        entry = [float(number), base.key(row), base.caption(base.key(row)), base.sumif_total(row)]
        for offset, value in enumerate(entry):
            base.put(6 + offset, list_row, value)
    end = first_list_row + len(groups)
    base.put(6, end, float(len(groups) + 1))
    for offset in (7, 8, 9):
        base.put(offset, end, ANY_ERROR)

    sheets = []
    selection_cell = f"{col(layout.free, 6)}{selection_row}"
    # Until a number is typed, the selection and the marks show errors.
    unselected = dict(base.cells)
    for row in [*base.rows, selection_row]:
        for offset in (7, 8, 9):
            unselected[f"{col(layout.free, offset)}{row}"] = ANY_ERROR
    sheets.append(({}, unselected))
    for number, chosen_row in enumerate(groups, start=1):
        chosen = base.key(chosen_row)
        selected = Expected(content, layout, last_row)
        selected.cells = dict(base.cells)
        for offset, value in enumerate([chosen, base.caption(chosen), base.sumif_total(chosen_row)]):
            selected.put(7 + offset, selection_row, value)
        for row in base.rows:
            mine = excel_equal(chosen, base.key(row), case_sensitive)
            running = sum_of(
                base.amount(other)
                for other in range(layout.first_row, row + 1)
                if criterion_matches(base.key(row), base.key(other))
            )
            selected.put(7, row, f"<<<  {excel_text(base.key(row))}" if mine else "")
            selected.put(8, row, "SUM =" if mine else "")
            selected.put(9, row, running if mine else "")
        sheets.append(({selection_cell: float(number)}, selected.cells))

    offsets = [0, 1, 2, 3, 4, 5, 7, 8, 9, 5, 7, 8, 9, 6, 7, 8, 9]
    starts = [layout.first_row] * 9 + [selection_row] * 4 + [first_list_row] * 4
    placement = {n: (col(layout.free, offset), start) for n, offset, start in zip(range(1, 18), offsets, starts)}
    return placement, len(groups), sheets


EXPECTED = {SUBTOTAL: expected_subtotal, SUMIF_01: expected_sumif_01, SUMIF_02: expected_sumif_02}


# --------------------------------------------------------------- the runs


@pytest.fixture(scope="module")
def calc():
    with Calc.running() as office:
        yield office


@pytest.fixture(scope="module")
def report_for(tmp_path_factory):
    """The report of a run with the given answers, as Chromium reads it;
    each distinct run is made and read once per module."""
    made = {}

    def report(menu_key: str, answers: list[str]) -> Report:
        key = (menu_key, tuple(answers))
        if key not in made:
            made[key] = produce_report(tmp_path_factory.mktemp("run"), menu_key, answers)
        return made[key]

    return report


@dataclasses.dataclass
class Report:
    steps: list[browser.Step]
    skip_columns: list[str]
    raw_formulas: list[str]


def produce_report(directory, menu_key: str, answers: list[str]) -> Report:
    run = harness.run_piped(directory, harness.dialogue(menu_key, answers))
    assert run.status == 0, run.console
    seen = browser.read_report(directory / REPORT[menu_key])
    raw = [line for line in run.report_lines(REPORT[menu_key]) if line.startswith("=")]
    return Report(seen.steps, seen.skip_columns, raw)


def assert_browser_shows_program_formulas(report: Report) -> None:
    # The program's formulas are its formula lines with the "&amp;" that
    # keeps a browser from decoding "&GT" and the like taken back out.
    meant = [line.replace("&amp;", "&") for line in report.raw_formulas]
    assert [step.formula for step in report.steps] == meant


def differences(shown: dict, wanted: dict) -> dict:
    """The cells of `wanted` that `shown` does not show (numbers within
    rounding), with what each shows and what was wanted."""
    differing = {}
    for cell, value in wanted.items():
        got = shown.get(cell)
        if value == ANY_ERROR:
            same = isinstance(got, CellError)
        elif isinstance(value, float):
            same = isinstance(got, float) and got == pytest.approx(value)
        else:
            same = got == value
        if not same:
            differing[cell] = (got, value)
    return differing


def sheets_of(
    menu_key: str, table: Table, answers: list[str], report: Report, case_sensitive: bool = False, key_columns: int = 3
):
    """The sheet with the table and the report's formulas placed as the
    instructions say, and the cells each variant of it must show."""
    layout = layout_of(menu_key, answers)
    content = SheetContent()
    last_row = build_table(content, table, layout, key_columns)
    keyword = {"case_sensitive": case_sensitive} if case_sensitive else {}
    placement, list_length, variants = EXPECTED[menu_key](content, layout, last_row, **keyword)
    placed = place_report_formulas(content, report.steps, last_row, list_length)
    assert placed == placement, "each formula's place as its instruction says"
    return content, variants


SCENARIOS = [
    # menu key, table, answers as typed
    pytest.param(SUBTOTAL, REALISTIC, ["A", "3", "D", "2", "F"], id="subtotal-realistic-3-levels"),
    pytest.param(SUBTOTAL, REALISTIC, ["b", "2", "e", "4", "ay"], id="subtotal-realistic-titled-crossing-AZ"),
    pytest.param(SUBTOTAL, CASES, ["A", "3", "D", "4", "F"], id="subtotal-cases-titled"),
    pytest.param(SUBTOTAL, NUMERIC, ["c", "2", "f", "2", "h"], id="subtotal-numeric"),
    pytest.param(SUBTOTAL, UNSORTED, ["A", "1", "D", "4", "ax"], id="subtotal-unsorted-titled-crossing-AZ"),
    pytest.param(SUBTOTAL, PATTERNS, ["B", "1", "E", "2", "G"], id="subtotal-patterns"),
    # No header row: the first group of one row at every level, then one of
    # three rows at every level.
    pytest.param(SUBTOTAL, REALISTIC, ["A", "3", "D", "1", "F"], id="subtotal-realistic-from-row-1"),
    pytest.param(SUBTOTAL, CASES, ["b", "3", "e", "1", "g"], id="subtotal-cases-from-row-1"),
    # The second key column is GT: the level-2 label formula holds "&GT3&",
    # which a browser would show as ">3&" unless the report escapes it.
    pytest.param(SUBTOTAL, REALISTIC, ["gs", "2", "gv", "3", "ha"], id="subtotal-key-column-GT"),
    # Past ZZ: free areas that run on into AAA, grouping columns that do,
    # three-letter columns typed.
    pytest.param(SUBTOTAL, REALISTIC, ["zu", "2", "zx", "2", "zy"], id="subtotal-realistic-crossing-ZZ"),
    pytest.param(SUBTOTAL, CASES, ["zy", "3", "abb", "4", "abc"], id="subtotal-cases-titled-groups-crossing-ZZ"),
    pytest.param(SUMIF_01, REALISTIC, ["B", "E", "2", "G"], id="sumif_01-realistic"),
    pytest.param(SUMIF_01, CASES, ["a", "d", "4", "ay"], id="sumif_01-cases-titled-crossing-AZ"),
    pytest.param(SUMIF_01, NUMERIC, ["C", "F", "4", "H"], id="sumif_01-numeric-titled"),
    pytest.param(SUMIF_01, UNSORTED, ["c", "f", "7", "ab"], id="sumif_01-unsorted"),
    pytest.param(SUMIF_01, PATTERNS, ["A", "D", "2", "F"], id="sumif_01-patterns"),
    pytest.param(SUMIF_01, CASES, ["zu", "zx", "4", "zy"], id="sumif_01-cases-titled-crossing-ZZ"),
    pytest.param(SUMIF_02, REALISTIC, ["A", "D", "4", "F"], id="sumif_02-realistic-titled"),
    pytest.param(SUMIF_02, CASES, ["B", "E", "2", "G"], id="sumif_02-cases"),
    pytest.param(SUMIF_02, NUMERIC, ["a", "d", "2", "ar"], id="sumif_02-numeric-crossing-AZ"),
    pytest.param(SUMIF_02, UNSORTED, ["c", "f", "7", "ab"], id="sumif_02-unsorted"),
    pytest.param(SUMIF_02, PATTERNS, ["A", "D", "4", "F"], id="sumif_02-patterns-titled"),
    pytest.param(SUMIF_02, UNSORTED, ["zt", "zw", "3", "zz"], id="sumif_02-unsorted-crossing-ZZ"),
    pytest.param(SUMIF_02, NUMERIC, ["aaa", "aad", "2", "aae"], id="sumif_02-numeric-three-letters"),
    # The fifth free column is LT: step 7 holds "&LT3", as "&GT3&" above.
    pytest.param(SUMIF_02, UNSORTED, ["b", "f", "3", "lp"], id="sumif_02-value-column-LT"),
]


@pytest.mark.parametrize("menu_key, table, answers", SCENARIOS)
def test_both_engines_compute_the_totals_worked_out_under_excels_rules(
    calc, report_for, tmp_path, menu_key, table, answers
):
    report = report_for(menu_key, answers)
    assert_browser_shows_program_formulas(report)
    content, variants = sheets_of(menu_key, table, answers, report)
    contents = [content.with_values(typed) for typed, _ in variants]
    cells = content.formula_cells()
    gnumeric_computed = gnumeric_values(contents, cells, tmp_path)
    computed_by_libreoffice = [calc.values(sheet, cells) for sheet in contents]
    gnumeric = gnumeric_computed()
    for number, (libreoffice, (_, wanted)) in enumerate(zip(computed_by_libreoffice, variants)):
        assert differences(libreoffice, wanted) == {}, f"LibreOffice, sheet {number}"
        assert differences(gnumeric[number], wanted) == {}, f"Gnumeric, sheet {number}"
        assert differences(gnumeric[number], libreoffice) == {}, f"Gnumeric against LibreOffice, sheet {number}"


@pytest.mark.parametrize(
    "menu_key, answers",
    [
        pytest.param(SUBTOTAL, ["A", "3", "D", "2", "F"], id="subtotal"),
        pytest.param(SUMIF_02, ["A", "D", "2", "F"], id="sumif_02"),
    ],
)
def test_libreoffice_compares_case_sensitively_unless_told_otherwise(calc, report_for, menu_key, answers):
    # A new Calc document's "=" and "<>" tell "alpha" from "Alpha" (its
    # SUMIF and COUNTIF do not): the subtotal splits the groups, variant 02
    # marks only the rows written as the listed value.
    report = report_for(menu_key, answers)
    content, variants = sheets_of(menu_key, CASES, answers, report, case_sensitive=True)
    for typed, wanted in variants:
        shown = calc.values(content.with_values(typed), content.formula_cells(), ignore_case=False)
        assert differences(shown, wanted) == {}

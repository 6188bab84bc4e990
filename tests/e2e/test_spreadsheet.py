"""The user's whole path with real software: the program writes a report,
Chromium reads it, the formulas go into a LibreOffice Calc sheet as the
report's instructions say, and the sheet's results are compared with group
totals worked out here from the table itself.
"""

from __future__ import annotations

import dataclasses
import itertools

import pytest

import browser
import harness
from spreadsheet import Calc, CellError, column_letters, column_number, split_cell_name

SUBTOTAL, SUMIF_01, SUMIF_02 = "1", "2", "3"
REPORT = {SUBTOTAL: "swr_subtotal.htm", SUMIF_01: "swr_sumif_01.htm", SUMIF_02: "swr_sumif_02.htm"}


def col(letters: str, offset: int) -> str:
    return column_letters(column_number(letters) + offset)


# A table sorted on its three text columns. East/b/y is followed by North/b/y:
# the outer group changes while both inner values stay the same. The West
# groups sum to zero; the first and the last row are groups of one row.
SORTED_ROWS = [
    (("East", "a", "w"), 10.0),
    (("East", "a", "x"), -2.5),
    (("East", "a", "y"), 0.0),
    (("East", "b", "y"), 7.0),
    (("North", "b", "y"), 3.0),
    (("North", "b", "z"), -4.0),
    (("North", "c", "z"), 4.5),
    (("West", "c", "z"), 1.25),
    (("West", "c", "z"), -1.25),
    (("Zulu", "c", "z"), 6.0),
]

# An unsorted table. "Nil" (first of all) and "East" total zero, "Loss" is
# negative.
UNSORTED_ROWS = [
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


@pytest.fixture(scope="module")
def calc():
    with Calc.running() as office:
        yield office


@pytest.fixture
def sheet(calc):
    document = calc.new_sheet()
    try:
        yield document
    finally:
        document.close()


@pytest.fixture(scope="module")
def report_for(tmp_path_factory):
    """The report of a run with the given answers, as Chromium reads it;
    each distinct run is made and read once per module."""
    made = {}

    def report(menu_key: str, answers: list[str]) -> "Report":
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


def paste(sheet, report: Report, last_row: int, list_length: int = 0) -> dict[int, tuple[str, int]]:
    """Puts every formula into its target cell and copies it down as its
    instruction says; gives each step's column and starting row."""
    placed = {}
    for step in report.steps:
        if step.start == browser.FIRST_DATA_ROW:
            column, row = split_cell_name(step.target)
        else:
            column = step.target
            row = last_row + (1 if step.start == browser.ROW_AFTER_TABLE else 2)
        target = f"{column}{row}"
        assert sheet.put_formula(target, step.formula) == step.formula, "Calc holds the formula as typed"
        last = {
            browser.ONCE: row,
            browser.TO_TABLE_END: last_row,
            # Down past the last group: one row more than there are entries.
            browser.UNTIL_ERROR: row + list_length,
        }[step.extent]
        sheet.copy_cell(target, [f"{column}{r}" for r in range(row + 1, last + 1)])
        placed[step.number] = (column, row)
    sheet.recalculate()
    return placed


def assert_column(sheet, column: str, rows, expected, what: str) -> None:
    """The column shows the expected values in these rows (numbers within
    rounding); row by row, so that a failure names the rows that differ."""
    shown = {row: sheet.value(f"{column}{row}") for row in rows}
    wanted = {row: pytest.approx(v) if isinstance(v, float) else v for row, v in zip(rows, expected, strict=True)}
    assert shown == wanted, f"{what} (column {column})"


# ---------------------------------------------------------------- subtotal

SUBTOTAL_CASES = [
    # start sort column, levels, data column, first row, free column
    pytest.param("A", 1, "C", 2, "F", id="one-level"),
    pytest.param("b", 1, "d", 6, "ab", id="one-level-lower-later-row"),
    pytest.param("A", 2, "D", 2, "F", id="two-levels"),
    pytest.param("c", 2, "f", 4, "ax", id="two-levels-lower-later-row"),
    pytest.param("B", 3, "G", 2, "J", id="three-levels"),
    pytest.param("a", 3, "e", 9, "ay", id="three-levels-lower-later-row"),
    # The second grouping column is GT: its label formula holds "&GT3&".
    pytest.param("gs", 2, "gw", 3, "ha", id="grouping-column-GT"),
]


def build_sorted_table(sheet, start: str, levels: int, data: str, first_row: int):
    groups = [col(start, k) for k in range(levels)]
    for letters in [*groups, data.upper()]:
        sheet.put_text(f"{letters}{first_row - 1}", f"head {letters}")
    for offset, (values, amount) in enumerate(SORTED_ROWS):
        row = first_row + offset
        for letters, value in zip(groups, values):
            sheet.put_text(f"{letters}{row}", value)
        sheet.put_number(f"{data.upper()}{row}", amount)
    return groups


def expected_subtotal_level(groups: list[str], data: str, first_row: int, level: int):
    """Marker, label and sum of every row for one level, worked out from the
    table: a group of the level is a run of rows with the same values in the
    grouping columns 1 to level."""
    markers, labels, sums = [], [], []
    keys = [values[:level] for values, _ in SORTED_ROWS]
    running = 0.0
    for index, (key, (_, amount)) in enumerate(zip(keys, SORTED_ROWS)):
        running += amount
        if index + 1 == len(keys) or keys[index + 1] != key:
            markers.append(float(first_row + index))
            named = "".join(f"{letters}={value}, " for letters, value in zip(groups, key))
            labels.append(f"SUBTOTAL_0{level}({named}{data.upper()})=")
            sums.append(running)
            running = 0.0
        else:
            markers.append("")
            labels.append("")
            sums.append("")
    return markers, labels, sums


@pytest.mark.parametrize("start, levels, data, first_row, free", SUBTOTAL_CASES)
def test_subtotal_gives_every_group_of_every_level_its_sum(report_for, sheet, start, levels, data, first_row, free):
    report = report_for(SUBTOTAL, [start, str(levels), data, str(first_row), free])
    assert_browser_shows_program_formulas(report)
    assert [step.number for step in report.steps] == list(range(1, 3 * levels + 1))
    assert all(step.extent == browser.TO_TABLE_END for step in report.steps)

    groups = build_sorted_table(sheet, start, levels, data, first_row)
    last_row = first_row + len(SORTED_ROWS) - 1
    placed = paste(sheet, report, last_row)
    rows = range(first_row, last_row + 1)

    for level in range(1, levels + 1):
        marker_step, label_step, sum_step = level, levels + 2 * level - 1, levels + 2 * level
        for step in (marker_step, label_step, sum_step):
            assert placed[step] == (col(free, step - 1), first_row)
        markers, labels, sums = expected_subtotal_level(groups, data, first_row, level)
        assert_column(sheet, placed[marker_step][0], rows, markers, f"markers of level {level}")
        assert_column(sheet, placed[label_step][0], rows, labels, f"labels of level {level}")
        assert_column(sheet, placed[sum_step][0], rows, sums, f"sums of level {level}")


def test_subtotal_label_with_grouping_column_GT_reaches_the_browser_intact(report_for):
    report = report_for(SUBTOTAL, ["gs", "2", "gw", "3", "ha"])
    label_of_level_2 = report.steps[5 - 1]
    assert label_of_level_2.formula == '=IF(HB3<>"";T("SUBTOTAL_02(GS="&GS3&", GT="&GT3&", GW)=");"")'


# ------------------------------------------------------------ SUMIF 01 / 02

SUMIF_CASES = [
    # group column, data column, first row, free column
    pytest.param("B", "D", 2, "F", id="row-2"),
    pytest.param("c", "e", 7, "ab", id="lower-later-row"),
    pytest.param("a", "b", 3, "ay", id="lower-columns-crossing-AZ"),
]

# A free area whose fifth column is LT: step 7 of variant 02 holds "&LT3".
SUMIF_02_CASES = [*SUMIF_CASES, pytest.param("b", "d", 3, "lp", id="value-column-LT")]


def build_unsorted_table(sheet, group: str, data: str, first_row: int) -> int:
    sheet.put_text(f"{group.upper()}{first_row - 1}", "Group")
    sheet.put_text(f"{data.upper()}{first_row - 1}", "Amount")
    for offset, (value, amount) in enumerate(UNSORTED_ROWS):
        sheet.put_text(f"{group.upper()}{first_row + offset}", value)
        sheet.put_number(f"{data.upper()}{first_row + offset}", amount)
    return first_row + len(UNSORTED_ROWS) - 1


def group_totals() -> dict[str, float]:
    """Every group value with its total, in order of first appearance."""
    totals: dict[str, float] = {}
    for value, amount in UNSORTED_ROWS:
        totals[value] = totals.get(value, 0.0) + amount
    return totals


def caption(group: str, value: str, data: str) -> str:
    return f"SUMIF({group.upper()}={value};{data.upper()})="


@pytest.mark.parametrize("group, data, first_row, free", SUMIF_CASES)
def test_sumif_01_totals_every_row_and_lists_the_non_zero_groups(report_for, sheet, group, data, first_row, free):
    report = report_for(SUMIF_01, [group, data, str(first_row), free])
    assert_browser_shows_program_formulas(report)
    assert [step.number for step in report.steps] == list(range(1, 10))

    last_row = build_unsorted_table(sheet, group, data, first_row)
    totals = group_totals()
    listed = {value: total for value, total in totals.items() if total != 0}
    placed = paste(sheet, report, last_row, list_length=len(listed))
    assert placed == {n: (col(free, n - 1), first_row if n <= 6 else last_row + 1) for n in range(1, 10)}

    rows = range(first_row, last_row + 1)
    assert_column(sheet, col(free, 0), rows, [totals[value] for value, _ in UNSORTED_ROWS], "group totals")

    list_rows = range(last_row + 1, last_row + 1 + len(listed))
    assert_column(sheet, col(free, 6), list_rows, [float(n) for n in range(1, len(listed) + 1)], "list numbers")
    assert_column(sheet, col(free, 7), list_rows, [caption(group, value, data) for value in listed], "captions")
    assert_column(sheet, col(free, 8), list_rows, list(listed.values()), "listed totals")

    after_list = last_row + 1 + len(listed)
    for k in (7, 8):
        assert isinstance(sheet.value(f"{col(free, k)}{after_list}"), CellError), "the list ends with an error"


@pytest.mark.parametrize("group, data, first_row, free", SUMIF_02_CASES)
def test_sumif_02_totals_lists_and_selects_each_group(report_for, sheet, group, data, first_row, free):
    report = report_for(SUMIF_02, [group, data, str(first_row), free])
    assert_browser_shows_program_formulas(report)
    assert [step.number for step in report.steps] == list(range(1, 18))
    assert report.skip_columns == [col(free, 6)]

    last_row = build_unsorted_table(sheet, group, data, first_row)
    totals = group_totals()
    placed = paste(sheet, report, last_row, list_length=len(totals))
    selection_row, first_list_row = last_row + 1, last_row + 2
    # Data rows fill F+0 to F+5 and F+7 to F+9; F+6 of the selection row is
    # where the user types a group number.
    offsets = [0, 1, 2, 3, 4, 5, 7, 8, 9, 5, 7, 8, 9, 6, 7, 8, 9]
    starts = [first_row] * 9 + [selection_row] * 4 + [first_list_row] * 4
    assert placed == {n: (col(free, offset), start) for n, offset, start in zip(range(1, 18), offsets, starts)}

    rows = range(first_row, last_row + 1)
    assert_column(sheet, col(free, 0), rows, [totals[value] for value, _ in UNSORTED_ROWS], "group totals")
    assert_column(sheet, col(free, 5), [selection_row], [f"INPUT(1 - {len(totals)})="], "selection prompt")

    list_rows = range(first_list_row, first_list_row + len(totals))
    assert_column(sheet, col(free, 6), list_rows, [float(n) for n in range(1, len(totals) + 1)], "list numbers")
    assert_column(sheet, col(free, 7), list_rows, list(totals), "listed groups")
    assert_column(sheet, col(free, 8), list_rows, [caption(group, value, data) for value in totals], "captions")
    assert_column(sheet, col(free, 9), list_rows, list(totals.values()), "listed totals")
    after_list = first_list_row + len(totals)
    for k in (7, 8, 9):
        assert isinstance(sheet.value(f"{col(free, k)}{after_list}"), CellError), "the list ends with an error"

    for number, (chosen, total) in enumerate(totals.items(), start=1):
        sheet.put_number(f"{report.skip_columns[0]}{selection_row}", number)
        sheet.recalculate()
        what = f"group {number} selected"
        for k, shown in ((7, chosen), (8, caption(group, chosen, data)), (9, total)):
            assert_column(sheet, col(free, k), [selection_row], [shown], what)
        chosen_rows = [value == chosen for value, _ in UNSORTED_ROWS]
        running = itertools.accumulate(amount if mine else 0.0 for mine, (_, amount) in zip(chosen_rows, UNSORTED_ROWS))
        assert_column(sheet, col(free, 7), rows, [f"<<<  {chosen}" if mine else "" for mine in chosen_rows], what)
        assert_column(sheet, col(free, 8), rows, ["SUM =" if mine else "" for mine in chosen_rows], what)
        assert_column(sheet, col(free, 9), rows, [s if mine else "" for mine, s in zip(chosen_rows, running)], what)


def test_sumif_02_marker_with_value_column_LT_reaches_the_browser_intact(report_for):
    report = report_for(SUMIF_02, ["b", "d", "3", "lp"])
    marker = report.steps[7 - 1]
    assert marker.formula == '=IF(INDIRECT("$LW$"&TEXT((COUNT(LS:LS;">0") + 3);"#"))=LT3;"<<<  "&LT3;"")'

"""The three generators through the real program with piped answers: the
console from the section title to the closing notice, and whole report files
byte for byte."""

from pathlib import Path

import pytest

from harness import dialogue, run_piped

# The expected report files, shared with the unit tests.
DATA = Path(__file__).resolve().parent.parent / "data"

ANY_KEY = "<Any key> to continue and end"

# Menu key and typed answers of each worked example; its report is
# tests/data/<example>.htm, for the program www.example.com.exe.
EXAMPLES = {
    "subtotal_example_1": ("1", ["A", "2", "D", "2", "F"]),
    "subtotal_example_2": ("1", ["b", "3", "g", "4", "j"]),
    "sumif_01_example_1": ("2", ["B", "D", "2", "F"]),
    "sumif_01_example_2": ("2", ["a", "c", "5", "h"]),
    "sumif_02_example_1": ("3", ["B", "D", "2", "F"]),
    "sumif_02_example_2": ("3", ["c", "e", "10", "ab"]),
}

CLOSING_30 = ["", "-" * 30]
CLOSING_31 = ["", "-" * 31]

# Console of worked example 1 from the report opening to the closing notice.
# Piped input shows neither prompt nor answer, so each prompt line is empty.
CONSOLE = {
    "subtotal": [
        "",
        "----- selecting cells for multilevel sum -----",
        "Output file = swr_subtotal.htm",
        "",
        "Before using formulas, table must be sort on group of columns.",
        "",
        "",  # Column name         for start sort  = ? A
        "",  # Numeber columns in group  for sort  = ? 2
        "Columns must be arranged in a compact group.",
        "",
        "",  # Column name with data (subtotal)    = ? D
        "Row number (start) with data must be row() > 1",
        "",  # Row number (start) with data cell   = ? 2
        "",
        "",  # Column name with start of free area = ? F
        "",
        *CLOSING_30,
        "Output file = swr_subtotal.htm",
        "",
    ],
    "sumif_01": [
        "",
        "----- selecting cells for sumif()_01 -----",
        "Output file = swr_sumif_01.htm",
        "",
        "",  # Column name for creating groups = ? B
        "",
        "",  # Column name with data (sum) = ? D
        "",
        "Row number (start) with data must be row() > 1",
        "",  # Row number (start) with data cell = ? 2
        "",
        "",  # Column name (start) with free area = ? F
        *CLOSING_31,
        "Output files = swr_sumif_01.htm",
        "",
    ],
    "sumif_02": [
        "",
        "----- selecting cells for sumif()_02 -----",
        "Output files = swr_sumif_02.htm",
        "",
        "",  # Column name for creating groups = ? B
        "",
        "",  # Column name with data (sum) = ? D
        "",
        "The grouping column and summation column must only have data that pairs from the combinationa that we "
        "expect.",
        "",
        "Row number (start) with data must be row() > 1",
        "",  # Row number (start) with data cell   = ? 2
        "",
        "",  # Column name (start) with free area = ? F
        *CLOSING_31,
        "Output files = swr_sumif_02.htm",
        "",
    ],
}


def console_from_section_title(run, title):
    """The console from the empty line before the section title on; the lines
    of the tool checks before it are not looked at."""
    lines = run.console_lines()
    return lines[lines.index(title) - 1:]


@pytest.mark.parametrize("generator", ["subtotal", "sumif_01", "sumif_02"])
def test_console_of_worked_example_1(tmp_path, generator):
    menu_key, answers = EXAMPLES[f"{generator}_example_1"]
    run = run_piped(tmp_path, dialogue(menu_key, answers))
    assert run.status == 0, run.errors
    expected = CONSOLE[generator]
    seen = console_from_section_title(run, expected[1])
    assert seen[:len(expected)] == expected
    assert seen[len(expected)] == ANY_KEY


@pytest.mark.parametrize("example", EXAMPLES)
def test_whole_report_file(tmp_path, example):
    menu_key, answers = EXAMPLES[example]
    run = run_piped(tmp_path, dialogue(menu_key, answers))
    assert run.status == 0, run.errors
    report = "swr_" + example.split("_example_")[0] + ".htm"
    expected = (DATA / f"{example}.htm").read_bytes()
    actual = run.report(report)
    if actual != expected:
        # Line by line first, for a readable difference.
        assert run.report_lines(report) == expected.decode("latin-1")[:-2].split("\r\n")
    assert actual == expected

"""The three generators through the real program with piped answers: the
console from the web link to the closing notice, and whole report files byte
for byte, which replace only their own earlier report."""

from pathlib import Path

import pytest

from harness import REPORT_NAMES, dialogue, run_piped

# The expected report files, shared with the unit tests.
DATA = Path(__file__).resolve().parent.parent / "data"

ANY_KEY = "<Any key> to continue and end"
# The console from the program's path on, which gives the web link.
PREAMBLE = ["sumwright_01_012.cpp", "", "./www.example.com.exe", "http://www.example.com", "www.example.com.exe"]

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

# Console of each worked example 1 after the preamble, to the closing notice.
# Piped input shows neither prompt nor answer, so each prompt line is empty.
CONSOLE = {
    "subtotal_example_1": [
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
    "sumif_01_example_1": [
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
    "sumif_02_example_1": [
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


@pytest.mark.parametrize("example", EXAMPLES)
def test_whole_report_file_replaces_only_its_own_and_is_announced(tmp_path, example):
    menu_key, answers = EXAMPLES[example]
    report = "swr_" + example.split("_example_")[0] + ".htm"
    others = {name: b"keep me\r\n" for name in REPORT_NAMES if name != report}
    for name, content in {**others, report: b"old report " * 10000}.items():
        (tmp_path / name).write_bytes(content)
    run = run_piped(tmp_path, dialogue(menu_key, answers))
    assert run.status == 0, run.errors
    lines = run.console_lines()
    shown = lines[lines.index(PREAMBLE[0], 2):]
    assert shown[:len(PREAMBLE)] == PREAMBLE
    if example in CONSOLE:
        assert shown[len(PREAMBLE):] == [*CONSOLE[example], ANY_KEY, ""]
    expected = (DATA / f"{example}.htm").read_bytes()
    actual = run.report(report)
    if actual != expected:
        # Line by line first, for a readable difference.
        assert run.report_lines(report) == expected.decode("latin-1")[:-2].split("\r\n")
    assert actual == expected
    for name, content in others.items():
        assert run.file(name) == content
    assert run.leftovers() == []

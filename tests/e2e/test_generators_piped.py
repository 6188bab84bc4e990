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

# What each generator shows around its questions after the preamble: its
# heading, and the closing notice before the final wait. The questions in
# between, one line end per prompt when piped, are the unit tests' concern.
AROUND_QUESTIONS = {
    "subtotal": (["", "----- selecting cells for multilevel sum -----", "Output file = swr_subtotal.htm", ""],
                 ["", "-" * 30, "Output file = swr_subtotal.htm", ""]),
    "sumif_01": (["", "----- selecting cells for sumif()_01 -----", "Output file = swr_sumif_01.htm", ""],
                 ["", "-" * 31, "Output files = swr_sumif_01.htm", ""]),
    "sumif_02": (["", "----- selecting cells for sumif()_02 -----", "Output files = swr_sumif_02.htm", ""],
                 ["", "-" * 31, "Output files = swr_sumif_02.htm", ""]),
}


@pytest.mark.parametrize("example", EXAMPLES)
def test_whole_report_file_replaces_only_its_own_and_is_announced(tmp_path, example):
    menu_key, answers = EXAMPLES[example]
    generator = example.split("_example_")[0]
    report = f"swr_{generator}.htm"
    others = {name: b"keep me\r\n" for name in REPORT_NAMES if name != report}
    for name, content in {**others, report: b"old report " * 10000}.items():
        (tmp_path / name).write_bytes(content)
    run = run_piped(tmp_path, dialogue(menu_key, answers))
    assert run.status == 0, run.errors
    lines = run.console_lines()
    shown = lines[lines.index(PREAMBLE[0], 2):]
    heading, closing = AROUND_QUESTIONS[generator]
    assert shown[:len(PREAMBLE) + len(heading)] == PREAMBLE + heading
    assert shown[-len(closing) - 2:] == [*closing, ANY_KEY, ""]
    expected = (DATA / f"{example}.htm").read_bytes()
    actual = run.report(report)
    if actual != expected:
        # Line by line first, for a readable difference.
        assert run.report_lines(report) == expected.decode("latin-1")[:-2].split("\r\n")
    assert actual == expected
    for name, content in others.items():
        assert run.file(name) == content
    assert run.leftovers() == []

"""The dialogue through a pipe: the texts, the keys, and how runs end."""

import pytest

from harness import REPORT_NAMES, TO_MENU, run_piped

BANNER = [
    "",
    "sumwright_01_012.cpp",
    "",
    "./www.example.com.exe",
    "=" * 64,
    "",
    "Sumwright",
    "Program for creating multilevel subtotal() and sumif() formulas.",
    "",
    "Program name: sumwright_01_012.exe",
    "Copyright (c) 2026 the Sumwright developers. All rights reserved.",
    "",
    "Terms of use:",
    "", "", "", "", "", "", "", "",
    "Info: https://www.sumwright.example.com",
    "=" * 64,
    "Do you accept terms of service ?",
    "",
    "<1> yes and continue",
    "<2> no and end",
]

WARNING = [
    "",
    "--------- PROGRAM MUST RUN IN SEPARATE DIRECTORY ---------",
    "",
    "Program must run in separate directory.",
    "During execution it will delete most *.txt, and other files.",
    "-" * 58,
    "",
    "<1> yes and continue",
    "<2> no  and end",
]

MENU = [
    "",
    "-" * 28,
    "",
    "The program can create Excel formulas for three (3) types of summation in a table:",
    "- multilevel subtotal",
    "- sumif() variant 01",
    "- sumif() variant 02",
    "-" * 28,
    "",
    "<1> multilevel subtotal",
    "<2> sumif() variant 01",
    "<3> sumif() variant 02",
]


def without_checks(console_lines):
    """The console without the lines the tool checks print, which this file
    does not examine."""
    start = console_lines.index("<2> no and end") + 1
    return console_lines[:start] + console_lines[console_lines.index(WARNING[1]) - 1:]


@pytest.mark.parametrize(
    "lines, status, shown, replaced",
    [
        pytest.param(["2"], 0, BANNER, False, id="terms refused"),
        pytest.param(["1", "2"], 0, BANNER + WARNING, False, id="directory warning refused"),
        # The terms accept "1"; the warning then sees the next line, whose "2" ends it.
        pytest.param(["3a9", "", "x", "1", "2"], 0, BANNER + WARNING, False, id="other keys on their own lines"),
        pytest.param(["3a\x1b[A1", "2"], 0, BANNER + WARNING, False, id="accepted key behind ignored ones"),
        pytest.param(["", "   ", "0", "12", "2"], 0, BANNER + WARNING, False, id="rest of the accepting line dropped"),
        pytest.param(b"1\n2", 0, BANNER + WARNING, False, id="last line without line end"),
        pytest.param([], 1, BANNER, False, id="end of input at the terms"),
        pytest.param(["1"], 1, BANNER + WARNING, False, id="end of input at the directory warning"),
        pytest.param([*TO_MENU, "9", "0", "x"], 1, BANNER + WARNING + MENU, False,
                     id="end of input at the menu, shown once whatever is pressed"),
        pytest.param([*TO_MENU, "2", "B"], 1, None, False, id="end of input at a prompt"),
        pytest.param([*TO_MENU, "2", "B", "D", "2", "F"], 0, None, True, id="end of input at the final wait"),
    ],
)
def test_how_a_run_ends_and_what_it_leaves(tmp_path, lines, status, shown, replaced):
    """A refusal ends the run at once; ignored keys change nothing; input
    that ends before the final wait ends it with a message and status 1, and
    only a finished run replaces the earlier report."""
    (tmp_path / "swr_sumif_01.htm").write_bytes(b"previous report")
    run = run_piped(tmp_path, lines)
    assert run.status == status
    if status:
        assert run.errors.count("\n") == 1 and "input ended" in run.errors
    else:
        assert run.errors == ""
    if shown:
        console = run.console_lines()
        assert (console if shown == BANNER else without_checks(console)) == shown + [""]
    assert [name for name in REPORT_NAMES if run.has(name)] == ["swr_sumif_01.htm"]
    assert (run.file("swr_sumif_01.htm") != b"previous report") == replaced
    assert run.leftovers() == []
    if replaced:
        assert run.console_lines()[-2:] == ["<Any key> to continue and end", ""]

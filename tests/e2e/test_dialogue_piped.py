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
    "lines, shown",
    [
        pytest.param(["2"], BANNER, id="terms refused"),
        pytest.param(["1", "2"], BANNER + WARNING, id="directory warning refused"),
        # The terms accept "1"; the warning then sees the next line, whose "2" ends it.
        pytest.param(["3a9", "", "x", "1", "2"], BANNER + WARNING, id="other keys on their own lines"),
        pytest.param(["3a\x1b[A1", "2"], BANNER + WARNING, id="accepted key behind ignored ones"),
        pytest.param(["", "   ", "0", "12", "2"], BANNER + WARNING, id="rest of the accepting line dropped"),
    ],
)
def test_a_refusal_ends_the_run_and_other_keys_change_nothing(tmp_path, lines, shown):
    run = run_piped(tmp_path, lines)
    assert run.status == 0
    console = run.console_lines()
    assert (console if shown == BANNER else without_checks(console)) == shown + [""]
    assert run.errors == ""
    assert not any(run.has(name) for name in REPORT_NAMES)


def test_menu_shows_its_options_once_whatever_is_pressed(tmp_path):
    run = run_piped(tmp_path, [*TO_MENU, "9", "0", "x"])
    lines = without_checks(run.console_lines())
    assert lines[: len(BANNER) + len(WARNING) + len(MENU)] == BANNER + WARNING + MENU
    assert lines.count("<1> multilevel subtotal") == 1


@pytest.mark.parametrize(
    "lines, status, replaced",
    [
        pytest.param([], 1, False, id="at the terms"),
        pytest.param(["1"], 1, False, id="at the directory warning"),
        pytest.param(TO_MENU, 1, False, id="at the menu"),
        pytest.param([*TO_MENU, "2", "B"], 1, False, id="at a prompt"),
        pytest.param(b"1\n2", 0, False, id="last line without line end"),
        pytest.param([*TO_MENU, "2", "B", "D", "2", "F"], 0, True, id="at the final wait"),
    ],
)
def test_end_of_input_stops_with_a_message_and_status_1_but_at_the_final_wait(tmp_path, lines, status, replaced):
    (tmp_path / "swr_sumif_01.htm").write_bytes(b"previous report")
    run = run_piped(tmp_path, lines)
    assert run.status == status
    if status:
        assert run.errors.count("\n") == 1 and "input ended" in run.errors
    else:
        assert run.errors == ""
    assert (run.file("swr_sumif_01.htm") != b"previous report") == replaced
    assert run.leftovers() == []
    if replaced:
        assert run.console_lines()[-2:] == ["<Any key> to continue and end", ""]

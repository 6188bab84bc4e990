"""The dialogue through a pipe: the texts, the keys, and how runs end."""

import pytest

from harness import TO_MENU, run_piped

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


def checks_lines(console_lines):
    """The lines the tool checks print, which this file does not examine."""
    start = console_lines.index("<2> no and end") + 1
    end = console_lines.index("--------- PROGRAM MUST RUN IN SEPARATE DIRECTORY ---------") - 1
    return console_lines[start:end]


def without_checks(console_lines):
    checks = checks_lines(console_lines)
    start = console_lines.index("<2> no and end") + 1
    return console_lines[:start] + console_lines[start + len(checks):]


def test_terms_refused_ends_at_once(tmp_path):
    run = run_piped(tmp_path, ["2"])
    assert run.status == 0
    assert run.console_lines() == BANNER + [""]
    assert run.errors == ""


def test_warning_refused_ends_after_banner_and_warning(tmp_path):
    run = run_piped(tmp_path, ["1", "2"])
    assert run.status == 0
    assert without_checks(run.console_lines()) == BANNER + WARNING + [""]
    assert not any(run.has(name) for name in ("swr_subtotal.htm", "swr_sumif_01.htm", "swr_sumif_02.htm"))


@pytest.mark.parametrize(
    "lines",
    [
        pytest.param(["3a9", "", "x", "1"], id="other keys on their own lines"),
        pytest.param(["3a\x1b[A1"], id="accepted key behind ignored ones"),
        pytest.param(["", "   ", "0", "12"], id="rest of the accepting line dropped"),
    ],
)
def test_ignored_keys_change_nothing(tmp_path, lines):
    # The terms accept "1"; the warning then sees the next line, whose "2" ends it.
    run = run_piped(tmp_path, lines + ["2"])
    assert run.status == 0
    assert without_checks(run.console_lines()) == BANNER + WARNING + [""]


def test_menu_shows_its_options_once_whatever_is_pressed(tmp_path):
    run = run_piped(tmp_path, [*TO_MENU, "9", "0", "x"])
    lines = without_checks(run.console_lines())
    assert lines[: len(BANNER) + len(WARNING) + len(MENU)] == BANNER + WARNING + MENU
    assert lines.count("<1> multilevel subtotal") == 1


@pytest.mark.parametrize(
    "lines, where",
    [
        pytest.param([], "terms", id="at the terms"),
        pytest.param(["1"], "warning", id="at the directory warning"),
        pytest.param(TO_MENU, "menu", id="at the menu"),
        pytest.param([*TO_MENU, "2", "B"], "prompt", id="at a prompt"),
    ],
)
def test_end_of_input_stops_with_a_message_and_status_1(tmp_path, lines, where):
    run = run_piped(tmp_path, lines)
    assert run.status == 1, where
    assert run.errors.count("\n") == 1 and "input ended" in run.errors


def test_last_line_without_line_end_still_counts(tmp_path):
    run = run_piped(tmp_path, b"1\n2")
    assert run.status == 0
    assert run.errors == ""


def test_end_of_input_at_the_final_wait_ends_normally(tmp_path):
    run = run_piped(tmp_path, [*TO_MENU, "2", "B", "D", "2", "F"])
    assert run.status == 0
    assert run.errors == ""
    assert run.console_lines()[-2:] == ["<Any key> to continue and end", ""]
    assert run.has("swr_sumif_01.htm")

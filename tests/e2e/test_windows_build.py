"""The Windows build, cross-built with MinGW-w64 and run under Wine.

The build, its stand-ins for sort.exe and find.exe, the console driver and
the Wine prefix every run goes through come from wine.py.

Most runs happen in a real console: the console driver starts the program in
a console without a window, types key events into it and reads its screen
back. The screen is compared with the Linux build's output on a
pseudo-terminal. Piped console text from Windows has CR LF line ends
(standard output is in text mode); it is compared with LF after checking that
no bare LF occurs. Report files are compared byte for byte.
"""

from __future__ import annotations

import os
import subprocess
from pathlib import Path

import pytest

from harness import (DEFAULT_PROGRAM_NAME, FINAL_WAIT, MENU_WAIT, PROMPT_END, REPORT_NAMES, TERMS_WAIT, WARNING_WAIT,
                     Run, Terminal, dialogue, editing_runs, install_program, run_piped)
from wine import (WINE, WindowsBuild, assert_same_console, console_lines, place_tools, program_errors,
                  screen_lines)

CHECKS_HEADING = ["-" * 58, "Checking the presence of vital assistance programs of MS Windows system:"]
PATH_HINT = "Most likely it is necessary to updated the system path variable."
STATUS_CONTROL_C_EXIT = 0xC000013A


def run_windows(build: WindowsBuild, wine_env, directory: Path, lines, *, tools: bool, **kwargs):
    directory.mkdir(parents=True, exist_ok=True)
    if tools:
        place_tools(build, directory)
    kwargs.setdefault("timeout", 180)
    kwargs.setdefault("command_prefix", WINE)
    return run_piped(directory, lines, binary=build.program, env=wine_env, **kwargs)


def run_in_console(build: WindowsBuild, wine_env, directory: Path, script: list[str], *, tools: bool = True,
                   program_name: str = DEFAULT_PROGRAM_NAME) -> Run:
    """Runs the program in a console of its own through the console driver
    (tests/wine/console_driver.cpp documents the script's commands)."""
    directory.mkdir(parents=True, exist_ok=True)
    if tools:
        place_tools(build, directory)
    install_program(directory, program_name, binary=build.program)
    script_file = directory.parent / f"{directory.name}.script"
    script_file.write_bytes("".join(step + "\n" for step in script).encode("latin-1"))
    completed = subprocess.run([*WINE, str(build.console_driver), str(script_file), program_name], cwd=directory,
                               env={**os.environ, **wine_env}, capture_output=True, timeout=300, check=False)
    screen, _, status = completed.stdout.decode("latin-1").rpartition("\nexit status ")
    errors = completed.stderr.decode("latin-1")
    assert completed.returncode == 0, f"{errors}\nthe screen:\n{screen}"
    return Run(directory=directory, console=screen, errors=errors, status=int(status, 16))


def typed(text: str) -> str:
    """Driver keys that type `text` as it is."""
    return text.replace("{", "{{")


NAMED_KEYS = ["{Space}", "{Tab}", "{Enter}", "{Backspace}", "{Esc}", "{Up}", "{Down}", "{Left}", "{Right}",
              "{Home}", "{End}", "{PgUp}", "{PgDn}", "{Ins}", "{Del}", *(f"{{F{n}}}" for n in range(1, 13)),
              "{Shift+Up}", "{Ctrl+Home}", "{Shift+Tab}", "{Ctrl+Right}", "{Alt+F1}", "{Alt+2}", "{Alt+1}", "{Alt+q}",
              "{Ctrl+a}", "{Shift}", "{Ctrl}", "{Alt}", "{CapsLock}"]


def unwanted_keys(accepted: str) -> str:
    """Every kind of key a key wait offering `accepted` must drop. The last,
    byte 0xE0, once prefixed a scan code, and took the key after it along."""
    digits = "".join(digit for digit in "0123456789" if digit not in accepted)
    return "type " + digits + "aZ,.-\"" + "".join(NAMED_KEYS) + "\xe0"


def offered(wait_text: str, key: str, accepted: str | None = None) -> list[str]:
    """Waits for a key wait's last option line and presses `key`; given the
    wait's `accepted` keys, every other key first, and Enter and a letter
    right after."""
    if accepted is None:
        return [f"wait {wait_text}", f"type {key}"]
    return [f"wait {wait_text}", unwanted_keys(accepted), f"type {key}{{Enter}}q"]


def console_dialogue(menu_key: str, answers: list[str], *, unwanted: bool = False) -> list[str]:
    """A driver script for a whole run: each answer is typed once its prompt
    is shown (the driver's key notation is allowed in the answers); an arrow
    key ends the final wait."""
    script = [*offered(TERMS_WAIT, "1", "12" if unwanted else None),
              *offered(WARNING_WAIT, "1", "12" if unwanted else None),
              *offered(MENU_WAIT, menu_key, "123" if unwanted else None)]
    for answer in answers:
        script += [f"wait {PROMPT_END}", f"type {answer}{{Enter}}"]
    return [*script, f"wait {FINAL_WAIT}", "type {Up}", "end"]


def linux_terminal_run(directory: Path, menu_key: str, answers: list[str], program_name: str) -> str:
    """The Linux build on a pseudo-terminal, answering as a person would."""
    with Terminal(directory, program_name=program_name) as terminal:
        assert terminal.answer_dialogue(menu_key, answers) == 0
        return terminal.text()


def put_old_reports(directory: Path) -> None:
    directory.mkdir(parents=True)
    for name in REPORT_NAMES:
        (directory / name).write_bytes(b"old " + name.encode() + b"\r\n")


# Menu key, answers, program file name, and whether every key wait first
# gets every other kind of key (the waits are the same for every generator:
# one run of them is enough); the attribute the old report is given.
GENERATORS = [
    pytest.param("1", ["A", "2", "D", "2", "F"], "www.example.com.exe", True, "+h", id="subtotal"),
    pytest.param("2", ["B", "D", "2", "F"], "https.shop.example.net.exe", False, "+h", id="sumif_01"),
    pytest.param("3", ["C", "E", "4", "AA"], "http.example.org.exe", False, "+h", id="sumif_02"),
    pytest.param("1", [], DEFAULT_PROGRAM_NAME, False, "+r", id="read-only-report"),
]


@pytest.mark.parametrize("menu_key, answers, program_name, unwanted, attribute", GENERATORS)
def test_whole_dialogue_in_a_console_matches_the_linux_build(windows_build, wine_env, tmp_path, menu_key, answers,
                                                             program_name, unwanted, attribute):
    # Where `unwanted`, every key wait first gets every other kind of key,
    # and Enter and a letter right after its key: nothing shows, nothing
    # reaches an answer.
    report = REPORT_NAMES[int(menu_key) - 1]
    windows_dir, linux_dir = tmp_path / "windows", tmp_path / "linux"
    for directory in (windows_dir, linux_dir):
        # An old report of the same name must give way (a plain rename
        # cannot replace an existing file on Windows); the others stay.
        put_old_reports(directory)

    def attrib(*arguments: str) -> str:  # a file's attribute letters; Wine's attrib takes one change at a time
        return subprocess.run([*WINE, "cmd", "/c", "attrib", *arguments], cwd=windows_dir, capture_output=True,
                              env={**os.environ, **wine_env}, check=True).stdout.decode("latin-1")[:12]
    attrib(attribute, report)  # hidden: handed on; read-only: refused before the questions, and kept
    refused = attribute == "+r"

    windows = run_in_console(windows_build, wine_env, windows_dir,
                             console_dialogue(menu_key, answers, unwanted=unwanted), program_name=program_name)
    assert windows.status == refused, windows.console
    assert sorted(attrib(report).replace(" ", "")) == ["A", attribute[1].upper()]
    for name in REPORT_NAMES:
        if name != report or refused:
            assert windows.file(name) == b"old " + name.encode() + b"\r\n"
    assert windows.leftovers() == []
    if refused:
        assert f"Error: report file {report} cannot be written: " in windows.console
        return
    linux_screen = linux_terminal_run(linux_dir, menu_key, answers, program_name)
    assert windows.report(report) == (linux_dir / report).read_bytes()
    assert_same_console(screen_lines(windows.console), screen_lines(linux_screen), program_name)


# Program name, whether the stand-ins are there, how the way to the wait
# goes on, the wait's lines, its key.
ENDING_WAITS = [
    # Wine's cmd runs dir, but Wine has no sort: cmd's status for a command it does not know.
    pytest.param(DEFAULT_PROGRAM_NAME, False, [], [*CHECKS_HEADING, "cmd", "sort",
                                                   "check_02.txt stayed empty: its command ended with status 9009",
                                                   "Check availability sort.exe.", PATH_HINT, "<9> end"], "9",
                 id="failed-check"),
    pytest.param("sumwright.exe", True, [*offered(WARNING_WAIT, "1"), *offered(MENU_WAIT, "2")],
                 ["BE CAREFUL AND COPY AND RENAME THE PROGRAM ACCORDING TO THE INSTRUCTIONS!",
                  "Info: https://www.sumwright.example.com", "-" * 28, "", "<1> = continue and end"], "1",
                 id="rename-notice"),
]


@pytest.mark.parametrize("program_name, tools, way, last_lines, key", ENDING_WAITS)
def test_waits_that_end_the_run_drop_every_other_key(windows_build, wine_env, tmp_path, program_name, tools, way,
                                                     last_lines, key):
    script = [*offered(TERMS_WAIT, "1"), *way, *offered(last_lines[-1], key, accepted=key), "end"]
    run = run_in_console(windows_build, wine_env, tmp_path, script, tools=tools, program_name=program_name)

    assert run.status == 0
    # Wine's cmd says on the console that it has no sort.
    lines = [line for line in screen_lines(run.console) if not line.startswith("Can't recognize")]
    assert lines[-len(last_lines):] == last_lines
    assert lines.count(last_lines[-1]) == 1
    assert not any(run.has(name) for name in REPORT_NAMES)


@pytest.mark.parametrize("rows", editing_runs(shared_only=True), ids=lambda rows: "|".join(r.line[:6] for r in rows))
def test_typed_answers_are_edited_as_on_a_linux_terminal(windows_build, wine_env, tmp_path, rows):
    """The editing table that the Linux build's terminal test types too."""
    windows = run_in_console(windows_build, wine_env, tmp_path / "windows",
                             console_dialogue("2", [row.keys for row in rows]))
    linux = run_piped(tmp_path / "linux", dialogue("2", [row.line for row in rows]))

    assert (windows.status, linux.status) == (0, 0)
    assert windows.report("swr_sumif_01.htm") == linux.report("swr_sumif_01.htm")


TO_QUESTIONS = [*offered(TERMS_WAIT, "1"), *offered(WARNING_WAIT, "1"), *offered(MENU_WAIT, "2")]
# The way to the interruption and the interruption.
INTERRUPTIONS = [
    pytest.param([*TO_QUESTIONS, f"wait {PROMPT_END}", "type B{Enter}", f"wait {PROMPT_END}", "type {Ctrl+C}"],
                 id="ctrl-c-at-prompt"),
    pytest.param([*offered(TERMS_WAIT, "1"), f"wait {WARNING_WAIT}", "type {Ctrl+C}"],
                 id="ctrl-c-at-key-wait"),
]


@pytest.mark.parametrize("script", INTERRUPTIONS)
def test_interruption_ends_at_once_and_keeps_the_old_report(windows_build, wine_env, tmp_path, script):
    old_report = b"old report\r\n"
    (tmp_path / "swr_sumif_01.htm").write_bytes(old_report)
    run = run_in_console(windows_build, wine_env, tmp_path, [*script, "end"])

    assert run.status == STATUS_CONTROL_C_EXIT, run.console
    assert run.file("swr_sumif_01.htm") == old_report
    assert run.leftovers() == []
    assert "input ended" not in run.console


@pytest.mark.parametrize(
    "program_name, started_as, linux_name",
    [
        pytest.param("WWW.Shop.Example.EXE", None, "WWW.Shop.Example.EXE", id="by-path"),
        # cmd hands the name on as typed, without ".exe": the link is that of
        # the Linux program under the same natural name.
        pytest.param("www.mysite.com.exe", "www.mysite.com", "www.mysite.com", id="from-cmd-without-exe"),
    ],
)
def test_piped_input_with_crlf_line_ends_gives_the_linux_report(windows_build, wine_env, tmp_path, program_name,
                                                                started_as, linux_name):
    keys = dialogue("1", ["b", "3", "h", "5", "m"])
    windows_dir, linux_dir = tmp_path / "windows", tmp_path / "linux"
    by_cmd = {"command_prefix": [*WINE, "cmd", "/c"], "started_as": started_as} if started_as else {}
    windows = run_windows(windows_build, wine_env, windows_dir, "".join(k + "\r\n" for k in keys), tools=True,
                          program_name=program_name, **by_cmd)
    linux = run_piped(linux_dir, keys, program_name=linux_name)

    assert (windows.status, linux.status) == (0, 0), windows.console
    assert program_errors(windows) == []
    assert windows.report("swr_subtotal.htm") == linux.report("swr_subtotal.htm")
    assert windows.leftovers() == []
    windows_lines = console_lines(windows)
    if started_as:
        assert started_as in windows_lines, windows.console
        windows_lines = [f"./{linux_name}" if line == started_as else line for line in windows_lines]
        assert windows_lines == linux.console_lines()
    else:
        assert_same_console(windows_lines, linux.console_lines(), program_name)


def test_a_hard_link_named_check_01_loses_its_name_and_leaves_its_target(windows_build, wine_env, tmp_path):
    outside = tmp_path / "outside.txt"
    outside.write_bytes(b"the user's own file\r\n")
    (tmp_path / "windows").mkdir()
    os.link(outside, tmp_path / "windows" / "check_01.txt")
    windows = run_windows(windows_build, wine_env, tmp_path / "windows", ["1", "2"], tools=True)

    assert windows.status == 0, windows.console
    assert "Check availability" not in windows.console
    assert "PROGRAM MUST RUN IN SEPARATE DIRECTORY" in windows.console, "the checks passed"
    assert outside.read_bytes() == b"the user's own file\r\n"
    assert outside.stat().st_nlink == 1


def test_input_from_the_null_device_is_not_taken_for_a_console(windows_build, wine_env, tmp_path):
    # The null device is a character device, as a console is; taken for one,
    # the terms wait would wait for a keyboard that never answers.
    windows = run_windows(windows_build, wine_env, tmp_path / "windows", None, tools=False, timeout=60)
    linux = run_piped(tmp_path / "linux", None)

    assert windows.status == linux.status != 0
    assert program_errors(windows) == linux.errors.splitlines()
    assert_same_console(console_lines(windows), linux.console_lines(), "www.example.com.exe")

"""The dialogue on a real pseudo-terminal: single keys without Enter and
without echo, typed answers with the terminal's own echo, and the terminal's
settings given back on every way out."""

import os
import signal
import time

import pytest

from harness import PROMPT_END, REPORT_NAMES, TERMS_WAIT, Editing, Terminal, dialogue, editing_runs, run_piped

TERMS_OPTIONS = "<1> yes and continue\r\n<2> no and end\r\n"
WARNING_OPTIONS = "<1> yes and continue\r\n<2> no  and end\r\n"
MENU_OPTIONS = "<3> sumif() variant 02\r\n"

UP_ARROW = "\x1b[A"
F5 = "\x1b[15~"
F10 = "\x1b[21~"
F11 = "\x1b[23~"


@pytest.fixture
def terminal(tmp_path):
    with Terminal(tmp_path) as session:
        yield session


@pytest.mark.parametrize(
    "way, options, ignored, key, shown_next",
    [
        # Ctrl-Z last: where no shell takes the stop, keys act at once after it.
        pytest.param("", TERMS_OPTIONS, ["3", "a", "9", UP_ARROW, F5, "\xc3\xa9", "\r", "\x1a"], "1",
                     WARNING_OPTIONS, id="terms"),
        pytest.param("11", MENU_OPTIONS, ["0", "4", "9", "x", UP_ARROW, F10, F11, "\x1b", "\r"], "2",
                     "Column name for creating groups = ? ", id="menu"),
    ],
)
def test_a_key_wait_acts_on_its_keys_without_enter_and_ignores_others_without_echo(terminal, way, options,
                                                                                     ignored, key, shown_next):
    terminal.send(way)
    terminal.expect(options)
    for other in ignored:
        terminal.send(other)
    assert terminal.settle().endswith(options), "ignored keys print nothing"
    assert terminal.process.poll() is None
    terminal.send(key)
    terminal.expect(shown_next)
    assert terminal.text().count(options) == 1


@pytest.mark.parametrize(
    "early_keys, menu_keys, line_end, env",
    [
        pytest.param("112", "", "\r", {}, id="typed ahead before the banner"),
        pytest.param("", "2\r", "\r", {}, id="Enter after the menu key"),
        pytest.param("", "22", "\r", {}, id="menu key twice"),
        pytest.param("112", "", "\r\n", {}, id="pasted with CR LF line ends"),
        pytest.param("112", "", "\r\n", {"TERM": "dumb"}, id="pasted with CR LF line ends, TERM=dumb"),
        pytest.param("112", "", "\r\n", {"TERM": None}, id="pasted with CR LF line ends, TERM unset"),
    ],
)
def test_an_answer_is_what_is_typed_once_its_prompt_is_shown(tmp_path, early_keys, menu_keys, line_end, env):
    """Keys typed ahead walk through the key waits; keys a wait leaves unread
    never become part of the answer that follows it. Answers pasted at the
    first prompt give what their lines give piped, and leave nothing unread."""
    with Terminal(tmp_path / "terminal", env=env) as terminal:
        terminal.send(early_keys)
        for wait, key in [(TERMS_OPTIONS, "1"), (WARNING_OPTIONS, "1"), (MENU_OPTIONS, menu_keys)] if menu_keys else []:
            terminal.expect(wait)
            terminal.send(key)
        terminal.expect("Column name for creating groups = ? ")
        terminal.send(line_end.join(["b", "d", "2", "f", ""]))
        terminal.expect("<Any key> to continue and end")
        terminal.send(UP_ARROW)
        assert terminal.wait() == 0, "an extended key ends the final wait too"
        assert terminal.pending_input() == 0
        assert "Column name for creating groups = ? b" in terminal.screen()[0]
    piped = run_piped(tmp_path / "piped", dialogue("2", ["b", "d", "2", "f"]))
    assert (terminal.directory / "swr_sumif_01.htm").read_bytes() == piped.report("swr_sumif_01.htm")


RUNS = editing_runs(shared_only=False)
UTF8_RUN = next(rows for rows in RUNS if any("\xc3" in row.keys for row in rows))
UTF8 = {"LC_ALL": "C.UTF-8"}
# The keys a terminal that edits lines itself takes (Ctrl-W erases a word
# there alone); a Ctrl-J typed on its own after an Enter is an Enter.
TERMINAL_EDITING = [Editing("x yz{Ctrl+w}{Backspace}{Backspace}B", "B"), Editing("w{Ctrl+u}D", "D"),
                    Editing("{Ctrl+j}", ""), Editing("F", "F")]
# The subtotal's prompt rows are 40 columns: resized to 40 and to 20 they fill
# their rows exactly, and at 20 each wraps.
SUBTOTAL_RESIZED = [Editing("{Width 40}A", "A"), Editing("{Width 20}2", "2"),
                    Editing("{Continue}D{Continue}{Continue}", "D"), Editing("2", "2"), Editing("F", "F")]


@pytest.mark.parametrize(
    "rows, stty, env",
    [
        *((rows, "", UTF8) for rows in RUNS),
        (SUBTOTAL_RESIZED, "", UTF8),
        # A terminal left raw, or with reads that return at once; a locale
        # named as `locale -a` names it; terminals that take no cursor moves.
        (RUNS[-2], "raw", UTF8),
        (RUNS[-2], "-icanon min 0 time 0", UTF8),
        (UTF8_RUN, "", {"LC_ALL": "C.utf8"}),
        # A UTF-8 locale named but not installed.
        ([Editing("\xc3\xa9{Backspace}B", "B"), *TERMINAL_EDITING[1:]], "",
         {"LC_ALL": "", "LC_CTYPE": "", "LANG": "en_US.UTF-8"}),
        (TERMINAL_EDITING, "", {"TERM": "dumb"}),
        (TERMINAL_EDITING, "raw", {"TERM": ""}),
        # Outside a UTF-8 locale every byte is a character.
        ([Editing("\xc3\xa9{Backspace}{Ctrl+d}", "\xc3"), *TERMINAL_EDITING[1:]], "", {"LC_ALL": "C"}),
    ],
    ids=lambda value: "|".join(r.line[:6] for r in value) if isinstance(value, list) else str(value),
)
def test_answers_are_edited_as_in_the_windows_console(tmp_path, rows, stty, env):
    """The table that the Windows build's console test types too; the
    screen shows each answer after its prompt as it was entered."""
    menu_key = "1" if rows is SUBTOTAL_RESIZED else "2"
    with Terminal(tmp_path / "terminal", env=env, stty=stty) as terminal:
        assert terminal.answer_dialogue(menu_key, [row.keys for row in rows]) == 0
        assert terminal.stty() == terminal.settings_before
        assert terminal.pending_input() == 0
    piped = run_piped(tmp_path / "piped", dialogue(menu_key, [row.line for row in rows]))
    report = REPORT_NAMES[int(menu_key) - 1]
    assert (terminal.directory / report).read_bytes() == piped.report(report)
    prompt_end = PROMPT_END.rstrip()  # a screen line has no trailing blanks
    screen = terminal.screen()[0]
    prompted = [i for i, line in enumerate(screen) if prompt_end in line]
    assert [screen[i].count(prompt_end) for i in prompted] == [1] * len(rows), "each prompt drawn once"
    echoed = [screen[i].partition(prompt_end)[2][1:] for i in prompted]
    assert echoed == [row.line.encode("latin-1").decode("utf-8", "surrogateescape") for row in rows]
    # Every other line as piped input shows it (where a terminal left raw
    # starts it further right): each answer's row ended.
    shown = ["" if i in prompted else line.lstrip(" ") for i, line in enumerate(screen)]
    assert shown == [line.lstrip(" ") for line in piped.console_lines()]
    assert "TERM" not in env or "\x1b" not in terminal.text()


SIGNAL_KEYS = {"\x03": signal.SIGINT, "\x1c": signal.SIGQUIT}  # Ctrl-C, Ctrl-\\


# Every ending signal once, each where the program does something else.
@pytest.mark.parametrize(
    "interruption, ignored, moment",
    [
        ("\x03", False, "key wait"), ("\x03", False, "prompt"), ("\x03", False, "prompt on a raw terminal"),
        ("\x1c", False, "prompt on a raw terminal"), (signal.SIGTERM, False, "check command"),
        (signal.SIGHUP, False, "prompt"), (signal.SIGUSR1, False, "key wait"), (signal.SIGUSR2, False, "check command"),
        (signal.SIGALRM, False, "prompt"), (signal.SIGVTALRM, False, "key wait"),
        (signal.SIGPROF, False, "check command"), (signal.SIGXCPU, False, "prompt on a raw terminal"),
        # Ignored when the program started (a script's background job, nohup):
        # they stay ignored, and a SIGTERM afterwards still cleans up.
        ("\x03", True, "prompt"), (signal.SIGHUP, True, "key wait"),
    ],
    ids=lambda value: value.name.lower() if isinstance(value, signal.Signals) else repr(value),
)
def test_an_interruption_ends_the_program_and_leaves_terminal_and_report_as_they_were(tmp_path, moment,
                                                                                      interruption, ignored):
    tools, work = tmp_path / "tools", tmp_path / "work"
    work.mkdir()
    (work / "swr_sumif_02.htm").write_bytes(b"previous report")
    # A stand-in for sort that takes its time, so the sort check is still running.
    tools.mkdir()
    (tools / "sort").write_text("#!/bin/sh\nexec sleep 20\n")
    (tools / "sort").chmod(0o755)
    slow_sort = {"PATH": f"{tools}:{os.environ['PATH']}"} if moment == "check command" else None
    number = SIGNAL_KEYS.get(interruption, interruption)
    with Terminal(work, env=slow_sort, ignored_signals=[number] if ignored else [],
                  stty="raw" if moment.endswith("raw terminal") else "") as terminal:
        terminal.expect(TERMS_WAIT)
        time.sleep(0.2)  # the wait has switched the terminal to single keys
        if moment == "key wait":
            assert terminal.stty() != terminal.settings_before
        elif moment == "check command":
            terminal.send("1")
            terminal.expect("\r\nsort\r\n")
        else:
            terminal.send("113")
            terminal.expect("Column name for creating groups = ? ")
            terminal.send("B\r")
            terminal.expect("Column name with data (sum) = ? ")
        time.sleep(0.2)
        if interruption in SIGNAL_KEYS:
            terminal.send(interruption)
        else:
            terminal.signal(number)
        if ignored:
            time.sleep(0.3)
            assert terminal.process.poll() is None, "a signal ignored at start stays ignored"
            number = signal.SIGTERM
            terminal.signal(number)
        assert terminal.wait() == -number
        assert terminal.stty() == terminal.settings_before
        assert "Check availability" not in terminal.text()
        # The shell's prompt starts a line of its own, and no empty one.
        assert terminal.screen()[1] == 0
        assert not terminal.text().endswith("\n\r\n")
    assert (work / "swr_sumif_02.htm").read_bytes() == b"previous report"
    assert [p.name for p in work.iterdir() if p.name.endswith(".tmp")] == []


@pytest.mark.parametrize("stty", ["", "raw"])
def test_ctrl_d_on_an_empty_line_ends_the_input(tmp_path, stty):
    with Terminal(tmp_path, stty=stty) as terminal:
        terminal.send("112")
        terminal.expect(PROMPT_END)
        terminal.type_keys("x{Ctrl+d}{Backspace}{Ctrl+d}")
        assert terminal.wait() == 1
        assert "sumwright: input ended before the dialogue was complete" in terminal.text()
        assert terminal.stty() == terminal.settings_before
    assert [path.name for path in tmp_path.iterdir() if path.suffix in (".htm", ".tmp")] == []


def test_an_idle_key_wait_uses_next_to_no_cpu(terminal):
    terminal.expect(TERMS_OPTIONS)
    start = terminal.cpu_seconds()
    time.sleep(2)
    assert terminal.cpu_seconds() - start < 0.05
    terminal.send("2")
    assert terminal.wait() == 0

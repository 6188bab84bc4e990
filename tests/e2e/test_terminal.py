"""The dialogue on a real pseudo-terminal: single keys without Enter and
without echo, typed answers with the terminal's own echo, and the terminal's
settings given back on every way out."""

import signal
import time

import pytest

from harness import Terminal

TERMS_OPTIONS = "<1> yes and continue\r\n<2> no and end\r\n"
WARNING_OPTIONS = "<1> yes and continue\r\n<2> no  and end\r\n"
MENU_OPTIONS = "<3> sumif() variant 02\r\n"

UP_ARROW = "\x1b[A"
F5 = "\x1b[15~"


@pytest.fixture
def terminal(tmp_path):
    with Terminal(tmp_path) as session:
        yield session


def test_keys_act_without_enter_and_are_not_echoed(terminal):
    terminal.expect(TERMS_OPTIONS)
    for key in ["3", "a", "9", UP_ARROW, F5, "\xc3\xa9", "\r"]:
        terminal.send(key)
    before = terminal.settle()
    assert before.endswith(TERMS_OPTIONS), "ignored keys print nothing"
    terminal.send("1")
    terminal.expect(WARNING_OPTIONS)
    terminal.send("2")
    assert terminal.wait() == 0
    assert terminal.text().count("<1> yes and continue") == 2
    assert terminal.text().count("<2> no and end") == 1


def test_menu_ignores_everything_but_its_three_keys(terminal):
    terminal.expect(TERMS_OPTIONS)
    terminal.send("1")
    terminal.expect(WARNING_OPTIONS)
    terminal.send("1")
    terminal.expect(MENU_OPTIONS)
    for key in ["0", "4", "9", "x", UP_ARROW, "\x1b", "\r"]:
        terminal.send(key)
    assert terminal.settle().endswith(MENU_OPTIONS)
    assert terminal.process.poll() is None
    assert terminal.text().count("<1> multilevel subtotal") == 1


def test_keys_typed_ahead_are_kept(terminal):
    terminal.send("11")
    terminal.expect(MENU_OPTIONS)


def test_a_typed_answer_is_echoed_once_and_followed_by_one_line_end(terminal):
    terminal.expect(TERMS_OPTIONS)
    terminal.send("1")
    terminal.expect(WARNING_OPTIONS)
    terminal.send("1")
    terminal.expect(MENU_OPTIONS)
    terminal.send("2")
    terminal.expect("Column name for creating groups = ? ")
    terminal.send("b\r")
    screen = terminal.expect("Column name with data (sum) = ? ")
    assert "Column name for creating groups = ? b\r\n\r\nColumn name with data (sum) = ? " in screen
    for answer in ["d\r", "2\r", "f\r"]:
        terminal.send(answer)
    terminal.expect("<Any key> to continue and end")
    terminal.send(UP_ARROW)
    assert terminal.wait() == 0, "an extended key ends the final wait too"
    assert (terminal.directory / "swr_sumif_01.htm").exists()


def test_terminal_settings_are_restored_after_a_normal_end(terminal):
    terminal.expect(TERMS_OPTIONS)
    terminal.send(UP_ARROW + "2")
    assert terminal.wait() == 0
    assert terminal.stty() == terminal.settings_before
    assert terminal.pending_input() == 0, "nothing of a key is left for the next program"


@pytest.mark.parametrize("interruption", ["ctrl-c", signal.SIGTERM, signal.SIGHUP])
def test_terminal_settings_are_restored_when_interrupted_in_a_key_wait(terminal, interruption):
    terminal.expect(TERMS_OPTIONS)
    time.sleep(0.2)  # the wait has switched the terminal to single keys
    assert terminal.stty() != terminal.settings_before
    if interruption == "ctrl-c":
        terminal.send("\x03")
        expected = -signal.SIGINT
    else:
        terminal.signal(interruption)
        expected = -interruption
    assert terminal.wait() == expected
    assert terminal.stty() == terminal.settings_before


def test_an_idle_key_wait_uses_next_to_no_cpu(terminal):
    terminal.expect(TERMS_OPTIONS)
    start = terminal.cpu_seconds()
    time.sleep(2)
    assert terminal.cpu_seconds() - start < 0.05
    terminal.send("2")
    assert terminal.wait() == 0

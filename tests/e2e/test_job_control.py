"""Ctrl-Z in a key wait and at a prompt, in a real shell with job control
(tmux): the shell gets its terminal back while the program is stopped, and
after `fg` keys act at once again, or the prompt and its answer so far are
drawn again and editing goes on."""

import os
import shutil
import signal
import subprocess
import time
import uuid
from pathlib import Path

import pytest

from harness import install_program

pytestmark = pytest.mark.skipif(shutil.which("tmux") is None, reason="tmux is not installed")


class ShellInTmux:
    def __init__(self, directory, width):
        self.name = f"sumwright-{uuid.uuid4().hex[:8]}"
        self.directory = directory
        subprocess.run(["tmux", "new-session", "-d", "-s", self.name, "-x", str(width), "-y", "60", "-c",
                        str(directory), "env PS1='READY> ' bash --norc --noprofile"], check=True)

    def type(self, *keys):
        subprocess.run(["tmux", "send-keys", "-t", self.name, *keys], check=True)

    def screen(self):
        # Rows the terminal wrapped are joined: the screen's lines as written.
        return subprocess.run(["tmux", "capture-pane", "-p", "-J", "-S", "-100", "-t", self.name],
                              capture_output=True, text=True, check=True).stdout

    def wait_for(self, text, timeout=10, count=1):
        deadline = time.monotonic() + timeout
        while self.screen().count(text) < count:
            if time.monotonic() > deadline:
                raise AssertionError(f"{text!r} did not appear:\n{self.screen()}")
            time.sleep(0.1)

    def terminal_settings(self):
        tty = subprocess.run(["tmux", "display-message", "-p", "-t", self.name, "#{pane_tty}"],
                             capture_output=True, text=True, check=True).stdout.strip()
        return subprocess.run(["stty", "-g", "-F", tty], capture_output=True, text=True, check=True).stdout.strip()

    def wait_for_settings(self, differ_from, timeout=10):
        deadline = time.monotonic() + timeout
        while self.terminal_settings() == differ_from:
            if time.monotonic() > deadline:
                raise AssertionError("the program did not take the terminal back")
            time.sleep(0.05)

    def stop_program(self):
        """SIGSTOP from elsewhere, as `kill -STOP` sends it, to the shell's child."""
        shell = subprocess.run(["tmux", "display-message", "-p", "-t", self.name, "#{pane_pid}"],
                               capture_output=True, text=True, check=True).stdout.strip()
        program = Path(f"/proc/{shell}/task/{shell}/children").read_text().split()[0]
        os.kill(int(program), signal.SIGSTOP)

    def close(self):
        subprocess.run(["tmux", "kill-session", "-t", self.name], check=False)


# Keys before the stop, what `fg` shows, and keys that end the program after it.
MOMENTS = {
    "key wait": ([], "fg\n./www.example.com.exe", ["x2"]),
    "prompt": (["112", "ab", "Left"], "fg\n./www.example.com.exe\nColumn name for creating groups = ? ab",
               ["X", "Enter", "D", "Enter", "2", "Enter", "F", "Enter", "x"]),
}


# At 30 columns the prompt's row wraps: drawn again after `fg`, it starts on
# the row `fg` left the cursor on and leaves the shell's rows above alone.
@pytest.mark.parametrize("moment, stop, width", [("key wait", "C-z", 160), ("prompt", "C-z", 160),
                                                 ("prompt", "C-z", 30), ("prompt", "kill -STOP", 160)])
def test_suspended_program_gives_the_terminal_back_and_resumes_its_mode(tmp_path, moment, stop, width):
    before_stop, shown_again, to_the_end = MOMENTS[moment]
    install_program(tmp_path)
    shell = ShellInTmux(tmp_path, width)
    try:
        shell.type("stty -g > before.txt", "Enter")
        shell.type("./www.example.com.exe", "Enter")
        shell.wait_for("<2> no and end")
        for keys in before_stop:
            shell.type(keys)
            time.sleep(0.3)
        if stop == "C-z":
            shell.type("C-z")
        else:
            shell.stop_program()
        shell.wait_for("Stopped")
        shell.type("stty -g > stopped.txt; fg", "Enter")
        shell.wait_for(shown_again)
        shell.wait_for_settings(differ_from=(tmp_path / "before.txt").read_text().strip())
        # No Enter after the key: only a key wait back in single-key mode ends on it.
        shell.type(*to_the_end)
        shell.wait_for("READY>", count=4)
        # The status is shown only once after.txt is complete.
        shell.type("s=$?; stty -g > after.txt; echo status=$s", "Enter")
        shell.wait_for("status=0")
        before = (tmp_path / "before.txt").read_text()
        assert (tmp_path / "stopped.txt").read_text() == before
        assert (tmp_path / "after.txt").read_text() == before
        if moment == "prompt":
            assert b"Column name for creating group = AXB\r\n" in (tmp_path / "swr_sumif_01.htm").read_bytes()
    finally:
        shell.close()

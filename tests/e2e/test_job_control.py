"""Ctrl-Z in a key wait, in a real shell with job control (tmux): the shell
gets its terminal back while the program is stopped, and after `fg` keys act
at once again."""

import shutil
import subprocess
import time
import uuid

import pytest

from harness import install_program

pytestmark = pytest.mark.skipif(shutil.which("tmux") is None, reason="tmux is not installed")


class ShellInTmux:
    def __init__(self, directory):
        self.name = f"sumwright-{uuid.uuid4().hex[:8]}"
        self.directory = directory
        subprocess.run(["tmux", "new-session", "-d", "-s", self.name, "-x", "160", "-y", "60", "-c",
                        str(directory), "env PS1='READY> ' bash --norc --noprofile"], check=True)

    def type(self, *keys):
        subprocess.run(["tmux", "send-keys", "-t", self.name, *keys], check=True)

    def screen(self):
        return subprocess.run(["tmux", "capture-pane", "-p", "-S", "-100", "-t", self.name],
                              capture_output=True, text=True, check=True).stdout

    def wait_for(self, text, timeout=10):
        deadline = time.monotonic() + timeout
        while text not in self.screen():
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

    def close(self):
        subprocess.run(["tmux", "kill-session", "-t", self.name], check=False)


def test_suspended_key_wait_gives_the_terminal_back_and_resumes_single_keys(tmp_path):
    install_program(tmp_path)
    shell = ShellInTmux(tmp_path)
    try:
        shell.type("stty -g > before.txt", "Enter")
        shell.type("./www.example.com.exe", "Enter")
        shell.wait_for("<2> no and end")
        shell.type("C-z")
        shell.wait_for("Stopped")
        shell.type("stty -g > stopped.txt; fg", "Enter")
        shell.wait_for("fg\n./www.example.com.exe")
        shell.wait_for_settings(differ_from=(tmp_path / "before.txt").read_text().strip())
        # No Enter: only a key wait back in single-key mode ends on these.
        shell.type("x2")
        shell.wait_for("fg\n./www.example.com.exe\nREADY>")
        # The status is shown only once after.txt is complete.
        shell.type("s=$?; stty -g > after.txt; echo status=$s", "Enter")
        shell.wait_for("status=0")
        before = (tmp_path / "before.txt").read_text()
        assert (tmp_path / "stopped.txt").read_text() == before
        assert (tmp_path / "after.txt").read_text() == before
    finally:
        shell.close()

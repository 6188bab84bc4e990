"""Runs the real sumwright binary in a scratch directory and reports what a
user would see: the console, the files left behind and the exit status.

One harness serves every end-to-end test: typed input through a pipe, a real
pseudo-terminal, the Windows build under Wine (through a command prefix), and
the spreadsheet tests that read the reports it leaves.
"""

from __future__ import annotations

import contextlib
import dataclasses
import errno
import fcntl
import os
import pty
import re
import select
import shutil
import signal
import struct
import subprocess
import termios
import time
import unicodedata
from pathlib import Path
from typing import Iterable, Iterator, Sequence

import pytest

DEFAULT_PROGRAM_NAME = "www.example.com.exe"
REPORT_NAMES = ("swr_subtotal.htm", "swr_sumif_01.htm", "swr_sumif_02.htm")

# Key presses that lead from the banner to the menu: accept the terms, then
# confirm the directory warning.
TO_MENU = ["1", "1"]
# The last line of each key wait on the way to the questions, the end of
# every prompt, and the last line of the final wait.
TERMS_WAIT, WARNING_WAIT, MENU_WAIT = "<2> no and end", "<2> no  and end", "<3> sumif() variant 02"
PROMPT_END = "= ? "
FINAL_WAIT = "<Any key> to continue and end"


@dataclasses.dataclass(frozen=True)
class Editing:
    """Keys typed at a prompt, in the console driver's notation (characters as
    they are, named keys in braces, "{{" for a brace), and the line they give.
    Rows not `shared` use keys to which the Windows console gives meanings of
    its own (its history, overwrite mode, code page) or that only a terminal
    sends; UTF-8 keys are written as their bytes."""
    keys: str
    line: str
    shared: bool = True


WIDE = "\xe3\x81\x82"  # a character two columns wide, as UTF-8 bytes
EDITING = [
    # Up and Down recall the earlier answers of the run (an empty one and a
    # repeated one are not kept). Wine's console keeps a repeated answer
    # twice and goes on past the oldest and the newest; Windows' does not.
    Editing("{Up}{Down}C", "C"),
    Editing("x{Up}{Backspace}D", "D"),
    Editing("", ""),
    Editing("{Up}{Up}{Up}{Down}{Down}{End}Z", "DZ", shared=False),
    Editing("A", "A"),
    Editing("E", "E"),
    Editing("{Up}", "E"),
    Editing("{Up}{Up}", "A", shared=False),
    Editing("xB{Left}{Backspace}{Right},z", "B,z"),
    Editing('DQ{Left}{Del}{Home}"{End}', '"D'),
    Editing("", ""),
    Editing("F1" + "G" * 4998, "F1" + "G" * 4998),  # a digit: letters alone would name a column past XFD
    Editing("ab{Home}{Del}{End}{Left}X", "Xb"),
    Editing("{Left}{Backspace}{Del}{Home}{End}A{Right}{Del}", "A"),
    Editing("abc{Esc}C", "C"),
    Editing("a{Alt+Enter}b{Alt+Backspace}c{Alt+Tab}", "abc", shared=False),
    Editing("C{PgUp}{PgDn}{Ins}{F1}{F5}{F12}D", "CD", shared=False),
    Editing("a{Ctrl+Left}{Shift+Right}{Alt+F1}{Ctrl+F5}{SS3 Down}{Linux F1}{Alt+x}b{Ctrl+h}c", "ac", shared=False),
    Editing("a{Linux Home}X{SS3 End}Y", "XaY", shared=False),
    Editing("w{Ctrl+u}xyz{Ctrl+a}{Del}{Ctrl+e}{Backspace}{Tab}{Ctrl+d}", "y", shared=False),
    Editing("\xc3\xa9{Left}a{Right}\xe2\x82\xac{Backspace}\xf0\x9f\x99\x82{Left}{Del}", "a\xc3\xa9", shared=False),
    Editing(WIDE + "\xe3\x81\x84{Home}{Right}x{End}e\xcc\x81{Left}z", WIDE + "x\xe3\x81\x84ze\xcc\x81", shared=False),
    Editing("2", "2", shared=False),
    Editing(WIDE * 150 + "{Home}{Del}{End}b", WIDE * 149 + "b", shared=False),
    Editing("0123456789" * 8 + "{Width 60}{Home}A{End}Z", "A" + "0123456789" * 8 + "Z", shared=False),
    # Ctrl-Z where, as the terminal's own command, no shell takes the stop.
    Editing("BX{Ctrl+z}{Left}{Backspace}", "X", shared=False),
]


def editing_runs(shared_only: bool) -> list[list[Editing]]:
    """The editing rows four at a time, for the four answers of variant 01;
    with `shared_only`, the others give way to empty answers (which Up and
    Down skip) and runs without a shared row are left out."""
    rows = [row if row.shared or not shared_only else Editing("", "") for row in EDITING]
    rows += [Editing("", "")] * (-len(rows) % 4)
    runs = [rows[i:i + 4] for i in range(0, len(rows), 4)]
    return [run for run in runs if not shared_only or any(row.shared and row.keys for row in run)]


# The bytes a terminal (xterm, the Linux console, tmux, in their SS3 forms
# too) sends for the named keys.
TERMINAL_KEYS = {
    "Enter": "\r", "Backspace": "\x7f", "Ctrl+h": "\b", "Tab": "\t", "Esc": "\x1b", "Left": "\x1b[D",
    "Right": "\x1b[C", "Up": "\x1b[A", "Down": "\x1b[B", "Home": "\x1b[H", "End": "\x1b[F", "Del": "\x1b[3~",
    "Ins": "\x1b[2~", "PgUp": "\x1b[5~", "PgDn": "\x1b[6~", "F1": "\x1bOP", "F5": "\x1b[15~", "F12": "\x1b[24~",
    "Ctrl+Left": "\x1b[1;5D", "Shift+Right": "\x1b[1;2C", "Alt+F1": "\x1b[1;3P", "Ctrl+F5": "\x1b[15;5~",
    "SS3 Down": "\x1bOB", "SS3 End": "\x1bOF", "Linux F1": "\x1b[[A", "Linux Home": "\x1b[1~", "Alt+x": "\x1bx",
    "Ctrl+a": "\x01", "Ctrl+e": "\x05", "Ctrl+u": "\x15", "Ctrl+d": "\x04", "Ctrl+j": "\n", "Ctrl+w": "\x17",
    "Ctrl+z": "\x1a", "Alt+Enter": "\x1b\r",
    "Alt+Backspace": "\x1b\x7f", "Alt+Tab": "\x1b\t",
}
# Key names that act on the terminal instead: it becomes this many columns
# wide, or the program gets SIGCONT (as from `kill -CONT`, with no stop).
RESIZE = re.compile(r"Width (\d+)")
CONTINUE = "Continue"


def terminal_bytes(keys: str) -> list[str]:
    """What a terminal sends for keys in the driver's notation, cut after
    each Esc alone (it is told from the start of a sequence by the pause),
    with each resize, SIGCONT and Ctrl-Z a piece of its own."""
    chunks = [""]
    for match in re.finditer(r"\{\{|\{([^}]+)\}|.", keys, re.S):
        if match.group(1) and (RESIZE.fullmatch(match.group(1)) or match.group(1) in (CONTINUE, "Ctrl+z")):
            chunks += ["{" + match.group(1) + "}", ""]
            continue
        chunks[-1] += TERMINAL_KEYS[match.group(1)] if match.group(1) else match.group(0)[0]
        if match.group(1) == "Esc":
            chunks.append("")
    return chunks


def columns(character: str) -> int:
    if unicodedata.category(character) in ("Mn", "Me", "Cf"):
        return 0
    return 2 if unicodedata.east_asian_width(character) in "WF" else 1


def screen_after(output: bytes, width: int, resizes: Sequence[tuple[int, int]] = ()) -> tuple[list[str], int]:
    """The lines a terminal `width` columns wide shows after `output` (a line
    it wrapped is one line) and the cursor's column; at each (output length,
    width) of `resizes` it takes that width and rewraps, as tmux does: a
    cursor right after the text of its line stays on the line's last row."""
    text, resizes, position = output.decode("utf-8", "surrogateescape"), list(resizes), 0
    lines, y, x, wrapped = [[]], 0, 0, False  # x: the cursor's place in its line
    for match in re.finditer(r"\x1b\[(\d*)([A-Za-z])|.", text, re.S):
        while resizes and position >= resizes[0][0]:
            width = resizes.pop(0)[1]
            wrapped = x >= len(lines[y]) > 0 and len(lines[y]) % width == 0
        position += len(match.group(0).encode("utf-8", "surrogateescape"))
        line, start = lines[y], (x - 1 if wrapped else x) // width * width
        column, code, final, count = x - start, match.group(0), match.group(2), int(match.group(1) or 1)
        wide = columns(code) if final is None and code >= " " else None
        if final in ("C", "D"):
            x = start + max(0, min(min(column, width - 1) + (count if final == "C" else -count), width - 1))
        elif final == "K":
            line[x:start + width] = [" "] * max(0, min(len(line), start + width) - x)
        elif final == "J":
            del line[x:], lines[y + 1:]
        elif final == "A":
            for _ in range(count):
                y, start = (y, start - width) if start >= width else (y - 1, max(len(lines[y - 1]) - 1, 0) // width * width)
            x = start + min(column, width - 1)
        elif code in ("\r", "\b"):
            x = start if code == "\r" else max(x - 1, start)
        elif code == "\n":
            lines += [[]] if start + width >= len(line) and y + 1 == len(lines) else []
            y, x = (y, x + width) if start + width < len(line) else (y + 1, column)
        elif wide == 0:
            line[x - 1] += code
        elif wide:
            skipped = width - column if column + wide > width else 0  # a wide character left for the next row
            line += [" "] * (x + skipped + wide - len(line))
            line[x:x + skipped + wide], x = [""] * skipped + [code, ""][:wide], x + skipped + wide
        wrapped = bool(wide) and x % width == 0
    return ["".join(line).rstrip(" ") for line in lines], x - (x - 1 if wrapped else x) // width * width


def binary_path() -> Path:
    """The program under test, as CTest passes it in."""
    path = os.environ.get("SUMWRIGHT_BINARY")
    if not path:
        raise RuntimeError("SUMWRIGHT_BINARY must name the sumwright executable")
    return Path(path).resolve()


def dialogue(menu_key: str, answers: Sequence[str], final_key: str = "x") -> list[str]:
    """Input lines for a whole run: terms, warning, menu, answers, final key."""
    return [*TO_MENU, menu_key, *answers, final_key]


@dataclasses.dataclass
class Run:
    directory: Path
    console: str
    errors: str
    status: int

    def file(self, name: str) -> bytes:
        return (self.directory / name).read_bytes()

    def has(self, name: str) -> bool:
        return (self.directory / name).exists()

    def report(self, name: str) -> bytes:
        return self.file(name)

    def report_lines(self, name: str) -> list[str]:
        """The report's lines as text, without their CR LF ends."""
        data = self.file(name).decode("latin-1")
        assert data.endswith("\r\n"), "a report ends with CR LF"
        return data[:-2].split("\r\n")

    def console_lines(self) -> list[str]:
        return self.console.split("\n")

    def leftovers(self) -> list[str]:
        return leftovers(self.directory)


def leftovers(directory: Path) -> list[str]:
    """Files in the directory that look like unfinished reports."""
    return sorted(p.name for p in directory.iterdir() if p.name.endswith(".tmp"))


@contextlib.contextmanager
def mounted_tmpfs(directory: Path, options: str) -> Iterator[Path]:
    """A small file system mounted on the directory; skips where none can be."""
    directory.mkdir(parents=True, exist_ok=True)
    mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", options, "tmpfs", str(directory)],
                             capture_output=True, check=False)
    if mounted.returncode != 0:
        pytest.skip(f"cannot mount a tmpfs here: {mounted.stderr.decode().strip()}")
    try:
        yield directory
    finally:
        subprocess.run(["umount", "-l", str(directory)], check=False)


def install_program(directory: Path, program_name: str = DEFAULT_PROGRAM_NAME, binary: Path | None = None) -> Path:
    """Puts a copy of the program into the directory under the given name."""
    directory.mkdir(parents=True, exist_ok=True)
    target = directory / program_name
    target.parent.mkdir(parents=True, exist_ok=True)
    shutil.copy2(binary or binary_path(), target)
    return target


def input_bytes(lines: Iterable[str] | bytes | str) -> bytes:
    """Lines as the bytes of piped input, each ended by a line feed."""
    if isinstance(lines, bytes):
        return lines
    if isinstance(lines, str):
        return lines.encode("latin-1")
    return "".join(line + "\n" for line in lines).encode("latin-1")


def run_piped(
    directory: Path,
    lines: Iterable[str] | bytes | str | None,
    *,
    program_name: str = DEFAULT_PROGRAM_NAME,
    env: dict[str, str] | None = None,
    command_prefix: Sequence[str] = (),
    binary: Path | None = None,
    install: bool = True,
    timeout: float = 60,
    program_dir: Path | None = None,
    started_as: str | None = None,
    stdout=subprocess.PIPE,
    preexec_fn=None,
) -> Run:
    """Starts the program in `directory` with the lines as standard input.

    The program lives in `directory` itself unless `program_dir` names
    another folder; it is then started there by its absolute path, unless
    `started_as` gives the name to start it by. With `lines` None, standard
    input is the null device instead of a pipe. `stdout` and `preexec_fn`
    go to subprocess as they are (another standard output; streams to close
    or limits to set in the child).
    """
    home = directory if program_dir is None else Path(program_dir).resolve()
    if install:
        install_program(home, program_name, binary)
    program = started_as or (f"./{program_name}" if program_dir is None else str(home / program_name))
    command = [*command_prefix, program]
    executable = None if command_prefix else str(home / program_name)
    completed = subprocess.run(
        command,
        executable=executable,
        cwd=directory,
        **({"stdin": subprocess.DEVNULL} if lines is None else {"input": input_bytes(lines)}),
        stdout=stdout,
        preexec_fn=preexec_fn,
        stderr=subprocess.PIPE,
        env={**os.environ, **(env or {})},
        timeout=timeout,
        check=False,
    )
    return Run(
        directory=directory,
        console=(completed.stdout or b"").decode("latin-1"),
        errors=completed.stderr.decode("latin-1"),
        status=completed.returncode,
    )


def _take_terminal(ignored_signals: Sequence[int]) -> None:
    fcntl.ioctl(0, termios.TIOCSCTTY, 0)
    for number in ignored_signals:
        signal.signal(number, signal.SIG_IGN)


class Terminal:
    """The program on a real pseudo-terminal, driven key by key."""

    WIDTH = 200

    def __init__(
        self,
        directory: Path,
        *,
        program_name: str = DEFAULT_PROGRAM_NAME,
        env: dict[str, str] | None = None,
        install: bool = True,
        ignored_signals: Sequence[int] = (),
        stty: str = "",
    ) -> None:
        """`ignored_signals` are ignored when the program starts, as `nohup`
        or a script's background job leaves them; `stty` gives settings the
        terminal is left in before the start; None in `env` unsets a name."""
        if install:
            install_program(directory, program_name)
        self.directory = directory
        self.master, slave = pty.openpty()
        fcntl.ioctl(slave, termios.TIOCSWINSZ, struct.pack("HHHH", 50, self.WIDTH, 0, 0))
        self.resizes: list[tuple[int, int]] = []
        self.redraws = 0  # the prompts drawn anew, after a resize, SIGCONT or Ctrl-Z
        self._slave = slave
        if stty:
            subprocess.run(["stty", *stty.split()], stdin=slave, check=True)
        self.settings_before = self.stty()
        self.process = subprocess.Popen(
            [f"./{program_name}"],
            executable=str(directory / program_name),
            cwd=directory,
            stdin=slave,
            stdout=slave,
            stderr=slave,
            # Not xterm's own window, which cuts its rows on a resize.
            env={name: value for name, value in {**os.environ, "XTERM_VERSION": "", **(env or {})}.items()
                 if value is not None},
            start_new_session=True,
            preexec_fn=lambda: _take_terminal(ignored_signals),
        )
        self.output = b""

    def stty(self) -> str:
        """The terminal's settings as `stty -g` prints them."""
        return subprocess.run(
            ["stty", "-g"], stdin=self._slave, capture_output=True, text=True, check=True
        ).stdout.strip()

    def send(self, data: bytes | str) -> None:
        os.write(self.master, data.encode("latin-1") if isinstance(data, str) else data)

    def type_keys(self, keys: str) -> None:
        """Types keys in the console driver's notation at a prompt; a Ctrl-Z
        once the keys before it are read (the terminal drops unread ones)."""
        for chunk in terminal_bytes(keys):
            if resize := RESIZE.fullmatch(chunk[1:-1]):
                self.resizes.append((len(self.settle(0.5).encode("latin-1")), int(resize.group(1))))
                fcntl.ioctl(self._slave, termios.TIOCSWINSZ, struct.pack("HHHH", 50, self.resizes[-1][1], 0, 0))
            elif chunk == "{" + CONTINUE + "}":
                self.settle(0.3)
                self.signal(signal.SIGCONT)
            elif chunk == "{Ctrl+z}":
                self.settle()
                while self.pending_input():
                    self.settle(0.05)
                self.send(TERMINAL_KEYS["Ctrl+z"])
                self.expect(PROMPT_END, count=self.text().count(PROMPT_END) + 1)
            else:
                self.send(chunk)
                time.sleep(0.2 if chunk.endswith("\x1b") else 0)
                continue
            self.redraws += 1
            self.settle(0.3)

    def answer_dialogue(self, menu_key: str, answers: Sequence[str]) -> int:
        """Walks the dialogue as a person would: each key once its wait shows,
        each answer (in the driver's notation) once its prompt shows; gives
        the exit status."""
        for wait_text, key in [(TERMS_WAIT, "1"), (WARNING_WAIT, "1"), (MENU_WAIT, menu_key)]:
            self.expect(wait_text)
            self.send(key)
        for count, answer in enumerate(answers, start=1):
            self.expect(PROMPT_END, count=count + self.redraws)
            assert leftovers(self.directory) == [], "no unfinished report while an answer is awaited"
            # An answer that ends in a Ctrl-J has its Enter.
            self.type_keys(answer if answer.endswith("{Ctrl+j}") else answer + "{Enter}")
        self.expect(FINAL_WAIT)
        self.type_keys("{Up}")  # an extended key ends it too, and is read whole
        return self.wait()

    def _read_available(self, timeout: float) -> bool:
        ready, _, _ = select.select([self.master], [], [], timeout)
        if not ready:
            return False
        try:
            chunk = os.read(self.master, 65536)
        except OSError as error:
            if error.errno == errno.EIO:
                return False
            raise
        self.output += chunk
        return bool(chunk)

    def expect(self, text: str, timeout: float = 10, count: int = 1) -> str:
        """Waits until the screen output holds `text` (`count` times); gives
        all output so far."""
        deadline = time.monotonic() + timeout
        wanted = text.encode("latin-1")
        while self.output.count(wanted) < count:
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                raise AssertionError(f"{text!r} did not appear; output so far:\n{self.text()}")
            self._read_available(remaining)
        return self.text()

    def settle(self, quiet: float = 0.3) -> str:
        """Reads until the program has been silent for `quiet` seconds."""
        while self._read_available(quiet):
            pass
        return self.text()

    def text(self) -> str:
        return self.output.decode("latin-1")

    def screen(self) -> tuple[list[str], int]:
        return screen_after(self.output, self.WIDTH, self.resizes)

    def cpu_seconds(self) -> float:
        """User plus system CPU time the program has used so far."""
        fields = Path(f"/proc/{self.process.pid}/stat").read_text().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")

    def signal(self, number: int = signal.SIGINT) -> None:
        os.kill(self.process.pid, number)

    def wait(self, timeout: float = 10) -> int:
        deadline = time.monotonic() + timeout
        while self.process.poll() is None:
            if time.monotonic() > deadline:
                self.process.kill()
                raise AssertionError(f"the program did not end; output:\n{self.text()}")
            self._read_available(0.05)
        self.settle(0.1)
        return self.process.returncode

    def pending_input(self) -> int:
        """Bytes typed but not yet read by anybody."""
        buffer = fcntl.ioctl(self._slave, termios.FIONREAD, b"\0\0\0\0")
        return struct.unpack("i", buffer)[0]

    def close(self) -> None:
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        with contextlib.suppress(ProcessLookupError):  # what it started and left (after a SIGKILL)
            os.killpg(self.process.pid, signal.SIGKILL)
        os.close(self.master)
        os.close(self._slave)

    def __enter__(self) -> "Terminal":
        return self

    def __exit__(self, *exc: object) -> None:
        self.close()

"""Reads a report as a browser reads it.

Chromium loads the report file headless and dumps the document it built
(`--dump-dom`); the text of that document, with character references
decoded as the browser decoded them, is what a user sees and copies. The
step blocks are taken from that text: the formula, the cell or column it
goes into, and how far the instructions say to copy it.
"""

from __future__ import annotations

import contextlib
import dataclasses
import html.parser
import os
import re
import shutil
import signal
import subprocess
import tempfile
from pathlib import Path

CHROMIUM_FLAGS = (
    "--headless",
    "--no-sandbox",
    "--disable-gpu",
    "--disable-quic",
    "--no-first-run",
    "--disable-background-networking",
    "--disable-component-update",
    "--disable-sync",
)
CHROMIUM_TIMEOUT = 60.0

# Where the formula goes, counted from the table.
FIRST_DATA_ROW = "first data row"
ROW_AFTER_TABLE = "row after the table"
SECOND_ROW_AFTER_TABLE = "second row after the table"

# How far it is copied from there.
ONCE = "once"
TO_TABLE_END = "to the end of the table"
UNTIL_ERROR = "until it shows an error"

_DIVIDER = "-" * 20
_STEP = re.compile(r"step = (-?[0-9]+)")
_COPY = re.compile(
    r"Copy formula in (?:cell|column) (?P<target>\S+?)"
    r"(?: \.|\.| at the end of (?:the )?table \+ (?P<rows>1 row|2 rows)\.)"
)
_SKIP = re.compile(r"Skip column (?P<column>\S+?)\.")
_THEN_TO_END = "Then copy formula from these cell by the end of the table."
_THEN_UNTIL_ERROR = (
    "Then copy formula from these cell to the next cells in column until formula dos not indicate an error."
)


@dataclasses.dataclass(frozen=True)
class Step:
    number: int
    formula: str
    target: str  # a cell ("F2") for the first data row, else the column ("L")
    start: str  # FIRST_DATA_ROW, ROW_AFTER_TABLE or SECOND_ROW_AFTER_TABLE
    extent: str  # ONCE, TO_TABLE_END or UNTIL_ERROR


@dataclasses.dataclass(frozen=True)
class BrowserReport:
    lines: list[str]  # the page's text, line by line, blank lines dropped
    steps: list[Step]
    skip_columns: list[str]

    def step(self, number: int) -> Step:
        (found,) = [step for step in self.steps if step.number == number]
        return found


def chromium() -> str:
    path = shutil.which("chromium")
    if path is None:
        raise RuntimeError("chromium not found: apt-get install chromium")
    return path


def _run_chromium(arguments: list[str]) -> tuple[int, bytes, bytes]:
    """Runs headless Chromium with a fresh profile; gives its status, output
    and error output."""
    with tempfile.TemporaryDirectory(prefix="sumwright_chromium_") as profile:
        process = subprocess.Popen(
            [chromium(), *CHROMIUM_FLAGS, f"--user-data-dir={profile}", *arguments],
            stdin=subprocess.DEVNULL,
            stdout=subprocess.PIPE,
            stderr=subprocess.PIPE,
            start_new_session=True,
        )
        try:
            output, errors = process.communicate(timeout=CHROMIUM_TIMEOUT)
        finally:
            # Headless Chromium leaves helper processes behind when it is
            # stopped early; they share its process group.
            if process.poll() is None:
                with contextlib.suppress(ProcessLookupError):
                    os.killpg(process.pid, signal.SIGKILL)
                process.wait()
    return process.returncode, output, errors


def dump_dom(path: Path) -> str:
    """The document Chromium builds from the file, serialised."""
    status, output, errors = _run_chromium(["--dump-dom", Path(path).resolve().as_uri()])
    if status != 0 or b"<body" not in output:
        raise RuntimeError(f"chromium --dump-dom failed ({status}):\n{errors.decode(errors='replace')}")
    return output.decode("utf-8")


def screenshot(path: Path, picture: Path, width: int, height: int, *, file_access: bool = False) -> None:
    """A PNG of the page as a window of width x height pixels shows it, taken
    once its scripts have run. With `file_access` the page's scripts may read
    the documents of other local files, such as a report in a frame."""
    arguments = [
        f"--screenshot={Path(picture).resolve()}",
        f"--window-size={width},{height}",
        "--hide-scrollbars",
        "--virtual-time-budget=5000",
        *(["--allow-file-access-from-files"] if file_access else []),
        Path(path).resolve().as_uri(),
    ]
    status, _, errors = _run_chromium(arguments)
    if status != 0 or not Path(picture).is_file():
        raise RuntimeError(f"chromium --screenshot failed ({status}):\n{errors.decode(errors='replace')}")


class _BodyText(html.parser.HTMLParser):
    """The text of the body, with a line break for every <br> and every line
    end of the source; character references decoded."""

    def __init__(self) -> None:
        super().__init__(convert_charrefs=True)
        self.in_body = False
        self.parts: list[str] = []

    def handle_starttag(self, tag: str, attrs) -> None:
        if tag == "body":
            self.in_body = True
        elif tag == "br" and self.in_body:
            self.parts.append("\n")

    def handle_endtag(self, tag: str) -> None:
        if tag == "body":
            self.in_body = False

    def handle_data(self, data: str) -> None:
        if self.in_body:
            self.parts.append(data)


def page_lines(dom: str) -> list[str]:
    parser = _BodyText()
    parser.feed(dom)
    parser.close()
    lines = "".join(parser.parts).split("\n")
    return [line.strip() for line in lines if line.strip()]


def _instruction(text: str) -> str:
    # Markup inside an instruction (<b> around the target) leaves runs of
    # blanks that a browser shows as one.
    return " ".join(text.split())


def parse_steps(lines: list[str]) -> tuple[list[Step], list[str]]:
    steps: list[Step] = []
    skips: list[str] = []
    index = 0
    while index < len(lines):
        skip = _SKIP.fullmatch(_instruction(lines[index]))
        if skip:
            skips.append(skip.group("column"))
        step_match = _STEP.fullmatch(lines[index])
        if not step_match:
            index += 1
            continue
        number = int(step_match.group(1))
        formula = lines[index + 1]
        if not formula.startswith("="):
            raise AssertionError(f"step {number}: no formula after the step line, found {formula!r}")
        block = []
        index += 2
        while index < len(lines) and lines[index] != _DIVIDER and not _STEP.fullmatch(lines[index]):
            block.append(_instruction(lines[index]))
            index += 1
        steps.append(_step(number, formula, block))
    return steps, skips


def _step(number: int, formula: str, block: list[str]) -> Step:
    if not block:
        raise AssertionError(f"step {number}: no instruction")
    copy = _COPY.fullmatch(block[0])
    if not copy:
        raise AssertionError(f"step {number}: unexpected instruction {block[0]!r}")
    start = {None: FIRST_DATA_ROW, "1 row": ROW_AFTER_TABLE, "2 rows": SECOND_ROW_AFTER_TABLE}[copy.group("rows")]
    rest = block[1:]
    if rest == [_THEN_TO_END]:
        extent = TO_TABLE_END
    elif rest == [_THEN_UNTIL_ERROR]:
        extent = UNTIL_ERROR
    elif rest == []:
        extent = ONCE
    else:
        raise AssertionError(f"step {number}: unexpected continuation {rest!r}")
    return Step(number, formula, copy.group("target"), start, extent)


def read_report(path: Path) -> BrowserReport:
    lines = page_lines(dump_dom(path))
    steps, skips = parse_steps(lines)
    return BrowserReport(lines, steps, skips)

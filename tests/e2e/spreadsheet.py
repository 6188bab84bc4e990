"""A LibreOffice Calc instance, driven through UNO, for the spreadsheet tests.

`Calc.running()` starts one headless soffice with a private, throw-away user
profile, listening on a pipe of its own, and always stops it again: the
office is asked to terminate, then its process group is killed and the
profile removed, whatever happened in between. Each test works on a fresh
document (`Calc.new_sheet()`), into which it types cell contents the way a
user does: formulas through the input language of the user interface, copies
through the spreadsheet's own copy, so that relative references move exactly
as when a user copies a cell.
"""

from __future__ import annotations

import contextlib
import dataclasses
import os
import re
import shutil
import signal
import subprocess
import tempfile
import time
from pathlib import Path
from typing import Iterator

try:
    import uno
    from com.sun.star.beans import PropertyValue
    from com.sun.star.connection import NoConnectException
    from com.sun.star.lang import DisposedException
    from com.sun.star.sheet.FormulaResult import ERROR as RESULT_ERROR
    from com.sun.star.sheet.FormulaResult import STRING as RESULT_STRING
    from com.sun.star.table.CellContentType import EMPTY, FORMULA, TEXT
except ImportError as error:  # pragma: no cover - depends on the machine
    raise ImportError(
        "the spreadsheet tests need LibreOffice's Python bridge: "
        "apt-get install libreoffice-calc-nogui python3-uno (and run them with /usr/bin/python3)"
    ) from error

STARTUP_TIMEOUT = 90.0
SHUTDOWN_TIMEOUT = 15.0


@dataclasses.dataclass(frozen=True)
class CellError:
    """A cell that shows an error (Calc's error code, e.g. 32767 for #N/A)."""

    code: int


def column_number(letters: str) -> int:
    number = 0
    for letter in letters.upper():
        number = number * 26 + ord(letter) - ord("A") + 1
    return number


def column_letters(number: int) -> str:
    letters = ""
    while number > 0:
        number, rest = divmod(number - 1, 26)
        letters = chr(ord("A") + rest) + letters
    return letters


def split_cell_name(name: str) -> tuple[str, int]:
    match = re.fullmatch(r"([A-Z]+)([0-9]+)", name)
    if not match:
        raise ValueError(f"not a cell name: {name!r}")
    return match.group(1), int(match.group(2))


class Sheet:
    """The first sheet of a fresh Calc document."""

    def __init__(self, document) -> None:
        self.document = document
        self.sheet = document.Sheets.getByIndex(0)
        # Cells are filled first and computed once, as after a paste.
        document.enableAutomaticCalculation(False)

    def cell(self, name: str):
        return self.sheet.getCellRangeByName(name)

    def put_text(self, name: str, text: str) -> None:
        self.cell(name).setString(text)

    def put_number(self, name: str, number: float) -> None:
        self.cell(name).setValue(number)

    def put_formula(self, name: str, formula: str) -> str:
        """Types the formula as a user would (the interface's formula
        language) and gives back how Calc holds it in the ";" grammar."""
        cell = self.cell(name)
        cell.FormulaLocal = formula
        return cell.getFormula()

    def formula(self, name: str) -> str:
        return self.cell(name).getFormula()

    def copy_cell(self, source: str, destinations: list[str]) -> None:
        """Copies one cell to each destination with Calc's own copy, which
        moves relative references as a user's copy and paste does."""
        source_range = self.cell(source).getRangeAddress()
        for destination in destinations:
            self.sheet.copyRange(self.cell(destination).getCellAddress(), source_range)

    def recalculate(self) -> None:
        self.document.calculateAll()

    def value(self, name: str) -> float | str | CellError | None:
        """What the cell shows: a number, a text, an error, or None when the
        cell is empty."""
        cell = self.cell(name)
        kind = cell.getType()
        if kind == EMPTY:
            return None
        if kind == TEXT:
            return cell.getString()
        if kind == FORMULA:
            if cell.getError():
                return CellError(cell.getError())
            result = cell.FormulaResultType2
            if result == RESULT_ERROR:
                return CellError(cell.getError())
            if result == RESULT_STRING:
                return cell.getString()
        return cell.getValue()

    def close(self) -> None:
        with contextlib.suppress(DisposedException):
            self.document.close(True)


class Calc:
    """One running soffice, reached through a named pipe."""

    def __init__(self, process: subprocess.Popen, context, profile: Path) -> None:
        self.process = process
        self.context = context
        self.profile = profile
        self.desktop = context.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", context)

    @classmethod
    @contextlib.contextmanager
    def running(cls) -> Iterator["Calc"]:
        soffice = shutil.which("soffice")
        if soffice is None:
            raise RuntimeError("soffice not found: apt-get install libreoffice-calc-nogui python3-uno")
        profile = Path(tempfile.mkdtemp(prefix="sumwright_calc_profile_"))
        pipe = f"sumwright_calc_{os.getpid()}_{profile.name}"
        # The office runs in a process group of its own, next to a watcher
        # that kills the whole group as soon as this process lets go of the
        # watcher's input: on a normal end, and just as well when the test
        # run dies without cleaning up.
        process = subprocess.Popen(
            [
                "/bin/sh",
                "-c",
                'exec 3<&0 </dev/null; (read -r _ <&3; kill -KILL 0) & exec "$@" 3<&- >/dev/null 2>&1',
                "sh",
                soffice,
                f"-env:UserInstallation={profile.as_uri()}",
                "--headless",
                "--invisible",
                "--nologo",
                "--norestore",
                "--nodefault",
                "--nolockcheck",
                f"--accept=pipe,name={pipe};urp;StarOffice.ComponentContext",
            ],
            stdin=subprocess.PIPE,
            stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL,
            start_new_session=True,
        )
        calc = None
        try:
            calc = cls(process, _connect(process, pipe), profile)
            yield calc
        finally:
            if calc is not None:
                calc._ask_to_terminate()
            _stop(process, SHUTDOWN_TIMEOUT if calc is not None else 0)
            shutil.rmtree(profile, ignore_errors=True)

    def new_sheet(self) -> Sheet:
        hidden = PropertyValue()
        hidden.Name = "Hidden"
        hidden.Value = True
        return Sheet(self.desktop.loadComponentFromURL("private:factory/scalc", "_blank", 0, (hidden,)))

    def _ask_to_terminate(self) -> None:
        # The bridge goes down with the office, which the call may report as
        # a disposed or lost connection.
        with contextlib.suppress(Exception):
            self.desktop.terminate()


def _connect(process: subprocess.Popen, pipe: str):
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
    deadline = time.monotonic() + STARTUP_TIMEOUT
    pause = 0.05
    while True:
        try:
            return resolver.resolve(f"uno:pipe,name={pipe};urp;StarOffice.ComponentContext")
        except NoConnectException:
            if process.poll() is not None:
                raise RuntimeError(f"soffice ended with status {process.returncode} before accepting connections")
            if time.monotonic() > deadline:
                raise RuntimeError(f"soffice did not open its pipe within {STARTUP_TIMEOUT:.0f} s")
            # The office opens its pipe only once it is up; wait for it
            # without spinning.
            time.sleep(pause)
            pause = min(pause * 2, 0.5)


def _stop(process: subprocess.Popen, grace: float) -> None:
    """Gives the office `grace` seconds to end after the terminate request,
    then lets its watcher kill what is left of its process group."""
    with contextlib.suppress(subprocess.TimeoutExpired):
        process.wait(timeout=grace)
    process.stdin.close()
    try:
        process.wait(timeout=SHUTDOWN_TIMEOUT)
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        process.wait()

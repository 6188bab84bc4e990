"""Spreadsheet engines for the spreadsheet tests, and the cells a user fills.

A `SheetContent` is what a user puts into a sheet: values typed into cells,
and formulas typed into one cell and copied down a column.
`place_report_formulas` fills one with a report's formulas exactly as the
report's instructions say. Two engines compute such sheets:

- LibreOffice Calc, driven through UNO: `Calc.running()` starts one headless
  soffice with a private, throw-away user profile, listening on a pipe of its
  own, and always stops it again. `Calc.load` types the cells into a fresh
  document as a user does (formulas through the interface's formula
  language, copies through Calc's own copy, which moves relative references
  as a user's copy does). Documents compare text as Excel does, without
  regard to case, unless asked otherwise.
- Gnumeric, through `ssconvert --recalc`: `gnumeric_values` writes the
  sheets into one workbook and has it recalculated while Calc works; it
  reads every computed cell back from the .xlsx that ssconvert writes.
"""

from __future__ import annotations

import contextlib
import dataclasses
import os
import re
import shutil
import xml.etree.ElementTree as ElementTree
import zipfile
import signal
import subprocess
import tempfile
import time
from pathlib import Path
from typing import Callable, Iterable, Iterator
from xml.sax.saxutils import escape

import browser

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
    """A cell that shows an error, as the cell shows it ("#N/A")."""

    text: str


Value = float | str | CellError | None


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


@dataclasses.dataclass(frozen=True)
class FormulaFill:
    """A formula typed into `column``first_row` and copied down to `last_row`."""

    column: str
    first_row: int
    last_row: int
    formula: str

    def cells(self) -> list[str]:
        return [f"{self.column}{row}" for row in range(self.first_row, self.last_row + 1)]


@dataclasses.dataclass
class SheetContent:
    """What a user types into a sheet: values, and formulas copied down."""

    values: dict[str, float | str] = dataclasses.field(default_factory=dict)
    fills: list[FormulaFill] = dataclasses.field(default_factory=list)

    def put(self, name: str, value: float | str | None) -> None:
        """A number or a text in the cell; None leaves it empty."""
        if value is not None:
            self.values[name] = value

    def fill(self, column: str, first_row: int, last_row: int, formula: str) -> None:
        self.fills.append(FormulaFill(column.upper(), first_row, last_row, formula))

    def formula_cells(self) -> list[str]:
        return [name for fill in self.fills for name in fill.cells()]

    def with_values(self, values: dict[str, float | str]) -> "SheetContent":
        """The same sheet with more values typed in."""
        return SheetContent({**self.values, **values}, list(self.fills))


def place_report_formulas(
    content: SheetContent, steps: Iterable[browser.Step], last_row: int, list_length: int = 0
) -> dict[int, tuple[str, int]]:
    """Puts every step's formula into its target cell and copies it down as
    its instruction says, for a table whose last data row is `last_row` and a
    list below it of `list_length` entries; gives each step's column and
    starting row."""
    placed = {}
    for step in steps:
        if step.start == browser.FIRST_DATA_ROW:
            column, row = split_cell_name(step.target)
        else:
            column = step.target
            row = last_row + (1 if step.start == browser.ROW_AFTER_TABLE else 2)
        last = {
            browser.ONCE: row,
            browser.TO_TABLE_END: last_row,
            # Down past the last entry, to the first row that shows an error.
            browser.UNTIL_ERROR: row + list_length,
        }[step.extent]
        content.fill(column, row, last, step.formula)
        placed[step.number] = (column, row)
    return placed


class Sheet:
    """The first sheet of a fresh Calc document."""

    def __init__(self, document, ignore_case: bool = True) -> None:
        self.document = document
        self.sheet = document.Sheets.getByIndex(0)
        # Cells are filled first and computed once, as after a paste.
        document.enableAutomaticCalculation(False)
        # Excel's comparison: "north"="North". A new Calc document compares
        # case-sensitively (Tools > Options > Calc > Calculate > "Case
        # sensitive").
        document.IgnoreCase = ignore_case

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

    def copy_cell(self, source: str, destinations: list[str]) -> None:
        """Copies one cell to each destination with Calc's own copy, which
        moves relative references as a user's copy and paste does."""
        source_range = self.cell(source).getRangeAddress()
        for destination in destinations:
            # The address is made here rather than asked of Calc: one call
            # to the office a copy instead of two.
            letters, row = re.fullmatch(r"([A-Z]+)([0-9]+)", destination).groups()
            address = uno.createUnoStruct(
                "com.sun.star.table.CellAddress", source_range.Sheet, column_number(letters) - 1, int(row) - 1
            )
            self.sheet.copyRange(address, source_range)

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
            result = cell.FormulaResultType2
            if result == RESULT_ERROR or cell.getError():
                return CellError(cell.getString())
            if result == RESULT_STRING:
                return cell.getString()
        return cell.getValue()

    def values(self, names: Iterable[str]) -> dict[str, Value]:
        return {name: self.value(name) for name in names}

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

    def new_sheet(self, ignore_case: bool = True) -> Sheet:
        hidden = PropertyValue()
        hidden.Name = "Hidden"
        hidden.Value = True
        return Sheet(self.desktop.loadComponentFromURL("private:factory/scalc", "_blank", 0, (hidden,)), ignore_case)

    def load(self, content: SheetContent, ignore_case: bool = True) -> Sheet:
        """A fresh document with the content typed in and computed; the
        caller closes it."""
        sheet = self.new_sheet(ignore_case)
        for name, value in content.values.items():
            if isinstance(value, str):
                sheet.put_text(name, value)
            else:
                sheet.put_number(name, value)
        for fill in content.fills:
            target = f"{fill.column}{fill.first_row}"
            if sheet.put_formula(target, fill.formula) != fill.formula:
                raise AssertionError(f"Calc does not hold {fill.formula!r} as typed")
            sheet.copy_cell(target, fill.cells()[1:])
        sheet.recalculate()
        return sheet

    def values(self, content: SheetContent, names: Iterable[str], ignore_case: bool = True) -> dict[str, Value]:
        """What the named cells show once the content is computed."""
        sheet = self.load(content, ignore_case)
        try:
            return sheet.values(names)
        finally:
            sheet.close()

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


# ---------------------------------------------------------------- Gnumeric

GNUMERIC_TIMEOUT = 300.0
_XLSX_MAIN = "{http://schemas.openxmlformats.org/spreadsheetml/2006/main}"
# Gnumeric's value types in its own file format.
_GNUMERIC_NUMBER, _GNUMERIC_TEXT = 40, 60


def gnumeric_notation(formula: str) -> str:
    """The formula as Gnumeric's parser reads it: "," between arguments where
    the report has ";". Only the separators outside text constants change;
    the formulas also hold ";" inside quotes (`"&J2;"`)."""
    pieces = re.split(r'("[^"]*")', formula)
    return "".join(piece if piece.startswith('"') else piece.replace(";", ",") for piece in pieces)


def unparenthesised_range_ends(formula: str) -> str:
    """The one change made to a report's formula before Gnumeric sees it.

    Gnumeric's parser cannot read a range whose ends stand in parentheses,
    `(INDIRECT(...)):(INDIRECT(...))`, as variant 02's selection row writes
    it; `INDIRECT(...):INDIRECT(...)` is the same range, and Gnumeric computes
    that. Every other formula comes through unchanged."""
    rewritten = formula
    start = 0
    while (opening := rewritten.find("(INDIRECT(", start)) != -1:
        start = opening + 1
        if opening > 0 and (rewritten[opening - 1].isalnum() or rewritten[opening - 1] == "_"):
            continue  # a function's own parenthesis, not a grouping one
        first_end = _closing_parenthesis(rewritten, opening)
        if not rewritten.startswith(":(INDIRECT(", first_end + 1):
            continue
        second_end = _closing_parenthesis(rewritten, first_end + 2)
        rewritten = (
            rewritten[:opening]
            + rewritten[opening + 1 : first_end]
            + ":"
            + rewritten[first_end + 3 : second_end]
            + rewritten[second_end + 1 :]
        )
    return rewritten


def _closing_parenthesis(formula: str, opening: int) -> int:
    depth = 0
    quoted = False
    for index in range(opening, len(formula)):
        character = formula[index]
        if character == '"':
            quoted = not quoted
        elif not quoted and character == "(":
            depth += 1
        elif not quoted and character == ")":
            depth -= 1
            if depth == 0:
                return index
    raise ValueError(f"unbalanced parentheses in {formula!r}")


def gnumeric_workbook(contents: list[SheetContent]) -> str:
    """One Gnumeric workbook (its XML file format) with a sheet per content.
    A copied formula is stored as Gnumeric stores a copy: every cell of the
    column shares the first cell's expression, whose relative references
    Gnumeric moves with the cell."""
    names = [f"Sheet{number}" for number in range(1, len(contents) + 1)]
    parts = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        '<gnm:Workbook xmlns:gnm="http://www.gnumeric.org/v10.dtd">',
        "<gnm:SheetNameIndex>",
        # Sheets of Excel's size; Gnumeric's default of 256 columns would drop
        # every cell past IV without a word.
        *(f'<gnm:SheetName gnm:Cols="16384" gnm:Rows="1048576">{name}</gnm:SheetName>' for name in names),
        "</gnm:SheetNameIndex>",
        "<gnm:Sheets>",
    ]
    expression = 0
    for name, content in zip(names, contents):
        parts.append(f"<gnm:Sheet><gnm:Name>{name}</gnm:Name><gnm:Cells>")
        for cell, value in content.values.items():
            kind = _GNUMERIC_TEXT if isinstance(value, str) else _GNUMERIC_NUMBER
            parts.append(f'<gnm:Cell {_position(cell)} ValueType="{kind}">{escape(str(value))}</gnm:Cell>')
        for fill in content.fills:
            expression += 1
            formula = gnumeric_notation(unparenthesised_range_ends(fill.formula))
            first, *rest = fill.cells()
            parts.append(f'<gnm:Cell {_position(first)} ExprID="{expression}">{escape(formula)}</gnm:Cell>')
            parts.extend(f'<gnm:Cell {_position(cell)} ExprID="{expression}"/>' for cell in rest)
        parts.append("</gnm:Cells></gnm:Sheet>")
    parts.append("</gnm:Sheets></gnm:Workbook>")
    return "\n".join(parts)


def _position(cell: str) -> str:
    letters, row = split_cell_name(cell)
    return f'Row="{row - 1}" Col="{column_number(letters) - 1}"'


def gnumeric_values(
    contents: list[SheetContent], names: Iterable[str], directory: Path
) -> Callable[[], list[dict[str, Value]]]:
    """Starts Gnumeric computing the workbook of all the contents, so that it
    works while the caller does something else; the function it gives back
    waits for it and gives what the named cells show in each sheet."""
    ssconvert = shutil.which("ssconvert")
    if ssconvert is None:
        raise RuntimeError("ssconvert not found: apt-get install gnumeric")
    source, result = Path(directory) / "sheets.gnumeric", Path(directory) / "computed.xlsx"
    source.write_text(gnumeric_workbook(contents), encoding="utf-8")
    wanted = list(names)
    process = subprocess.Popen(
        [ssconvert, "--recalc", str(source), str(result)],
        stdin=subprocess.DEVNULL,
        stdout=subprocess.DEVNULL,
        stderr=subprocess.PIPE,
    )

    def computed() -> list[dict[str, Value]]:
        try:
            _, errors = process.communicate(timeout=GNUMERIC_TIMEOUT)
        finally:
            if process.poll() is None:
                process.kill()
                process.communicate()
        if process.returncode != 0 or not result.exists():
            raise RuntimeError(f"ssconvert failed ({process.returncode}):\n{errors.decode(errors='replace')}")
        return [{name: cells.get(name) for name in wanted} for cells in _xlsx_cells(result, len(contents))]

    return computed


def _xlsx_cells(path: Path, sheet_count: int) -> list[dict[str, Value]]:
    """The typed cells of an .xlsx file's first sheets: a text stays a text
    even where it reads as a number ("007")."""
    with zipfile.ZipFile(path) as book:
        shared = []
        if "xl/sharedStrings.xml" in book.namelist():
            strings = ElementTree.fromstring(book.read("xl/sharedStrings.xml"))
            shared = ["".join(t.text or "" for t in item.iter(f"{_XLSX_MAIN}t")) for item in strings]
        sheets = []
        for number in range(1, sheet_count + 1):
            sheet = ElementTree.fromstring(book.read(f"xl/worksheets/sheet{number}.xml"))
            sheets.append({cell.get("r"): _xlsx_value(cell, shared) for cell in sheet.iter(f"{_XLSX_MAIN}c")})
    return sheets


def _xlsx_value(cell, shared: list[str]) -> Value:
    kind = cell.get("t", "n")
    if kind == "inlineStr":
        return "".join(t.text or "" for t in cell.iter(f"{_XLSX_MAIN}t"))
    stored = cell.find(f"{_XLSX_MAIN}v")
    text = stored.text or "" if stored is not None else None
    if text is None:
        return None
    if kind == "s":
        return shared[int(text)]
    if kind == "str":
        return text
    if kind == "e":
        return CellError(text)
    return float(text)  # a number, or a truth value as 1 or 0

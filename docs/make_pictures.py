#!/usr/bin/python3
"""Makes the pictures of the user guide (docs/guide.md) from real runs.

For each kind of summation the program is run on the guide's answers, its
report is read as Chromium shows it, and the formulas go into a LibreOffice
Calc sheet holding the sample table exactly as the report's steps say: the
same tables and the same placing as the spreadsheet tests, and the sheet must
show the totals those tests work out for it. The sheet is then exported to
PDF by LibreOffice and turned into a PNG by pdftoppm, cropped to the used
cells. A last picture is the report itself in Chromium, with the
parts of a step block named beside it.

    /usr/bin/python3 docs/make_pictures.py [--binary build/default/sumwright] [--out docs/pictures]

Needs LibreOffice Calc with its Python bridge, Chromium and pdftoppm
(poppler-utils); run it with the system Python, where the bridge lives.
"""

from __future__ import annotations

import argparse
import dataclasses
import json
import os
import subprocess
import sys
import tempfile
from pathlib import Path

SOURCE_DIR = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(SOURCE_DIR / "tests" / "e2e"))

import browser  # noqa: E402
import test_spreadsheet as scenarios  # noqa: E402  (the spreadsheet tests' tables, placing and totals)
from com.sun.star.awt.FontWeight import BOLD  # noqa: E402
from com.sun.star.beans import PropertyValue  # noqa: E402
from com.sun.star.table.CellContentType import FORMULA  # noqa: E402
from spreadsheet import Calc, Sheet, column_letters  # noqa: E402

RESOLUTION = 96  # dots per inch of the sheet pictures
MARGIN = 6  # white pixels kept around the used cells

# Cell colours (RGB): the pasted formulas, and the cell the user types into.
FORMULA_BACKGROUND = 0xE8F0FA
INPUT_BACKGROUND = 0xFFE680

# Variant 02: the group number typed into the selection cell for the picture.
SELECTED_GROUP = 2


@dataclasses.dataclass(frozen=True)
class Section:
    picture: str
    menu_key: str
    table: scenarios.Table
    answers: list[str]
    headers: dict[str, str]  # the header row, named for the reader
    # Which of the sheets the tests work out is shown: 0 is the sheet as
    # pasted; for variant 02, sheet n has group n typed into the selection.
    variant: int = 0

    @property
    def key_columns(self) -> int:
        """The group columns: every header but the amount's."""
        return len(self.headers) - 1


SECTIONS = [
    Section("subtotal_sheet.png", scenarios.SUBTOTAL, scenarios.REALISTIC, ["A", "2", "C", "2", "D"],
            {"A1": "Region", "B1": "Code", "C1": "Amount"}),
    Section("sumif_01_sheet.png", scenarios.SUMIF_01, scenarios.UNSORTED, ["A", "B", "2", "C"],
            {"A1": "Group", "B1": "Amount"}),
    Section("sumif_02_sheet.png", scenarios.SUMIF_02, scenarios.UNSORTED, ["A", "B", "2", "C"],
            {"A1": "Group", "B1": "Amount"}, variant=SELECTED_GROUP),
]
REPORT_PICTURE = "report_in_browser.png"


def sheet_picture(calc: Calc, section: Section, work: Path, pictures: Path) -> Path:
    """Makes the section's sheet picture, once the sheet shows what the
    spreadsheet tests work out for it; gives the report it pasted."""
    run_directory = work / section.picture.removesuffix(".png")
    report = scenarios.produce_report(run_directory, section.menu_key, section.answers)
    content, variants = scenarios.sheets_of(
        section.menu_key, section.table, section.answers, report, key_columns=section.key_columns
    )
    typed, wanted = variants[section.variant]
    sheet = calc.load(content.with_values({**section.headers, **typed}))
    try:
        differing = scenarios.differences(sheet.values(wanted), wanted)
        if differing:
            raise RuntimeError(f"{section.picture}: cells (shown, wanted) {differing}")
        for cell in typed:
            sheet.cell(cell).CellBackColor = INPUT_BACKGROUND
        export_png(sheet, work / section.picture.replace(".png", ".pdf"), pictures / section.picture)
    finally:
        sheet.close()
    return run_directory / scenarios.REPORT[section.menu_key]


def export_png(sheet: Sheet, pdf: Path, png: Path) -> None:
    """Prints the used cells, with column letters, row numbers and the grid,
    to a PDF page, and crops that page's picture to what is printed."""
    cursor = sheet.sheet.createCursor()
    cursor.gotoStartOfUsedArea(False)
    cursor.gotoEndOfUsedArea(True)
    used = cursor.getRangeAddress()
    columns = sheet.sheet.Columns
    for index in range(used.EndColumn + 1):
        columns.getByIndex(index).OptimalWidth = True
    for column in range(used.EndColumn + 1):
        for row in range(used.EndRow + 1):
            cell = sheet.cell(f"{column_letters(column + 1)}{row + 1}")
            if cell.getType() == FORMULA:
                cell.CellBackColor = FORMULA_BACKGROUND
    sheet.cell(f"A1:{column_letters(used.EndColumn + 1)}1").CharWeight = BOLD  # the header row

    style = sheet.document.StyleFamilies.getByName("PageStyles").getByName(sheet.sheet.PageStyle)
    style.PrintHeaders = True
    style.PrintGrid = True
    style.HeaderIsOn = False
    style.FooterIsOn = False
    # A page larger than any of the sample sheets, so that nothing is split
    # or scaled; the white around the cells is cropped away below.
    style.Width = style.Height = 60000
    for side in ("LeftMargin", "RightMargin", "TopMargin", "BottomMargin"):
        style.setPropertyValue(side, 500)
    sheet.sheet.setPrintAreas((used,))
    sheet.document.storeToURL(pdf.resolve().as_uri(), (_property("FilterName", "calc_pdf_Export"),))

    left, top, right, bottom = _printed_box(pdf)
    subprocess.run(
        [
            "pdftoppm", "-png", "-singlefile", "-r", str(RESOLUTION),
            "-x", str(max(left - MARGIN, 0)), "-y", str(max(top - MARGIN, 0)),
            "-W", str(right - left + 2 * MARGIN), "-H", str(bottom - top + 2 * MARGIN),
            str(pdf), str(png.with_suffix("")),
        ],
        check=True,
    )


def _property(name: str, value) -> PropertyValue:
    prop = PropertyValue()
    prop.Name = name
    prop.Value = value
    return prop


def _printed_box(pdf: Path) -> tuple[int, int, int, int]:
    """Left, top, right and bottom pixel of what is printed on the page, at
    the pictures' resolution (read from a grey-scale rendering)."""
    rendering = subprocess.run(
        ["pdftoppm", "-gray", "-singlefile", "-r", str(RESOLUTION), str(pdf)], capture_output=True, check=True
    ).stdout
    # Binary PGM: "P5", width, height, maximum value, one byte per pixel.
    magic, width, height, maximum, pixels = rendering.split(maxsplit=4)
    assert magic == b"P5" and maximum == b"255", "pdftoppm writes 8-bit grey PGM"
    width, height = int(width), int(height)
    ink = bytes(ord("x") if value < 250 else ord(" ") for value in range(256))
    rows = [pixels[row * width:(row + 1) * width].translate(ink) for row in range(height)]
    inked = [row for row, marks in enumerate(rows) if b"x" in marks]
    if not inked:
        raise RuntimeError(f"{pdf}: nothing printed")
    left = min(rows[row].find(b"x") for row in inked)
    right = max(rows[row].rfind(b"x") for row in inked)
    return left, inked[0], right + 1, inked[-1] + 1


# The parts of a step block, named beside the report: the text a part starts
# with (looked for from the first step on), and its name.
STEP_BLOCK_PARTS = [
    ("Column name", "your answers, repeated"),
    ("--------------------", "divider: one step block ends, the next begins"),
    ("step = 1", "step number: do the steps in this order"),
    ("=IF(", "formula: copy this whole line"),
    ("Copy formula in cell", "where the formula goes"),
    ("Then copy formula", "how far to copy it down"),
]
REPORT_WIDTH, REPORT_HEIGHT = 880, 400

LABELLED_REPORT = """<!DOCTYPE html>
<html><head><meta charset="utf-8"><style>
body { margin: 0; font-family: sans-serif; font-size: 14px; background: white; }
iframe { position: absolute; left: 0; top: 0; border: 0; }
.label { position: absolute; color: #a00000; white-space: nowrap; transform: translateY(-50%); }
.line { position: absolute; border-top: 1px solid #a00000; }
</style></head><body>
<iframe id="report" src="REPORT" width="WIDTH" height="HEIGHT" scrolling="no"></iframe>
<script>
const parts = PARTS;
const labelsAt = LABELS_AT;
document.getElementById("report").addEventListener("load", event => {
  const frame = event.target.contentWindow;
  const page = frame.document;
  const lines = [];
  const walker = page.createTreeWalker(page.body, NodeFilter.SHOW_TEXT);
  for (let node = walker.nextNode(); node; node = walker.nextNode()) {
    if (node.data.trim()) lines.push(node);
  }
  const box = node => {
    const range = page.createRange();
    range.selectNodeContents(node);
    return range.getBoundingClientRect();
  };
  // From the answers repeated above the first step to the steps.
  const start = lines.findIndex(node => node.data.trim().startsWith(parts[0][0]));
  frame.scrollTo(0, box(lines[start - 1]).top + frame.scrollY - 8);
  let from = start;
  for (const [text, name] of parts) {
    const index = lines.findIndex((node, i) => i >= from && node.data.trim().startsWith(text));
    from = index + 1;
    const rect = box(lines[index]);
    const y = rect.top + rect.height / 2;
    const line = document.createElement("div");
    line.className = "line";
    line.style.left = (rect.right + 8) + "px";
    line.style.top = y + "px";
    line.style.width = (labelsAt - rect.right - 14) + "px";
    document.body.appendChild(line);
    const label = document.createElement("div");
    label.className = "label";
    label.style.left = labelsAt + "px";
    label.style.top = y + "px";
    label.textContent = name;
    document.body.appendChild(label);
  }
});
</script></body></html>
"""


def report_picture(report_file: Path, pictures: Path) -> None:
    """The report in Chromium, scrolled to its first step, with the parts of
    that step block named to the right of it."""
    labels_at = 520
    page = report_file.with_name("labelled_report.html")
    page.write_text(
        LABELLED_REPORT.replace("REPORT", report_file.name)
        .replace("WIDTH", str(labels_at - 10))
        .replace("HEIGHT", str(REPORT_HEIGHT))
        .replace("PARTS", json.dumps(STEP_BLOCK_PARTS))
        .replace("LABELS_AT", str(labels_at)),
        encoding="utf-8",
    )
    browser.screenshot(page, pictures / REPORT_PICTURE, REPORT_WIDTH, REPORT_HEIGHT, file_access=True)


def make_pictures(pictures: Path) -> list[Path]:
    pictures.mkdir(parents=True, exist_ok=True)
    with tempfile.TemporaryDirectory(prefix="sumwright_pictures_") as scratch, Calc.running() as calc:
        work = Path(scratch)
        reports = [sheet_picture(calc, section, work, pictures) for section in SECTIONS]
        # The subtotal report, which the guide's first section pastes.
        report_picture(reports[0], pictures)
    return [pictures / section.picture for section in SECTIONS] + [pictures / REPORT_PICTURE]


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--binary", type=Path, default=os.environ.get("SUMWRIGHT_BINARY",
                                                                      SOURCE_DIR / "build" / "default" / "sumwright"))
    parser.add_argument("--out", type=Path, default=SOURCE_DIR / "docs" / "pictures")
    arguments = parser.parse_args()
    os.environ["SUMWRIGHT_BINARY"] = str(arguments.binary.resolve())
    for picture in make_pictures(arguments.out):
        print(f"{picture} ({picture.stat().st_size} bytes)")


if __name__ == "__main__":
    main()

"""The user guide's pictures are made by docs/make_pictures.py from real runs
(the program, Chromium, LibreOffice Calc, pdftoppm). The script has to keep
working, every picture the guide shows has to be one it makes, and the
guide's rule for copying a list down has to reach as far as in that run."""

import re
import struct
import subprocess
import sys
from pathlib import Path

import harness

SOURCE_DIR = Path(__file__).resolve().parents[2]
DOCS = SOURCE_DIR / "docs"
sys.path.insert(0, str(DOCS))

import make_pictures  # noqa: E402

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def png_size(data: bytes) -> tuple[int, int]:
    assert data.startswith(PNG_SIGNATURE) and data[12:16] == b"IHDR", "a PNG file"
    return struct.unpack(">II", data[16:24])


def test_script_makes_every_picture_the_guide_shows(tmp_path):
    completed = subprocess.run(
        [sys.executable, str(DOCS / "make_pictures.py"), "--binary", str(harness.binary_path()), "--out",
         str(tmp_path)],
        capture_output=True, text=True, timeout=600, check=False,
    )
    assert completed.returncode == 0, completed.stderr

    made = sorted(path.name for path in tmp_path.iterdir())
    shown = sorted(set(re.findall(r"\]\(pictures/([^)\s]+)\)", (DOCS / "guide.md").read_text(encoding="utf-8"))))
    assert shown == made, "the guide shows exactly the pictures the script makes"
    assert sorted(path.name for path in (DOCS / "pictures").iterdir()) == made, "and those are committed"
    for name in made:
        width, height = png_size((tmp_path / name).read_bytes())
        # A sheet cropped to its used cells, or the report window: never a
        # sliver or an empty page.
        assert 300 <= width <= 1200 and 150 <= height <= 800, f"{name}: {width}x{height}"


def guide_sample_tables() -> list[list[list[str]]]:
    """The data rows of the guide's sample tables (the tables whose first
    column is "row"), as cell texts."""
    tables: list[list[list[str]]] = []
    in_table = False
    for line in (DOCS / "guide.md").read_text(encoding="utf-8").splitlines():
        cells = [cell.strip() for cell in line.strip().strip("|").split("|")]
        if line.startswith("| row "):
            tables.append([])
            in_table = True
        elif not line.startswith("|"):
            in_table = False
        elif in_table and cells[0].isdigit() and int(cells[0]) > 1:
            tables[-1].append(cells)
    return tables


def cell_text(value) -> str:
    return "" if value is None else f"{value:g}" if isinstance(value, float) else value


def test_guide_shows_the_tables_the_pictures_are_made_of():
    # The spreadsheet tests' table of each picture, with as many group columns
    # as its section uses; both SUMIF variants share one, which the guide
    # shows once.
    subtotal, sumif_01, sumif_02 = (
        [[str(row), *keys[: section.key_columns], cell_text(amount)]
         for row, (keys, amount) in enumerate(section.table.rows, start=2)]
        for section in make_pictures.SECTIONS
    )
    assert sumif_01 == sumif_02
    assert guide_sample_tables() == [subtotal, sumif_01]


def test_guide_copies_each_list_as_far_as_the_run_of_its_picture_reaches():
    """Each SUMIF section names the row of the first `#N/A` under its list,
    and a block of rows that always reaches it, for the table and answers
    its picture was made from."""
    guide = (DOCS / "guide.md").read_text(encoding="utf-8")
    scenarios = make_pictures.scenarios
    for section in make_pictures.SECTIONS[1:]:
        (text,) = [part for part in re.split(r"^## ", guide, flags=re.M) if f"pictures/{section.picture}" in part]
        layout = scenarios.layout_of(section.menu_key, section.answers)
        content = scenarios.SheetContent()
        last_row = scenarios.build_table(content, section.table, layout, section.key_columns)
        placement, list_length, _ = scenarios.EXPECTED[section.menu_key](content, layout, last_row)
        first_list_row = max(row for _, row in placement.values())
        data_rows = last_row - layout.first_row + 1
        assert re.findall(r"`#N/A` in J (?:and K|to L)\s+\(row\s+(\d+)\s+here\)", text) == [
            str(first_list_row + list_length)], section.picture
        assert re.findall(r"\(I(\d+) to [A-Z](\d+) here\)", text) == [
            (str(first_list_row), str(first_list_row + data_rows))], section.picture

"""The release archives in dist/ as a user gets them: checksums, contents,
the guide page read offline, the Windows program's version and manifest,
and the programs as shipped: byte for byte the very ones that the entry
windows_under_wine runs under Wine against each other."""

from __future__ import annotations

import base64
import html
import os
import re
import struct
import subprocess
import tarfile
import xml.etree.ElementTree as ElementTree
import zipfile
from datetime import datetime, timezone
from pathlib import Path

from release import (DIST_DIR, LINUX_ARCHIVE, LINUX_FOLDER, LINUX_PROGRAM, VERSION, WINDOWS_ARCHIVE, WINDOWS_PROGRAM,
                     unpack)

RELEASE_TIME = datetime.fromtimestamp(int(os.environ.get("SUMWRIGHT_SOURCE_DATE_EPOCH", "0")), timezone.utc)
OBJDUMP = "x86_64-w64-mingw32-objdump"
RT_VERSION, RT_MANIFEST = 16, 24
ZIP_EXTENDED_TIME = 0x5455  # "UT"
SOURCE_DIR = Path(__file__).resolve().parents[2]
WINDOWS_10 = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"


def test_checksums_list_both_archives_and_hold():
    listed = [line.split("  ", 1)[1] for line in (DIST_DIR / "SHA256SUMS").read_text().splitlines()]
    assert listed == [LINUX_ARCHIVE, WINDOWS_ARCHIVE]
    subprocess.run(["sha256sum", "--check", "--strict", "SHA256SUMS"], cwd=DIST_DIR, check=True,
                   capture_output=True)


def _extra_fields(extra: bytes) -> list[int]:
    """The kinds of the extra fields of a ZIP entry."""
    kinds, at = [], 0
    while at + 4 <= len(extra):
        kind, size = struct.unpack_from("<HH", extra, at)
        kinds, at = kinds + [kind], at + 4 + size
    return kinds


def test_archives_hold_the_program_readme_and_guide_with_the_release_time_and_no_owner():
    with zipfile.ZipFile(DIST_DIR / WINDOWS_ARCHIVE) as archive:
        entries = archive.infolist()
        windows_readme, windows_guide = archive.read("README.txt"), archive.read("guide.html")
    assert [(entry.filename, entry.external_attr >> 16) for entry in entries] == [
        ("README.txt", 0o100644), ("guide.html", 0o100644), (WINDOWS_PROGRAM, 0o100755)]
    # A ZIP keeps times in steps of two seconds.
    zip_time = RELEASE_TIME.replace(second=RELEASE_TIME.second // 2 * 2)
    assert {datetime(*entry.date_time, tzinfo=timezone.utc) for entry in entries} == {zip_time}
    # The time, and no user and group numbers ("ux") of whoever packed it.
    assert {kind for entry in entries for kind in _extra_fields(entry.extra)} == {ZIP_EXTENDED_TIME}

    with tarfile.open(DIST_DIR / LINUX_ARCHIVE) as archive:
        members = archive.getmembers()
        linux_readme = archive.extractfile(f"{LINUX_FOLDER}/README.txt").read()
        linux_guide = archive.extractfile(f"{LINUX_FOLDER}/guide.html").read()
    assert [(member.name, member.mode) for member in members] == [
        (f"{LINUX_FOLDER}/README.txt", 0o644), (f"{LINUX_FOLDER}/guide.html", 0o644),
        (f"{LINUX_FOLDER}/{LINUX_PROGRAM}", 0o755)]
    assert {member.mtime for member in members} == {RELEASE_TIME.timestamp()}
    assert {(member.uid, member.gid, member.uname, member.gname) for member in members} == {(0, 0, "", "")}

    assert re.search(rb"(?<!\r)\n", windows_readme) is None and windows_readme.endswith(b"\r\n")
    assert windows_readme.replace(b"\r\n", b"\n") == linux_readme
    assert linux_readme.startswith(f"Sumwright {VERSION}\n".encode())
    # Its first lines name the programs as shipped and the guide beside the three steps to a first run.
    opening = linux_readme.decode().split("\n\n1. ")[0]
    assert all(word in opening for word in (WINDOWS_PROGRAM, LINUX_PROGRAM, "guide.html", "folder of its own", "rename",
                                            "console")), opening
    assert windows_guide == linux_guide


def test_guide_page_is_self_contained_and_holds_every_section_and_picture(tmp_path):
    page = (unpack(DIST_DIR / WINDOWS_ARCHIVE, tmp_path) / "guide.html").read_text(encoding="utf-8")
    # Nothing to fetch: in-page anchors that exist, and data. The renderer
    # quotes every attribute with double quotes.
    references = re.findall(r"""\s(?:src|href|srcset|action|data|poster)\s*=\s*["']?([^"'\s>]*)""", page)
    ids = set(re.findall(r'\sid="([^"]*)"', page))
    assert [ref for ref in references if not ref.startswith("data:") and not (ref[:1] == "#" and ref[1:] in ids)] == []
    assert not re.search(r"url\(|@import|<(?:link|script|iframe|object)\b", page)
    headings = [html.unescape(re.sub(r"<[^>]*>", "", text))
                for text in re.findall(r"<h[1-6][^>]*>(.*?)</h[1-6]>", page, re.S)]

    guide = (SOURCE_DIR / "docs" / "guide.md").read_text(encoding="utf-8")
    outside_code = re.sub(r"^```.*?^```", "", guide, flags=re.M | re.S)
    assert headings == [line.lstrip("#").strip() for line in outside_code.splitlines() if line.startswith("#")]
    pictures = re.findall(r"\]\(pictures/([^)\s]+)\)", guide)
    embedded = {base64.b64decode(ref.split(",", 1)[1]) for ref in references if ref.startswith("data:image/")}
    assert pictures and {name for name in pictures
                         if (SOURCE_DIR / "docs" / "pictures" / name).read_bytes() not in embedded} == set()


def _resources(program: Path) -> dict[int, bytes]:
    """The program's resources by type, read where its resource directory
    (as objdump shows it) says they are."""
    headers = subprocess.run([OBJDUMP, "-h", "-p", str(program)], capture_output=True, text=True,
                             check=True).stdout
    image_base = int(re.search(r"^ImageBase\s+([0-9a-f]+)", headers, re.M).group(1), 16)
    section = re.search(r"^\s*\d+ \.rsrc\s+[0-9a-f]+\s+([0-9a-f]+)\s+[0-9a-f]+\s+([0-9a-f]+)", headers, re.M)
    address, offset = int(section.group(1), 16) - image_base, int(section.group(2), 16)
    # Each type has one name and one language here, so the leaves follow the types in order.
    directory = headers[headers.index("The .rsrc Resource Directory section"):]
    types = [int(found, 16) for found in re.findall(r"^0[0-9a-f]+   Entry: ID: 0x([0-9a-f]+)", directory, re.M)]
    leaves = re.findall(r"Leaf: Addr: 0x([0-9a-f]+), Size: 0x([0-9a-f]+)", directory)
    assert len(types) == len(leaves), directory
    data = program.read_bytes()
    return {kind: data[int(leaf, 16) - address + offset:][:int(size, 16)]
            for kind, (leaf, size) in zip(types, leaves)}


def test_windows_program_carries_its_version_and_manifest(tmp_path):
    resources = _resources(unpack(DIST_DIR / WINDOWS_ARCHIVE, tmp_path) / WINDOWS_PROGRAM)
    assert sorted(resources) == [RT_VERSION, RT_MANIFEST]

    version = resources[RT_VERSION]
    fixed = version[version.index(b"\xbd\x04\xef\xfe"):]  # VS_FIXEDFILEINFO
    numbers = [int(part) for part in VERSION.split(".")]
    packed = [numbers[0] << 16 | numbers[1], numbers[2] << 16]
    assert [int.from_bytes(fixed[at:at + 4], "little") for at in range(8, 24, 4)] == packed * 2
    strings = version.decode("utf-16-le", errors="replace")
    for name, value in (("ProductName", "Sumwright"), ("FileVersion", VERSION), ("ProductVersion", VERSION),
                        ("OriginalFilename", "sumwright.exe")):
        assert re.search(f"{name}\0+{re.escape(value)}\0", strings), name
    assert re.search("FileDescription\0+Sumwright[^\0]+\0", strings)

    manifest = ElementTree.fromstring(resources[RT_MANIFEST])
    levels = [element.get("level") for element in manifest.iter("{urn:schemas-microsoft-com:asm.v3}requestedExecutionLevel")]
    systems = [element.get("Id") for element in manifest.iter("{urn:schemas-microsoft-com:compatibility.v1}supportedOS")]
    assert levels == ["asInvoker"]
    assert WINDOWS_10 in systems


def test_unpacked_programs_are_those_tested_and_need_only_the_c_library(tmp_path):
    windows_dir = unpack(DIST_DIR / WINDOWS_ARCHIVE, tmp_path / "windows")
    linux_dir = unpack(DIST_DIR / LINUX_ARCHIVE, tmp_path / "linux")
    # The very programs that the entry windows_under_wine runs against each other.
    assert (windows_dir / WINDOWS_PROGRAM).read_bytes() == Path(os.environ["SUMWRIGHT_WINDOWS_BINARY"]).read_bytes()
    assert (linux_dir / LINUX_PROGRAM).read_bytes() == Path(os.environ["SUMWRIGHT_BINARY"]).read_bytes()

    # The Linux program needs the C library alone, of the version README.txt names.
    program = str(linux_dir / LINUX_PROGRAM)
    libraries = subprocess.run(["ldd", program], capture_output=True, text=True, check=True).stdout
    assert "libc.so" in libraries and not re.search(r"libstdc\+\+|libgcc_s", libraries), libraries
    symbols = subprocess.run(["objdump", "-T", program], capture_output=True, text=True, check=True).stdout
    newest = max(tuple(map(int, found.split("."))) for found in re.findall(r"GLIBC_([0-9.]+)", symbols))
    assert f"glibc {'.'.join(map(str, newest))} or later" in (linux_dir / "README.txt").read_text()

"""The release is reproducible: built again from the same commit in another
build folder, it gives the same archives, byte for byte, and no file in them
names the folders it was built in."""

from __future__ import annotations

import os
import shutil
import subprocess
import tarfile
import zipfile
from pathlib import Path

from release import DIST_DIR, LINUX_ARCHIVE, WINDOWS_ARCHIVE

SOURCE_DIR = Path(__file__).resolve().parents[2]
RELEASE_BUILD_DIR = Path(os.environ.get("SUMWRIGHT_RELEASE_BUILD_DIR", SOURCE_DIR / "build" / "release"))


def _run(command: list[str], cwd: Path) -> None:
    completed = subprocess.run(command, cwd=cwd, capture_output=True, text=True, check=False)
    assert completed.returncode == 0, f"{' '.join(command)} failed:\n{completed.stdout}\n{completed.stderr}"


def _packed_files(dist: Path) -> dict[str, bytes]:
    with zipfile.ZipFile(dist / WINDOWS_ARCHIVE) as archive:
        files = {name: archive.read(name) for name in archive.namelist()}
    with tarfile.open(dist / LINUX_ARCHIVE) as archive:
        files |= {member.name: archive.extractfile(member).read() for member in archive.getmembers()}
    return files


def test_a_second_build_in_another_folder_gives_the_same_bytes():
    # Deeper and longer than the first build folder, and made from nothing.
    again = RELEASE_BUILD_DIR / "reproducibility-check" / "build"
    shutil.rmtree(again.parent, ignore_errors=True)
    dist_again = again / "dist"
    _run(["cmake", "--preset", "release", "-B", str(again), f"-DSUMWRIGHT_DIST_DIR={dist_again}"], SOURCE_DIR)
    _run(["cmake", "--build", str(again), "-j", "2"], SOURCE_DIR)
    _run(["cpack"], again)

    packed, packed_again = _packed_files(DIST_DIR), _packed_files(dist_again)
    assert sorted(packed_again) == sorted(packed)
    assert [name for name, content in packed_again.items() if content != packed[name]] == []
    folders = (SOURCE_DIR, RELEASE_BUILD_DIR, again)
    assert [(name, str(folder)) for name, content in packed_again.items() for folder in folders
            if str(folder).encode() in content] == []
    assert [name for name in (WINDOWS_ARCHIVE, LINUX_ARCHIVE, "SHA256SUMS")
            if (dist_again / name).read_bytes() != (DIST_DIR / name).read_bytes()] == []
    shutil.rmtree(again.parent)

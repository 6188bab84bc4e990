"""What the release tests share: where the archives are and what they hold.
CTest passes the dist folder and the version (see packaging/CMakeLists.txt).
"""

from __future__ import annotations

import os
import subprocess
import zipfile
from pathlib import Path

DIST_DIR = Path(os.environ.get("SUMWRIGHT_DIST_DIR", "dist"))
VERSION = os.environ.get("SUMWRIGHT_VERSION", "")
WINDOWS_ARCHIVE = f"sumwright-{VERSION}-windows-x86_64.zip"
LINUX_ARCHIVE = f"sumwright-{VERSION}-linux-x86_64.tar.gz"
LINUX_FOLDER = LINUX_ARCHIVE.removesuffix(".tar.gz")
# The programs' names as shipped: they run at once.
LINUX_PROGRAM = "www.example.com"
WINDOWS_PROGRAM = f"{LINUX_PROGRAM}.exe"


def unpack(archive: Path, folder: Path) -> Path:
    """Unpacks a release archive as a user would; gives the folder that holds the program."""
    folder.mkdir(parents=True, exist_ok=True)
    if archive.suffix == ".zip":
        with zipfile.ZipFile(archive) as opened:
            opened.extractall(folder)
        # zipfile keeps no permissions; Wine does not need them.
        return folder
    subprocess.run(["tar", "-xzf", str(archive), "-C", str(folder)], check=True)
    return folder / LINUX_FOLDER

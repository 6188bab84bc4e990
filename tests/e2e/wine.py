"""The Windows build under Wine, as the Windows tests and the release tests
use it: the executable (from SUMWRIGHT_WINDOWS_BINARY when that is set,
otherwise built with the "mingw" preset into SUMWRIGHT_WINDOWS_BUILD_DIR,
default build/mingw), the stand-ins for sort.exe and find.exe and the console
driver of tests/wine cross-built beside it, one throw-away Wine prefix a
session, and what its console text is compared with."""

from __future__ import annotations

import dataclasses
import os
import re
import shutil
import subprocess
import tempfile
from pathlib import Path

import pytest

SOURCE_DIR = Path(__file__).resolve().parents[2]
# CTest marks the test as skipped when a reason starting so is printed.
SKIP = "Windows build not tested: "
CROSS_COMPILERS = ("x86_64-w64-mingw32-g++-posix", "x86_64-w64-mingw32-g++")
WINE = ["wine"]



@dataclasses.dataclass(frozen=True)
class WindowsBuild:
    program: Path
    sort: Path
    find: Path
    console_driver: Path


def _run(command: list[str], what: str, **kwargs) -> None:
    completed = subprocess.run(command, capture_output=True, text=True, check=False, **kwargs)
    if completed.returncode != 0:
        pytest.fail(f"{what} failed ({' '.join(command)}):\n{completed.stdout}\n{completed.stderr}")


def _cross_build(source: Path, build_dir: Path, *configure: str) -> None:
    _run(["cmake", "-S", str(source), "-B", str(build_dir), *configure], f"configuring {source.name}",
         cwd=SOURCE_DIR)
    _run(["cmake", "--build", str(build_dir), "-j", "2"], f"building {source.name}")


@pytest.fixture(scope="session")
def windows_build(tmp_path_factory) -> WindowsBuild:
    if not any(shutil.which(compiler) for compiler in CROSS_COMPILERS):
        pytest.skip(SKIP + "no MinGW-w64 cross compiler (Debian package g++-mingw-w64-x86-64-posix)")
    given = os.environ.get("SUMWRIGHT_WINDOWS_BINARY")
    if given:
        program = Path(given).resolve()
        standins = tmp_path_factory.mktemp("wine-standins")
    else:
        build_dir = Path(os.environ.get("SUMWRIGHT_WINDOWS_BUILD_DIR") or SOURCE_DIR / "build" / "mingw")
        _cross_build(SOURCE_DIR, build_dir, "--preset", "mingw")
        program = build_dir / "sumwright.exe"
        standins = build_dir / "wine-standins"
    _cross_build(SOURCE_DIR / "tests" / "wine", standins, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
                 f"-DCMAKE_TOOLCHAIN_FILE={SOURCE_DIR / 'cmake' / 'mingw-w64-x86_64.cmake'}")
    return WindowsBuild(program, standins / "sort.exe", standins / "find.exe", standins / "console_driver.exe")


def _wineserver() -> str | None:
    return shutil.which("wineserver") or next(
        (path for path in ("/usr/lib/wine/wineserver64", "/usr/lib/wine/wineserver") if os.access(path, os.X_OK)),
        None)


@pytest.fixture(scope="session")
def wine_env() -> dict[str, str]:
    """Environment for runs under Wine, with a prefix made for this session."""
    if shutil.which("wine") is None or _wineserver() is None:
        pytest.skip(SKIP + "Wine is not installed (Debian packages wine and wine64)")
    scratch = Path(tempfile.mkdtemp(prefix="sumwright-wine-"))
    env = {
        "WINEPREFIX": str(scratch / "prefix"),
        "WINEDEBUG": "-all",
        # No offers to install Mono or Gecko while the prefix is made.
        "WINEDLLOVERRIDES": "mscoree,mshtml=",
    }
    full_env = {**os.environ, **env}
    try:
        subprocess.run(["wine", "wineboot", "--init"], env=full_env, capture_output=True, timeout=600, check=True)
        subprocess.run([_wineserver(), "-w"], env=full_env, capture_output=True, timeout=600, check=False)
        yield env
    finally:
        subprocess.run([_wineserver(), "-k"], env=full_env, capture_output=True, timeout=60, check=False)
        shutil.rmtree(scratch, ignore_errors=True)


def console_lines(run) -> list[str]:
    """The console of a piped Windows run as lines; every line end is CR LF."""
    assert re.search(r"(?<!\r)\n", run.console) is None, "a bare LF on the Windows console"
    return run.console.replace("\r\n", "\n").split("\n")


def screen_lines(text: str) -> list[str]:
    """Screen text as lines without trailing blanks or trailing empty lines."""
    lines = [line.rstrip(" ") for line in text.replace("\r\n", "\n").split("\n")]
    while lines and not lines[-1]:
        lines.pop()
    return lines


def program_errors(run) -> list[str]:
    """Standard error without Wine's own notices."""
    return [line for line in run.errors.splitlines() if line and not line.startswith("wine:")]


def place_tools(build: WindowsBuild, directory: Path) -> None:
    """The stand-ins go where cmd looks first: the current directory."""
    for tool in (build.sort, build.find):
        shutil.copy2(tool, directory / tool.name)


def assert_same_console(windows_lines: list[str], linux_lines: list[str], program_name: str) -> None:
    """The consoles agree but for the program path, which Wine hands over as
    a full Windows path (the web link cuts everything up to the site marker
    off, so neither it nor the report depends on that path)."""
    full_path = re.compile(r"[A-Z]:\\(.+\\)?" + re.escape(program_name))
    path_lines = [i for i, line in enumerate(windows_lines) if full_path.fullmatch(line)]
    assert path_lines, f"no full Windows path of {program_name}"
    windows_path = windows_lines[path_lines[0]]
    assert path_lines == [i for i, line in enumerate(linux_lines) if line == f"./{program_name}"]
    assert [line.replace(windows_path, f"./{program_name}") for line in windows_lines] == linux_lines

"""The Windows build, cross-built with MinGW-w64 and run under Wine.

The executable comes from SUMWRIGHT_WINDOWS_BINARY when that is set;
otherwise the session builds it with the "mingw" preset into
SUMWRIGHT_WINDOWS_BUILD_DIR (default build/mingw). Stand-ins for the Windows
sort.exe and find.exe (tests/wine) are cross-built beside it. Every run goes
through one throw-away Wine prefix, whose wineserver is killed at the end.

Console text from Windows has CR LF line ends (standard output is in text
mode); it is compared with LF after checking that no bare LF occurs. Report
files are compared byte for byte.
"""

from __future__ import annotations

import dataclasses
import os
import re
import shutil
import signal
import subprocess
import tempfile
import time
from pathlib import Path

import pytest

from harness import DEFAULT_PROGRAM_NAME, REPORT_NAMES, dialogue, install_program, run_piped

SOURCE_DIR = Path(__file__).resolve().parents[2]
# CTest marks the test as skipped when a reason starting so is printed.
SKIP = "Windows build not tested: "
CROSS_COMPILERS = ("x86_64-w64-mingw32-g++-posix", "x86_64-w64-mingw32-g++")
WINE = ["wine"]

CHECKS_HEADING = ["-" * 58, "Checking the presence of vital assistance programs of MS Windows system:"]
PATH_HINT = "Most likely it is necessary to updated the system path variable."


@dataclasses.dataclass(frozen=True)
class WindowsBuild:
    program: Path
    sort: Path
    find: Path


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
    return WindowsBuild(program, standins / "sort.exe", standins / "find.exe")


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
    """The console of a Windows run as lines; every line end is CR LF."""
    assert re.search(r"(?<!\r)\n", run.console) is None, "a bare LF on the Windows console"
    return run.console.replace("\r\n", "\n").split("\n")


def program_errors(run) -> list[str]:
    """Standard error without Wine's own notices."""
    return [line for line in run.errors.splitlines() if line and not line.startswith("wine:")]


def place_tools(build: WindowsBuild, directory: Path) -> None:
    """The stand-ins go where cmd looks first: the current directory."""
    for tool in (build.sort, build.find):
        shutil.copy2(tool, directory / tool.name)


def run_windows(build: WindowsBuild, wine_env, directory: Path, lines, *, tools: bool, **kwargs):
    directory.mkdir(parents=True, exist_ok=True)
    if tools:
        place_tools(build, directory)
    kwargs.setdefault("timeout", 180)
    return run_piped(directory, lines, binary=build.program, command_prefix=WINE, env=wine_env, **kwargs)


def assert_same_console(windows, linux, program_name: str) -> None:
    """The consoles agree but for the program path, which Wine hands over as
    a full Windows path (the web link cuts everything up to the site marker
    off, so neither it nor the report depends on that path)."""
    windows_lines, linux_lines = console_lines(windows), linux.console_lines()
    full_path = re.compile(r"[A-Z]:\\(.+\\)?" + re.escape(program_name))
    path_lines = [i for i, line in enumerate(windows_lines) if full_path.fullmatch(line)]
    assert path_lines, f"no full Windows path of {program_name}"
    windows_path = windows_lines[path_lines[0]]
    assert path_lines == [i for i, line in enumerate(linux_lines) if line == f"./{program_name}"]
    assert [line.replace(windows_path, f"./{program_name}") for line in windows_lines] == linux_lines


def test_wine_tools_fail_the_sort_check_and_only_nine_ends(windows_build, wine_env, tmp_path):
    # Wine's cmd runs dir, but Wine has no sort; keys other than 9 change nothing.
    run = run_windows(windows_build, wine_env, tmp_path, ["1", "1", "2", "x3", "9"], tools=False)

    assert run.status == 0
    lines = console_lines(run)
    assert lines[1] == "sumwright_01_012.cpp"
    assert lines[lines.index("<2> no and end") + 1:] == [
        *CHECKS_HEADING, "cmd", "sort", "Check availability sort.exe.", PATH_HINT, "<9> end", ""]
    assert not any(line.startswith("sumwright:") for line in program_errors(run))


# Menu key, answers, program file name, whether the input has CR LF ends.
GENERATORS = [
    pytest.param("1", ["A", "2", "D", "2", "F"], "www.example.com.exe", False, id="subtotal"),
    pytest.param("1", ["b", "3", "h", "5", "m"], "WWW.Shop.Example.EXE", True, id="subtotal-three-levels"),
    pytest.param("2", ["B", "D", "2", "F"], "https.shop.example.net.exe", False, id="sumif_01"),
    pytest.param("3", ["C", "E", "4", "AA"], "http.example.org.exe", True, id="sumif_02"),
]


def _input(lines: list[str], crlf: bool) -> bytes:
    end = "\r\n" if crlf else "\n"
    return "".join(line + end for line in lines).encode("latin-1")


@pytest.mark.parametrize("menu_key, answers, program_name, crlf", GENERATORS)
def test_report_is_byte_identical_to_the_linux_build(windows_build, wine_env, tmp_path, menu_key, answers,
                                                     program_name, crlf):
    keys = dialogue(menu_key, answers)
    report = REPORT_NAMES[int(menu_key) - 1]
    windows_dir, linux_dir = tmp_path / "windows", tmp_path / "linux"
    for directory in (windows_dir, linux_dir):
        # An old report of the same name must give way (a plain rename
        # cannot replace an existing file on Windows); the others stay.
        directory.mkdir()
        for name in REPORT_NAMES:
            (directory / name).write_bytes(b"old " + name.encode() + b"\r\n")

    windows = run_windows(windows_build, wine_env, windows_dir, _input(keys, crlf), tools=True,
                          program_name=program_name)
    linux = run_piped(linux_dir, _input(keys, False), program_name=program_name)

    assert (windows.status, linux.status) == (0, 0), windows.console
    assert program_errors(windows) == []
    assert windows.report(report) == linux.report(report)
    for name in REPORT_NAMES:
        if name != report:
            assert windows.file(name) == linux.file(name) == b"old " + name.encode() + b"\r\n"
    assert windows.leftovers() == []
    assert_same_console(windows, linux, program_name)


def test_input_from_the_null_device_is_not_taken_for_a_console(windows_build, wine_env, tmp_path):
    # The null device is a character device, as a console is; taken for one,
    # the terms wait would poll a keyboard that never answers.
    windows = run_windows(windows_build, wine_env, tmp_path / "windows", None, tools=False, timeout=60)
    linux = run_piped(tmp_path / "linux", None)

    assert windows.status == linux.status != 0
    assert program_errors(windows) == linux.errors.splitlines()
    assert_same_console(windows, linux, "www.example.com.exe")


def test_interrupted_run_leaves_no_unfinished_report(windows_build, wine_env, tmp_path):
    # Ctrl-C reaches the program as a console control event, handled on a
    # thread of its own while the unfinished report is still open.
    place_tools(windows_build, tmp_path)
    old_report = b"old report\r\n"
    (tmp_path / "swr_sumif_01.htm").write_bytes(old_report)
    install_program(tmp_path, binary=windows_build.program)
    process = subprocess.Popen([*WINE, f"./{DEFAULT_PROGRAM_NAME}"], cwd=tmp_path, env={**os.environ, **wine_env},
                               stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        process.stdin.write(_input(dialogue("2", ["B"])[:-1], crlf=False))
        process.stdin.flush()  # stays open: the program waits for the next answer
        deadline = time.monotonic() + 120
        while not list(tmp_path.glob("*.tmp")):
            assert time.monotonic() < deadline and process.poll() is None, "the report was never opened"
            time.sleep(0.1)
        process.send_signal(signal.SIGINT)
        process.wait(timeout=60)
    finally:
        if process.poll() is None:
            process.kill()
            process.wait()
        process.stdin.close()

    assert list(tmp_path.glob("*.tmp")) == []
    assert (tmp_path / "swr_sumif_01.htm").read_bytes() == old_report

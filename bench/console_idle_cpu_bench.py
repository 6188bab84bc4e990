"""Processor time of the program while a key wait, and then a prompt, idles
for 2 seconds: the Linux build on a pseudo-terminal and the Windows build in a
Wine console.
A measurement, not a test: it prints the figures and asserts nothing about
them. Run by scripts/bench.sh (pytest -s)."""

from __future__ import annotations

import os
import statistics
import subprocess
import sys
import time
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))

from harness import MENU_WAIT, PROMPT_END, TERMS_WAIT, WARNING_WAIT, Terminal, install_program  # noqa: E402
from test_windows_build import WINE, place_tools, wine_env, windows_build  # noqa: E402,F401 (fixtures)

IDLE_MS = 2000
REPETITIONS = 3
PROGRAM_NAME = "www.idle-benchmark.example.exe"
# What the program waits at: the terms, or the first prompt of variant 01
# (the waits on the way and their keys).
IDLE_AT = {"key wait": [], "prompt": [(TERMS_WAIT, "1"), (WARNING_WAIT, "1"), (MENU_WAIT, "2")]}


def cpu_ms(pid: int) -> float:
    """Time on a processor of all the process's threads so far (in ns in
    schedstat, finer than the clock ticks of /proc/PID/stat)."""
    total = 0
    for task in Path(f"/proc/{pid}/task").iterdir():
        try:
            total += int((task / "schedstat").read_text().split()[0])
        except (OSError, IndexError):
            continue
    return total / 1e6


def wine_processes(prefix: str, name: str) -> list[int]:
    """Processes of the given Wine prefix whose command line names `name`."""
    found = []
    for entry in Path("/proc").iterdir():
        try:
            if (entry.name.isdigit() and name in (entry / "cmdline").read_bytes().decode("latin-1")
                    and f"WINEPREFIX={prefix}".encode() in (entry / "environ").read_bytes()):
                found.append(int(entry.name))
        except OSError:
            continue
    return found


def linux_idle_cpu(directory: Path, way: list[tuple[str, str]]) -> float:
    with Terminal(directory) as terminal:
        for wait_text, key in way:
            terminal.expect(wait_text)
            terminal.send(key)
        terminal.expect(PROMPT_END if way else TERMS_WAIT)
        before = cpu_ms(terminal.process.pid)
        time.sleep(IDLE_MS / 1000)
        return cpu_ms(terminal.process.pid) - before


def windows_idle_cpu(build, wine_env, directory: Path, way: list[tuple[str, str]]) -> tuple[float, float]:
    """CPU of the program and of Wine's console host while the wait idles."""
    install_program(directory, PROGRAM_NAME, binary=build.program)
    place_tools(build, directory)
    script = directory / "idle.script"
    steps = [f"wait {wait_text}\ntype {key}\n" for wait_text, key in way]
    script.write_text("".join(steps) + f"wait {PROMPT_END if way else TERMS_WAIT}\nidle {IDLE_MS}\n"
                      + ("type {Ctrl+C}\n" if way else "type 2\n") + "end\n")
    driver = subprocess.Popen([*WINE, str(build.console_driver), str(script), PROGRAM_NAME], cwd=directory,
                              env={**os.environ, **wine_env}, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    try:
        lines = iter(driver.stderr)
        next(line for line in lines if line.startswith(b"idle: start"))
        programs = wine_processes(wine_env["WINEPREFIX"], PROGRAM_NAME)
        hosts = wine_processes(wine_env["WINEPREFIX"], "conhost.exe")
        before = [sum(cpu_ms(pid) for pid in group) for group in (programs, hosts)]
        next(line for line in lines if line.startswith(b"idle: end"))
        after = [sum(cpu_ms(pid) for pid in group) for group in (programs, hosts)]
        assert programs, "the program's process was not found"
    finally:
        driver.communicate(timeout=120)
    return after[0] - before[0], after[1] - before[1]


@pytest.mark.parametrize("idle_at", IDLE_AT)
def test_idle_cpu(windows_build, wine_env, tmp_path, idle_at):
    way = IDLE_AT[idle_at]
    linux = [linux_idle_cpu(tmp_path / f"linux{i}", way) for i in range(REPETITIONS)]
    windows = [windows_idle_cpu(windows_build, wine_env, tmp_path / f"windows{i}", way) for i in range(REPETITIONS)]
    print(f"\nCPU time during a {IDLE_MS} ms idle {idle_at} (median of {REPETITIONS}):")
    print(f"  Linux build on a pseudo-terminal:  {statistics.median(linux):.2f} ms")
    print(f"  Windows build in a Wine console:   {statistics.median(w[0] for w in windows):.2f} ms"
          f" (Wine's console host meanwhile: {statistics.median(w[1] for w in windows):.2f} ms)")

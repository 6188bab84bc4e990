#!/usr/bin/env python3
"""Runs clang-tidy with the project's .clang-tidy over every unit under src/
that the build compiles (read from its compile_commands.json), a few at a
time; any finding fails the run.

    run_clang_tidy.py CLANG_TIDY BUILD_DIR SOURCE_DIR
"""

import json
import os
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path


def main() -> int:
    if len(sys.argv) != 4:
        sys.exit("usage: run_clang_tidy.py CLANG_TIDY BUILD_DIR SOURCE_DIR")
    clang_tidy, build_dir, source_dir = sys.argv[1], Path(sys.argv[2]), Path(sys.argv[3]).resolve()
    database = build_dir / "compile_commands.json"
    if not database.is_file():
        sys.exit(f"{database} is missing: configure with CMAKE_EXPORT_COMPILE_COMMANDS=ON")
    src = source_dir / "src"
    units = sorted({str(Path(entry["directory"], entry["file"]).resolve())
                    for entry in json.loads(database.read_text(encoding="utf-8"))
                    if Path(entry["directory"], entry["file"]).resolve().is_relative_to(src)})
    if not units:
        sys.exit(f"no unit under {src} in {database}")

    def tidy(unit: str) -> subprocess.CompletedProcess:
        # At a lower priority: the tests beside it wait on other processes
        # (an office, terminals), and clang-tidy takes what they leave.
        return subprocess.run(["nice", "-n", "10", clang_tidy, "--quiet", "--warnings-as-errors=*", "-p",
                               str(build_dir), unit], capture_output=True, text=True, check=False)

    failed = 0
    with ThreadPoolExecutor(max_workers=max(os.cpu_count() or 1, 1)) as pool:
        for unit, result in zip(units, pool.map(tidy, units)):
            if result.returncode != 0:
                failed += 1
                print(f"{unit}:\n{result.stdout}{result.stderr}", flush=True)
    print(f"clang-tidy: {len(units)} units under src, {failed} with findings")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())

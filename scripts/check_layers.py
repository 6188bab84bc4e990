#!/usr/bin/env python3
"""Checks that the folders under src/ form layers: the folders a folder's files
include (`#include "folder/file.h"`) must never lead back to it. Prints the
folders by level, lowest first, and ends with status 1 on a cycle, naming the
includes that close it."""

import re
import sys
from pathlib import Path

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/[^"]+"', re.MULTILINE)


def folder_includes(source_root: Path) -> dict[str, dict[str, str]]:
    """For each folder, the folders it includes, each with one file that does."""
    graph: dict[str, dict[str, str]] = {}
    for path in sorted(source_root.glob("*/*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        folder = path.parent.name
        edges = graph.setdefault(folder, {})
        for included in INCLUDE.findall(path.read_text(encoding="utf-8")):
            if included != folder:
                edges.setdefault(included, f"{folder}/{path.name}")
    return graph


def find_cycle(graph: dict[str, dict[str, str]]) -> list[str] | None:
    """A cycle of folders (first folder repeated at the end), or None."""
    state: dict[str, str] = {}  # "open" while on the path, "done" after
    path: list[str] = []

    def visit(folder: str) -> list[str] | None:
        state[folder] = "open"
        path.append(folder)
        for below in sorted(graph.get(folder, {})):
            if state.get(below) == "open":
                return path[path.index(below):] + [below]
            if below not in state:
                found = visit(below)
                if found:
                    return found
        path.pop()
        state[folder] = "done"
        return None

    for folder in sorted(graph):
        if folder not in state:
            found = visit(folder)
            if found:
                return found
    return None


def levels(graph: dict[str, dict[str, str]]) -> dict[str, int]:
    """0 for a folder that includes no other; else one above its highest."""
    level: dict[str, int] = {}

    def of(folder: str) -> int:
        if folder not in level:
            level[folder] = 1 + max((of(below) for below in graph.get(folder, {})), default=-1)
        return level[folder]

    for folder in graph:
        of(folder)
    return level


def main() -> int:
    source_root = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "src"
    graph = folder_includes(source_root)
    cycle = find_cycle(graph)
    if cycle:
        print("The folders include each other in a cycle: " + " -> ".join(cycle))
        for folder, below in zip(cycle, cycle[1:]):
            print(f"  {graph[folder][below]} includes {below}/")
        return 1
    for folder, level in sorted(levels(graph).items(), key=lambda item: (item[1], item[0])):
        below = ", ".join(sorted(graph.get(folder, {}))) or "nothing"
        print(f"level {level}: {folder} (includes {below})")
    return 0


if __name__ == "__main__":
    sys.exit(main())

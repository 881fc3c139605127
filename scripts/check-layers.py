#!/usr/bin/env python3
"""Fails when the folders stop showing the layers: a Qt header included under a core folder, a folder
including a folder at its own level or above it, or folders including each other in a cycle."""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
# Lower levels first; a folder may include its own files and those of folders on lower levels.
LEVELS = {
    "base": 0,
    "grid/model": 1,
    "grid/file": 2, "grid/layout": 2, "grid/text": 2, "conversion": 2,
    "grid/view": 3,
    "ui": 4,
    "app": 5,
}
CORE = {folder for folder, level in LEVELS.items() if level <= 2}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.MULTILINE)
QT_HEADER = re.compile(r"^(Q[A-Za-z]|Qt[A-Za-z]*/|q[a-z]+\.h$)")


def folder_of(path: str):
    parent = str(pathlib.PurePosixPath(path).parent)
    return parent if parent in LEVELS else None


def main() -> int:
    problems = []
    edges = {folder: set() for folder in LEVELS}
    for folder in LEVELS:
        for source in sorted((ROOT / folder).glob("*")):
            if source.suffix not in (".h", ".cpp"):
                continue
            name = source.relative_to(ROOT).as_posix()
            for kind, header in INCLUDE.findall(source.read_text(encoding="utf-8")):
                if kind == "<" and folder in CORE and QT_HEADER.match(header):
                    problems.append(f"{name}: Qt header <{header}> in the Qt-free core")
                target = folder_of(header) if kind == '"' else None
                if target is None or target == folder:
                    continue
                edges[folder].add(target)
                if LEVELS[target] >= LEVELS[folder]:
                    problems.append(f"{name}: includes {header}, which is not below {folder}/")
    # The levels rule out cycles already; this names one should the table of levels be loosened.
    def cycle_from(start, node, seen):
        for nxt in edges[node]:
            if nxt == start:
                return seen + [nxt]
            if nxt not in seen:
                found = cycle_from(start, nxt, seen + [nxt])
                if found:
                    return found
        return None
    for folder in LEVELS:
        found = cycle_from(folder, folder, [folder])
        if found:
            problems.append("folders include each other: " + " -> ".join(found))
            break
    for problem in problems:
        print(problem, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Fails when a source file includes a header of a layer above its own.

The link check in CMake sees only libraries; a header-only include of lib/
from editor/ (or of any higher layer from a lower one) slips past it. The
layers below are in build order: a folder may include itself and the
folders before it. A source folder missing from the list fails too, so a
new layer is placed on purpose.
"""
import pathlib
import re
import sys

LAYERS = [
    "platform/kernel",
    "platform/com",
    "platform/msxml",
    "platform/shell",
    "platform/crypt",
    "platform/inet",
    "include",
    "lib/foundation",
    "lib/xml",
    "lib/http",
    "lib/crypto",
    "lib/package",
    "lib/com",
    "editor/model",
    "editor/ui",
]
# The library and the editor meet only through COM: no editor file may see lib/.
FORBIDDEN = {"editor/": "lib/"}
SOURCES = ("platform", "include", "lib", "editor")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def layer_of(path):
    best = None
    for index, layer in enumerate(LAYERS):
        if path == layer or path.startswith(layer + "/"):
            if best is None or len(layer) > len(LAYERS[best]):
                best = index
    return best


def main(root):
    root = pathlib.Path(root)
    problems = []
    for top in SOURCES:
        for file in sorted((root / top).rglob("*")):
            if file.suffix not in (".h", ".cpp", ".c") or not file.is_file():
                continue
            relative = file.relative_to(root).as_posix()
            own = layer_of(relative)
            if own is None:
                problems.append(f"{relative}: its folder is no known layer")
                continue
            text = file.read_text(encoding="utf-8", errors="replace")
            for header in INCLUDE.findall(text):
                if not header.startswith(SOURCES):
                    continue
                for prefix, banned in FORBIDDEN.items():
                    if relative.startswith(prefix) and header.startswith(banned):
                        problems.append(f"{relative}: includes {header} of the library")
                target = layer_of(header)
                if target is not None and target > own:
                    problems.append(
                        f"{relative}: includes {header} of {LAYERS[target]}, "
                        f"a layer above {LAYERS[own]}")
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else "."))

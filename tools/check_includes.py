#!/usr/bin/env python3
"""Fails naming every include in src/ that runs against the rooms' one-way dependencies."""
import pathlib
import re
import sys

# A room and the rooms it must not include; the shell is for main.cpp alone.
FORBIDDEN = {
    "platform": {"game", "scene", "render", "assets", "shell"},
    "assets": {"game", "scene", "render", "shell"},
    "scene": {"game", "shell"},
    "render": {"shell"},
    "game": {"shell", "render"},
}
# The game's set-up builds the render room's programs and passes; no other game file needs them.
ALLOWED = {"game/Game.cpp": {"render"}}
INCLUDE = re.compile(r'^\s*#\s*include\s*"(\w+)/')


def offences(src):
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        room = path.relative_to(src).parts[0]
        banned = FORBIDDEN.get(room, set()) - ALLOWED.get(path.relative_to(src).as_posix(), set())
        for number, line in enumerate(path.read_text().splitlines(), 1):
            match = INCLUDE.match(line)
            if match and match.group(1) in banned:
                yield f"{path}:{number}: {room}/ must not include {match.group(1)}/: {line.strip()}"


def main():
    src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "src")
    if not src.is_dir():
        sys.exit(f"check_includes: no source folder {src}")
    found = list(offences(src))
    for offence in found:
        print(offence)
    if found:
        sys.exit(f"{len(found)} include(s) against the rooms' dependencies")
    print(f"includes in {src}/ follow the rooms' dependencies")


if __name__ == "__main__":
    main()

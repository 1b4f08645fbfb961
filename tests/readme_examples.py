#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The README's examples are what navlist prints.

Every example in the README that names its command, "From `./build/navlist ...`:" followed by
an indented block or a ```json block, and every indented block that starts with a
`./build/navlist` command line followed by its output, is run from the source folder with the
navlist under test. An indented block must be a run of whole lines of the output; a JSON block
must equal one object of the document (key order aside). The message that the README quotes
for an unknown option is the one on standard error.

    readme_examples.py NAVLIST SOURCE_DIR
"""
import json
import re
import subprocess
import sys
from pathlib import Path


def run(navlist, source, command):
    shell = command.replace("./build/navlist", str(navlist))
    done = subprocess.run(shell, shell=True, cwd=source, capture_output=True, check=False)
    return done.stdout.decode("utf-8")


def indented_block(lines, start):
    """The indented lines from `start` (after blank lines), dedented, and where it ends."""
    while start < len(lines) and not lines[start].strip():
        start += 1
    block = []
    while start < len(lines) and (lines[start].startswith("    ") or not lines[start].strip()):
        block.append(lines[start][4:])
        start += 1
    while block and not block[-1].strip():
        block.pop()
    return block, start


def fenced_block(lines, start):
    while start < len(lines) and not lines[start].startswith("```"):
        start += 1
    end = lines.index("```", start + 1)
    return lines[start + 1:end]


def holds_lines(output, block):
    out = output.split("\n")
    return any(out[i:i + len(block)] == block for i in range(len(out) - len(block) + 1))


def objects(value):
    if isinstance(value, dict):
        yield value
        for item in value.values():
            yield from objects(item)
    elif isinstance(value, list):
        for item in value:
            yield from objects(item)


def main():
    navlist, source = Path(sys.argv[1]).resolve(), Path(sys.argv[2])
    readme = (source / "README.md").read_text(encoding="utf-8")
    lines = readme.split("\n")
    failures, checked = [], 0

    # "From `./build/navlist ...`" may wrap: look for it in the text, then find its line.
    for match in re.finditer(r"From\s+`(\./build/navlist [^`]+)`", readme):
        command = match.group(1)
        line = readme.count("\n", 0, match.end()) + 1
        if lines[line].startswith("```"):
            example = json.loads("\n".join(fenced_block(lines, line)))
            document = json.loads(run(navlist, source, command))
            ok = any(o == example for o in objects(document))
        else:
            block, _ = indented_block(lines, line)
            ok = holds_lines(run(navlist, source, command), block)
        checked += 1
        if not ok:
            failures.append(f"README line {line}: {command}")

    # Blocks that show a command line, a blank line and what it prints.
    for i, text in enumerate(lines):
        if not text.startswith("    ./build/navlist") or (i and lines[i - 1].strip()):
            continue
        command, _ = indented_block(lines, i)
        if "" not in command:
            continue  # a command shown alone
        split = command.index("")
        shown = command[split + 1:]
        output = run(navlist, source, " ".join(c.strip() for c in command[:split]))
        checked += 1
        if not holds_lines(output, shown):
            failures.append(f"README line {i + 1}: {command[0].strip()}")

    # The line the README quotes for a long option that navlist does not know.
    told = subprocess.run([navlist, "--frobnicate", "disc"], capture_output=True, check=False)
    said = "navlist: unrecognized option '--frobnicate'; try 'navlist --help'"
    checked += 1
    if told.stderr.decode() != said + "\n" or f"`{said}`" not in readme or told.returncode != 2:
        failures.append(f"an unknown option: {told.stderr!r}")

    for failure in failures:
        print(f"the README's example differs from what navlist prints: {failure}")
    print(f"{checked} examples checked")
    return 1 if failures or checked < 7 else 0


if __name__ == "__main__":
    sys.exit(main())

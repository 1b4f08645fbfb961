#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Checks what libdvdnav does with a disc against the disc's expected.txt.

usage: check_oracle.py ORACLE VIDEO_TS EXPECTED

ORACLE is the dvdnav_oracle program. Every "run OPTIONS" block of EXPECTED is
played by the oracle with those options; its output must be the block's lines
as libdvdnav sees them: the lines without prefix and those marked
"libdvdnav:", but neither those marked "standard:" nor chains marked
"(no cell)", which libdvdnav runs without a word. The "reach TITLE PRESSES"
lines are checked against a search of every --press list of up to three
presses of buttons 1 to 4: the shortest run of buttons the oracle pressed
before TITLE played first (the first found when several are as short) must
be PRESSES, or "none" when no run plays TITLE first. tests/discs/README.md
describes the format. Exits with 1 and shows the differences when a check
fails.
"""
import itertools
import subprocess
import sys

SEARCH_DEPTH = 3
SEARCH_BUTTONS = range(1, 5)


def parse(path):
    """The runs, as (options, lines libdvdnav shows), and the reach lines."""
    runs, reach = [], []
    with open(path, encoding="utf-8") as f:
        for raw in f:
            line = raw.strip()
            if not line or line.startswith("#"):
                continue
            word, _, rest = line.partition(" ")
            if word == "run":
                runs.append((rest.split(), []))
            elif word == "reach":
                title, presses = rest.split()
                reach.append((int(title), presses))
            elif not runs:
                sys.exit(f"{path}: '{line}' before the first run line")
            elif word != "standard:" and not line.endswith("(no cell)"):
                runs[-1][1].append(line.removeprefix("libdvdnav: "))
    return runs, reach


def play(oracle, disc, options):
    result = subprocess.run([oracle, *options, disc], capture_output=True, text=True,
                            timeout=120, check=False)
    if result.returncode != 0:
        sys.exit(f"{oracle} {' '.join(options)} {disc} exited with {result.returncode}:\n"
                 f"{result.stdout}{result.stderr}")
    return result.stdout.splitlines()


def first_title(lines):
    """The first title played and the buttons pressed before it, as "2,1"."""
    presses = []
    for line in lines:
        word, _, value = line.partition(" ")
        if word == "press":
            presses.append(value)
        elif word == "title":
            return int(value), ",".join(presses)
    return None, None


def main(argv):
    if len(argv) != 4:
        sys.exit(__doc__)
    oracle, disc, expected = argv[1:]
    runs, reach = parse(expected)
    failures = 0
    for options, want in runs:
        got = play(oracle, disc, options)
        if got != want:
            failures += 1
            print(f"run {' '.join(options) or '(no options)'}: libdvdnav departs from {expected}")
            print("  expected: " + " | ".join(want))
            print("  libdvdnav: " + " | ".join(got))
    if reach:
        shortest = {}
        for depth in range(1, SEARCH_DEPTH + 1):
            for presses in itertools.product(SEARCH_BUTTONS, repeat=depth):
                title, path = first_title(play(oracle, disc, ["--press", ",".join(map(str, presses))]))
                known = shortest.get(title)
                if title is not None and (known is None or path.count(",") < known.count(",")):
                    shortest[title] = path
        for title, presses in reach:
            found = shortest.get(title, "none")
            if found != presses:
                failures += 1
                print(f"reach {title} {presses}: with libdvdnav the shortest is {found}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

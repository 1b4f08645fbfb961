#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Checks the button paths that navlist --titles reports against libdvdnav.

usage: check_titles.py NAVLIST ORACLE VIDEO_TS

For every title that navlist --titles --json says a viewer reaches by pressing buttons, the
oracle (a real player's navigation engine) presses those buttons in turn and must play that
title first. Exits with 1 and says which paths fail.
"""
import json
import subprocess
import sys


def main(argv):
    if len(argv) != 4:
        sys.exit(__doc__)
    navlist, oracle, disc = argv[1:]
    report = json.loads(subprocess.run([navlist, "--titles", "--json", disc], capture_output=True,
                                       check=False).stdout)
    failures = checked = 0
    for title in report["titles"]:
        buttons = [step["button"] for step in title.get("path", [])]
        if not title["reached"] or not buttons or 0 in buttons:
            continue
        presses = ",".join(map(str, buttons))
        lines = subprocess.run([oracle, "--press", presses, disc], capture_output=True, text=True,
                               timeout=120, check=False).stdout.splitlines()
        played = next((line for line in lines if line.startswith("title ")), "no title")
        checked += 1
        if played != f"title {title['title']}":
            failures += 1
            print(f"title {title['title']}: pressing {presses}, libdvdnav plays {played}")
    print(f"check_titles: {checked} paths, {failures} failed")
    return 1 if failures or not checked else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

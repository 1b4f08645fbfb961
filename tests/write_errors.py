#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""The built navlist against an output that does not take its report.

Usage: write_errors.py NAVLIST SAMPLE_DISC
A full device and a closed standard output end every kind of run with status 2 and one line on
standard error; a reader that has gone away ends navlist by SIGPIPE, quietly, even when the
parent left SIGPIPE ignored (Python does). A path that holds no disc gives --graph nothing on
standard output, the message on standard error; --json one document that holds the message, and
nothing on standard error.
"""
import json
import os
import signal
import subprocess
import sys
import tempfile


def main():
    navlist, disc = sys.argv[1:3]
    reports = [[disc], ["-I", disc], ["-V", disc], ["--json", disc], ["--graph", disc]]
    failures = []

    def check(label, result, status, stdout, stderr):
        got = (result.returncode, result.stdout, result.stderr.decode())
        if got != (status, stdout, stderr):
            failures.append(f"{label}: {got}, expected {(status, stdout, stderr)}")

    message = "navlist: cannot write the report: {}\n"
    for args in reports + [["--version"], ["--help"], []]:
        label = " ".join(["navlist"] + args)
        with open("/dev/full", "wb") as full:
            result = subprocess.run([navlist, *args], stdout=full, stderr=subprocess.PIPE)
        check(label + " > /dev/full", result, 2, None, message.format("No space left on device"))
        result = subprocess.run([navlist, *args], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                preexec_fn=lambda: os.close(1))
        check(label + " >&-", result, 2, b"", message.format("Bad file descriptor"))

    for args in reports:
        read_end, write_end = os.pipe()
        os.close(read_end)
        result = subprocess.run([navlist, *args], stdout=write_end, stderr=subprocess.PIPE,
                                restore_signals=False)
        os.close(write_end)
        check(" ".join(["navlist"] + args) + " | (gone)", result, -signal.SIGPIPE, None, "")

    with tempfile.NamedTemporaryFile(suffix=".iso") as text:
        text.write(b"not a disc\n")
        text.flush()
        result = subprocess.run([navlist, "--graph", text.name], capture_output=True)
        check("navlist --graph text", result, 1, b"",
              f"{text.name} is not a UDF disc image, or it is cut short.\n")
        # --json: the message is the document's one problem, and nothing goes aside.
        result = subprocess.run([navlist, "--json", text.name], capture_output=True)
        problems = json.loads(result.stdout)["problems"] if result.stdout.startswith(b"{") else []
        if (result.returncode, result.stderr, [p["message"] for p in problems]) != (
                1, b"", [f"{text.name} is not a UDF disc image, or it is cut short."]):
            failures.append(f"navlist --json text: {result}")

    for failure in failures:
        print(failure)
    print(f"write_errors: {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

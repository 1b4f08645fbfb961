#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Checks navlist's JSON against docs/navlist.schema.json (JSON Schema 2020-12).

Usage: validate_json.py SCHEMA NAVLIST [--runs OPTIONS|OPTIONS...] DISC_OR_JSON...
Each .json file is a saved document (a golden file) and must validate. Any other path is a disc
(or a file that is none): navlist runs on it with each set of OPTIONS (by default "--json",
"--json -I" and "--json -V"), and each document must validate too.
"""
import json
import os
import subprocess
import sys

try:
    import jsonschema
except ImportError:
    sys.exit("validate_json: the Python module jsonschema is missing "
             "(Debian python3-jsonschema; scripts/install-deps test installs it)")


def main():
    schema_path, navlist, *inputs = sys.argv[1:]
    runs = ["--json", "--json -I", "--json -V"]
    if inputs[:1] == ["--runs"]:
        runs = inputs[1].split("|")
        inputs = inputs[2:]
    with open(schema_path, encoding="utf-8") as f:
        schema = json.load(f)
    jsonschema.Draft202012Validator.check_schema(schema)
    validator = jsonschema.Draft202012Validator(schema)
    failures = 0
    checked = 0
    for item in inputs:
        if not item.endswith(".json"):
            documents = []
            for options in runs:
                run = subprocess.run([navlist, *options.split(), item], capture_output=True,
                                     check=False)
                documents.append((f"navlist {options} {item}", run.stdout))
        else:
            with open(item, "rb") as f:
                documents = [(item, f.read())]
        for name, raw in documents:
            checked += 1
            try:
                document = json.loads(raw.decode("utf-8"))
            except (UnicodeDecodeError, json.JSONDecodeError) as error:
                print(f"{name}: not one UTF-8 JSON document: {error}")
                failures += 1
                continue
            errors = sorted(validator.iter_errors(document), key=lambda e: list(e.path))
            for error in errors[:5]:
                print(f"{name}: {'/'.join(str(p) for p in error.path)}: {error.message}")
            failures += bool(errors)
    print(f"validate_json: {checked} documents, {failures} invalid")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

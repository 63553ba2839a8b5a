#!/usr/bin/env python3
"""Counts the GoogleTest cases that a test run executed, from the JSON reports that the
programs write when GTEST_OUTPUT is json:FOLDER/ (scripts/test.sh sets it), so that every
stage of CI says how many cases it ran, not only how many programs.

    scripts/count_tests.py FOLDER [LABEL]

Prints "LABEL: N test cases run in P programs (S skipped, F failed)". Exits 1 when the
folder holds no report, or when it holds reports of no case at all: a run that executed
nothing has checked nothing.
"""
import glob
import json
import os
import sys


def count(folder):
    run = skipped = failed = programs = 0
    for path in sorted(glob.glob(os.path.join(folder, "*.json"))):
        with open(path, encoding="utf-8") as report:
            data = json.load(report)
        programs += 1
        for suite in data.get("testsuites", []):
            for case in suite.get("testsuite", []):
                if case.get("status") != "RUN":
                    continue  # disabled
                if case.get("result") == "SKIPPED":
                    skipped += 1
                    continue
                run += 1
                if case.get("failures"):
                    failed += 1
    return run, skipped, failed, programs


def main():
    if len(sys.argv) not in (2, 3):
        print(__doc__, file=sys.stderr)
        return 2
    folder = sys.argv[1]
    label = sys.argv[2] if len(sys.argv) == 3 else "tests"
    run, skipped, failed, programs = count(folder)
    print(f"{label}: {run} test cases run in {programs} programs ({skipped} skipped, {failed} failed)")
    return 0 if run > 0 else 1


if __name__ == "__main__":
    sys.exit(main())

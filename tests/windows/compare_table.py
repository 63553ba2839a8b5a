#!/usr/bin/env python3
"""Compares the differential table's output on Linux (comrt) and under Wine (the system's
oleaut32) line by line.

    compare_table.py LINUX.txt WINDOWS.txt

Rows are matched by their name (the text before ": "). A row marked "~" in the table
(its comment names the documented behaviour that decides it) may differ and is reported;
any other difference, or a row that only one side printed, fails the comparison.
Exits 0 when the outputs agree, 1 otherwise.
"""
import sys


def rows(path):
    result = {}
    order = []
    with open(path, encoding="utf-8", errors="replace") as text:
        for line in text:
            line = line.rstrip("\r\n")
            if not line:
                continue
            documented = line.startswith("~ ")
            body = line[2:] if documented else line
            name, _, value = body.partition(": ")
            result[name] = (documented, value)
            order.append(name)
    return result, order


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    linux, order = rows(sys.argv[1])
    windows, windows_order = rows(sys.argv[2])
    failures = []
    documented = []
    for name in order + [n for n in windows_order if n not in linux]:
        if name not in linux or name not in windows:
            failures.append(f"{name}: printed on {'Linux' if name in linux else 'Windows'} only")
            continue
        (marked, ours), (_, system) = linux[name], windows[name]
        if ours == system:
            continue
        line = f"{name}:\n    comrt:   {ours}\n    oleaut32: {system}"
        (documented if marked else failures).append(line)
    print(f"differential table: {len(order)} rows, {len(failures)} unexplained differences, "
          f"{len(documented)} documented differences")
    for line in documented:
        print("documented " + line)
    for line in failures:
        print("DIFFERENT " + line)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

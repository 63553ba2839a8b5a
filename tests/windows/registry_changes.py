#!/usr/bin/env python3
"""Checks that unregistration removed exactly what registration wrote, from three exports
of the registry (as UTF-8 text of .reg files): before registering, after registering and
after unregistering.

    registry_changes.py BEFORE.txt REGISTERED.txt AFTER.txt [--untouched KEY]...

What registration wrote is what REGISTERED holds and BEFORE does not (keys and values).
Registration must not change or remove anything BEFORE held; unregistration must remove
all it wrote and nothing that BEFORE held. Anything else that appears meanwhile (other
programs of the prefix register things on first use) is not registration's doing and is
ignored. A KEY given with --untouched (a path under Software\Classes, in either hive)
belongs to another program: BEFORE must hold it, and it and everything under it must be
the same in all three exports. Exits 0 when that holds, 1 otherwise (listing the entries
at fault), 2 when registration wrote nothing at all or the arguments are wrong.
"""
import sys


def entries(path):
    """The keys and the values (key, name=data) of a .reg export."""
    result = set()
    key = None
    with open(path, encoding="utf-8", errors="replace") as text:
        for line in text:
            line = line.rstrip("\n")
            if line.startswith("[") and line.endswith("]"):
                key = line[1:-1].lower()
                result.add((key, None))
            elif key and line and not line.startswith(";") and "=" in line:
                result.add((key, line))
    return result


def ordered(entries):
    """Keys before their values, each group by name."""
    return sorted(entries, key=lambda e: (e[0], e[1] or ""))


def show(entry):
    key, value = entry
    return f"[{key}]" + (f" {value}" if value else "")


def under(key, entries):
    """The entries of `key` (relative to Software\\Classes) and of the keys below it."""
    suffix = "\\software\\classes\\" + key.lower()
    return {e for e in entries if e[0].endswith(suffix) or (suffix + "\\") in e[0]}


def main():
    args = sys.argv[1:]
    untouched = []
    while "--untouched" in args:
        at = args.index("--untouched")
        if at + 1 >= len(args):
            print(__doc__)
            return 2
        untouched.append(args[at + 1])
        del args[at:at + 2]
    if len(args) != 3:
        print(__doc__)
        return 2
    before, registered, after = (entries(p) for p in args)
    written = registered - before
    if not written:
        print("registration wrote nothing")
        return 2
    overwritten = ordered(before - registered)
    left = ordered(written & after)
    removed = ordered(before - after)
    print(f"registration wrote {len(written)} keys and values and changed {len(overwritten)} that were there "
          f"before; unregistration left {len(left)} of them and removed {len(removed)} entries that were there "
          f"before")
    for e in overwritten:
        print("changed or removed by registration: " + show(e))
    for e in left:
        print("left behind: " + show(e))
    for e in removed:
        print("removed, though registration did not write it: " + show(e))
    failed = bool(overwritten or left or removed)
    for key in untouched:
        original = under(key, before)
        if not original:
            print(f"{key}: not in the registry before registering")
            failed = True
            continue
        for name, state in (("registration", registered), ("unregistration", after)):
            now = under(key, state)
            if now != original:
                failed = True
                print(f"{key}: changed by {name}")
                for e in ordered(original - now):
                    print("    lost: " + show(e))
                for e in ordered(now - original):
                    print("    gained: " + show(e))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())

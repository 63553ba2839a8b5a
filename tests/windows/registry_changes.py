#!/usr/bin/env python3
"""Checks that unregistration removed exactly what registration wrote, from three exports
of the registry (as UTF-8 text of .reg files): before registering, after registering and
after unregistering.

    registry_changes.py BEFORE.txt REGISTERED.txt AFTER.txt

What registration wrote is what REGISTERED holds and BEFORE does not (keys and values).
Registration must not change anything that BEFORE held (a key of another program's that
it shares a path with); unregistration must remove all it wrote and nothing that BEFORE
held. Anything else that
appears meanwhile (other programs of the prefix register things on first use) is not
registration's doing and is ignored. Exits 0 when that holds, 1 otherwise (listing the
entries at fault), 2 when registration wrote nothing at all.
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
    return sorted(entries, key=lambda e: (e[0], e[1] or ""))


def show(entry):
    key, value = entry
    return f"[{key}]" + (f" {value}" if value else "")


def main():
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    before, registered, after = (entries(p) for p in sys.argv[1:])
    written = registered - before
    if not written:
        print("registration wrote nothing")
        return 2
    changed = ordered(before - registered)
    left = ordered(written & after)
    removed = ordered(before - after)
    print(f"registration wrote {len(written)} keys and values and changed {len(changed)} entries; "
          f"unregistration left {len(left)} of them and removed {len(removed)} entries that were there before")
    for e in changed:
        print("changed by registration: " + show(e))
    for e in left:
        print("left behind: " + show(e))
    for e in removed:
        print("removed, though registration did not write it: " + show(e))
    return 1 if changed or left or removed else 0


if __name__ == "__main__":
    sys.exit(main())

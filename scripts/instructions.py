#!/usr/bin/env python3
"""Instruction counts of the user paths, product against baseline, judged: what CI can hold
against a target whatever the machine's load, where times would move with it.

Runs a benchmark program in its --instructions mode under valgrind's callgrind, with
collection off except inside each counted step (bench/instructions.h), reads the count of
every step from callgrind's dumps, and compares each product step with its baseline.

    scripts/instructions.py BUILD_DIR [--out FILE.json]

Prints one line per comparison: product and baseline instructions, the ratio, the limit
and the verdict. Exits 1 when a ratio is above its limit, a step is missing or the
program fails; 0 when every comparison holds.
"""
import glob
import json
import os
import re
import subprocess
import sys
import tempfile

# (what is compared, product step, baseline step, largest ratio allowed). Every step runs
# once at 32,766 rows (the drop-down's at 32,768 and 100 choices), until the application has
# settled (bench/path_bench.cpp, bench/qt_bench.cpp). The counts repeat to within 0.1 % from
# run to run. A limit is the path's target, or about 15 % above what the path needs today
# where that is lower, so that a change costing a path a sixth more fails even far below
# its target:
#   - the show paths (target 1.2) need about half the bare view's count today (0.38 to
#     0.48x): each text is copied once, and Tessel's items are read in place;
#   - the wheel step, the moves and Page Down (targets 1.2 and 1.5) need 0.75 to 1.01x:
#     the grid lays each cell's text out once where the style's item delegate, which the
#     bare view paints with, lays it out up to three times;
#   - the drop-down (target 3) lays out all its entries once when its list opens, in
#     QListView's own layout, and reads and copies each choice once (7.0x today: the
#     100-choice click that it is compared with paints the grid's cells, which cost less
#     than they did).
COMPARISONS = [
    ("first show in a fresh control, 32,766 rows", "first/control", "first/bare_view", 0.55),
    ("host switch to the other group, 32,766 rows", "switch/control", "switch/bare_view", 0.51),
    ("user pick in the selector, 32,766 rows", "pick/control", "pick/bare_view", 0.51),
    ("re-show of the group shown, 32,766 rows", "reshow/control", "reshow/bare_view", 0.44),
    ("wheel step, editor in view, 32,766 rows", "wheel/control_editor", "wheel/bare_editor", 0.86),
    ("Down in the editor that scrolls, 32,766 rows", "down/control", "down/bare_view", 1.16),
    ("click on the value cell at the bottom edge, 32,766 rows", "click/control", "click/bare_view", 0.98),
    ("Page Down in the grid, editor open, 32,766 rows", "pagedown/control", "pagedown/bare_view", 0.89),
    ("click on a drop-down cell, 32,768 vs 100 choices", "dropdown/32768", "dropdown/100", 7.7),
]
PROGRAMS = ["path_bench", "qt_bench"]

DESCRIPTION = re.compile(r"^desc: Trigger: Client Request: (.+)$")
TOTAL = re.compile(r"^(?:summary|totals): (\d+)")


def read_dumps(folder):
    """{step label: instructions} from the callgrind dumps in folder."""
    counts = {}
    for path in glob.glob(os.path.join(folder, "callgrind.out*")):
        label = total = None
        with open(path, encoding="utf-8", errors="replace") as dump:
            for line in dump:
                if label is None and (match := DESCRIPTION.match(line)):
                    label = match.group(1).strip()
                elif match := TOTAL.match(line):
                    total = int(match.group(1))
        if label and total is not None:
            counts[label] = total
    return counts


def count(build_dir, program, folder):
    command = ["valgrind", "--tool=callgrind", "--collect-atstart=no", "--dump-line=no",
               f"--callgrind-out-file={folder}/callgrind.out", os.path.join(build_dir, "bin", program),
               "--instructions"]
    environment = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    run = subprocess.run(command, env=environment, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if run.returncode != 0:
        print(run.stdout[-4000:])
        raise RuntimeError(f"{program} --instructions failed under callgrind ({run.returncode})")
    return read_dumps(folder)


def judge(counts):
    """The comparison rows, and whether every one holds."""
    rows, ok = [], True
    for label, product, baseline, limit in COMPARISONS:
        if product not in counts or baseline not in counts:
            rows.append({"label": label, "verdict": "not measured"})
            ok = False
            continue
        ratio = counts[product] / counts[baseline]
        holds = ratio <= limit
        ok = ok and holds
        rows.append({"label": label, "product": counts[product], "baseline": counts[baseline], "ratio": ratio,
                     "limit": limit, "verdict": "holds" if holds else "MISSED"})
    return rows, ok


def main():
    args = sys.argv[1:]
    out = None
    if "--out" in args:
        at = args.index("--out")
        out = args[at + 1]
        del args[at:at + 2]
    if len(args) != 1:
        print(__doc__, file=sys.stderr)
        return 2
    counts = {}
    with tempfile.TemporaryDirectory() as folder:
        for program in PROGRAMS:
            counts.update(count(args[0], program, folder))
    rows, ok = judge(counts)
    print(f"{'comparison (instructions, product vs baseline)':58} {'product':>13} {'baseline':>13} "
          f"{'ratio':>6} {'limit':>6}  verdict")
    for row in rows:
        if "ratio" in row:
            print(f"{row['label']:58} {row['product']:>13,} {row['baseline']:>13,} {row['ratio']:>6.2f} "
                  f"{row['limit']:>6.2f}  {row['verdict']}")
        else:
            print(f"{row['label']:58} {'':>13} {'':>13} {'':>6} {'':>6}  {row['verdict']}")
    if out:
        with open(out, "w", encoding="utf-8") as file:
            json.dump({"counts": counts, "comparisons": rows}, file, indent=2)
    print("instructions:", "every comparison holds" if ok else "FAILED")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Checks the include graph between the repository's top-level folders.

Every #include of every source and header is resolved to the file it names, and the
arrow from the including folder to the included one must be one that the architecture
draws (RULES below). A library's public headers live in its include/ folder; everything
else of a folder is private to it. Exits 1 and lists every forbidden include; 0 when the
graph is clean.

    scripts/check_layers.py [REPOSITORY]
    scripts/check_layers.py --self-test   shows on a small tree of its own that a forbidden
                                          include fails the check and an allowed one passes
"""
import os
import re
import sys
import tempfile

# Each library's public include folder: <repo>/<folder>/include.
PUBLIC_INCLUDE_DIRS = ["platform/include", "data/include", "control/include", "widget/include"]

# Where a file of one layer may include from. "public:X" allows X's public headers,
# "X" allows every header of X. A layer may always include its own headers.
RULES = {
    # The platform stand-in knows nothing of the layers above it.
    "platform": [],
    # The data library: the platform's public headers.
    "data": ["public:platform"],
    # The control's logic and its widget contract: no toolkit, data only through its
    # binary interface.
    "control": ["public:platform", "public:data"],
    # The toolkit implements the control's widget contract inside the control's library;
    # it shares the COM-to-Qt conversions of the host side (orvane/qt_types.h).
    "toolkit": ["public:platform", "public:data", "control", "public:widget"],
    # The host-side Qt container: COM only, through the public headers.
    "widget": ["public:platform", "public:data", "public:control"],
    # Programs on top: public headers only.
    "examples": ["public:platform", "public:data", "public:control", "public:widget"],
    "bench": ["public:platform", "public:data", "public:control", "public:widget", "testing"],
    # The Qt Designer plugin of the host-side widget: public headers only.
    "designer": ["public:platform", "public:data", "public:control", "public:widget"],
    # What tests, benchmarks and the demo share.
    "testing": ["public:platform", "public:data", "public:control", "public:widget"],
    # Tests: unit tests of a layer may use that layer's private headers (tests/<layer>/),
    # the rest public headers only; never the benchmarks.
    "tests": ["public:platform", "public:data", "public:control", "public:widget", "testing"],
    # Fuzz targets: public headers and the shared test support, and, as a layer's unit
    # tests do, the objects they drive directly (Tessel's classes, the control on the
    # recording doubles of tests/fakes, the host's property bag file).
    "fuzz": ["public:platform", "public:data", "public:control", "public:widget", "testing",
             "data", "control", "widget", "tests"],
}
# Unit tests of a layer: tests/<sub>/ may also include every header of these layers.
TEST_LAYERS = {
    "platform": ["platform"],
    "data": ["data"],
    "control": ["control"],
    "fakes": ["control"],
    "contract": ["control", "toolkit"],
    "qt": ["control", "toolkit"],
    "widget": ["widget"],
    "cross_runtime": [],
    # The Windows build's tests (Wine): public headers only, as any host.
    "windows": [],
}

SOURCE = re.compile(r".*\.(c|cc|cpp|cxx|h|hh|hpp)$")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
SKIP_DIRS = {".git", "build", "node_modules"}


def files(root):
    for top, dirs, names in os.walk(root):
        dirs[:] = [d for d in dirs if d not in SKIP_DIRS and not d.startswith("build")]
        for name in names:
            if SOURCE.match(name):
                yield os.path.relpath(os.path.join(top, name), root)


def layer_of(path):
    return path.split(os.sep)[0]


def resolve(root, including, quote, name, all_files):
    """The repository file an include names, or None for a system header."""
    candidates = []
    if quote == '"':
        candidates.append(os.path.normpath(os.path.join(os.path.dirname(including), name)))
    candidates += [os.path.join(d, name) for d in PUBLIC_INCLUDE_DIRS]
    candidates.append(name)  # from the repository root
    for c in candidates:
        if os.path.isfile(os.path.join(root, c)):
            return c
    # Through some other target's include folder: any file of the repository that the
    # name ends.
    suffix = os.sep + os.path.normpath(name)
    matches = [f for f in all_files if f.endswith(suffix)]
    return matches[0] if matches else None


def allowed(including, included):
    source, target = layer_of(including), layer_of(included)
    if source == target:
        return True
    public = any(included.startswith(d + "/") for d in PUBLIC_INCLUDE_DIRS)
    rules = list(RULES.get(source, []))
    parts = including.split(os.sep)
    if source == "tests" and len(parts) > 2:
        rules += TEST_LAYERS.get(parts[1], [])
    for rule in rules:
        if rule == target or (rule == "public:" + target and public):
            return True
    return False


def check(root):
    """The forbidden includes of the tree at root, as printable lines."""
    unknown = sorted({layer_of(f) for f in files(root)} - set(RULES) - {"scripts"})
    problems = []
    all_files = sorted(files(root))
    for path in all_files:
        if layer_of(path) == "scripts":
            continue
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as text:
            for number, line in enumerate(text, 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                target = resolve(root, path, match.group(1), match.group(2), all_files)
                if target and not allowed(path, target):
                    problems.append(f"{path}:{number}: includes {target} "
                                    f"({layer_of(path)} -> {layer_of(target)} is not an allowed arrow)")
    for folder in unknown:
        problems.append(f"{folder}/: a top-level folder with sources that no rule covers")
    return problems


def self_test():
    """A private header of the control included from the examples must fail the check;
    the same program including the public header must pass."""
    with tempfile.TemporaryDirectory() as root:
        def write(path, text):
            os.makedirs(os.path.dirname(os.path.join(root, path)), exist_ok=True)
            with open(os.path.join(root, path), "w", encoding="utf-8") as out:
                out.write(text)
        write("control/include/orvane/orvane.h", "#pragma once\n")
        write("control/editor_hook.h", "#pragma once\n#include <orvane/orvane.h>\n")
        write("examples/demo/main.cpp", "#include <orvane/orvane.h>\n")
        clean = check(root)
        write("examples/demo/main.cpp", "#include <orvane/orvane.h>\n#include <control/editor_hook.h>\n")
        dirty = check(root)
    ok = not clean and len(dirty) == 1 and "examples -> control" in dirty[0]
    print("check_layers self-test:", "the forbidden include fails the check" if ok else f"FAILED: {clean} {dirty}")
    return 0 if ok else 1


def main():
    if sys.argv[1:] == ["--self-test"]:
        return self_test()
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), ".."))
    problems = check(root)
    for p in problems:
        print(p)
    if problems:
        print(f"check_layers: {len(problems)} forbidden include(s)")
        return 1
    print("check_layers: the include graph follows the layers")
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Checks the include graph between the repository's top-level folders.

Every #include of every source and header is resolved to the file it names, the way the
build's include folders resolve it (INCLUDE_ROOTS below, cmake/layers.cmake), and the
arrow from the including folder to the included one must be one that the architecture
draws (RULES below). A library's public headers live in its include/ folder; everything
else of a folder is private to it. An include that names the project's headers (quoted,
or under a project folder or namespace) and resolves to no file fails the check too, as
does a system-style include of a file that only the project has. Exits 1 and lists every
problem; 0 when the graph is clean.

    scripts/check_layers.py [REPOSITORY]
    scripts/check_layers.py --self-test   shows on a small tree of its own that each kind of
                                          fault fails the check and a clean tree passes
"""
import os
import re
import sys
import tempfile

# Each library's public include folder: <repo>/<folder>/include.
PUBLIC_INCLUDE_DIRS = ["platform/include", "data/include", "control/include", "widget/include"]
# The include folders the build gives besides those, everywhere: the shared test support's
# and the repository root, which stands for the layer roots of cmake/layers.cmake (a target
# reaches <control/...> or <tests/fakes/...> only through one of those).
INCLUDE_ROOTS = PUBLIC_INCLUDE_DIRS + ["testing/include", ""]
# Include folders of single targets, by the folder of the including file.
TARGET_INCLUDE_DIRS = {"tests/platform": ["platform/tools"], "bench/tests": ["bench"],
                       "tests/windows": ["tests/control"]}
# The Windows SDK's headers that the Windows build includes, whose names comrt's own
# headers mirror (comrt/olectl.h stands in for <olectl.h> on Linux).
WINDOWS_HEADERS = {"windows.h", "ole2.h", "olectl.h", "oleauto.h", "objbase.h", "oaidl.h",
                   "ocidl.h", "unknwn.h", "wtypes.h", "winerror.h"}
# Namespaces of the public include folders: an include under one of these is the project's.
PROJECT_NAMESPACES = {"comrt", "tessel", "orvane", "testing"}
# Files the build generates (Qt's moc), which no checkout holds.
GENERATED = re.compile(r"(^|/)([^/]+\.moc|moc_[^/]+\.cpp|ui_[^/]+\.h)$")

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
    # Fuzz targets: the platform's public headers, and, as a layer's unit tests do, the
    # objects they drive directly: Tessel's classes, the control on the recording doubles
    # of tests/fakes, the host's property bag file.
    "fuzz": ["public:platform", "data", "control", "widget", "tests/fakes", "testing"],
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


class Unresolved(Exception):
    """An include that names the project's headers but reaches no file the build would."""


def resolve(root, including, quote, name, all_files):
    """The repository file an include names, or None for a system header."""
    candidates = []
    if quote == '"':
        candidates.append(os.path.normpath(os.path.join(os.path.dirname(including), name)))
    folder = os.path.dirname(including)
    for prefix, dirs in TARGET_INCLUDE_DIRS.items():
        if folder == prefix or folder.startswith(prefix + "/"):
            candidates += [os.path.join(d, name) for d in dirs]
    candidates += [os.path.join(d, name) for d in INCLUDE_ROOTS]
    for c in candidates:
        if os.path.isfile(os.path.join(root, c)):
            return os.path.normpath(c)
    if GENERATED.search(name):
        return None
    first = name.split("/")[0]
    top_level = {f.split(os.sep)[0] for f in all_files}
    if quote == '"' or first in PROJECT_NAMESPACES or first in top_level:
        raise Unresolved("names no file of the repository that its include folders reach")
    # A system header, unless only the project has a file of that name: then the include
    # works only through a folder that this check does not know.
    suffix = os.sep + os.path.normpath(name)
    if name not in WINDOWS_HEADERS and any(f.endswith(suffix) for f in all_files):
        raise Unresolved("reaches a project file through an include folder that the check does not know")
    return None


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
        if "/" in rule and included.startswith(rule + "/"):  # one folder of a layer
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
                try:
                    target = resolve(root, path, match.group(1), match.group(2), all_files)
                except Unresolved as reason:
                    problems.append(f"{path}:{number}: includes {match.group(2)}, which {reason}")
                    continue
                if target and not allowed(path, target):
                    problems.append(f"{path}:{number}: includes {target} "
                                    f"({layer_of(path)} -> {layer_of(target)} is not an allowed arrow)")
    for folder in unknown:
        problems.append(f"{folder}/: a top-level folder with sources that no rule covers")
    return problems


def self_test():
    """Each fault the check guards against, on a small tree of its own, must fail it; the
    clean tree must pass."""
    faults = {
        # a private header of the control from the examples
        "forbidden arrow": ("examples/demo/main.cpp", "#include <control/editor_hook.h>\n",
                            "examples -> control"),
        # the fuzz targets reach the doubles, not every test folder
        "fuzz beyond its arrows": ("fuzz/control_fuzz.cpp", "#include <tests/control/fixture.h>\n",
                                   "fuzz -> tests"),
        # a project include that names no file
        "unresolved project include": ("examples/demo/main.cpp", "#include <orvane/missing.h>\n",
                                       "names no file"),
        "unresolved quoted include": ("control/editor_hook.h", '#include "missing.h"\n', "names no file"),
        # a project file reached through an include folder that the check does not know
        "unknown include folder": ("examples/demo/main.cpp", "#include <editor_hook.h>\n",
                                   "does not know"),
    }
    clean_files = {
        "control/include/orvane/orvane.h": "#pragma once\n",
        "control/editor_hook.h": "#pragma once\n#include <orvane/orvane.h>\n#include <vector>\n",
        "tests/control/fixture.h": "#pragma once\n",
        "tests/fakes/fake_grid.h": "#pragma once\n#include <control/editor_hook.h>\n",
        "fuzz/control_fuzz.cpp": "#include <control/editor_hook.h>\n#include <tests/fakes/fake_grid.h>\n",
        "examples/demo/main.cpp": "#include <orvane/orvane.h>\n#include \"main.moc\"\n",
    }

    def run(extra=None):
        with tempfile.TemporaryDirectory() as root:
            for path, text in clean_files.items():
                if extra and extra[0] == path:
                    text += extra[1]
                os.makedirs(os.path.dirname(os.path.join(root, path)), exist_ok=True)
                with open(os.path.join(root, path), "w", encoding="utf-8") as out:
                    out.write(text)
            return check(root)

    failures = []
    clean = run()
    if clean:
        failures.append(f"the clean tree fails: {clean}")
    for name, (path, line, expected) in faults.items():
        problems = run((path, line))
        if len(problems) != 1 or expected not in problems[0]:
            failures.append(f"{name}: expected one problem with '{expected}', got {problems}")
        else:
            print(f"check_layers self-test: {name} fails the check: {problems[0]}")
    for failure in failures:
        print("check_layers self-test: FAILED:", failure)
    return 1 if failures else 0


def main():
    if sys.argv[1:] == ["--self-test"]:
        return self_test()
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), ".."))
    problems = check(root)
    for p in problems:
        print(p)
    if problems:
        print(f"check_layers: {len(problems)} problem(s)")
        return 1
    print("check_layers: the include graph follows the layers")
    return 0


if __name__ == "__main__":
    sys.exit(main())

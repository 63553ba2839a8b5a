#!/usr/bin/env bash
# Checks what each shared library of a build exports (nm -D --defined-only):
#   the platform  exactly the C functions that platform/comrt_exports.map lists, no C++
#                 symbol;
#   every server  exactly DllGetClassObject, DllCanUnloadNow, DllRegisterServer,
#                 DllUnregisterServer.
#   scripts/check_exports.sh PLATFORM_LIBRARY SERVER_LIBRARY...
#   scripts/check_exports.sh --self-test PLATFORM_LIBRARY
#                 shows that a missing library and a server with other exports fail it
# Every library named must exist: a build that lost one fails. Exits 1 and says what
# differs; 0 when every library exports exactly its list.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

exported() { nm -D --defined-only --format=just-symbols "$1" | grep -v '^__' | sort; }

status=0
compare() {  # library, expected symbols (sorted, one a line)
    local actual
    if [ ! -f "$1" ]; then
        echo "check_exports: $1 is missing"
        status=1
        return
    fi
    actual=$(exported "$1")
    if [ "$actual" != "$2" ]; then
        echo "check_exports: $(basename "$1") exports other symbols than it should:"
        diff <(echo "$2") <(echo "$actual") | sed -n 's/^[<>]/  &/p' || true
        status=1
    else
        echo "check_exports: $(basename "$1"): $(echo "$actual" | wc -l) symbols, as listed"
    fi
}

# The names between "global:" and "local:" of the export map, comments dropped.
platform=$(sed -e 's|/\*.*\*/||g' "$root/platform/comrt_exports.map" | sed -n '/global:/,/local:/p' |
           grep -v 'global:\|local:' | tr ';' '\n' | tr -d ' \t' | grep -v '^$' | sort)
servers=$(printf '%s\n' DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer | sort)

check() {  # platform library, server libraries...
    compare "$1" "$platform"
    shift
    for server in "$@"; do
        compare "$server" "$servers"
    done
}

if [ "${1:-}" = "--self-test" ]; then
    library=${2:?usage: check_exports.sh --self-test PLATFORM_LIBRARY}
    failures=0
    expect_failure() {  # what, arguments of check...
        local what=$1 output
        shift
        if output=$("$0" "$@"); then
            echo "check_exports self-test: FAILED: $what passed: $output"
            failures=$((failures + 1))
        else
            echo "check_exports self-test: $what fails the check"
        fi
    }
    expect_failure "a missing server library" "$library" "$(dirname "$library")/no-such-server.so"
    expect_failure "a missing platform library" "$(dirname "$library")/no-such-platform.so"
    expect_failure "a server that exports more than the four entry points" "$library" "$library"
    if ! "$0" "$library" >/dev/null; then
        echo "check_exports self-test: FAILED: the platform library alone did not pass"
        failures=$((failures + 1))
    fi
    exit $((failures > 0))
fi

[ $# -ge 1 ] || { echo "usage: check_exports.sh PLATFORM_LIBRARY SERVER_LIBRARY..." >&2; exit 2; }
check "$@"
exit $status

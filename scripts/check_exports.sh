#!/usr/bin/env bash
# Checks what each shared library of a build exports (nm -D --defined-only):
#   the platform  exactly the C functions that platform/comrt_exports.map lists, no C++
#                 symbol;
#   every server  exactly DllGetClassObject, DllCanUnloadNow, DllRegisterServer,
#                 DllUnregisterServer; and no thread-local storage (readelf -l): a
#                 library loaded at run time allocates it on a thread's first use, and
#                 a failure there ends the process instead of returning E_OUTOFMEMORY.
#   scripts/check_exports.sh PLATFORM_LIBRARY SERVER_LIBRARY...
#   scripts/check_exports.sh --self-test PLATFORM_LIBRARY
#                 shows that a missing library, a server with other exports and a
#                 library with thread-local storage fail it
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

without_thread_storage() {  # library
    if [ -f "$1" ] && readelf -lW "$1" | grep -q '^ *TLS '; then
        echo "check_exports: $(basename "$1") has thread-local storage"
        status=1
    fi
}

check() {  # platform library, server libraries...
    compare "$1" "$platform"
    shift
    for server in "$@"; do
        compare "$server" "$servers"
        without_thread_storage "$server"
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
    status=0
    without_thread_storage "$library" >/dev/null  # the platform library has some, allowed there
    if [ $status -eq 0 ]; then
        echo "check_exports self-test: FAILED: thread-local storage went unseen"
        failures=$((failures + 1))
    else
        echo "check_exports self-test: a library with thread-local storage fails the check"
    fi
    if ! "$0" "$library" >/dev/null; then
        echo "check_exports self-test: FAILED: the platform library alone did not pass"
        failures=$((failures + 1))
    fi
    exit $((failures > 0))
fi

[ $# -ge 1 ] || { echo "usage: check_exports.sh PLATFORM_LIBRARY SERVER_LIBRARY..." >&2; exit 2; }
check "$@"
exit $status

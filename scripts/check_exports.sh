#!/usr/bin/env bash
# Checks what each shared library of a build exports (nm -D --defined-only):
#   libcomrt.so   exactly the C functions that platform/comrt_exports.map lists, no C++
#                 symbol;
#   every server  exactly DllGetClassObject, DllCanUnloadNow, DllRegisterServer,
#                 DllUnregisterServer.
#   scripts/check_exports.sh LIBRARY_DIR
# Exits 1 and says what differs; 0 when every library exports exactly its list.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
libs=${1:?usage: check_exports.sh LIBRARY_DIR}
status=0

exported() { nm -D --defined-only --format=just-symbols "$1" | grep -v '^__' | sort; }

compare() {  # library, expected symbols (sorted, one a line)
    local actual
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
compare "$libs/libcomrt.so" "$platform"
servers=$(printf '%s\n' DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer | sort)
for server in libtessel.so liborvane.so; do
    [ -e "$libs/$server" ] && compare "$libs/$server" "$servers"
done
exit $status

#!/usr/bin/env bash
# Registers and unregisters server DLLs with the system's regsvr32 under Wine, and checks
# that unregistration removes exactly what registration wrote, and that neither touches a
# key another program owns: the machine's and the user's Software\Classes are exported
# before registering, after registering and after unregistering, and compared
# (registry_changes.py).
#
#   wine_registration.sh WINE register   STATE_DIR FOREIGN_KEY DLL...
#   wine_registration.sh WINE unregister STATE_DIR FOREIGN_KEY DLL...
#
# FOREIGN_KEY is a key under HKEY_CLASSES_ROOT that belongs to the system, written with
# "/" between its parts (Interface/{...}): registering creates it first, with a value of
# its own, and it must come out of registration and unregistration exactly as it was.
# DLLs are Linux paths, registered in the order given and unregistered in the reverse one;
# WINEPREFIX and WINEDEBUG come from the environment.
set -euo pipefail
[ $# -ge 5 ] || { echo "usage: $0 WINE register|unregister STATE_DIR FOREIGN_KEY DLL..." >&2; exit 2; }
wine=$1 action=$2 state=$3 foreign="HKCR\\${4//\//\\}"
shift 4
dlls=("$@")
mkdir -p "$state"

windows_path() { echo "Z:${1//\//\\}"; }

# export NAME: both hives' Software\Classes as UTF-8 text in STATE/NAME.txt (a hive
# without the key exports as nothing).
export_classes() {
  local out="$state/$1.txt"
  : >"$out"
  for hive in HKLM HKCU; do
    local file="$state/$1-$hive.reg"
    rm -f "$file"
    if "$wine" reg export "$hive\\Software\\Classes" "$(windows_path "$file")" /y >/dev/null 2>&1; then
      iconv -f UTF-16LE -t UTF-8 "$file" | tr -d '\r' >>"$out"
    fi
  done
}

# regsvr32 [/u] on every DLL; the first failure stops the test.
each_dll() {
  local dll
  for dll in "$@"; do
    "$wine" regsvr32 "${flags[@]}" "$(windows_path "$(realpath "$dll")")" ||
      { echo "regsvr32 ${flags[*]} $dll failed" >&2; exit 1; }
  done
}

case "$action" in
register)
  # The script host registers its own type libraries the first time it runs: let it do
  # so now, so that the exports differ by what regsvr32 does only.
  echo 'WScript.Quit 0' >"$state/warm-up.vbs"
  "$wine" cscript //nologo "$(windows_path "$state/warm-up.vbs")"
  # The system's key, as its owner would have written it, with a marker of our own.
  "$wine" reg add "$foreign" /ve /d "owned by the system" /f >/dev/null
  "$wine" reg add "$foreign" /v Marker /d "must survive registration" /f >/dev/null
  "$wine" reg add "$foreign\\TypeLib" /ve /d "{00020430-0000-0000-C000-000000000046}" /f >/dev/null
  "$wine" reg add "$foreign\\TypeLib" /v Version /d "2.0" /f >/dev/null
  export_classes before
  flags=(/s)
  each_dll "${dlls[@]}"
  export_classes registered
  echo "registered ${dlls[*]}"
  ;;
unregister)
  flags=(/u /s)
  reversed=()
  for ((i = ${#dlls[@]} - 1; i >= 0; i--)); do reversed+=("${dlls[i]}"); done
  each_dll "${reversed[@]}"
  export_classes after
  python3 "$(dirname "$0")/registry_changes.py" "$state/before.txt" "$state/registered.txt" "$state/after.txt" \
    --untouched "${foreign#HKCR\\}"
  echo "unregistered ${dlls[*]}"
  ;;
*)
  echo "usage: $0 WINE register|unregister STATE_DIR FOREIGN_KEY DLL..." >&2
  exit 2
  ;;
esac

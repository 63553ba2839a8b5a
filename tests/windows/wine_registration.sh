#!/usr/bin/env bash
# Registers and unregisters server DLLs with the system's regsvr32 under Wine, and checks
# that unregistration removes exactly what registration wrote and that neither changes what
# was there: the machine's and the user's Software\Classes are exported before
# registering, after registering and after unregistering, and compared (registry_changes.py).
#
#   wine_registration.sh WINE register|unregister STATE_DIR FOREIGN_KEY DLL...
#
# FOREIGN_KEY, a key under HKEY_CLASSES_ROOT with "/" between its parts, is the system's:
# registering creates it first, with a marker value. DLLs are Linux paths; WINEPREFIX and
# WINEDEBUG come from the environment.
set -euo pipefail
wine=$1 action=$2 state=$3 foreign="HKCR\\${4//\//\\}"
shift 4
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

case "$action" in
register)
  # The script host registers its own type libraries the first time it runs: let it do
  # so now, so that the exports differ by what regsvr32 does only.
  echo 'WScript.Quit 0' >"$state/warm-up.vbs"
  "$wine" cscript //nologo "$(windows_path "$state/warm-up.vbs")"
  "$wine" reg add "$foreign" /ve /d "the system's" /f >/dev/null
  "$wine" reg add "$foreign" /v Marker /d "must survive registration" /f >/dev/null
  export_classes before
  for dll in "$@"; do "$wine" regsvr32 /s "$(windows_path "$(realpath "$dll")")"; done
  export_classes registered
  echo "registered $*"
  ;;
unregister)
  for dll in "$@"; do "$wine" regsvr32 /u /s "$(windows_path "$(realpath "$dll")")"; done
  export_classes after
  python3 "$(dirname "$0")/registry_changes.py" "$state/before.txt" "$state/registered.txt" "$state/after.txt"
  echo "unregistered $*"
  ;;
*)
  echo "usage: $0 WINE register|unregister STATE_DIR FOREIGN_KEY DLL..." >&2
  exit 2
  ;;
esac

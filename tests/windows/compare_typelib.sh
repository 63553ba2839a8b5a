#!/usr/bin/env bash
# typelib-dump of the Linux library and of the type library the system loads from the
# Windows DLL must print the same text (after the first line, which names the file).
#
#   compare_typelib.sh LINUX_TYPELIB_DUMP LINUX_LIBRARY WINE WINDOWS_TYPELIB_DUMP WINDOWS_DLL
set -euo pipefail
linux_dump=$1 linux_library=$2 wine=$3 windows_dump=$4 dll=$5
windows_path() { echo "Z:${1//\//\\}"; }

expected=$("$linux_dump" "$linux_library" | tail -n +2)
actual=$("$wine" "$windows_dump" "$(windows_path "$(realpath "$dll")")" | tr -d '\r' | tail -n +2)
if [ "$expected" != "$actual" ]; then
  echo "the type libraries differ (Linux first, then what the system loads from $dll):" >&2
  diff -u <(echo "$expected") <(echo "$actual") >&2 || true
  exit 1
fi
echo "the type library the system loads from $dll matches the Linux library's:"
echo "$actual" | grep -E "^(library|    (interface|coclass))"

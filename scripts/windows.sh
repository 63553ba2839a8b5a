#!/usr/bin/env bash
# The Windows build of the data library and the control, and their tests under Wine:
#   scripts/windows.sh           installs what is missing, builds the Linux tools the Windows
#                                build needs (build-windows-host/), cross-builds tessel.dll,
#                                orvane.dll and the tests with mingw-w64 (build-windows/), then,
#                                in a temporary Wine prefix on an Xvfb display of its own: the
#                                data library's unit tests, the widget contract against the
#                                Windows toolkit, regsvr32 of both DLLs, the VBScript suite
#                                under cscript, the control in the system's ATL host window
#                                driven through real input, the control in the Linux tests'
#                                recording container (the host window's sequence and the
#                                property-bag host's, logged), the early-bound client, the type
#                                library against the Linux one, the Invoke benchmark once in
#                                short mode, regsvr32 /u (the registry must be as before, and
#                                the system's own key of an interface that comrt's type library
#                                declares must survive both), and the differential table
#                                against the Linux one
#   scripts/windows.sh --bench   the same, then the Invoke benchmark and the hosted control's
#                                benchmark (tests/windows/hosted_bench.cpp) in full
#   --host-build DIR             takes the Linux tools from the Linux build in DIR (CI passes
#                                scripts/test.sh's build/, which holds them already) instead
#                                of building build-windows-host/
# Warnings are errors when CI is set. Exits non-zero on any failure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bench=0
host=""
while [ $# -gt 0 ]; do
  case "$1" in
  --bench) bench=1 ;;
  --host-build)
    [ $# -ge 2 ] || { echo "$0: --host-build needs a folder" >&2; exit 2; }
    host=$(cd "$2" && pwd)
    shift
    ;;
  *)
    echo "usage: $0 [--bench] [--host-build DIR]" >&2
    exit 2
    ;;
  esac
  shift
done

# The Linux build's packages, and the cross compiler (posix threads), widl and Wine.
"$root/scripts/setup.sh" wine64 g++-mingw-w64-x86-64-posix mingw-w64-tools

werror=OFF
[ -n "${CI:-}" ] && werror=ON
jobs=$(($(nproc) < 2 ? $(nproc) : 2))

# The Linux tools: the type libraries' IDL (comrt-idl, tessel-idl, orvane-idl), typelib-dump and
# libtessel.so for the comparison, and the differential table's comrt side.
if [ -z "$host" ]; then
  host="$root/build-windows-host"
  cmake -S "$root" -B "$host" -G Ninja -DPG_WITH_QT=OFF -DPG_WERROR=$werror >/dev/null
fi
cmake --build "$host" -j "$jobs" --target comrt-idl tessel-idl orvane-idl typelib-dump tessel differential_table

# The cross build, optimized as the Linux one but without debug information, which no
# debugger reads under Wine and which makes every compile and static link slower.
cross="$root/build-windows"
cmake -S "$root" -B "$cross" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DPG_HOST_TOOLS="$host/bin" -DPG_WERROR=$werror >/dev/null
cmake --build "$cross" -j "$jobs"

# A Wine prefix of its own, removed at the end. The C locale is US English to Wine, so that
# text conversions read and write numbers and dates as comrt does; no Mono or Gecko.
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
prefix=$(mktemp -d "${TMPDIR:-/tmp}/pg-wine.XXXXXX")
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
# Wine's windows need a display: an X server of its own (Xvfb, on the first free display
# number), for every Wine process below; the control's tests give it real input there.
Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp 9>"$prefix.display" 2>/dev/null &
xvfb=$!
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$prefix" "$prefix.display"
}
trap cleanup EXIT
for _ in $(seq 100); do [ -s "$prefix.display" ] && break; sleep 0.1; done
[ -s "$prefix.display" ] || { echo "windows: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(cat "$prefix.display")"
echo "windows: a new Wine prefix in $prefix, display $DISPLAY"
"$wine" wineboot --init >/dev/null 2>&1
# The prefix is made: its server and processes end before the tests start theirs.
"$wineserver" -w

# The GoogleTest programs write their reports of cases into the Unix folder through Wine's
# drive Z:, for scripts/count_tests.py.
rm -rf "$cross/test-reports"
mkdir -p "$cross/test-reports"
# The widget contract and the hosted control make windows, on the display above.
(cd "$cross" && GTEST_OUTPUT="json:Z:$(echo "$cross/test-reports/" | tr / '\\')" \
  ctest --output-on-failure --no-tests=error -j "$jobs")
python3 "$root/scripts/count_tests.py" "$cross/test-reports" "tests under Wine"

echo "== the differential table: comrt (Linux) against oleaut32 (Wine)"
"$host/bin/differential_table" >"$cross/table-linux.txt"
# Its late-bound calls go through the system's dispatch over tessel.dll's registered type
# library.
tessel_dll="Z:$(echo "$cross/bin/tessel.dll" | tr / '\\')"
"$wine" regsvr32 /s "$tessel_dll"
"$wine" "$cross/bin/differential_table.exe" | tr -d '\r' >"$cross/table-windows.txt"
"$wine" regsvr32 /u /s "$tessel_dll"
python3 "$root/tests/windows/compare_table.py" "$cross/table-linux.txt" "$cross/table-windows.txt"

if [ $bench -eq 1 ]; then
  orvane_dll="Z:$(echo "$cross/bin/orvane.dll" | tr / '\\')"
  "$wine" regsvr32 /s "$tessel_dll"
  "$wine" regsvr32 /s "$orvane_dll"
  "$wine" "$cross/bin/invoke_bench.exe" | tr -d '\r'
  "$wine" "$cross/bin/hosted_bench.exe" | tr -d '\r'
  "$wine" regsvr32 /u /s "$orvane_dll"
  "$wine" regsvr32 /u /s "$tessel_dll"
fi
echo "windows: all Windows tests passed"

#!/usr/bin/env bash
# Builds the Debian package (cpack -G DEB) from a build folder and checks it without
# installing it into the system:
#   - its files: the libraries with their SONAME links, the tools and the demo, the public
#     headers, the CMake package and the pkg-config files, all under /usr;
#   - its control data: every library that a program or library of the package needs comes
#     from a package named in Depends (or from the package itself); no maintainer script
#     does more than refresh the loader's cache, so installing it registers nothing;
#   - unpacked (dpkg -x) into a temporary folder, its orvane-demo runs from there on the
#     package's own libraries and renders its window (--screenshot); no program or library
#     holds the build folder's path.
#
#   scripts/package.sh [BUILD_DIR]      (default build/, built first when it is not)
# The package is left in BUILD_DIR (orvane_<version>_<arch>.deb).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build}")
"$root/scripts/setup.sh" dpkg-dev file

fail() {
  echo "package: $*" >&2
  exit 1
}

if [ -f "$build/CMakeCache.txt" ]; then
  cmake --build "$build" >/dev/null
else
  "$root/scripts/build.sh" "$build"
fi
cd "$build"
rm -f orvane_*.deb
cpack -G DEB >cpack.log 2>&1 || { cat cpack.log; fail "cpack failed"; }
deb=$(ls orvane_*.deb)
echo "package: built $build/$deb"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# ---- files ---------------------------------------------------------------------------------
dpkg-deb --contents "$deb" | awk '{ print $6 }' | sed 's|^\./|/|' >"$work/files"
outside=$(grep -v '^/usr/' "$work/files" | grep -v '^/$' || true)
[ -z "$outside" ] || fail "files outside /usr: $outside"
for file in /usr/bin/orvane-demo /usr/bin/regsvr /usr/bin/typelib-dump \
  /usr/lib/libcomrt.so.1 /usr/lib/libtessel.so.1 /usr/lib/liborvane.so.1 \
  /usr/lib/libcomrt_support.a /usr/lib/liborvane_widget.a \
  /usr/include/comrt/com.h /usr/include/tessel/tessel.h /usr/include/orvane/orvane.h \
  /usr/include/orvane/properties_widget.h \
  /usr/lib/cmake/Orvane/OrvaneConfig.cmake /usr/lib/cmake/Orvane/OrvaneConfigVersion.cmake \
  /usr/lib/cmake/Orvane/OrvaneTargets.cmake \
  /usr/lib/pkgconfig/comrt.pc /usr/lib/pkgconfig/tessel.pc /usr/lib/pkgconfig/orvane.pc \
  /usr/lib/pkgconfig/orvane-widgets.pc; do
  grep -qx "$file" "$work/files" || fail "$deb lacks $file"
done
# Headers come from the libraries' public folders only.
while read -r header; do
  relative=${header#/usr/include/}
  [ -f "$root/platform/include/$relative" ] || [ -f "$root/data/include/$relative" ] ||
    [ -f "$root/control/include/$relative" ] || [ -f "$root/widget/include/$relative" ] ||
    fail "$header is no public header"
done < <(grep '^/usr/include/.*\.h$' "$work/files")

# ---- control data --------------------------------------------------------------------------
dpkg-deb --control "$deb" "$work/control"
for script in preinst postinst prerm postrm; do
  [ -e "$work/control/$script" ] || continue
  # The shell's boilerplate and ldconfig only.
  # shellcheck disable=SC2016  # $1 is the script's, matched literally
  extra=$(grep -v -E '^(#!/bin/sh|set -e|if \[ "\$1" = "(configure|remove)" \]; then|[[:space:]]*ldconfig|fi|)$' \
    "$work/control/$script" || true)
  [ -z "$extra" ] || fail "$script does more than run ldconfig: $extra"
done
[ ! -e "$work/control/triggers" ] || ! grep -qv ldconfig "$work/control/triggers" ||
  fail "the package declares triggers besides ldconfig"
depends=$(dpkg-deb --field "$deb" Depends)
echo "package: Depends: $depends"
depended=$(echo "$depends" | tr ',|' '\n' | sed 's/(.*//; s/[[:space:]]//g')

# The package that owns a library file: dpkg knows each file by one of its names, with or
# without /usr in front, through a link or not.
owner_of() {
  local path
  for path in "$1" "$(realpath "$1")" "/usr${1#/usr}" "${1#/usr}"; do
    dpkg -S "$path" 2>/dev/null | sed -n '1s/:.*//p' && return 0
  done
  return 1
}

dpkg-deb -x "$deb" "$work/root"
elves=$(find "$work/root" -type f -exec sh -c 'head -c 4 "$1" | grep -q "ELF" && echo "$1"' _ {} \;)
[ -n "$elves" ] || fail "no program or library in the package"
for elf in $elves; do
  for needed in $(readelf -d "$elf" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
    [ -e "$work/root/usr/lib/$needed" ] && continue  # the package's own
    resolved=$(ldconfig -p | awk -v name="$needed" '$1 == name && /x86-64/ && !found { print $NF; found = 1 }')
    [ -n "$resolved" ] || fail "${elf#"$work/root"} needs $needed, which this system does not have"
    owner=$(owner_of "$resolved") || fail "no package owns $resolved (needed by ${elf#"$work/root"})"
    grep -qxF "$owner" <<<"$depended" ||
      fail "${elf#"$work/root"} needs $needed from $owner, which Depends does not name"
  done
  ! strings "$elf" | grep -qF "$build" || fail "${elf#"$work/root"} holds the build folder's path"
done

# ---- the demo, unpacked ----------------------------------------------------------------------
demo=$work/root/usr/bin/orvane-demo
resolved=$(ldd "$demo" | awk '$1 == "libcomrt.so.1" { print $3 }')
[ "$(realpath "$resolved")" = "$(realpath "$work/root/usr/lib/libcomrt.so.1")" ] ||
  fail "the unpacked demo would load libcomrt.so.1 from '$resolved'"
env -u COMRT_REGISTRY -u LD_LIBRARY_PATH QT_QPA_PLATFORM=offscreen "$demo" --screenshot "$work/demo.png" \
  >"$work/demo.log" 2>&1 || { cat "$work/demo.log"; fail "the unpacked demo failed"; }
[ -s "$work/demo.png" ] || fail "the unpacked demo wrote no screenshot"
echo "package: $deb checked: files, dependencies, scripts; the unpacked demo runs"

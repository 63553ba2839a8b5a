#!/usr/bin/env bash
# Installs a build into a fresh prefix and uses it from outside the tree, as a developer of
# a host application would (run by CTest as installed_package_test):
#   1. the prefix holds the public headers a host needs only (those for writing servers are
#      the separate component server_development), and they compile from there alone;
#   2. find_package(Orvane CONFIG): builds grid_consumer (this folder) and runs it offscreen
#      with $COMRT_REGISTRY naming a file that does not exist;
#   3. pkg-config: builds com_host from the .pc files alone and runs it;
#   4. the installed programs run from the prefix: orvane-demo --screenshot (no registry
#      either), typelib-dump.
#
#   check_installed.sh BUILD_DIR WORK_DIR CXX [FLAGS]
# WORK_DIR is emptied first; FLAGS go to every compile and link (the sanitizers of the
# build, when it has them). Exits non-zero at the first failure.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1 work=$2 cxx=$3 flags=${4:-}
prefix=$work/prefix
fail() {
  echo "check_installed: $*" >&2
  exit 1
}

rm -rf "$work"
mkdir -p "$work"
echo "== cmake --install into $prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.log"

echo "== public headers only"
# Each installed header is a header of one of the libraries' public folders.
public=("$here/../../platform/include" "$here/../../data/include" "$here/../../control/include" "$here/../../widget/include")
headers=$(cd "$prefix/include" && find . -type f | sed 's|^\./||' | sort)
[ -n "$headers" ] || fail "no header was installed"
for header in $headers; do
  found=no
  for folder in "${public[@]}"; do [ -f "$folder/$header" ] && found=yes; done
  [ $found = yes ] || fail "include/$header is not a public header"
done

# What writes objects and servers is a component of its own, not installed by default.
for header in comrt/implements.h comrt/server.h comrt/registry.h comrt/json_document.h comrt/typedesc.h; do
  [ ! -e "$prefix/include/$header" ] || fail "include/$header is for writing servers, not for hosts"
done
cmake --install "$build" --prefix "$work/server-development" --component server_development >/dev/null
[ -f "$work/server-development/include/comrt/server.h" ] || fail "the server_development component lacks comrt/server.h"

pc_dir=$(dirname "$(find "$prefix" -name tessel.pc)")
export PKG_CONFIG_PATH=$pc_dir
for header in $headers; do echo "#include <$header>"; done >"$work/all_headers.cpp"
# FLAGS and pkg-config's output are lists of words.
# shellcheck disable=SC2046,SC2086
"$cxx" -std=c++20 -fPIC -fsyntax-only $flags $(pkg-config --cflags orvane-widgets) "$work/all_headers.cpp" ||
  fail "the installed headers do not compile from the prefix"

echo "== find_package(Orvane CONFIG): grid_consumer"
cmake -S "$here" -B "$work/consumer" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_CXX_COMPILER="$cxx" \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >"$work/consumer-configure.log" ||
  { cat "$work/consumer-configure.log"; fail "the consumer does not configure"; }
cmake --build "$work/consumer" >"$work/consumer-build.log" ||
  { cat "$work/consumer-build.log"; fail "the consumer does not build"; }
export QT_QPA_PLATFORM=offscreen
# Neither the grid nor the groups need a registry: none exists where this one points.
no_registry=$work/no-such-folder/registry.json
COMRT_REGISTRY=$no_registry "$work/consumer/grid_consumer" || fail "grid_consumer failed"
[ ! -e "$no_registry" ] || fail "grid_consumer wrote a registry"

echo "== pkg-config: com_host"
libdir=$(pkg-config --variable=libdir tessel)
# shellcheck disable=SC2046,SC2086
"$cxx" -std=c++20 $flags "$here/com_host.cpp" -o "$work/com_host" $(pkg-config --cflags --libs tessel) \
  -Wl,-rpath,"$libdir" || fail "com_host does not build from the pkg-config files"
COMRT_REGISTRY=$work/com-host-registry.json "$work/com_host" "$(pkg-config --variable=server tessel)" ||
  fail "com_host failed"

echo "== the installed programs"
# The demo takes the libraries of its own tree, with no registry.
COMRT_REGISTRY=$no_registry "$prefix/bin/orvane-demo" --screenshot "$work/demo.png" || fail "orvane-demo failed"
[ -s "$work/demo.png" ] || fail "orvane-demo wrote no screenshot"
"$prefix/bin/typelib-dump" "$(pkg-config --variable=server orvane)" >"$work/typelib.txt" || fail "typelib-dump failed"
grep -q "PropertiesCtl" "$work/typelib.txt" || fail "typelib-dump does not show PropertiesCtl"
echo "check_installed: the installed package works"

#!/usr/bin/env bash
# Installs what is missing, builds the benchmarks in Release and runs every one of them;
# each prints its table and then its figures next to their baselines from the same run.
#   scripts/bench.sh                 3 repetitions each (medians and spread), in build-bench/
#   scripts/bench.sh --short         a few iterations at small sizes, to keep the suite
#                                    building and running (CI); its figures mean nothing.
#                                    It reuses the test build (build/) as it is configured.
#   scripts/bench.sh [--short] ARGS  ARGS go to every benchmark (e.g. --benchmark_filter=Show)
# The build folder is $PG_BENCH_BUILD_DIR when set; the output is also kept in its
# bench-output.txt. Exits non-zero when a benchmark fails to build or to run, reports an
# error (a failed check of what it measured) or leaves a comparison without its figures;
# a full run also when a target is missed. Short runs decide no target.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
short=0
if [ "${1:-}" = "--short" ]; then
  short=1
  shift
fi
if [ $short -eq 1 ]; then
  build_dir="${PG_BENCH_BUILD_DIR:-$root/build}"
  build_type=()
else
  build_dir="${PG_BENCH_BUILD_DIR:-$root/build-bench}"
  build_type=(-DCMAKE_BUILD_TYPE=Release)
fi

"$root/scripts/setup.sh"
werror=OFF
[ -n "${CI:-}" ] && werror=ON
cmake -S "$root" -B "$build_dir" -G Ninja -DPG_WERROR=$werror ${build_type[@]+"${build_type[@]}"} >/dev/null
cmake --build "$build_dir" --target collection_bench data_bench hook_bench qt_bench

export QT_QPA_PLATFORM=offscreen
# collection_bench prints its own ratios from single runs; the others take --short and
# summarise repetitions themselves.
if [ $short -eq 1 ]; then
  ours=(--short)
  theirs=(--benchmark_min_time=0.01)
else
  ours=(--benchmark_repetitions=3 --benchmark_display_aggregates_only=true)
  theirs=()
fi

output="$build_dir/bench-output.txt"
: >"$output"
{
  echo "== $(date -u '+%Y-%m-%d %H:%M UTC') on $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
  echo "== collection_bench"
  "$build_dir/bin/collection_bench" ${theirs[@]+"${theirs[@]}"} "$@"
  for bench in data_bench hook_bench qt_bench; do
    echo
    echo "== $bench"
    "$build_dir/bin/$bench" "${ours[@]}" "$@"
  done
} 2>&1 | tee "$output"

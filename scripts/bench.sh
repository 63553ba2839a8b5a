#!/usr/bin/env bash
# Installs what is missing, builds the benchmarks in Release and runs every one of them;
# each prints its table and then its figures next to their baselines from the same run.
#   scripts/bench.sh                 5 repetitions each (medians and spread), in build-bench/;
#                                    gathers the figures into bench/results.json and
#                                    regenerates the tables of bench/RESULTS.md from it
#                                    (scripts/bench_table.py); not when ARGS are given
#   scripts/bench.sh --short         a few iterations at small sizes, to keep the suite
#                                    building and running (CI); its figures mean nothing.
#                                    It reuses the test build (build/) as it is configured.
#   scripts/bench.sh [--short] ARGS  ARGS go to every benchmark (e.g. --benchmark_filter=Show)
# The build folder is $PG_BENCH_BUILD_DIR when set; the output is also kept in its
# bench-output.txt, and every program's figures as JSON beside it: <program>.json (Google
# Benchmark's own) and <program>-ratios.json (the comparisons and verdicts). Exits non-zero when a benchmark fails to build or to run, reports an
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
cmake --build "$build_dir" --target collection_bench data_bench hook_bench qt_bench path_bench user_bench

export QT_QPA_PLATFORM=offscreen
# Every program takes --short and summarises repetitions itself.
if [ $short -eq 1 ]; then
  mode=(--mode short --repetitions 1)
  ours=(--short)
else
  mode=(--mode full --repetitions 5)
  ours=(--benchmark_repetitions=5 --benchmark_display_aggregates_only=true)
fi

json_out() { echo "--benchmark_out=$build_dir/$1.json" --benchmark_out_format=json; }
programs=(collection_bench data_bench hook_bench qt_bench path_bench user_bench)
output="$build_dir/bench-output.txt"
: >"$output"
started=$(date -u '+%Y-%m-%d %H:%M UTC')
load_start=$(cut -d' ' -f1-3 /proc/loadavg)
rm -f "$build_dir"/*_bench.json "$build_dir"/*_bench-ratios.json
# Every program runs, and the results are gathered, even when one fails; the exit status
# says so at the end.
failed=()
echo "== $started on $(nproc) cores, load average $load_start" | tee -a "$output"
for bench in "${programs[@]}"; do
  echo | tee -a "$output"
  echo "== $bench" | tee -a "$output"
  "$build_dir/bin/$bench" "${ours[@]}" $(json_out "$bench") "--ratios_out=$build_dir/$bench-ratios.json" "$@" 2>&1 |
    tee -a "$output" || failed+=("$bench")
done
load_end=$(cut -d' ' -f1-3 /proc/loadavg)

# One file for the run: the machine, and every program's comparisons (scripts/bench_table.py).
results="$build_dir/results.json"
python3 "$root/scripts/bench_table.py" gather --out "$results" --build-dir "$build_dir" "${mode[@]}" \
  --date "$started" --load-start "$load_start" --load-end "$load_end" \
  --nproc "$(nproc)" --qt-version "$(pkg-config --modversion Qt6Core 2>/dev/null || echo unknown)" \
  --compiler "$("$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' "$build_dir/CMakeCache.txt")" --version | head -n 1)" \
  --programs "${programs[@]}"
if [ $short -eq 0 ] && [ $# -eq 0 ]; then
  cp "$results" "$root/bench/results.json"
  python3 "$root/scripts/bench_table.py" table "$root/bench/results.json" "$root/bench/RESULTS.md"
  echo "bench/results.json and the tables of bench/RESULTS.md written"
fi
if [ ${#failed[@]} -gt 0 ]; then
  echo "bench: FAILED: ${failed[*]}" >&2
  exit 1
fi

#!/usr/bin/env bash
# Installs what is missing, builds the fuzz targets (fuzz/, clang with libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer, in build-asan/, the sanitizer suite's
# tree: scripts/sanitizer_tree.sh) and runs them, as many at a time as there are cores,
# each from its committed seed corpus (fuzz/corpus/<target>/) with its dictionary
# (fuzz/dict/<target>.dict) when there is one.
#   scripts/fuzz.sh                   each target for 30 minutes ($PG_FUZZ_SECONDS seconds)
#   scripts/fuzz.sh --ci              each target for 60 seconds: what CI runs
#   scripts/fuzz.sh [--ci] TARGET...  only those targets
# Inputs found on the way go to build-asan/corpus/<target>/ (kept between runs, never
# committed); a crash, a sanitizer report, a leak, a broken invariant or a hang (10 s per
# input) stops the target, leaves its input in build-asan/artifacts/<target>/ and fails
# the run. Each target's last lines (executions, coverage) are kept in
# build-asan/fuzz-<target>.log. The build folder is $PG_FUZZ_BUILD_DIR when set.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${PG_FUZZ_SECONDS:-1800}
if [ "${1:-}" = "--ci" ]; then
  seconds=60
  shift
fi
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(dispatch_fuzz control_fuzz variant_fuzz safearray_fuzz registry_fuzz bag_file_fuzz)

"$root/scripts/setup.sh"
# The sanitizer suite's tree (scripts/test.sh --sanitize), built here only as far as the
# targets need.
source "$root/scripts/sanitizer_tree.sh"
build_dir="${PG_FUZZ_BUILD_DIR:-$sanitizer_build_dir}"
werror=OFF
[ -n "${CI:-}" ] && werror=ON
cmake -S "$root" -B "$build_dir" -G Ninja -DPG_WERROR=$werror -DPG_BUILD_TESTS=ON "${sanitizer_cmake_args[@]}" >/dev/null
cmake --build "$build_dir" --target "${targets[@]}"

export QT_QPA_PLATFORM=offscreen
# The sanitizers' shared runtime comes first in every target (see CMakeLists.txt).
asan_runtime=$(clang++ -print-file-name=libclang_rt.asan-x86_64.so)
# Leaks are findings; so is any report of the sanitizers.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# One target from its corpus; its output goes to its log, and its exit status decides.
run_target() {
  local target=$1
  local corpus="$build_dir/corpus/$target" artifacts="$build_dir/artifacts/$target"
  mkdir -p "$corpus" "$artifacts"
  local options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 -max_len=8192 -print_final_stats=1
                 -artifact_prefix="$artifacts/")
  local dict="$root/fuzz/dict/$target.dict"
  [ -f "$dict" ] && options+=(-dict="$dict")
  # The first folder takes the new inputs; the seeds stay as committed.
  local status=0
  LD_PRELOAD="$asan_runtime" "$build_dir/bin/$target" "${options[@]}" "$corpus" "$root/fuzz/corpus/$target" \
    >"$build_dir/fuzz-$target.log" 2>&1 || status=$?
  echo "$status" >"$build_dir/fuzz-$target.status"
}
# As many targets at a time as there are cores, each on one; then each target's result,
# in the order named.
slots=$(nproc)
for target in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$slots" ]; do wait -n || true; done
  echo "== $target: ${seconds} s =="
  rm -f "$build_dir/fuzz-$target.status"
  run_target "$target" &
done
wait
failed=()
for target in "${targets[@]}"; do
  log="$build_dir/fuzz-$target.log"
  echo "== $target"
  if [ "$(cat "$build_dir/fuzz-$target.status" 2>/dev/null)" = 0 ]; then
    grep -E "^(#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units|stat::peak_rss_mb)" "$log" || true
  else
    tail -n 60 "$log"
    echo "fuzz: $target found a fault; its input is in $build_dir/artifacts/$target/" >&2
    failed+=("$target")
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: findings in ${failed[*]}" >&2
  exit 1
fi
echo "fuzz: no findings"

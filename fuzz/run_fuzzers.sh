#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for the given number of seconds (default
# 60). New inputs go to a working corpus in the build directory; fuzz/corpus is only read.
# A finding ends the script with status 1; the input is left in <build>/artifacts and should
# be added to fuzz/corpus/<target> once fixed, so that the replay test keeps it fixed.
#   fuzz/run_fuzzers.sh [seconds]
#   ZELKOV_FUZZ_BUILD=<dir> (default build-fuzz), ZELKOV_FUZZ_JOBS=<targets at once> (default 1)
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZELKOV_FUZZ_BUILD:-$root/build-fuzz}
jobs=${ZELKOV_FUZZ_JOBS:-1}
targets=(fuzz_fortran fuzz_c fuzz_run)

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DZELKOV_FUZZ=ON -DZELKOV_TESTS=OFF >/dev/null
cmake --build "$build" --target "${targets[@]}" -j2
mkdir -p "$build/artifacts" "$build/fuzz-logs"

run_one() {
    local t=$1 extra=()
    mkdir -p "$build/corpus/$t"
    [[ -f "$root/fuzz/$t.dict" ]] && extra+=(-dict="$root/fuzz/$t.dict")
    # A whole run needs inputs of some size (long lines, many statements) from the start.
    [[ $t == fuzz_run ]] && extra+=(-max_len=4096 -len_control=0)
    "$build/fuzz/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -close_fd_mask=3 -print_final_stats=1 "${extra[@]}" \
        -artifact_prefix="$build/artifacts/$t-" "$build/corpus/$t" "$root/fuzz/corpus/$t" \
        >"$build/fuzz-logs/$t.log" 2>&1
}

declare -A pid_of
for t in "${targets[@]}"; do
    while (( $(jobs -rp | wc -l) >= jobs )); do wait -n || true; done
    run_one "$t" &
    pid_of[$t]=$!
done

failed=0
for t in "${targets[@]}"; do
    if wait "${pid_of[$t]}"; then
        echo "$t: $(grep -h '^Done' "$build/fuzz-logs/$t.log" || echo 'no summary')"
    else
        echo "$t: FINDING, see $build/fuzz-logs/$t.log and $build/artifacts/"
        grep -h -m3 -E 'ERROR|invariant|SUMMARY' "$build/fuzz-logs/$t.log" || true
        failed=1
    fi
done
exit $failed

#!/usr/bin/env bash
# Runs every test program of ${BUILD_DIR:-build} once more, each twice over in one process in shuffled order
# (--gtest_repeat=2 --gtest_shuffle): a test that leans on what the tests before it left behind fails here.
# The programs run side by side; the output of a failing one is shown.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
export QT_QPA_PLATFORM=offscreen
mapfile -t programs < <(ctest --test-dir "$build_dir" -N -V | sed -n 's/^.*Test command: \([^ ]*\).*$/\1/p' | sort -u)
if [ "${#programs[@]}" -eq 0 ]; then
    echo "repeat-tests: no test programs found in $build_dir" >&2
    exit 1
fi
log_dir=$(mktemp -d)
trap 'rm -rf "$log_dir"' EXIT
run_one() {
    local program=$1 log_dir=$2
    local log="$log_dir/$(basename "$program").log"
    if (cd "$(dirname "$program")" && "$program" --gtest_repeat=2 --gtest_shuffle) >"$log" 2>&1; then
        echo "repeat-tests: passed $(basename "$program")"
    else
        echo "repeat-tests: FAILED $(basename "$program")"
        grep -E '^\[  FAILED  \]|Failure|Note: Randomizing' "$log" | head -40 || true
        tail -n 20 "$log"
        return 1
    fi
}
export -f run_one
printf '%s\n' "${programs[@]}" | xargs -P "$(nproc)" -I{} bash -c 'run_one "$@"' _ {} "$log_dir"

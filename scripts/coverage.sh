#!/usr/bin/env bash
# Builds with coverage counters into ${BUILD_DIR:-build-coverage}, runs the tests, and prints line and
# branch coverage per folder of the program (tests and benchmarks left out). `--folder engine` also lists
# that folder's files with the branches no test takes. Test targets named after the options (for example
# `engine_test`) build and run only those; without any, everything is built and every test runs. JOBS
# (default 4) caps the parallel compiles and tests; CMAKE_ARGS is passed to the configure. Not part of CI:
# a coverage build is slow.
#   scripts/coverage.sh --folder engine engine_test
set -euo pipefail
cd "$(dirname "$0")/.."
folder=""
if [ "${1:-}" = "--folder" ]; then
    folder=${2:?"--folder takes a folder, e.g. engine"}
    shift 2
fi
targets=("$@")
jobs=${JOBS:-4}
bash scripts/install-deps.sh
if ! command -v gcovr >/dev/null 2>&1; then
    sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends gcovr
fi
build_dir=${BUILD_DIR:-build-coverage}
# shellcheck disable=SC2086 # CMAKE_ARGS is a list of options
cmake -S . -B "$build_dir" -DPLOM_COVERAGE=ON -DCMAKE_BUILD_TYPE=Debug ${CMAKE_ARGS:-} >/dev/null
find "$build_dir" -name '*.gcda' -delete
if [ ${#targets[@]} -eq 0 ]; then
    cmake --build "$build_dir" -j"$jobs"
    QT_QPA_PLATFORM=offscreen ctest --test-dir "$build_dir" -j"$jobs" >"$build_dir/ctest.log" 2>&1 ||
        echo "Some tests failed (see $build_dir/ctest.log); coverage is of what ran."
else
    cmake --build "$build_dir" -j"$jobs" --target "${targets[@]}"
    : >"$build_dir/ctest.log"
    for target in "${targets[@]}"; do
        exe=$(find "$build_dir/tests" -type f -name "$target" -perm -u+x | head -n 1)
        if [ -z "$exe" ]; then echo "No test program $target in $build_dir/tests"; exit 1; fi
        QT_QPA_PLATFORM=offscreen "$exe" >>"$build_dir/ctest.log" 2>&1 ||
            echo "Some tests of $target failed (see $build_dir/ctest.log); coverage is of what ran."
    done
fi
summary="$build_dir/coverage.json"
gcovr -r . "$build_dir" --exclude 'tests/' --exclude 'bench/' --exclude "$build_dir/" \
      --exclude-throw-branches --json-summary "$summary" -j"$jobs" >/dev/null
python3 - "$summary" "$folder" <<'PY'
import json, sys
data = json.load(open(sys.argv[1]))
folder = sys.argv[2]
def top(name):
    parts = name.split('/')
    return '/'.join(parts[:2]) if parts[0] in ('fw', 'app', 'windows', 'orders', 'setup') and len(parts) > 2 else parts[0]
sums = {}
for f in data['files']:
    s = sums.setdefault(top(f['filename']), [0, 0, 0, 0])
    s[0] += f['line_covered']; s[1] += f['line_total']; s[2] += f['branch_covered']; s[3] += f['branch_total']
pct = lambda a, b: 100.0 * a / b if b else 100.0
print(f"{'folder':<18}{'lines':>16}{'':>9}{'branches':>16}")
total = [0, 0, 0, 0]
for name in sorted(sums):
    s = sums[name]
    total = [t + v for t, v in zip(total, s)]
    print(f"{name:<18}{s[0]:>8}/{s[1]:<7}{pct(s[0], s[1]):>6.1f} %{s[2]:>8}/{s[3]:<7}{pct(s[2], s[3]):>6.1f} %")
print(f"{'all':<18}{total[0]:>8}/{total[1]:<7}{pct(total[0], total[1]):>6.1f} %{total[2]:>8}/{total[3]:<7}{pct(total[2], total[3]):>6.1f} %")
if folder:
    print()
    for f in sorted(data['files'], key=lambda f: f['filename']):
        if f['filename'].startswith(folder + '/'):
            print(f"{f['filename']:<44}{pct(f['line_covered'], f['line_total']):>6.1f} % lines"
                  f"{pct(f['branch_covered'], f['branch_total']):>7.1f} % branches")
PY
if [ -n "$folder" ]; then
    # Every line of the folder with a branch no test takes: file:line taken/total.
    detail="$build_dir/coverage-$(echo "$folder" | tr / _).json"
    gcovr -r . "$build_dir" --filter "$folder/" --exclude-throw-branches --json "$detail" -j"$jobs" >/dev/null
    python3 - "$detail" <<'PY'
import json, sys
print("\nBranches no test takes:")
for f in sorted(json.load(open(sys.argv[1]))['files'], key=lambda f: f['file']):
    for line in f['lines']:
        branches = line.get('branches', [])
        taken = sum(1 for b in branches if b['count'] > 0)
        if branches and taken < len(branches):
            print(f"{f['file']}:{line['line_number']} {taken}/{len(branches)}")
PY
fi

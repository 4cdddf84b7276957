#!/usr/bin/env bash
# Installs what is missing, builds the program and its stager (no tests, no benchmarks), stages a program
# folder as the setup would install it, and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh plom plom-stage
build_dir=${BUILD_DIR:-build}
stage=${PLOM_STAGE:-stage}
# The program folder as the setup leaves it: the program, "Link.DB" with the installation record, "QK.INI",
# "PLOM.INI", global/ and lokal/ with their tables, and the own company. What is there already is kept.
# A new folder also gets the sample workshop (PLOM_SAMPLE=0: the empty registers, as the setup leaves them).
sample=()
if [ ! -e "$stage/Link.DB" ] && [ "${PLOM_SAMPLE:-1}" != 0 ]; then
    sample=(--sample)
fi
mkdir -p "$stage"
cp "$build_dir/program/plom" "$stage/plom"
"$build_dir/program/plom-stage" "${sample[@]}" -- "$stage"
if [ -z "${QT_QPA_PLATFORM:-}" ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    if command -v xvfb-run >/dev/null 2>&1; then
        echo "No display: starting '$stage/plom' on a virtual X server (xvfb-run)."
        exec xvfb-run -a "$stage/plom"
    fi
    echo "No display: starting '$stage/plom' on Qt's offscreen platform (nothing is shown; Ctrl+C ends it)."
    export QT_QPA_PLATFORM=offscreen
fi
exec "$stage/plom"

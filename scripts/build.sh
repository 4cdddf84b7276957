#!/usr/bin/env bash
# Configures and builds into ${BUILD_DIR:-build}: the targets given, or everything without any;
# PLOM_SANITIZE=ON gives the sanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -DPLOM_SANITIZE="${PLOM_SANITIZE:-OFF}" >/dev/null
if [ $# -gt 0 ]; then
    cmake --build "$build_dir" -j"$(nproc)" --target "$@"
else
    cmake --build "$build_dir" -j"$(nproc)"
fi

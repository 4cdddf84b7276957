#!/usr/bin/env bash
# Configures and builds into ${BUILD_DIR:-build}; PLOM_SANITIZE=ON gives the sanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -DPLOM_SANITIZE="${PLOM_SANITIZE:-OFF}" >/dev/null
cmake --build "$build_dir" -j"$(nproc)"

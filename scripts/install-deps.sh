#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need (only those that are missing).
set -euo pipefail
packages=(build-essential cmake pkg-config git qt6-base-dev libzip-dev zlib1g-dev libgtest-dev
          libgmock-dev libbenchmark-dev libsqlite3-dev fonts-liberation libcurl4-openssl-dev
          poppler-utils)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"

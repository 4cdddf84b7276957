#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need (only those that are missing), and the
# comma-decimal locale (de_DE.UTF-8) the number-format tests switch to.
set -euo pipefail
packages=(build-essential cmake pkg-config git qt6-base-dev libzip-dev zlib1g-dev libgtest-dev
          libgmock-dev libbenchmark-dev libsqlite3-dev fonts-liberation libcurl4-openssl-dev locales clang-format
          poppler-utils desktop-file-utils pxlib-dev ccache)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
if [ ${#missing[@]} -ne 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
    $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi

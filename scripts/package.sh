#!/usr/bin/env bash
# Builds the Debian package build/pesix_<version>_<arch>.deb from the source tree, installing
# under /usr. Runs in the usual build folder, reusing what is built there; a clean clone needs
# nothing more than setup.sh. With --no-build the programs must be built already and only the
# package is made (the test command does so; the folder is PESIX_BUILD_DIR, or build).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${PESIX_BUILD_DIR:-build}
if [ "${1:-}" != --no-build ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" --target pesix pesix-scale-sim
fi
rm -f "$build"/pesix_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/pesix_*.deb

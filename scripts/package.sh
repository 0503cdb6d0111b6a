#!/usr/bin/env bash
# Builds the Debian package build/pesix_<version>_<arch>.deb from the source tree, installing
# under /usr. Runs in the usual build folder; a clean clone needs nothing more than setup.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build build --target pesix pesix-scale-sim
rm -f build/pesix_*.deb
(cd build && cpack -G DEB >/dev/null)
ls build/pesix_*.deb

#!/usr/bin/env bash
# Sets up, builds and runs every test on the offscreen platform. Fails when a test fails or
# when no test ran.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen
cd build
ctest --output-on-failure --no-tests=error -j2 --timeout 300

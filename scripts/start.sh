#!/usr/bin/env bash
# Sets up, builds and starts Pesix; arguments go to the program (--database, --settings, /TEST).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
exec build/pesix "$@"

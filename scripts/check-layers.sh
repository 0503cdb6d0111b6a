#!/usr/bin/env bash
# Fails when a library includes a header of a layer above it. Layers, from the bottom: app; db;
# scale, export and masters (each on app and db only); ticket (on app, db and scale: the
# configuration window has the scale's tab); notes on top. main.cpp, tools, bench and tests may
# include anything.
set -euo pipefail
cd "$(dirname "$0")/.."
declare -A permitidas=(
    [app]="app"
    [db]="app db"
    [scale]="app db scale"
    [ticket]="app db scale ticket"
    [export]="app db export"
    [masters]="app db masters"
    [notes]="app db scale ticket export masters notes"
)
mal=0
for lib in "${!permitidas[@]}"; do
    [ -d "src/$lib" ] || continue
    while IFS=: read -r archivo linea texto; do
        destino=$(sed -E 's/.*#include "([a-z]+)\/.*/\1/' <<<"$texto")
        if [[ " ${permitidas[$lib]} " != *" $destino "* ]]; then
            echo "layer: $archivo:$linea: $lib may not include $destino/ ($texto)"
            mal=1
        fi
    done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]+"[a-z]+/' "src/$lib" || true)
done
exit $mal

#!/usr/bin/env bash
# Fails when a library includes a header of a layer above it, or when its CMake link list names a
# library of ours it does not include (a link nobody needs hides a dependency). Layers, from the
# bottom: app; db; scale (on app only); notedata, what a delivery note is (on app and db);
# masters (on app and db); export (on app, db and notedata); ticket (on app, db, scale and
# notedata: the configuration window has the scale's tab); notes on top. main.cpp, tools,
# bench and tests may include anything.
set -euo pipefail
cd "$(dirname "$0")/.."
declare -A permitidas=(
    [app]="app"
    [db]="app db"
    [scale]="app scale"
    [notedata]="app db notedata"
    [ticket]="app db scale notedata ticket"
    [export]="app db notedata export"
    [masters]="app db masters"
    [notes]="app db scale notedata ticket export masters notes"
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
for lib in "${!permitidas[@]}"; do
    lista="src/$lib/CMakeLists.txt"
    [ -f "$lista" ] || continue
    enlazadas=$(tr '\n' ' ' <"$lista" | grep -oE 'target_link_libraries\([^)]*\)' | grep -oE 'pesix_[a-z]+' |
        sed 's/^pesix_//' | grep -vx "$lib" || true)
    for destino in $enlazadas; do
        if [[ " ${permitidas[$lib]} " != *" $destino "* ]]; then
            echo "layer: $lista: $lib may not link pesix_$destino"
            mal=1
        elif ! grep -rqE "^[[:space:]]*#[[:space:]]*include[[:space:]]+\"$destino/" "src/$lib"; then
            echo "layer: $lista: $lib links pesix_$destino but includes nothing of $destino/"
            mal=1
        fi
    done
done
exit $mal

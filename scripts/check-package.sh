#!/usr/bin/env bash
# Checks the Debian package without installing it: its contents, lintian, the desktop entry,
# the AppStream metadata, the manual pages against the programs' own options, the systemd
# examples, and the extracted program running from its own prefix. With --make it first makes
# the package from the programs already built (package.sh --no-build), as the test command does.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${PESIX_BUILD_DIR:-build}
[ "${1:-}" != --make ] || bash scripts/package.sh --no-build >/dev/null
deb=$(ls "$build"/pesix_*.deb)
falla() { echo "check-package: $*" >&2; exit 1; }

contenido=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/pesix ./usr/bin/pesix-scale-sim \
    ./usr/share/pesix/templates/ejemplo-80mm.dti ./usr/share/pesix/templates/README.md \
    ./usr/share/applications/pesix.desktop \
    ./usr/share/metainfo/example.kelsoftware.pesix.metainfo.xml \
    ./usr/share/icons/hicolor/scalable/apps/pesix.svg \
    ./usr/share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/pesix.png \
    ./usr/share/man/man1/pesix.1.gz ./usr/share/man/man1/pesix-scale-sim.1.gz \
    ./usr/share/doc/pesix/copyright ./usr/share/doc/pesix/changelog.gz \
    ./usr/share/doc/pesix/CHANGELOG.md.gz \
    ./usr/share/doc/pesix/examples/pesix-export.service \
    ./usr/share/doc/pesix/examples/pesix-export.timer; do
    grep -qxF "$f" <<<"$contenido" || falla "the package lacks $f"
done
dpkg-deb -f "$deb" Depends | grep -q libqt6core6 || falla "no library dependencies"

# Errors never, and no warning either: the informational notes are told in the README.
avisos=$(lintian --tag-display-limit 0 "$deb" 2>&1 | grep -E '^[EW]:' || true)
[ -z "$avisos" ] || falla "lintian: $avisos"

raiz=$(mktemp -d)
trap 'rm -rf "$raiz"' EXIT
# A prefix somewhere else than /usr: the program must find its data beside itself.
dpkg-deb -x "$deb" "$raiz/extraido"
prefijo="$raiz/extraido/usr"
desktop-file-validate "$prefijo/share/applications/pesix.desktop"
metainfo="$prefijo/share/metainfo/example.kelsoftware.pesix.metainfo.xml"
appstreamcli validate --no-net --pedantic "$metainfo" >/dev/null \
    || appstreamcli validate --no-net "$metainfo"

export HOME="$raiz/home" QT_QPA_PLATFORM=offscreen
version=$(sed -n 's/^project(pesix VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
salida=$("$prefijo/bin/pesix" --version)
grep -qxF "pesix $version" <<<"$salida" || falla "--version printed: $salida"
plantillas=$(sed -n 's/^templates: //p' <<<"$salida")
[ "$plantillas" = "$(realpath "$prefijo/share/pesix/templates")" ] \
    || falla "templates read from $plantillas, not from the extracted prefix"
[ -f "$plantillas/ejemplo-80mm.dti" ] || falla "no template in $plantillas"

# The pages render without a warning, and name every option the programs' usage names and every
# order the simulator takes.
pagina() {
    local avisos
    avisos=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l -E UTF-8 "$1" 2>&1 >/dev/null || true)
    [ -z "$avisos" ] || falla "man $1: $avisos"
    LC_ALL=C.UTF-8 MANWIDTH=80 man -l -E UTF-8 "$1" 2>/dev/null
}
nombra() { # page text, then the words it must hold
    local texto=$1 w
    shift
    for w in "$@"; do
        grep -qwF -- "$w" <<<"$texto" || falla "the manual page does not name $w"
    done
}
usos=$("$prefijo/bin/pesix" --help 2>&1 || true)
grep -q 'exit status' <<<"$usos" || falla "pesix --help printed no usage: $usos"
texto=$(pagina "$prefijo/share/man/man1/pesix.1.gz")
nombra "$texto" $(grep -oE -- '--[a-z][a-z-]*' <<<"$usos" | sort -u) /TEST
ayuda=$("$prefijo/bin/pesix-scale-sim" --help)
texto=$(pagina "$prefijo/share/man/man1/pesix-scale-sim.1.gz")
nombra "$texto" \
    $(grep -oE -- '^ +(-h, )?--[a-z-]+' <<<"$ayuda" | grep -oE -- '--[a-z-]+') \
    $(grep -A1 'one order per line' <<<"$ayuda" | grep -oE '"[a-z]+' | tr -d '"' | sort -u)

ejemplos="$prefijo/share/doc/pesix/examples"
unidades=$(systemd-analyze verify --man=no "$ejemplos/pesix-export.service" \
    "$ejemplos/pesix-export.timer" 2>&1) \
    || falla "systemd-analyze verify refused the units: $unidades"
[ -z "$unidades" ] || falla "systemd-analyze verify: $unidades"
echo "check-package: $deb passes"

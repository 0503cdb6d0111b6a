#!/usr/bin/env bash
# Checks the Debian package without installing it: its contents, lintian, the desktop entry,
# the AppStream metadata, the manual pages, the systemd examples, and the extracted program
# running from its own prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
deb=$(ls build/pesix_*.deb)
falla() { echo "check-package: $*" >&2; exit 1; }

contenido=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/pesix ./usr/bin/pesix-scale-sim \
    ./usr/share/pesix/templates/ejemplo-80mm.dti ./usr/share/pesix/templates/README.md \
    ./usr/share/applications/pesix.desktop ./usr/share/metainfo/pesix.metainfo.xml \
    ./usr/share/icons/hicolor/scalable/apps/pesix.svg \
    ./usr/share/icons/hicolor/48x48/apps/pesix.png \
    ./usr/share/icons/hicolor/256x256/apps/pesix.png \
    ./usr/share/man/man1/pesix.1 ./usr/share/man/man1/pesix-scale-sim.1 \
    ./usr/share/doc/pesix/copyright \
    ./usr/share/doc/pesix/examples/pesix-export.service \
    ./usr/share/doc/pesix/examples/pesix-export.timer; do
    grep -qxF "$f" <<<"$contenido" || falla "the package lacks $f"
done
dpkg-deb -f "$deb" Depends | grep -q libqt6core6 || falla "no library dependencies"

errores=$(lintian --no-tag-display-limit "$deb" 2>&1 | grep '^E:' || true)
[ -z "$errores" ] || falla "lintian: $errores"

raiz=$(mktemp -d)
trap 'rm -rf "$raiz"' EXIT
# A prefix somewhere else than /usr: the program must find its data beside itself.
dpkg-deb -x "$deb" "$raiz/extraido"
prefijo="$raiz/extraido/usr"
desktop-file-validate "$prefijo/share/applications/pesix.desktop"
appstreamcli validate --no-net --pedantic "$prefijo/share/metainfo/pesix.metainfo.xml" >/dev/null \
    || appstreamcli validate --no-net "$prefijo/share/metainfo/pesix.metainfo.xml"

version=$(sed -n 's/^project(pesix VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
salida=$(HOME="$raiz/home" QT_QPA_PLATFORM=offscreen "$prefijo/bin/pesix" --version)
grep -qxF "pesix $version" <<<"$salida" || falla "--version printed: $salida"
plantillas=$(sed -n 's/^templates: //p' <<<"$salida")
[ "$plantillas" = "$(realpath "$prefijo/share/pesix/templates")" ] \
    || falla "templates read from $plantillas, not from the extracted prefix"
[ -f "$plantillas/ejemplo-80mm.dti" ] || falla "no template in $plantillas"

for m in pesix pesix-scale-sim; do
    avisos=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -l -E UTF-8 \
        "$prefijo/share/man/man1/$m.1" 2>&1 >/dev/null || true)
    [ -z "$avisos" ] || falla "man $m: $avisos"
done

systemd-analyze verify --man=no "$prefijo/share/doc/pesix/examples/pesix-export.service" \
    "$prefijo/share/doc/pesix/examples/pesix-export.timer" 2>&1 | grep -v '^$' \
    | { ! grep .; } || falla "systemd-analyze verify refused the units"
echo "check-package: $deb passes"

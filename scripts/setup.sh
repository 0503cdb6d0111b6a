#!/usr/bin/env bash
# Installs, as root on Debian 12, the packages Pesix needs to build, run and test, when missing.
set -euo pipefail
paquetes=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite qt6-serialport-dev libgl-dev
    qt6-translations-l10n
    libcups2-dev libpcre2-dev cups cups-client cups-bsd
    socat sqlite3 libsqlite3-dev clang-format fonts-dejavu-core python3 poppler-utils
    libqt6sql6-psql libpq-dev libssl-dev postgresql
    dpkg-dev file lintian desktop-file-utils appstream man-db groff-base systemd
)
faltan=()
for p in "${paquetes[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || faltan+=("$p")
done
if [ ${#faltan[@]} -gt 0 ]; then
    echo "Installing: ${faltan[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${faltan[@]}"
fi

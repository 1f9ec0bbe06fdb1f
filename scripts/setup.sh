#!/usr/bin/env bash
# Installs the Debian packages the project needs, and any named as arguments, when any is missing.
# Quick when all are there.
set -euo pipefail

packages=(
    cmake g++ ninja-build
    qt6-base-dev qt6-base-dev-tools libqt6sql6-odbc
    unixodbc-dev odbcinst libsqliteodbc postgresql odbc-postgresql
    xvfb xfonts-base x11-xkb-utils x11-utils xkb-data xdotool openbox fonts-liberation valgrind
    clang libclang-rt-14-dev
    "$@"
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "setup: installing ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"

#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, only when one is missing.
set -euo pipefail

packages=(
    build-essential cmake pkg-config ccache clang-format
    qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
    qt6-translations-l10n qt6-qpa-plugins libgl-dev
    libjpeg62-turbo-dev libxslt1-dev libxml2-dev libxlsxwriter-dev
    libhunspell-dev hunspell-ru hunspell-en-us
    xsltproc libxml2-utils python3-openpyxl
    xvfb xauth openbox wmctrl xdotool x11-utils
    fonts-wine fonts-dejavu-core
    at-spi2-core gir1.2-atspi-2.0 python3-gi dbus
    librsvg2-bin dpkg-dev desktop-file-utils appstream file mandoc
    shared-mime-info xdg-utils libfile-mimeinfo-perl
)

# `install-deps.sh fuzz` adds clang and its fuzzing runtime.
if [ "${1:-}" = fuzz ]; then
    packages+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"

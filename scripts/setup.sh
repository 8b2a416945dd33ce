#!/usr/bin/env bash
# Installs the Debian packages Pixmill needs to build, test and run.
# Idempotent: does nothing when everything is present; runs `apt-get update`
# only when something has to be installed.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev
    libjpeg62-turbo-dev libpng-dev zlib1g-dev libdeflate-dev
    libtiff-dev libgif-dev ghostscript
    libheif-dev libwebp-dev
    libexiv2-dev liblcms2-dev
    libfreetype-dev libharfbuzz-dev libfribidi-dev libfontconfig-dev
    qt6-base-dev
)
# AVIF results need libheif's AV1 encoder: built into libheif1 with libaom3
# up to Debian 12, a plugin package of its own from Debian 13 on.
if apt-cache show libheif-plugin-aomenc >/dev/null 2>&1; then
    packages+=(libheif-plugin-aomenc)
else
    packages+=(libaom3)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"

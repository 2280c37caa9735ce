#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Shutterhand needs.
# Idempotent and non-interactive; runs as root (CI) or through sudo for a normal user.
set -euo pipefail

packages=(
    # build
    build-essential cmake ninja-build pkg-config git clang-format
    # Qt 6 (Widgets, Network, Xml, Test), HTTP server, QScintilla
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-httpserver-dev qt6-websockets-dev libxkbcommon-dev libgl-dev
    libqscintilla2-qt6-dev qt6-wayland
    # pictures, cameras, transfers
    libturbojpeg0-dev libjpeg62-turbo-dev libgphoto2-dev libudev-dev libcurl4-openssl-dev
    # tests: unit test frameworks, fuzzers, peers and helpers
    libgtest-dev libgmock-dev libbenchmark-dev clang-14 libclang-rt-14-dev
    python3 python3-pyftpdlib ffmpeg libimage-exiftool-perl
    xvfb xauth fonts-dejavu-core libglib2.0-bin xdg-utils
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "install-deps: all packages present"
    exit 0
fi

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
        as_root=(sudo)
    else
        echo "install-deps: missing packages (${missing[*]}) and no sudo; run this script as root" >&2
        exit 1
    fi
fi

export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -q
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"

#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the host application need.
# Sourced by ./run and ./test; installs only what is missing.
set -euo pipefail

ZR_PACKAGES=(
    cmake ninja-build g++ pkg-config ccache
    qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6sql6-psql libgl-dev
    qt6-tools-dev
    libsqlite3-dev sqlite3 libpq-dev
    postgresql
    xvfb xauth fonts-dejavu-core
    poppler-utils   # pdftotext: the tests read back the text of the audit report's PDF
    librsvg2-bin    # rsvg-convert: the build draws zrreq's icon at the icon theme's sizes
)

# What scripts/package.sh and tests/packaging/check-packages.sh need besides: making Debian
# packages and checking them, reading the manual page, starting the program from its menu entry
# on a virtual display and taking a picture of it.
ZR_PACKAGE_TOOLS=(
    dpkg-dev fakeroot file binutils lintian appstream man-db
    x11-utils x11-apps netpbm
)

zr_install_deps() {
    local missing=()
    for pkg in "${ZR_PACKAGES[@]}" "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "ok installed"; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Configures (once) and builds into the given directory with extra CMake arguments.
zr_build() {
    local dir=$1; shift
    local root
    root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S "$root" -B "$dir" -G Ninja "$@"
    fi
    cmake --build "$dir" --parallel "$(nproc)"
}

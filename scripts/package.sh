#!/usr/bin/env bash
# Makes the Debian packages of a build (build/ unless another folder is given) into its
# packages/ folder: libzrrequirement0, libzrrequirement-dev, zrreq and zrrequirement-designer
# (cmake/ZrPackaging.cmake). It builds first only what is not built yet, never a tree of its own.
#   scripts/package.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/deps.sh"
dir=$(realpath -m "${1:-$root/build}")
zr_install_deps "${ZR_PACKAGE_TOOLS[@]}"
zr_build "$dir"
rm -rf "$dir/packages"
(cd "$dir" && cpack -G DEB -B "$dir/packages")
ls -l "$dir"/packages/*.deb

#!/usr/bin/env bash
# Installs what the build needs (Debian packages) when it is missing, then
# configures and builds the program. Run as root on a fresh machine.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"

packages=(cmake g++ make qt6-base-dev qt6-base-dev-tools libgl-dev libqt6sql6-sqlite
          xvfb xauth imagemagick fonts-liberation xdotool
          # the Windows builds (Qt for Windows is built from Debian's source
          # with the -posix compilers), Wine to test the 64-bit one, NSIS
          gcc-mingw-w64-i686 gcc-mingw-w64-x86-64 g++-mingw-w64-i686-posix
          g++-mingw-w64-x86-64-posix wine wine64 ninja-build ccache nsis zip
          # Wine's own fonts: the dialog face the window is set in on Windows
          fonts-wine
          # the installer's icon from the SVG, and listing installers in the checks
          librsvg2-bin p7zip-full
          # the package and its checks
          dpkg-dev file lintian appstream desktop-file-utils man-db)
# tools/fuzz.sh: clang with its sanitizer runtimes and libFuzzer.
packages+=(clang libclang-rt-14-dev libfuzzer-14-dev)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then sudo=sudo; else sudo=; fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
    # Paths relative to the clone, so another clone of the same sources
    # reuses the compiled objects.
    export CCACHE_BASEDIR="$here" CCACHE_NOHASHDIR=true
fi
for preset in "$@"; do
    cmake --preset "$preset" "${launcher[@]}" >/dev/null
    cmake --build --preset "$preset" -j"$(nproc)"
done

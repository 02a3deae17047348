#!/usr/bin/env bash
# Builds the Windows folders, each of which runs as it stands when copied to
# a PC: build/windows-x86_64/Velmora (64-bit) and build/windows-i686/Velmora
# (32-bit, for a 32-bit vendor library), and beside each its installer and a
# portable zip of it (Velmora-<version>-win64-setup.exe, ...-win64.zip; win32
# for the 32-bit one). Qt for Windows comes from
# tools/qt-windows.sh, built once per machine (long the first time).
#
#   tools/windows.sh [x86_64] [i686]      (both when none is named)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
archs=("$@")
[ ${#archs[@]} -gt 0 ] || archs=(x86_64 i686)

"$here/tools/setup.sh"   # the packages only

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR="$here" CCACHE_NOHASHDIR=true
fi
for arch in "${archs[@]}"; do
    qt=$("$here/tools/qt-windows.sh" "$arch" | tail -1)
    VELMORA_QT_WINDOWS="$qt" cmake --preset "windows-$arch" "${launcher[@]}" >/dev/null
    cmake --build --preset "windows-$arch" -j"$(nproc)"
    # The folder, then its installer and portable zip beside it.
    cmake --build --preset "windows-$arch" --target windows-installer >/dev/null
    echo "Windows $arch: $here/build/windows-$arch/Velmora ($(du -sh "build/windows-$arch/Velmora" | cut -f1))"
    ls -s --block-size=K "build/windows-$arch/"Velmora-*-win*
done

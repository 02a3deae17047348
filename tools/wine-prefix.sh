#!/usr/bin/env bash
# Makes the Wine prefix named by WINEPREFIX ready for Velmora's Windows
# programs. Wine sets a new prefix up in a 64-bit and a 32-bit half; the
# 32-bit half cannot run on machines without 32-bit support, and with it
# goes the copy of Wine's own fonts (Tahoma, the dialog face) into the
# prefix, leaving the programs with the host's fonts: copied here instead.
# Usage: WINEPREFIX=... wine-prefix.sh [wine64 or a runner of it]
set -euo pipefail
wine=${1:-$(command -v wine64 || echo /usr/lib/wine/wine64)}
: "${WINEPREFIX:?}"
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
"$wine" wineboot -i >/dev/null 2>&1 || true
wineserver -w
fonts="$WINEPREFIX/drive_c/windows/Fonts"
mkdir -p "$fonts"
for font in /usr/share/wine/fonts/*; do
    [ -e "$fonts/$(basename "$font")" ] || cp "$font" "$fonts/"
done

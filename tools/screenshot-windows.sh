#!/usr/bin/env bash
# Refreshes docs/window-windows.png: velmora.exe of the 64-bit Windows folder
# (tools/windows.sh builds it) under Wine, a few seconds after start, under a
# virtual X display, bound to the simulated terminal's KestCom.dll.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$here/docs/window-windows.png}
folder=${VELMORA_WINDOWS_FOLDER:-$here/build/windows-x86_64/Velmora}
[ -f "$folder/velmora.exe" ] || { echo "no $folder/velmora.exe: run tools/windows.sh first" >&2; exit 1; }
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# A prefix of its own, so that nothing of the user's Wine is touched.
export WINEPREFIX="$scratch/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
xvfb-run -a -s "-screen 0 1280x900x24" bash -c "
  bash '$here/tools/wine-prefix.sh' '$wine'
  '$wine' '$folder/velmora.exe' & pid=\$!
  for _ in \$(seq 120); do
    window=\$(xdotool search --name 'Velmora 1.0 Test Program' 2>/dev/null | head -1) && [ -n \"\$window\" ] && break
    sleep 0.5
  done
  sleep \${VELMORA_SHOT_DELAY:-4}
  eval \$(xdotool getwindowgeometry --shell \"\$window\")
  import -window root -crop \${WIDTH}x\${HEIGHT}+\${X}+\${Y} +repage '$out'
  kill \$pid
  wineserver -k 2>/dev/null || true
"
echo "wrote $out"

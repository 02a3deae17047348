#!/usr/bin/env bash
# Refreshes docs/window.png (the program a few seconds after start) and
# docs/terminal.png (the program after pressing its 4800 baud button, beside
# the terminal's window that the press started), under a virtual X display.
# QT_SCALE_FACTOR=1.5 bash tools/screenshot.sh docs/window-150.png /tmp/t.png
# shows them scaled; the captures grow with the scale.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$here/docs/window.png}
both=${2:-$here/docs/terminal.png}
bin=${VELMORA_BIN:-$here/build/bin/velmora}
scale=${QT_SCALE_FACTOR:-1}
px() { awk -v s="$scale" -v n="$1" 'BEGIN { printf "%d", int(n * s + 0.999) }'; }
# The window is 802 by 630 pixels at scale 1; the 4800 button, Command13(3)
# at 2895,420 twips (15 twips a pixel), is under 223,41.
size="$(px 802)x$(px 630)"
bothSize="$(px 1992)x$(px 800)"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -m 700 "$scratch/run"
# A terminal of its own: a fresh memory, stopped with the display.
export XDG_RUNTIME_DIR="$scratch/run" XDG_DATA_HOME="$scratch/data"
xvfb-run -a -s "-screen 0 3000x1300x24" bash -c "
  '$bin' & pid=\$!
  sleep \${VELMORA_SHOT_DELAY:-3}
  import -window root -crop $size+0+0 +repage '$out'
  xdotool mousemove $(px 223) $(px 41) click 1
  sleep \${VELMORA_SHOT_WAIT:-6}
  terminal=\$(xdotool search --name 'Velmora terminal on' | head -1)
  # No window manager: both windows open at the top left; put the terminal's beside.
  xdotool windowmove \"\$terminal\" $(px 812) 0
  sleep 1
  import -window root -crop $bothSize+0+0 +repage '$both'
  terminalPid=\$(xdotool getwindowpid \"\$terminal\")
  kill \$pid \$terminalPid
"
echo "wrote $out and $both"

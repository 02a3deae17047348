#!/usr/bin/env bash
# Refreshes docs/window.png: the program under a virtual X display,
# against the simulated terminal, a few seconds after start.
# QT_SCALE_FACTOR=1.5 bash tools/screenshot.sh docs/window-150.png shows it
# scaled; the capture grows with the scale.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$here/docs/window.png}
bin=${VELMORA_BIN:-$here/build/bin/velmora}
scale=${QT_SCALE_FACTOR:-1}
# The window is 802 by 630 pixels at scale 1.
size=$(awk -v s="$scale" 'BEGIN { printf "%dx%d", int(802 * s + 0.999), int(630 * s + 0.999) }')
xvfb-run -a -s "-screen 0 1600x1200x24" bash -c "
  '$bin' & pid=\$!
  sleep \${VELMORA_SHOT_DELAY:-3}
  import -window root -crop $size+0+0 +repage '$out'
  kill \$pid
"
echo "wrote $out"

#!/usr/bin/env bash
# Refreshes docs/window.png: the program under a virtual X display,
# against the simulated terminal, a few seconds after start.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$here/docs/window.png}
bin=${VELMORA_BIN:-$here/build/bin/velmora}
xvfb-run -a -s "-screen 0 1024x768x24" bash -c "
  '$bin' & pid=\$!
  sleep \${VELMORA_SHOT_DELAY:-3}
  import -window root -crop 802x630+0+0 +repage '$out'
  kill \$pid
"
echo "wrote $out"

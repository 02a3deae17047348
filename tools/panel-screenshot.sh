#!/usr/bin/env bash
# Refreshes docs/terminal-panel.png: the front panels over the in-process
# terminal with the demo sent (--demo), under a virtual X display.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$here/docs/terminal-panel.png}
bin=${VELMORA_PANEL_BIN:-$here/build/bin/velmora-panel-preview}
xvfb-run -a -s "-screen 0 1280x900x24" bash -c "
  '$bin' --demo & pid=\$!
  sleep \${VELMORA_SHOT_DELAY:-4}
  import -window root -crop 1180x760+0+0 +repage '$out'
  kill \$pid
"
echo "wrote $out"

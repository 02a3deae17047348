#!/usr/bin/env bash
# Sets up and builds, then starts the program against the simulated terminal.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/tools/setup.sh" default
exec "$here/build/bin/velmora"

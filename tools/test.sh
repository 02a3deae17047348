#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite twice: as shipped, and
# under AddressSanitizer and UndefinedBehaviorSanitizer. The Windows builds
# have a command of their own (tools/windows.sh, see the README).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
"$here/tools/setup.sh" default sanitize
export QT_QPA_PLATFORM=offscreen
status=0
echo "== tests, sanitizers on =="
ctest --preset sanitize || status=1
echo "== tests, as shipped =="
ctest --preset default || status=1
exit $status

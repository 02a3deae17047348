#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite: on Linux twice (under
# AddressSanitizer and UndefinedBehaviorSanitizer, then as shipped), then
# the 64-bit Windows build under Wine, with the 32-bit Windows folder
# checked statically. The first run on a machine also builds Qt for Windows
# (see the README).
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
echo "== Windows: build =="
if "$here/tools/windows.sh" x86_64 i686; then
    echo "== tests, Windows x86_64 under Wine =="
    ctest --preset windows-x86_64 || status=1
else
    echo "the Windows build failed" >&2
    status=1
fi
exit $status

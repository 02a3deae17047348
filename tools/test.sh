#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite: on Linux as shipped and
# under AddressSanitizer and UndefinedBehaviorSanitizer, then the Windows
# builds, the 64-bit one's suite under Wine (which also checks the 32-bit
# folder statically). The first run on a machine builds Qt for Windows from
# Debian's source (see the README for how long); later runs reuse it.
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
# The 32-bit folder first: the 64-bit suite checks it.
"$here/tools/windows.sh" i686 x86_64
echo "== tests, Windows (64-bit, under Wine) =="
ctest --preset windows-x86_64 || status=1
exit $status

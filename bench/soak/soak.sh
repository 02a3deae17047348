#!/bin/bash
# The soak at low priority, for as long as asked: bench/soak/soak.sh MINUTES
# [bench_soak options]. The machine is shared; the soak yields to the rest.
set -euo pipefail
minutes=${1:-20}
shift || true
here=$(cd "$(dirname "$0")/../.." && pwd)
exec nice -n 10 "${BUILD_DIR:-$here/build}/bin/bench_soak" --seconds $((minutes * 60)) \
    --kills $((minutes * 6)) "$@"

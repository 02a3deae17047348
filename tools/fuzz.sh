#!/usr/bin/env bash
# Builds a fuzz target with clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer in build/fuzz, and runs it for SECONDS (default
# 60) on one core, going on after a crash; further arguments go to
# libFuzzer.
#
#     tools/fuzz.sh [TARGET] [SECONDS] [libFuzzer options...]
#
# TARGET is restore (the default), csv, answer, request or store. New inputs
# go to build/fuzz/corpus-TARGET, seeded from the target's corpus in
# tests/data (restore: build/fuzz/corpus and tests/data/fuzz-corpus); crashes
# land in build/fuzz/findings-TARGET. Copy what is worth keeping into the
# target's corpus (minimise first with -minimize_crash=1).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
target=restore
if [[ $# -gt 0 && ! $1 =~ ^[0-9]+$ && $1 != -* ]]; then
    target=$1
    shift
fi
seconds=${1:-60}
shift || true

# Per target: seed corpus, longest input, and options of its own.
options=()
case $target in
restore) seeds=tests/data/fuzz-corpus; maxlen=1024
         options=(-dict=tests/fuzz/restore.dict) ;;
csv)     seeds=tests/data/fuzz-csv; maxlen=4096
         options=(-dict=tests/fuzz/csv.dict -close_fd_mask=2) ;; # from-csv complains on stderr
answer)  seeds=tests/data/fuzz-answer; maxlen=1024 ;;
request) seeds=tests/data/fuzz-request; maxlen=2048 ;;
store)   seeds=tests/data/fuzz-store; maxlen=65536
         options=(-dict=tests/fuzz/store.dict -close_fd_mask=2) ;; # Qt SQL warns on stderr
*) echo "fuzz.sh: no target \"$target\" (restore, csv, answer, request, store)" >&2; exit 2 ;;
esac
work=build/fuzz/corpus-$target
findings=build/fuzz/findings-$target
[[ $target == restore ]] && work=build/fuzz/corpus && findings=build/fuzz/findings

"$here/tools/setup.sh" # the packages only; it builds no preset here

cxx=$(command -v clang++-14 || command -v clang++)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build/fuzz "${launcher[@]}" \
    -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELMORA_SANITIZE=ON -DVELMORA_BENCH=OFF -DVELMORA_FUZZ=ON \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link" >/dev/null
cmake --build build/fuzz --target "fuzz_$target" -j2

mkdir -p "$work" "$findings"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export QT_QPA_PLATFORM=offscreen
exec "build/fuzz/bin/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
    -max_len="$maxlen" "${options[@]}" -artifact_prefix="$findings/" \
    -fork=1 -ignore_crashes=1 "$@" "$work" "$seeds"

#!/usr/bin/env bash
# Builds the restore fuzz target with clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer in build/fuzz, and runs it for SECONDS (default
# 60) on one core, going on after a crash; further arguments go to
# libFuzzer. New inputs go to build/fuzz/corpus, seeded from
# tests/data/fuzz-corpus; crashes land in build/fuzz/findings. Copy what is
# worth keeping into tests/data/fuzz-corpus (minimise first with
# -minimize_crash=1).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
seconds=${1:-60}
shift || true
"$here/tools/setup.sh" # the packages only; it builds no preset here

cxx=$(command -v clang++-14 || command -v clang++)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build/fuzz "${launcher[@]}" \
    -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELMORA_SANITIZE=ON -DVELMORA_BENCH=OFF -DVELMORA_FUZZ=ON \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link" >/dev/null
cmake --build build/fuzz --target fuzz_restore -j2

mkdir -p build/fuzz/corpus build/fuzz/findings
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
exec build/fuzz/bin/fuzz_restore -max_total_time="$seconds" -print_final_stats=1 \
    -max_len=1024 -dict=tests/fuzz/restore.dict -artifact_prefix=build/fuzz/findings/ \
    -fork=1 -ignore_crashes=1 "$@" build/fuzz/corpus tests/data/fuzz-corpus

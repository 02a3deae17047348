#!/usr/bin/env bash
# Starts velmora.exe from its Windows folder under Wine on the offscreen
# platform, as a user would start it, and checks through the probe plugin
# that its window came up in the no-link state, bound to the simulated
# terminal's KestCom.dll beside it, with no message box.
# Usage: start_under_wine.sh <wine-run> <Windows folder> <folder holding generic/ and platforms/>
set -euo pipefail
wine=$1 folder=$2 plugins=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$folder/velmora.exe" ] || fail "no $folder/velmora.exe"

report="$work/report"
start=$(date +%s%N)
QT_QPA_PLATFORM=offscreen QT_PLUGIN_PATH="$plugins" \
    QT_QPA_GENERIC_PLUGINS="velmoraprobe:$report" \
    "$wine" "$folder/velmora.exe" >"$work/stdout" 2>"$work/stderr" &
pid=$!
for _ in $(seq 1200); do
    [ -f "$report" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
done
[ -f "$report" ] || { cat "$work/stderr" >&2; fail "the program never reported its window"; }
echo "window up after $(( ($(date +%s%N) - start) / 1000000 )) ms (the probe waits 500 ms of it)"
cat "$report"
out=$(cat "$report")
rm -f "$report"
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || { cat "$work/stderr" >&2; fail "the program ended with status $status"; }

grep -qx "window Velmora 1.0 Test Program" <<<"$out" || fail "main window not up"
grep -qix "bound .*/$(basename "$folder")/KestCom.dll" <<<"$out" || fail "the KestCom.dll beside the program not bound"
grep -q "^messagebox" <<<"$out" && fail "a message box came up"
grep -qx "enabled Command13_0 Command13_1 Command13_2 Command13_3 Command19 Command21 Command22" \
    <<<"$out" || fail "not in the no-link state"
echo "the Windows folder starts"

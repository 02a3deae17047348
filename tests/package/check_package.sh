#!/usr/bin/env bash
# Builds the Debian package from a build folder, unpacks it into a temporary
# root and starts the installed program there through its link in bin/: it
# must bind the simulated terminal library from the root's lib/velmora and
# come up in its no-link state with no message box. Without the library the
# same run must show the binding's message box, which proves the probe sees one.
# Usage: check_package.sh <build folder> <folder holding generic/ probe plugin> [lint]
# With "lint", lintian must find no errors in the package too.
set -euo pipefail
build=$(cd "$1" && pwd)
plugins=$(cd "$2" && pwd)
lint=${3:-}
work=$(mktemp -d)
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    exit 1
}

( cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 ) \
    || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/out/velmora_1.0_*.deb)
echo "package: $(basename "$deb") (${SECONDS}s)"
root="$work/root"
dpkg-deb -x "$deb" "$root"
root=$(cd "$root" && pwd -P)
lib="$root/usr/lib/velmora"

# The layout.
[ -L "$root/usr/bin/velmora" ] || fail "/usr/bin/velmora is not a link"
[ "$(readlink -f "$root/usr/bin/velmora")" = "$lib/velmora" ] || fail "/usr/bin/velmora points elsewhere"
for f in "$lib/libKestCom.so" \
         "$root/usr/share/applications/org.velmora.Velmora.desktop" \
         "$root/usr/share/metainfo/org.velmora.Velmora.metainfo.xml" \
         "$root/usr/share/icons/hicolor/scalable/apps/org.velmora.Velmora.svg" \
         "$root/usr/share/man/man1/velmora.1.gz" \
         "$root/usr/share/doc/velmora/copyright"; do
    [ -f "$f" ] || fail "missing ${f#"$root"}"
done
for page in "$root"/usr/share/man/man1/*.1.gz; do
    if command -v lexgrog >/dev/null; then
        lexgrog "$page" >/dev/null || fail "no whatis line in $(basename "$page")"
    fi
done
for link in "$root"/usr/bin/*; do
    [ -x "$(readlink -f "$link")" ] || fail "dangling $(basename "$link")"
    [ -f "$root/usr/share/man/man1/$(basename "$link").1.gz" ] || fail "no manual page for $(basename "$link")"
done
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$root"/usr/share/applications/*.desktop || fail "desktop entry"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$root"/usr/share/metainfo/*.xml >/dev/null || fail "AppStream metadata"
fi
if [ "$lint" = lint ]; then
    # Kept: CPack calls ldconfig from postinst and postrm for any library
    # under /usr/lib, the private folder included (maintscript-calls-ldconfig).
    lintian_status=0
    lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 || lintian_status=$?
    grep -v "^running with root" "$work/lintian.log" || true
    [ "$lintian_status" -eq 0 ] || fail "lintian reports errors"
    echo "lintian done (${SECONDS}s)"
fi

# Starts the installed program; prints the probe's report and the program's
# mappings of libKestCom.so, then lets the probe close it and checks its exit.
run_installed() {
    local report="$work/report" maps status
    rm -f "$report"
    # Leaks are the unit tests' business under the sanitizers; here a
    # sanitizer build once reported 152 bytes lost inside QtCore at exit,
    # with no frame to say whose, and could not be made to do it again.
    env -u LD_LIBRARY_PATH -u LD_PRELOAD -u QT_PLUGIN_PATH \
        ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
        QT_QPA_PLATFORM=offscreen QT_PLUGIN_PATH="$plugins" \
        QT_QPA_GENERIC_PLUGINS="velmoraprobe:$report" \
        "$root/usr/bin/velmora" >"$work/stdout" 2>"$work/stderr" &
    pid=$!
    for _ in $(seq 600); do
        [ -f "$report" ] && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.05
    done
    [ -f "$report" ] || { cat "$work/stderr" >&2; fail "the program never reported its window"; }
    maps=$(grep -F libKestCom.so "/proc/$pid/maps" | awk '{print $6}' | sort -u || true)
    cat "$report"
    echo "mapped ${maps:-none}"
    rm -f "$report"
    status=0
    wait "$pid" || status=$?
    pid=
    [ "$status" -eq 0 ] || { cat "$work/stderr" >&2; fail "the program ended with status $status"; }
}

no_link="enabled Command13_0 Command13_1 Command13_2 Command13_3 Command19 Command21 Command22"

echo "== installed program =="
out=$(run_installed)
echo "$out"
grep -qx "window Velmora 1.0 Test Program" <<<"$out" || fail "main window not up"
grep -qx "mapped $lib/libKestCom.so" <<<"$out" || fail "libKestCom.so not bound from $lib"
grep -q "^messagebox" <<<"$out" && fail "a message box came up"
grep -qx "$no_link" <<<"$out" || fail "not in the no-link state"
grep -qx "timer1 stopped" <<<"$out" || fail "Timer1 runs without a link"

echo "== installed program without its library =="
mv "$lib/libKestCom.so" "$work/libKestCom.so"
out=$(run_installed)
echo "$out"
grep -qx "mapped none" <<<"$out" || fail "a libKestCom.so was bound from elsewhere"
grep -q "^messagebox " <<<"$out" || fail "the probe saw no binding message box"
echo "package check passed (${SECONDS}s)"

#!/usr/bin/env bash
# Builds Qt for Windows (MinGW-w64) from Debian's own source of the Qt the
# host has, once per Qt version, compiler and arch, into a cache outside the
# clone; later runs reuse it. Prints the prefix of each arch asked for.
#
#   tools/qt-windows.sh [x86_64] [i686]      (both when none is named)
#
# VELMORA_QT_CACHE moves the cache (default /var/cache/velmora).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cache=${VELMORA_QT_CACHE:-/var/cache/velmora}
archs=("$@")
[ ${#archs[@]} -gt 0 ] || archs=(x86_64 i686)

host_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)   # 6.4.2+dfsg-10
qt_version=${host_version%%+*}
qt_version=${qt_version%%-*}

prefix_of() {
    local compiler
    compiler=$("$1-w64-mingw32-g++-posix" -dumpversion)
    echo "$cache/qt-$qt_version-mingw-gcc$compiler-$1"
}

# Every arch already whole: nothing to fetch.
todo=()
for arch in "${archs[@]}"; do
    case $arch in x86_64|i686) ;; *) echo "qt-windows: unknown arch $arch" >&2; exit 2 ;; esac
    [ -f "$(prefix_of "$arch")/lib/cmake/Qt6/Qt6Config.cmake" ] || todo+=("$arch")
done

if [ ${#todo[@]} -gt 0 ]; then
    mkdir -p "$cache"
    src_root="$cache/src-qt6-base-$host_version"
    if [ ! -f "$src_root/.whole" ]; then
        # A deb-src entry for the host's own suites, in a file of its own.
        list=/etc/apt/sources.list.d/velmora-deb-src.sources
        if [ ! -f "$list" ]; then
            uri=$(awk '/^URIs:/ && $2 !~ /security/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
            . /etc/os-release
            printf 'Types: deb-src\nURIs: %s\nSuites: %s %s-updates\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
                "${uri:-http://deb.debian.org/debian}" "$VERSION_CODENAME" "$VERSION_CODENAME" > "$list"
        fi
        apt-get update -qq
        rm -rf "$src_root.partial"; mkdir -p "$src_root.partial"
        (cd "$src_root.partial" && apt-get source -qq "qt6-base=$host_version" >/dev/null)
        src=$(find "$src_root.partial" -maxdepth 1 -mindepth 1 -type d -name 'qt6-base-*' | head -1)
        [ -n "$src" ] || { echo "qt-windows: apt-get source gave no qt6-base folder" >&2; exit 1; }
        mv "$src" "$src_root.partial/qtbase"
        touch "$src_root.partial/.whole"
        rm -rf "$src_root"; mv "$src_root.partial" "$src_root"
    fi
    src="$src_root/qtbase"
    grep -q "set(QT_REPO_MODULE_VERSION \"$qt_version\")" "$src/.cmake.conf" ||
        { echo "qt-windows: the source is not Qt $qt_version" >&2; exit 1; }

    for arch in "${todo[@]}"; do
        prefix=$(prefix_of "$arch")
        work="$prefix.partial"
        rm -rf "$work" "$prefix.build"
        start=$(date +%s)
        echo "qt-windows: building Qt $qt_version for $arch into $prefix (long: see the README)"
        # Only what the programs and their tests use. The Debian source has no
        # Wintab header (tablets off) and, without OpenGL, the Windows plugin
        # only compiles with dynamic GL off.
        cmake -G Ninja -S "$src" -B "$prefix.build" \
            -DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchains/mingw-$arch.cmake" \
            -DQT_HOST_PATH=/usr \
            -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/cmake" \
            -DCMAKE_INSTALL_PREFIX="$work" \
            -DCMAKE_BUILD_TYPE=Release \
            -DBUILD_SHARED_LIBS=ON \
            -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
            -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF \
            -DFEATURE_opengl=OFF -DINPUT_opengl=no -DFEATURE_dynamicgl=OFF \
            -DFEATURE_printsupport=OFF -DFEATURE_xml=OFF -DFEATURE_concurrent=OFF \
            -DFEATURE_tabletevent=OFF -DFEATURE_zstd=OFF \
            -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF \
            -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF \
            -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
            -DFEATURE_system_doubleconversion=OFF \
            -DFEATURE_sql_sqlite=OFF -DFEATURE_vulkan=OFF \
            > "$cache/qt-$arch-configure.log" 2>&1 ||
            { tail -40 "$cache/qt-$arch-configure.log" >&2; exit 1; }
        cmake --build "$prefix.build" --parallel "$(nproc)" > "$cache/qt-$arch-build.log" 2>&1 ||
            { grep -B2 -A12 -m3 'error' "$cache/qt-$arch-build.log" >&2; exit 1; }
        cmake --install "$prefix.build" > /dev/null
        # Whole: only now does the cache hold it under its name.
        mv "$work" "$prefix"
        rm -rf "$prefix.build"
        echo "qt-windows: $arch took $(( $(date +%s) - start )) s"
    done
fi

for arch in "${archs[@]}"; do prefix_of "$arch"; done

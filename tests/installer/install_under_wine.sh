#!/usr/bin/env bash
# Installs, upgrades and uninstalls the 64-bit installer silently in a fresh
# Wine prefix of its own, as an IT department would, and checks that the
# files and the uninstaller's registration come and go, that the installed
# program starts bound to the installed simulated terminal, that an upgrade
# from an older version (made here, with makensis) leaves none of its files
# behind, and that a vendor's KestCom.dll and a user's file survive everything.
# Usage: install_under_wine.sh <wine64> <installer> <Windows folder> <probe folder>
# (a probe folder of - skips starting the program, for a stand-in folder).
set -euo pipefail
wine=$1 installer=$2 folder=$3 probe=$4
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "FAIL: $*" >&2; exit 1; }
ms() { echo $(( ($(date +%s%N) - $1) / 1000000 )); }
[ -f "$installer" ] || fail "no $installer (cmake --build <dir> --target windows-installer)"
wineserver=$(dirname "$wine")/wineserver
[ -x "$wineserver" ] || wineserver=wineserver

work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
trap '"$wineserver" -k 2>/dev/null || true; rm -rf "$work"' EXIT
bash "$here/../../tools/wine-prefix.sh" "$wine"
start=$(date +%s%N)
"$wine" cmd /c exit 0
"$wineserver" -w
echo "Wine alone starts and ends in $(ms "$start") ms"

dir="$WINEPREFIX/drive_c/Program Files/Velmora"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Velmora"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora'
# Each waits for every process of the prefix: the uninstaller runs on as a
# copy of itself in the temporary folder.
install() {
    local start ran
    start=$(date +%s%N)
    "$wine" "$installer" /S
    ran=$(ms "$start")
    "$wineserver" -w
    echo "installed in $ran ms ($(ms "$start") ms until Wine ended)"
}
uninstall() {
    local start
    start=$(date +%s%N)
    "$wine" "C:\\Program Files\\Velmora\\Uninstall.exe" /S
    "$wineserver" -w
    echo "uninstalled in $(ms "$start") ms until Wine ended"
}
# The folder's files, as installed; the simulated terminal's KestCom.dll only when $1 says so.
installed_whole() {
    local f
    while IFS= read -r f; do
        [ "$f" = KestCom.dll ] && [ "$1" != simulated ] && continue
        cmp -s "$folder/$f" "$dir/$f" || fail "$f not installed as it is in the folder"
    done < <(cd "$folder" && find . -type f | sed 's|^\./||')
    [ -f "$dir/Uninstall.exe" ] || fail "no Uninstall.exe"
    [ -f "$menu/Velmora (64-bit).lnk" ] && [ -f "$menu/Velmora manual (64-bit).lnk" ] ||
        fail "the Start menu entries are missing"
}
registered() {
    local values
    values=$("$wine" reg query "$key" 2>/dev/null | tr -d '\r') || fail "the uninstaller is not registered"
    for name in DisplayName DisplayVersion Publisher EstimatedSize DisplayIcon \
                UninstallString QuietUninstallString InstallLocation; do
        grep -q "^ *$name " <<<"$values" || fail "the registration lacks $name"
    done
    grep -q 'QuietUninstallString *REG_SZ *"C:\\Program Files\\Velmora\\Uninstall.exe" /S$' <<<"$values" ||
        fail "the silent uninstall is not registered as such: $values"
    grep -q 'InstallLocation *REG_SZ *C:\\Program Files\\Velmora$' <<<"$values" ||
        fail "not registered in C:\\Program Files\\Velmora"
}
# Only the files named remain of the installation: no folder, no Start menu
# entry, no registration.
only_left() {
    local left
    left=$(cd "$dir" && find . -mindepth 1 | sed 's|^\./||' | sort | tr '\n' ' ')
    [ "$left" = "$* " ] || fail "after uninstalling, the folder holds: $left (expected: $*)"
    [ ! -e "$menu" ] || fail "the Start menu folder stayed"
    ! "$wine" reg query "$key" >/dev/null 2>&1 || fail "the registration stayed"
}

# A vendor's library, told apart from the simulated one byte for byte.
vendor="$work/vendor-KestCom.dll"
head -c 4096 /dev/urandom >"$vendor"

echo "== a fresh install, an upgrade over it, the vendor's library copied in, another upgrade"
install
installed_whole simulated
registered
if [ "$probe" != - ]; then
    bash "$here/../windows/start_under_wine.sh" "$wine" "$dir" "$probe"
fi
echo capture >"$dir/my-capture.dat"
install
installed_whole simulated
cp "$vendor" "$dir/KestCom.dll"
install
cmp -s "$vendor" "$dir/KestCom.dll" || fail "the upgrade wrote over the vendor's KestCom.dll"
installed_whole vendor
uninstall
only_left KestCom.dll my-capture.dat
cmp -s "$vendor" "$dir/KestCom.dll" || fail "the uninstaller changed the vendor's KestCom.dll"

echo "== the vendor's library there before the first install"
rm "$dir/my-capture.dat"
install
cmp -s "$vendor" "$dir/KestCom.dll" || fail "the install wrote over the vendor's KestCom.dll"
installed_whole vendor
registered
install
cmp -s "$vendor" "$dir/KestCom.dll" || fail "the upgrade wrote over the vendor's KestCom.dll"
uninstall
only_left KestCom.dll
cmp -s "$vendor" "$dir/KestCom.dll" || fail "the uninstaller changed the vendor's KestCom.dll"

echo "== an older version with a file this one lacks, the vendor's library and a user's file, upgraded"
# The older one: this folder and one more file, through the same script.
cp -r "$folder" "$work/older"
echo older >"$work/older/older-only.dll"
cmake -DFOLDER="$work/older" -DOUTPUT="$work/older.nsh" -P "$here/../../packaging/windows/InstallerFiles.cmake"
makensis -V1 -DVERSION=0.9 -DARCH=win64 -DFOLDER="$work/older" -DFILES="$work/older.nsh" \
    -DOUTFILE="$work/older-setup.exe" "$here/../../packaging/windows/Velmora.nsi"
rm "$dir/KestCom.dll"
newer=$installer installer=$work/older-setup.exe
install
installer=$newer
[ -f "$dir/older-only.dll" ] || fail "the older version did not install"
echo capture >"$dir/my-capture.dat"
cp "$vendor" "$dir/KestCom.dll"
install
[ ! -e "$dir/older-only.dll" ] || fail "the older version's own file stayed after the upgrade"
cmp -s "$vendor" "$dir/KestCom.dll" || fail "the upgrade wrote over the vendor's KestCom.dll"
installed_whole vendor
"$wine" reg query "$key" /v DisplayVersion | grep -q "REG_SZ *0.9" && fail "still registered as the older version"
uninstall
only_left KestCom.dll my-capture.dat

echo "== with no vendor's library, nothing is left"
rm "$dir/KestCom.dll" "$dir/my-capture.dat"
install
uninstall
[ ! -e "$dir" ] || fail "the folder stayed: $(ls -A "$dir")"
echo "the installer installs, upgrades and uninstalls"

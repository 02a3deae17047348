#!/usr/bin/env bash
# Checks an installer without running it, for the arch this machine cannot
# start: it is a Windows program of its arch, it carries every file of the
# Windows folder byte for byte, and the portable zip beside it holds the
# same folder.
# Usage: check_installer.sh <installer> <Windows folder> <PE32|PE32+>
set -euo pipefail
installer=$1 folder=$2 format=$3
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$installer" ] || fail "no $installer (cmake --build <dir> --target windows-installer)"
[ -f "$folder/velmora.exe" ] || fail "no $folder/velmora.exe"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

kind=$(file -b "$installer")
[[ $kind == "$format executable (GUI)"* ]] || fail "$installer is not a $format program: $kind"

7z x -bd -y -o"$work/payload" "$installer" >/dev/null || fail "7z cannot read $installer"
count=0
while IFS= read -r f; do
    cmp -s "$folder/$f" "$work/payload/$f" || fail "$installer does not carry $f as it is in the folder"
    count=$((count + 1))
done < <(cd "$folder" && find . -type f | sed 's|^\./||')
[ -e "$work/payload/Uninstall.exe" ] || fail "$installer writes no Uninstall.exe"

zip=${installer%-setup.exe}.zip
name=$(basename "$folder")
7z x -bd -y -o"$work/zip" "$zip" >/dev/null || fail "no portable zip $zip"
diff -r "$folder" "$work/zip/$name" >/dev/null || fail "$zip does not hold $folder as it is"
echo "$installer: $format, $count files of the folder, $(stat -c %s "$installer") bytes; $zip: $(stat -c %s "$zip") bytes"

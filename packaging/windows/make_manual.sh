#!/usr/bin/env bash
# The manual of the Windows folder, Manual.txt: the Windows notes, then the
# manual pages as plain text without their Linux-only sections (where the
# package puts the library, its files), with Windows line ends so that
# Notepad shows it as it is.
# Usage: make_manual.sh <output> <Windows notes> <page.1>...
set -euo pipefail
output=$1 notes=$2
shift 2
{
    cat "$notes"
    for page in "$@"; do
        echo
        awk 'BEGIN { keep = 1 } /^\.SH/ { keep = ($0 !~ /^\.SH "?(THE CLOCK LINK LIBRARY|FILES|SEE ALSO)"?$/) } keep' "$page" |
            groff -t -man -Tascii -P-cbou
    done
} | sed 's/$/\r/' >"$output.new"
mv "$output.new" "$output"

#!/usr/bin/env bash
# Compiles the player's manual (assets/help: an .hhp project with its pages, written in UTF-8)
# into an HTML Help file:  build_help.sh SOURCE_DIR WORK_DIR OUTPUT_CHM
# The help viewer reads the pages, the contents and the title in the project's language code
# page (Chinese, 936), so they are compiled from GBK copies.
set -euo pipefail
source_dir=$1 work=$2 output=$3
rm -rf "$work"
mkdir -p "$work" "$(dirname "$output")"
for file in "$source_dir"/*; do
  iconv -f UTF-8 -t GBK "$file" >"$work/$(basename "$file")"
done
project=$(basename "$(ls "$source_dir"/*.hhp)")
(cd "$work" && chmcmd --no-html-scan "$project" >chmcmd.log 2>&1) || { cat "$work/chmcmd.log" >&2; exit 1; }
compiled=$(sed -n 's/^Compiled file=\(.*\)\r\{0,1\}$/\1/p' "$work/$project")
mv "$work/$compiled" "$output"

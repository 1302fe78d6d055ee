#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Wall time of a ZIP run at level 6 against Info-ZIP "zip -r -6" of the same
# tree, on two trees: a few thousand mixed files (about 200 MB) and 50,000
# tiny files. Run by hand:  bench/run/run.sh [rounds, default 3]
# Prints both times (best of the rounds) and their ratio. Work files go to
# $BENCH_DIR (default bench/out/run).
set -euo pipefail
cd "$(dirname "$0")/../.."

rounds="${1:-3}"
source bench/trees.sh
driver_session bench_zip_run run

for tree in mixed tiny; do
  src="$dir/$tree"
  [ -d "$src" ] || { mkdir -p "$src"; "make_$tree" "$src"; }
  ours="" theirs=""
  for _ in $(seq "$rounds"); do
    rm -rf "$dir/dest" "$dir/temp" "$dir/zip.zip" "$HOME/.config"
    mkdir -p "$dir/dest" "$dir/temp"
    sync
    ours+=" $("$driver" "$src" "$dir/dest" "$dir/temp" 2>/dev/null)"
    sync
    theirs+=" $(cd "$src/.." && seconds zip -r -6 -q "$dir/zip.zip" "$tree")"
  done
  unzip -tqq "$dir"/dest/*.zip
  a=$(echo "$ours" | best); b=$(echo "$theirs" | best)
  awk -v t="$tree" -v a="$a" -v b="$b" 'BEGIN { printf "%-6s run %7.3f s   zip -r -6 %7.3f s   ratio %.2f\n", t, a, b, a / b }'
done

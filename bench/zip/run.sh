#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Stores two trees with the ZIP component at level 6 and with Info-ZIP's
# "zip -r -6" on the same machine, best of three runs each, and prints the
# times and their ratio. Run by hand: bench/zip/run.sh (uses build/).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
repo="$(cd "$here/../.." && pwd)"
out="$repo/bench/out/zip"
mkdir -p "$out"

cmake --build "$repo/build" --target vaultora_platform vaultora_vb -j4 >/dev/null
c++ -std=c++20 -O2 -fPIC -I"$repo/src" "$here/zip_bench.cpp" \
    "$repo/build/libvaultora_platform.a" "$repo/build/libvaultora_vb.a" \
    $(pkg-config --cflags --libs Qt6Core Qt6Gui Qt6Widgets Qt6Network sqlite3 minizip zlib) \
    -o "$out/zip_bench"

for tree in mixed tiny; do
  if [ ! -d "$out/$tree" ]; then
    echo "writing the $tree tree ..."
    /usr/bin/python3 "$here/make_tree.py" "$tree" "$out/$tree" >/dev/null
  fi
done

best() {  # best wall time of three runs of "$@", in seconds
  local b=""
  for _ in 1 2 3; do
    local s e t
    s=$(date +%s.%N); "$@" >/dev/null; e=$(date +%s.%N)
    t=$(awk -v a="$s" -v b="$e" 'BEGIN { print b - a }')
    if [ -z "$b" ] || awk -v t="$t" -v b="$b" 'BEGIN { exit !(t < b) }'; then b=$t; fi
  done
  printf '%.3f' "$b"
}

for tree in mixed tiny; do
  cat $(find "$out/$tree" -type f) >/dev/null 2>&1 || true   # warm the page cache
  files=$(find "$out/$tree" -type f | wc -l)
  mb=$(du -sm --apparent-size "$out/$tree" | cut -f1)
  z=$(best bash -c "cd '$out' && rm -f ref.zip && zip -r -6 -q ref.zip '$tree'")
  v=$(best bash -c "rm -f '$out/ours.zip' && '$out/zip_bench' 6 '$out/ours.zip' '$out/$tree'")
  unzip -tqq "$out/ours.zip" >/dev/null
  printf '%-6s %6d files %5d MB   zip -r -6: %7.3f s (%d bytes)   component: %7.3f s (%d bytes)   ratio %.2f\n' \
    "$tree" "$files" "$mb" "$z" "$(stat -c %s "$out/ref.zip")" "$v" "$(stat -c %s "$out/ours.zip")" \
    "$(awk -v v="$v" -v z="$z" 'BEGIN { print v / z }')"
done

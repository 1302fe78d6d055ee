#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Wall time of a copy-mode run against "cp -a" of the same mixed tree (a few
# thousand files, about 200 MB), and of a synchronisation of an unchanged
# tree of 50,000 files against "rsync -a" of it. Run by hand:
#   bench/copysync/run.sh [rounds, default 3]
# Prints both times (best of the rounds) and their ratio. Work files go to
# $BENCH_DIR (default bench/out/copysync).
set -euo pipefail
cd "$(dirname "$0")/../.."

rounds="${1:-3}"
command -v rsync >/dev/null || { echo "rsync is needed (apt-get install rsync)"; exit 2; }
source bench/trees.sh
driver_session bench_copysync copysync
report() { awk -v t="$1" -v p="$2" -v a="$3" -v b="$4" 'BEGIN { printf "%-5s run %7.3f s   %-9s %7.3f s   ratio %.2f\n", t, a, p, b, a / b }'; }

# Copy mode against cp -a: both copy the whole tree into an empty folder.
# Every round writes into new folders: a file system that has just deleted
# many files allocates new ones more slowly for a while (ext4 passes over
# recently freed inodes), which would make whichever copy comes first look
# slow. The order of the two copies alternates.
src="$dir/mixed"
[ -d "$src" ] || { mkdir -p "$src"; make_mixed "$src"; }
if [ -e "$dir/out" ]; then rm -rf "$dir/out"; sync; sleep 40; fi
mkdir -p "$dir/out"
ours="" theirs=""
for i in $(seq "$rounds"); do
  rm -rf "$dir/temp" "$HOME/.config"
  mkdir -p "$dir/out/dest$i" "$dir/temp"
  for who in $( ((i % 2)) && echo "ours theirs" || echo "theirs ours"); do
    sync
    if [ "$who" = ours ]; then
      ours+=" $("$driver" copy "$src" "$dir/out/dest$i" "$dir/temp" 2>/dev/null)"
    else
      theirs+=" $(seconds cp -a "$src" "$dir/out/cp$i")"
    fi
  done
done
report copy "cp -a" "$(echo "$ours" | best)" "$(echo "$theirs" | best)"
rm -rf "$dir/out"

# Synchronisation of a tree that is already up to date, against rsync -a.
src="$dir/tiny"
[ -d "$src" ] || { mkdir -p "$src"; make_tiny "$src"; }
rm -rf "$dir/mirror" "$dir/rsync"
rsync -a "$src/" "$dir/mirror/"
rsync -a "$src/" "$dir/rsync/"
ours="" theirs=""
for _ in $(seq "$rounds"); do
  rm -rf "$dir/temp" "$HOME/.config"
  mkdir -p "$dir/temp"
  ours+=" $("$driver" sync "$src" "$dir/mirror" "$dir/temp" 2>/dev/null)"
  theirs+=" $(seconds rsync -a "$src/" "$dir/rsync/")"
done
report sync "rsync -a" "$(echo "$ours" | best)" "$(echo "$theirs" | best)"

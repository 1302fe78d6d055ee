#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The restore window against its peer, run by hand:
#   bench/restore/run.sh [rounds, default 3] [cases, default: search big restore million folder]
# - search: 200 archives of 50 entries, pattern "*.pdf", the window's search
#   against `unzip -Z1` over the same archives piped into grep (target: at
#   most 3 times the peer's time);
# - big: one archive of 100,000 entries; the search must keep events running
#   a few dozen times a second and end with exact counters;
# - restore: one 40 MiB entry out of a 1 GiB archive of 10,000 entries; the
#   bytes read meanwhile show that the other entries are not read;
# - million: one archive of 1,000,000 entries as a run writes them, searched
#   for "*.pdf" against `unzip -Z1 | grep` (target: under 3 s) and listed
#   whole ("*"); events must run at least every 100 ms throughout;
# - folder: 2,000 such archives of 100 entries, searched against one
#   `unzip -Z1` per archive, and listed whole.
# Each line gives the longest time without events and the peak memory.
# The data go to $BENCH_DIR (default bench/out/restore; about 1.4 GB); the
# driver runs with a home and settings of its own there.
set -euo pipefail
cd "$(dirname "$0")/../.."
rounds="${1:-3}"
shift || true
cases=" ${*:-search big restore million folder} "
want() { [[ "$cases" == *" $1 "* ]]; }
source bench/trees.sh
driver_session bench_restore restore
command -v unzip >/dev/null || apt-get install -y -qq unzip >/dev/null

want search && { [ -f "$dir/many/many199.zip" ] || /usr/bin/python3 bench/restore/make_archives.py many "$dir/many"; }
want big && { [ -f "$dir/big/big.zip" ] || /usr/bin/python3 bench/restore/make_archives.py big "$dir/big"; }
want restore && { [ -f "$dir/huge/huge.zip" ] || /usr/bin/python3 bench/restore/make_archives.py huge "$dir/huge"; }
want million && { [ -f "$dir/million/million.zip" ] || /usr/bin/python3 bench/restore/make_archives.py million "$dir/million"; }
want folder && { [ -f "$dir/folder/vol1999.zip" ] || /usr/bin/python3 bench/restore/make_archives.py folder "$dir/folder"; }

peer() { for a in "$dir"/many/*.zip; do unzip -Z1 "$a"; done | grep -i '\.pdf$' >/dev/null; }

if want search; then
ours="" theirs=""
for _ in $(seq "$rounds"); do
  ours+=" $("$driver" search "$dir/many" '*.pdf' 2>"$dir/search.err")"
  theirs+=" $(seconds peer)"
done
o=$(echo "$ours" | best); p=$(echo "$theirs" | best)
awk -v o="$o" -v p="$p" 'BEGIN { printf "search   ours %.3f s   unzip -Z1 | grep %.3f s   ratio %.2f (target <= 3)\n", o, p, o / p }'
sed 's/^/         /' "$dir/search.err"
fi

if want big; then
t=$("$driver" search "$dir/big" '*' 2>"$dir/big.err")
echo "big      ours $t s over 100,000 entries"
sed 's/^/         /' "$dir/big.err"
fi

if want restore; then
rm -rf "$dir/target"; mkdir -p "$dir/target"
t=$("$driver" restore "$dir/huge" 'target.bin' "$dir/target" 2>"$dir/restore.err")
echo "restore  ours $t s for the 40 MiB entry of a 1 GiB archive"
sed 's/^/         /' "$dir/restore.err"
cmp "$dir/huge/target.bin" "$dir/target/big/target.bin" && echo "         restored file equals the original"
fi

# ours FOLDER PATTERN: the driver's search, best of the rounds; its report of
# the last round (counters, events, longest gap) and peak memory on stderr.
ours_best() {
  local times=""
  for _ in $(seq "$rounds"); do
    times+=" $(/usr/bin/time -f "peak %M KB" -o "$dir/time.err" "$driver" search "$1" "$2" 2>"$dir/ours.err")"
  done
  echo "$times" | best
  cat "$dir/ours.err" "$dir/time.err" | grep -v '^QStandardPaths' >&2
}
peer_each() { for a in "$1"/*.zip; do unzip -Z1 "$a"; done | grep -i "$2" >/dev/null; }
peer_best() {
  local times=""
  for _ in $(seq "$rounds"); do times+=" $(seconds peer_each "$1" "$2")"; done
  echo "$times" | best
}
command -v /usr/bin/time >/dev/null || apt-get install -y -qq time >/dev/null
for set in million folder; do
  want "$set" || continue
  o=$(ours_best "$dir/$set" '*.pdf' 2>"$dir/$set.err"); p=$(peer_best "$dir/$set" '\.pdf$')
  awk -v s="$set" -v o="$o" -v p="$p" 'BEGIN { printf "%-8s search ours %.3f s   unzip -Z1 | grep %.3f s   ratio %.2f\n", s, o, p, o / p }'
  sed 's/^/         /' "$dir/$set.err"
  o=$(ours_best "$dir/$set" '*' 2>"$dir/$set.err"); p=$(peer_best "$dir/$set" '.')
  awk -v s="$set" -v o="$o" -v p="$p" 'BEGIN { printf "%-8s list   ours %.3f s   unzip -Z1 %.3f s   ratio %.2f\n", s, o, p, o / p }'
  sed 's/^/         /' "$dir/$set.err"
done

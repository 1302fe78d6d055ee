#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The restore window against its peer, run by hand:
#   bench/restore/run.sh [rounds, default 3]
# - search: 200 archives of 50 entries, pattern "*.pdf", the window's search
#   against `unzip -Z1` over the same archives piped into grep (target: at
#   most 3 times the peer's time);
# - big: one archive of 100,000 entries; the search must keep events running
#   a few dozen times a second and end with exact counters;
# - restore: one 40 MiB entry out of a 1 GiB archive of 10,000 entries; the
#   bytes read meanwhile show that the other entries are not read.
# The data go to $BENCH_DIR (default bench/out/restore; about 1.1 GB); the
# driver runs with a home and settings of its own there.
set -euo pipefail
cd "$(dirname "$0")/../.."
rounds="${1:-3}"
source bench/trees.sh
driver_session bench_restore restore
command -v unzip >/dev/null || apt-get install -y -qq unzip >/dev/null

[ -f "$dir/many/many199.zip" ] || /usr/bin/python3 bench/restore/make_archives.py many "$dir/many"
[ -f "$dir/big/big.zip" ] || /usr/bin/python3 bench/restore/make_archives.py big "$dir/big"
[ -f "$dir/huge/huge.zip" ] || /usr/bin/python3 bench/restore/make_archives.py huge "$dir/huge"

peer() { for a in "$dir"/many/*.zip; do unzip -Z1 "$a"; done | grep -i '\.pdf$' >/dev/null; }

ours="" theirs=""
for _ in $(seq "$rounds"); do
  ours+=" $("$driver" search "$dir/many" '*.pdf' 2>"$dir/search.err")"
  theirs+=" $(seconds peer)"
done
o=$(echo "$ours" | best); p=$(echo "$theirs" | best)
awk -v o="$o" -v p="$p" 'BEGIN { printf "search   ours %.3f s   unzip -Z1 | grep %.3f s   ratio %.2f (target <= 3)\n", o, p, o / p }'
sed 's/^/         /' "$dir/search.err"

t=$("$driver" search "$dir/big" '*' 2>"$dir/big.err")
echo "big      ours $t s over 100,000 entries"
sed 's/^/         /' "$dir/big.err"

rm -rf "$dir/target"; mkdir -p "$dir/target"
t=$("$driver" restore "$dir/huge" 'target.bin' "$dir/target" 2>"$dir/restore.err")
echo "restore  ours $t s for the 40 MiB entry of a 1 GiB archive"
sed 's/^/         /' "$dir/restore.err"
cmp "$dir/huge/target.bin" "$dir/target/big/target.bin" && echo "         restored file equals the original"

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Wall time of uploading a 500 MB archive to pyftpdlib on 127.0.0.1 through
# the program's FTP module, against "curl -T" of the same file to the same
# server, in the same script. Run by hand:
#   bench/ftp/run.sh [rounds, default 3] [size in MB, default 500]
# Prints the best transfer time of each side and their ratio (the target is
# at most 1.2), and the best time of the whole upload operation as a run
# makes it (which adds the one-second settle wait after each command). Work
# files go to $BENCH_DIR (default bench/out/ftp).
set -euo pipefail
cd "$(dirname "$0")/../.."

rounds="${1:-3}"
size="${2:-500}"
command -v curl >/dev/null || { echo "curl is needed (apt-get install curl)"; exit 2; }
/usr/bin/python3 -c "import pyftpdlib" 2>/dev/null || { echo "pyftpdlib is needed (apt-get install python3-pyftpdlib)"; exit 2; }
source bench/trees.sh
driver_session bench_ftp ftp

archive="$dir/archive.zip"
[ "$(stat -c %s "$archive" 2>/dev/null || echo 0)" = "$((size * 1048576))" ] ||
  head -c "$((size * 1048576))" /dev/urandom > "$archive"

root="$dir/server"
rm -rf "$root"; mkdir -p "$root/bench"
password="bench-$RANDOM$RANDOM"
/usr/bin/python3 tests/destinations/peers/ftp_server.py --root "$root" --user bench --password "$password" \
  --lifetime 3600 > "$dir/server.out" &
server=$!
trap 'kill $server 2>/dev/null || true' EXIT
for _ in $(seq 50); do grep -q PORT "$dir/server.out" 2>/dev/null && break; sleep 0.1; done
port="$(awk '/PORT/{print $2}' "$dir/server.out")"
netrc="$dir/netrc"
( umask 077; printf 'machine 127.0.0.1 login bench password %s\n' "$password" > "$netrc" )

ours="" operation="" theirs=""
for i in $(seq "$rounds"); do
  for who in $( ((i % 2)) && echo "ours theirs" || echo "theirs ours"); do
    rm -f "$root/bench/bench.zip"
    if [ "$who" = ours ]; then
      read -r t o < <(BENCH_FTP_PASSWORD="$password" "$driver" 127.0.0.1 "$port" bench bench "$archive" 2>/dev/null)
      cmp -s "$archive" "$root/bench/bench.zip" || { echo "our upload differs from the archive"; exit 1; }
      ours+=" $t"; operation+=" $o"
    else
      theirs+=" $(seconds curl -sS --netrc-file "$netrc" -T "$archive" "ftp://127.0.0.1:$port/bench/bench.zip")"
    fi
  done
done
a="$(echo "$ours" | best)" b="$(echo "$theirs" | best)" c="$(echo "$operation" | best)"
awk -v a="$a" -v b="$b" -v c="$c" -v s="$size" 'BEGIN {
  printf "upload %d MB: transfer %7.3f s   curl -T %7.3f s   ratio %.2f (target 1.20)\n", s, a, b, a / b
  printf "whole upload operation (with the settle waits): %7.3f s\n", c }'

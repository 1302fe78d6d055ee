#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Throughput of the archive cipher's file encryption and decryption against
# OpenSSL's Blowfish CBC (legacy provider) on the same file. Run by hand:
#   bench/crypto/run.sh [size in MiB, default 256] [rounds, default 3]
# Prints MB/s of each side (best of the rounds) and the ratio of the times.
# The work files go to $BENCH_DIR (default bench/out/crypto).
set -euo pipefail
cd "$(dirname "$0")/../.."

size_mib="${1:-256}"
rounds="${2:-3}"
dir="${BENCH_DIR:-bench/out/crypto}"
mkdir -p "$dir"
[ -f build/build.ninja ] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target bench_blowfish -j4 >/dev/null
driver=build/tests/bench_blowfish

plain="$dir/plain.bin"
if [ "$(stat -c %s "$plain" 2>/dev/null || echo 0)" != "$((size_mib * 1048576))" ]; then
  head -c "$((size_mib * 1048576))" /dev/urandom >"$plain"
fi
key='T6:w_benchmarkKd/4%'
hexkey=$(printf '%s' "$key" | od -An -tx1 | tr -d ' \n')

seconds() {  # runs a command, prints its wall time in seconds (process start included, as for openssl)
  local t0 t1
  t0=$(date +%s%N)
  "$@" >/dev/null 2>&1
  t1=$(date +%s%N)
  awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", (b - a) / 1e9 }'
}
best() { tr ' ' '\n' | grep -v '^$' | sort -g | head -1; }

ossl=(openssl enc -bf-cbc -provider legacy -provider default -K "$hexkey" -iv 0000000000000000 -nopad)
ours_enc="" ours_dec="" ossl_enc="" ossl_dec=""
for _ in $(seq "$rounds"); do
  ours_enc+=" $(seconds "$driver" encrypt "$plain" "$dir/ours.cry" "$key")"
  ours_dec+=" $(seconds "$driver" decrypt "$dir/ours.cry" "$dir/ours.back" "$key")"
  ossl_enc+=" $(seconds "${ossl[@]}" -in "$plain" -out "$dir/ossl.cry")"
  ossl_dec+=" $(seconds "${ossl[@]}" -d -in "$dir/ossl.cry" -out "$dir/ossl.back")"
done
cmp "$plain" "$dir/ours.back"
cmp "$plain" "$dir/ossl.back"

report() {  # name ours openssl
  awk -v n="$1" -v a="$2" -v b="$3" -v mb="$size_mib" 'BEGIN {
    printf "%-8s ours %7.1f MB/s (%.3f s)   openssl %7.1f MB/s (%.3f s)   ratio %.2f\n",
           n, mb * 1.048576 / a, a, mb * 1.048576 / b, b, a / b }'
}
echo "file of $size_mib MiB, best of $rounds"
report encrypt "$(echo "$ours_enc" | best)" "$(echo "$ossl_enc" | best)"
report decrypt "$(echo "$ours_dec" | best)" "$(echo "$ossl_dec" | best)"
rm -f "$dir/ours.cry" "$dir/ours.back" "$dir/ossl.cry" "$dir/ossl.back"

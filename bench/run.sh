#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times Vaultora's own runs ("vaultora /run /profile:<name>" of profiles made
# for the purpose) against the peer tools on the same generated data, in the
# same run, and prints one table (minimum of the rounds; peak memory of our
# runs). Run by hand, never in CI:
#
#   bench/run.sh [--rounds N] [--scale F] [--many-scales a,b,...] [--jobs a,b,...] [--keep]
#
#   --rounds N   timed rounds of each side (default 3, at least 3 for the table)
#   --scale F    size of the data sets (default 1: 2,000 files / 200 MB and
#                50,000 files; 0.1 for a quick look)
#   --many-scales LIST
#                the small-files job once for each of these sizes of "many"
#                (default: --scale); 1,5,20 gives rows for 50,000, 250,000
#                and 1,000,000 files
#   --jobs LIST  only these jobs: zip0 zip6 zip6many copy syncchanged
#                syncunchanged encrypt decrypt (default all)
#   --keep       keep the work folder
#
# The work folder is $BENCH_DIR, or a new temporary folder (removed at the
# end). The table also goes to bench/out/last-table.md. A job whose part of
# the program is not there yet, or whose result fails its check, shows "n/a"
# and the reason below the table.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)

rounds=3 scale=1 jobs="zip0 zip6 zip6many copy syncchanged syncunchanged encrypt decrypt" keep=0 many_scales=
while (($#)); do
  case "$1" in
    --rounds) rounds=$2; shift 2 ;;
    --scale) scale=$2; shift 2 ;;
    --many-scales) many_scales=${2//,/ }; shift 2 ;;
    --jobs) jobs=${2//,/ }; shift 2 ;;
    --keep) keep=1; shift ;;
    *) sed -n '2,24p' "$0"; exit 2 ;;
  esac
done
many_scales=${many_scales:-$scale}
# The small-files job runs once for each size of "many" ("zip6many@5" is the
# job on "many" at scale 5); a job is named by what stands before its "@".
expanded=""
for j in $jobs; do
  if [ "$j" = zip6many ]; then
    for m in $many_scales; do expanded+=" zip6many@$m"; done
  else
    expanded+=" $j"
  fi
done
jobs=$expanded
has_job() { [[ " $jobs " == *" $1 "* ]]; }
timeout_s=${BENCH_TIMEOUT:-1200}

# --- tools ---------------------------------------------------------------
need=()
for t in zip:zip unzip:unzip rsync:rsync openssl:openssl /usr/bin/time:time; do
  command -v "${t%%:*}" >/dev/null || need+=("${t##*:}")
done
if ((${#need[@]})); then
  echo "bench: installing ${need[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# --- build ---------------------------------------------------------------
[ -f build/build.ninja ] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target vaultora app_common bench_profile bench_blowfish -j4 >/dev/null

if [ -n "${BENCH_DIR:-}" ]; then
  W=$(realpath -m "$BENCH_DIR")
  mkdir -p "$W"
else
  W=$(mktemp -d /tmp/vaultora-bench.XXXXXX)
fi
if [ "$keep" = 1 ] || [ -n "${BENCH_DIR:-}" ]; then
  trap 'rm -rf "$W/spent"' EXIT
else
  trap 'rm -rf "$W"' EXIT
fi
rm -rf "$W/spent"
echo "bench: work folder $W"

# A portable copy of the program with its own settings database, so that the
# profiles made here never meet the user's.
rm -rf "$W/app" "$W/home"
cp -a build/app "$W/app"
mkdir -p "$W/home/.config"
export HOME="$W/home" XDG_CONFIG_HOME="$W/home/.config" VAULTORA_PROGRAM_DIR="$W/app/Vaultora"
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY
program="$W/app/Vaultora/vaultora"
profile_maker="$repo/build/tests/bench_profile"
cipher="$repo/build/tests/bench_blowfish"

# --- data ----------------------------------------------------------------
D="$W/data"
gen() {  # name kind seed [scale]
  if [ ! -f "$D/$1.done" ]; then
    rm -rf "${D:?}/$1"
    /usr/bin/python3 "$repo/bench/gen_tree.py" "$2" "$D/$1" --seed "$3" --scale "${4:-$scale}"
    echo "$scale" >"$D/$1.done"
  fi
}
mkdir -p "$D"
for f in "$D"/*.done; do  # data of another scale is made again ("many-<scale>" holds its own)
  case $f in */many-*.done) continue ;; esac
  [ -f "$f" ] && [ "$(cat "$f")" != "$scale" ] && rm -rf "${f%.done}" "$f"
done
# Only the data the jobs use is made: "many" at 1,000,000 files is 400 MB.
if has_job zip0 || has_job zip6 || has_job copy || has_job syncchanged || has_job syncunchanged; then
  gen mixed mixed 1
fi
for m in $many_scales; do
  if has_job "zip6many@$m"; then
    f="$D/many-$m.done"
    if [ ! -f "$f" ]; then
      rm -rf "$D/many-$m"
      /usr/bin/python3 "$repo/bench/gen_tree.py" many "$D/many-$m" --seed 2 --scale "$m"
      echo "$m" >"$f"
    fi
  fi
done
if has_job syncchanged && [ ! -f "$D/touched.done" ]; then
  rm -rf "$D/touched"
  cp -a "$D/mixed" "$D/touched"
  /usr/bin/python3 "$repo/bench/gen_tree.py" touch "$D/touched" --seed 3 --percent 1
  echo "$scale" >"$D/touched.done"
fi
cipher_mib=$(awk -v s="$scale" 'BEGIN { m = int(256 * s); print (m < 1 ? 1 : m) }')
if { has_job encrypt || has_job decrypt; } && [ "$(stat -c %s "$D/archive.bin" 2>/dev/null || echo 0)" != "$((cipher_mib * 1048576))" ]; then
  /usr/bin/python3 -c "
import random, sys
r = random.Random(5)
for _ in range($cipher_mib):
    sys.stdout.buffer.write(r.randbytes(1 << 20))" >"$D/archive.bin"
fi
gen smoke mixed 9 0.002
if [ ! -f "$D/smoke-touched.done" ]; then
  rm -rf "$D/smoke-touched"
  cp -a "$D/smoke" "$D/smoke-touched"
  /usr/bin/python3 "$repo/bench/gen_tree.py" touch "$D/smoke-touched" --seed 4 --percent 20 >/dev/null
  echo "$scale" >"$D/smoke-touched.done"
fi
files_of() { find "$1" -type f | wc -l; }

# --- helpers -------------------------------------------------------------
now_ns() { date +%s%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", (b - a) / 1e9 }'; }
minimum() { tr ' ' '\n' | grep -v '^$' | sort -g | head -1; }
peak_kb=0
last_rc=0
# time_cmd ours|peer cmd...: runs the command and sets T to its wall time in
# seconds and last_rc to its exit code; for our runs it also keeps the peak
# resident memory (GNU time) in peak_kb.
time_cmd() {
  local side=$1 t0 t1
  shift
  sync
  t0=$(now_ns)
  if [ "$side" = ours ]; then
    set +e
    /usr/bin/time -v -o "$W/time.txt" timeout --kill-after=10 "$timeout_s" "$@" >"$W/ours.out" 2>&1
    last_rc=$?
    set -e
  else
    set +e
    "$@" >/dev/null 2>&1
    last_rc=$?
    set -e
  fi
  t1=$(now_ns)
  if [ "$side" = ours ]; then
    local kb
    kb=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$W/time.txt" 2>/dev/null || echo 0)
    [ -n "$kb" ] && [ "$kb" -gt "$peak_kb" ] && peak_kb=$kb
  fi
  T=$(elapsed "$t0" "$t1")
}

P="$W/peer" O="$W/ours"
# The results of a round are moved aside, not deleted: ext4 passes over the
# inodes freed in the last minutes when it picks one for a new file, so a
# side that creates 2,000 files just after 4,000 were deleted is timed for
# that search (seen as 0.6 s becoming 2.8 s over five rounds, for both
# sides). The moved folders are deleted when the suite ends.
spent=0
# On a tmpfs ("BENCH_DIR=/dev/shm/vaultora-bench", which also keeps the disk's
# own noise out of the figures) they are simply deleted.
on_tmpfs=0
[ "$(stat -f -c %T "$W")" = tmpfs ] && on_tmpfs=1
reset_dirs() {
  if ((on_tmpfs)); then
    rm -rf "$P" "$O"
  else
    mkdir -p "$W/spent"
    for d in "$P" "$O"; do
      [ -e "$d" ] && mv "$d" "$W/spent/$((spent += 1))"
    done
  fi
  mkdir -p "$P" "$O/dest" "$O/temp"
}

# Our side of each job: the profile, then the run.
make_profile() {  # name job source
  "$profile_maker" "$1" "$2" "$3" "$O/dest" "$O/temp" >/dev/null 2>"$W/profile.err"
}
run_ours() { rm -f "$W/app/Common/error.log"; time_cmd ours "$program" /run "/profile:$1"; }
ours_failed() {  # why our last run failed, from its exit code and the error log
  local why="exit code $last_rc"
  ((last_rc == 124 || last_rc == 137)) && why="no end within ${timeout_s} s"
  [ -s "$W/app/Common/error.log" ] && why+="; error.log: $(tail -1 "$W/app/Common/error.log" | cut -c1-160)"
  echo "$why"
}

# The folder below our copy destination where a source tree lands (the
# structure is kept without the drive, Z: being "/").
copy_of() { echo "$O/dest${1}"; }

check_zip() {  # expected-file-count: every archive of the destination passes unzip -t and holds them all
  local n=0 a
  shopt -s nullglob
  local archives=("$O"/dest/*.zip)
  shopt -u nullglob
  ((${#archives[@]})) || { echo "no archive at the destination"; return 1; }
  for a in "${archives[@]}"; do
    unzip -tqq "$a" >/dev/null 2>&1 || { echo "unzip -t fails on $(basename "$a")"; return 1; }
    n=$((n + $(unzip -Z1 "$a" | grep -vc '/$' || true)))
  done
  [ "$n" -ge "$1" ] || { echo "archives hold $n files, expected $1"; return 1; }
}
check_same() {  # a b: same files and bytes
  diff -rq "$1" "$2" >/dev/null 2>&1 || { echo "the copy differs from its source"; return 1; }
}

# One untimed run of the job on a tree of a few files, with a short time
# limit: it tells a part of the program that is not there yet (or does the job
# wrongly) from a slow one. Prints the reason and fails when the run fails.
smoke() {  # job
  local job=$1 saved=$timeout_s
  timeout_s=120
  reset_dirs
  case $job in
    zip*)
      make_profile Bench_smoke "zip${job:3:1}" "$D/smoke" || { echo "profile: $(tail -1 "$W/profile.err")"; timeout_s=$saved; return 1; }
      run_ours Bench_smoke
      ((last_rc == 0)) || { ours_failed; timeout_s=$saved; return 1; }
      check_zip "$(files_of "$D/smoke")" || { timeout_s=$saved; return 1; } ;;
    copy)
      make_profile Bench_smoke copy "$D/smoke" || { echo "profile: $(tail -1 "$W/profile.err")"; timeout_s=$saved; return 1; }
      run_ours Bench_smoke
      ((last_rc == 0)) || { ours_failed; timeout_s=$saved; return 1; }
      check_same "$D/smoke" "$(copy_of "$D/smoke")" || { timeout_s=$saved; return 1; } ;;
    sync*)
      cp -a "$D/smoke" "$O/sync"
      "$profile_maker" Bench_smoke sync "$D/smoke-touched" "$O/sync" "$O/temp" >/dev/null 2>"$W/profile.err" ||
        { echo "profile: $(tail -1 "$W/profile.err")"; timeout_s=$saved; return 1; }
      run_ours Bench_smoke
      ((last_rc == 0)) || { ours_failed; timeout_s=$saved; return 1; }
      check_same "$D/smoke-touched" "$O/sync" || { timeout_s=$saved; return 1; } ;;
  esac
  timeout_s=$saved
}

# Each job: job_prepare (not timed; also makes our profile), job_peer and
# job_ours (timed), job_check (our result is right).
job_src() {
  case $1 in
    zip6many@*) echo "$D/many-${1#*@}" ;;
    syncchanged) echo "$D/touched" ;;
    *) echo "$D/mixed" ;;
  esac
}
job_prepare() {  # job src
  reset_dirs
  case $1 in
    zip*) make_profile "Bench_${1%%@*}" "zip${1:3:1}" "$2" ;;
    copy) make_profile Bench_copy copy "$2" ;;
    sync*)  # both destinations start as a copy of the unchanged tree
      cp -a "$D/mixed" "$P/sync"
      cp -a "$D/mixed" "$O/sync"
      "$profile_maker" Bench_sync sync "$2" "$O/sync" "$O/temp" >/dev/null 2>"$W/profile.err" ;;
  esac
}
job_peer() {  # job src
  case $1 in
    zip*)
      pushd "$(dirname "$2")" >/dev/null
      time_cmd peer zip -r "-${1:3:1}" -q "$P/out.zip" "$(basename "$2")"
      popd >/dev/null ;;
    copy) time_cmd peer cp -a "$2" "$P/copy" ;;
    sync*) time_cmd peer rsync -a "$2/" "$P/sync/" ;;
    encrypt) time_cmd peer "${ossl[@]}" -in "$D/archive.bin" -out "$P/out.bf" ;;
    decrypt) time_cmd peer "${ossl[@]}" -d -in "$W/archive.bf" -out "$P/out.bin" ;;
  esac
}
job_ours() {  # job
  case $1 in
    zip*) run_ours "Bench_${1%%@*}" ;;
    copy) run_ours Bench_copy ;;
    sync*) run_ours Bench_sync ;;
    encrypt) time_cmd ours "$cipher" encrypt "$D/archive.bin" "$O/out.cry" "$key" ;;
    decrypt) time_cmd ours "$cipher" decrypt "$W/archive.cry" "$O/out.bin" "$key" ;;
  esac
}
job_check() {  # job src: prints why our result is wrong and fails
  case $1 in
    zip*) check_zip "$(files_of "$2")" ;;
    copy) check_same "$2" "$(copy_of "$2")" ;;
    sync*) check_same "$2" "$O/sync" ;;
    encrypt) "$cipher" decrypt "$O/out.cry" "$O/back.bin" "$key" >/dev/null 2>&1 && cmp -s "$D/archive.bin" "$O/back.bin" ||
      { echo "our file does not decrypt to the original"; return 1; } ;;
    decrypt) cmp -s "$D/archive.bin" "$O/out.bin" || { echo "the decrypted file differs"; return 1; } ;;
  esac
}
key='T6:w_benchmarkKd/4%'
hexkey=$(printf '%s' "$key" | od -An -tx1 | tr -d ' \n')
ossl=(openssl enc -bf-cbc -provider legacy -provider default -K "$hexkey" -iv 0000000000000000 -nopad)
if has_job encrypt || has_job decrypt; then
  "${ossl[@]}" -in "$D/archive.bin" -out "$W/archive.bf" 2>/dev/null
  "$cipher" encrypt "$D/archive.bin" "$W/archive.cry" "$key" >/dev/null 2>&1 || true
fi

declare -A peer_t ours_t note peak nfiles
run_job() {  # job
  local job=$1 pt="" ot="" reason="" i src
  src=$(job_src "$job")
  case $job in
    encrypt | decrypt) ;;
    *) nfiles[$job]=$(files_of "$src") ;;
  esac
  peak_kb=0
  case $job in
    encrypt | decrypt) [ -s "$W/archive.cry" ] || reason="the cipher driver failed" ;;
    *) reason=$(smoke "$job") || reason="smoke run: $reason" ;;
  esac
  for i in $(seq "$rounds"); do
    job_prepare "$job" "$src" || { reason="profile: $(tail -1 "$W/profile.err")"; }
    job_peer "$job" "$src"
    pt+=" $T"
    [ -z "$reason" ] || continue
    job_ours "$job"
    ot+=" $T"
    if ((last_rc != 0)); then
      reason=$(ours_failed)
    else
      reason=$(job_check "$job" "$src") || true
    fi
  done
  peer_t[$job]=$(echo "$pt" | minimum)
  if [ -n "$reason" ]; then
    ours_t[$job]="n/a"
    note[$job]=$reason
  else
    ours_t[$job]=$(echo "$ot" | minimum)
    peak[$job]=$(awk -v k="$peak_kb" 'BEGIN { printf "%.0f", k / 1024 }')
  fi
  echo "bench: $job peer${pt} / ours${ot}${reason:+ ($reason)}" >&2
}

declare -A label data peer target
# The targets are the goals of the speed work (ratio ours / peer).
label=([zip0]="ZIP level 0" [zip6]="ZIP level 6" [zip6many]="ZIP level 6, small files" [copy]="copy mode"
       [syncchanged]="sync, 1% changed" [syncunchanged]="sync, unchanged" [encrypt]="encrypt" [decrypt]="decrypt")
data=([zip0]=mixed [zip6]=mixed [zip6many]=many [copy]=mixed [syncchanged]=mixed [syncunchanged]=mixed
      [encrypt]="$cipher_mib MiB" [decrypt]="$cipher_mib MiB")
peer=([zip0]="zip -r -0" [zip6]="zip -r -6" [zip6many]="zip -r -6" [copy]="cp -a" [syncchanged]="rsync -a"
      [syncunchanged]="rsync -a" [encrypt]="openssl enc -bf-cbc" [decrypt]="openssl enc -d -bf-cbc")
target=([zip0]=0.6 [zip6]=0.5 [zip6many]=0.6 [copy]=1.0 [syncchanged]="" [syncunchanged]=1.0 [encrypt]=1.5 [decrypt]=1.5)

for job in $jobs; do
  [ -n "${label[${job%%@*}]:-}" ] || { echo "bench: unknown job $job" >&2; exit 2; }
done
for job in $jobs; do
  run_job "$job"
done

mkdir -p bench/out
{
  echo "Measured $(date -u +%Y-%m-%d) on $(nproc) cores, $(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo);"
  [ -d "$D/mixed" ] && echo "mixed: $(files_of "$D/mixed") files, $(du -sm "$D/mixed" | cut -f1) MB;"
  echo "minimum of $rounds rounds each, warm page cache."
  echo
  echo "| job | data | peer | peer s | ours s | ratio | target | ours per 1,000 files (s) | peak MB (ours) |"
  echo "|---|---|---|---:|---:|---:|---:|---:|---:|"
  for job in $jobs; do
    base=${job%%@*}
    o=${ours_t[$job]}
    per="–"
    if [ "$o" = "n/a" ]; then ratio="n/a" pk="n/a"; else
      ratio=$(awk -v a="$o" -v b="${peer_t[$job]}" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')
      pk=${peak[$job]}
      [ -n "${nfiles[$job]:-}" ] && per=$(awk -v a="$o" -v n="${nfiles[$job]}" 'BEGIN { printf "%.4f", (n > 0 ? a * 1000 / n : 0) }')
    fi
    what=${data[$base]}
    [ -n "${nfiles[$job]:-}" ] && what+=" ($(echo "${nfiles[$job]}" | sed ':a;s/\B[0-9]\{3\}\>/,&/;ta') files)"
    echo "| ${label[$base]} | $what | ${peer[$base]} | ${peer_t[$job]} | $o | $ratio | ${target[$base]:-–} | $per | $pk |"
  done
  for job in $jobs; do
    [ -z "${note[$job]:-}" ] || echo "- ${label[${job%%@*}]} (${job}): n/a: ${note[$job]}"
  done
} | tee bench/out/last-table.md

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the libFuzzer targets, each for a bounded time. By hand, never in CI:
#
#   bench/fuzz.sh [--time SECONDS] [target ...]
#
# Targets: cry (the ".cry" decoder), language (the language-file loader),
# profile (the profile-file loader), zip (the ZIP reader); default all that
# the sources have. --time is per target (default 60, or $FUZZ_TIME).
#
# Builds into build-fuzz/ with clang, every library instrumented for coverage
# and built with AddressSanitizer and UndefinedBehaviorSanitizer (installs
# clang and its fuzzer runtime from Debian when missing). Each target starts
# from its seed corpus in the source tree; what it finds goes to
# build-fuzz/fuzz/<target>/corpus, a crash to build-fuzz/fuzz/<target>/crash-*.
# A crash found becomes a regular test in the owning test folder, and is
# mended in the owning code. Exits non-zero when a target crashed.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)

seconds=${FUZZ_TIME:-60}
targets=()
while (($#)); do
  case "$1" in
    --time) seconds=$2; shift 2 ;;
    -h | --help) sed -n '2,18p' "$0"; exit 0 ;;
    *) targets+=("$1"); shift ;;
  esac
done

declare -A exe=([cry]=fuzz_cry_container [language]=fuzz_language [profile]=fuzz_profile [zip]=fuzz_zip_reader)
declare -A seeds=([cry]=tests/crypto/fuzz/corpus [language]=tests/common/fuzz/corpus
                  [profile]=tests/settings/fuzz/corpus [zip]=tests/platform/fuzz/corpus)
declare -A dict=([language]=tests/common/fuzz/language.dict [profile]=tests/settings/fuzz/profile.dict
                 [zip]=tests/platform/fuzz/zip.dict)
if ((${#targets[@]} == 0)); then
  for t in cry language profile zip; do
    [ -d "${seeds[$t]}" ] && targets+=("$t")
  done
fi

if ! command -v clang++ >/dev/null || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  echo "fuzz: installing clang and its fuzzer runtime"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends clang libclang-rt-dev >/dev/null
fi

B=build-fuzz
if [ ! -f "$B/build.ninja" ]; then
  flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
  CC=clang CXX=clang++ cmake -S . -B "$B" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
fi
names=()
for t in "${targets[@]}"; do
  [ -n "${exe[$t]:-}" ] || { echo "fuzz: unknown target $t" >&2; exit 2; }
  names+=("${exe[$t]}")
done
cmake --build "$B" --target "${names[@]}" -j4 >/dev/null

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$repo/bench/lsan.supp}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
failed=()
for t in "${targets[@]}"; do
  work="$B/fuzz/$t"
  mkdir -p "$work/corpus"
  extra=()
  [ -n "${dict[$t]:-}" ] && [ -f "${dict[$t]}" ] && extra+=("-dict=$repo/${dict[$t]}")
  echo "fuzz: $t for $seconds s"
  set +e
  "$B/tests/${exe[$t]}" "$work/corpus" "$repo/${seeds[$t]}" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=4096 -max_len=65536 -print_final_stats=1 -artifact_prefix="$work/" "${extra[@]}" \
    >"$work/log.txt" 2>&1
  rc=$?
  set -e
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)|^#[0-9]+.*DONE' "$work/log.txt" | sed "s/^/fuzz: $t: /" || true
  if ((rc != 0)); then
    failed+=("$t")
    echo "fuzz: $t FAILED (exit $rc); see $work/log.txt and $work/crash-*"
    grep -m5 -E 'ERROR|SUMMARY|runtime error' "$work/log.txt" | sed "s/^/fuzz: $t: /" || true
  fi
done
if ((${#failed[@]})); then
  echo "fuzz: crashes in ${failed[*]}"
  exit 1
fi
echo "fuzz: no crash in ${targets[*]}"

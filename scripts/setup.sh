#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages the build and the tests need (only those that
# are missing), then configures and builds into build/: the given CMake
# targets, or everything (the program and every test) without any.
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t wanted < <(cat scripts/packages.d/*.txt | sed -e 's/#.*//' -e 's/[[:space:]]//g' | grep -v '^$' | sort -u)
missing=()
for p in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

build_type="${VAULTORA_BUILD_TYPE:-RelWithDebInfo}"
if [ ! -f build/build.ninja ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE="$build_type"
fi
cmake --build build -j"$(nproc)" ${1:+--target "$@"}

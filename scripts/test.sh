#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up and builds everything (the program and every test) if needed,
# then runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j"$(nproc)" "$@"

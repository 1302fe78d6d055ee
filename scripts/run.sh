#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up and builds if needed, then starts the program with the given
# switches, e.g. scripts/run.sh /run /profile:Standard "/dir:C:\Backup"
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh >&2
exec build/app/Vaultora/vaultora "$@"

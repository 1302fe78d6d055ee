#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up and builds what the program needs (the program, its libraries and
# its data: no tests) if needed, installs the program into your own program
# folder ($XDG_DATA_HOME/vaultora, by default ~/.local/share/vaultora) with
# its desktop entry and icon, and starts it from there with the given
# switches, e.g. scripts/run.sh /run /profile:Standard "/dir:C:\Backup"
# An install over an earlier one replaces only the program's own files: your
# profiles (*.pfl), Temp and error.log stay, and nothing of yours is in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh program >&2

data_home="${XDG_DATA_HOME:-}"
[[ "$data_home" == /* ]] || data_home="$HOME/.local/share"
prefix="$data_home/vaultora"

# Profiles kept in build/ by an earlier version of this script come along
# once, the first time the program is installed.
first_install=0
[ -e "$prefix/Vaultora/vaultora" ] || first_install=1
cmake --install build --prefix "$prefix" >/dev/null
if ((first_install)); then
  for f in build/app/Vaultora/*.pfl build/app/Vaultora/*.bak; do
    if [ -f "$f" ]; then cp -n "$f" "$prefix/Vaultora/"; fi
  done
fi

# The desktop finds the entry and the icon in your own data folder.
install -D -m 644 "$prefix/share/applications/vaultora.desktop" "$data_home/applications/vaultora.desktop"
for icon in "$prefix"/share/icons/hicolor/*/apps/vaultora.png; do
  size="$(basename "$(dirname "$(dirname "$icon")")")"
  install -D -m 644 "$icon" "$data_home/icons/hicolor/$size/apps/vaultora.png"
done

exec "$prefix/Vaultora/vaultora" "$@"

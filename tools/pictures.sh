#!/usr/bin/env bash
# Draws the pictures of the command reference anew: builds the 32-bit plug-in
# with the stand-in host, runs every example script in examples/commands with
# the real DLL under Wine, and writes the pictures they save into
# docs/pictures/. The test suite checks that they stay what the DLL draws.
#
# MBC_BUILD_DIR chooses another build folder than build/win32.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${MBC_BUILD_DIR:-build/win32}

bash tools/setup.sh
source tools/wine-env.sh
mbc_start_wine
trap mbc_stop_wine EXIT

cmake --preset win32 -B "$build" >/dev/null
cmake --build "$build" -j2 --target mbc_host_folder >/dev/null
mkdir -p docs/pictures
rm -f docs/pictures/*.png
for script in examples/commands/*.mbc; do
  # A script whose expectations fail draws no picture for the reference.
  if ! wine "$build/host/mbc_runner.exe" "$script" docs/pictures >"$build/picture.log"; then
    tr -d '\r' <"$build/picture.log"
    echo "pictures: $script failed" >&2
    exit 1
  fi
  echo "$script: $(grep -c ' saved ' "$build/picture.log") picture(s)"
done
ls docs/pictures

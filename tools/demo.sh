#!/usr/bin/env bash
# The main job: builds the 32-bit plug-in with the stand-in host (runner and
# host libraries), runs the demo script examples/demo.mbc under Wine, and
# writes the images it made as PNG files into build/demo/.
#
# MBC_BUILD_DIR chooses another build folder than build/win32.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${MBC_BUILD_DIR:-build/win32}
out=build/demo

bash tools/setup.sh
source tools/wine-env.sh
mbc_start_wine
# A Wine server left running would make the next start wait for it.
trap mbc_stop_wine EXIT

echo "== building the plug-in and the host stand-in in $build"
cmake --preset win32 -B "$build" >/dev/null
cmake --build "$build" -j2 --target mbc_host_folder >/dev/null

rm -rf "$out"
mkdir -p "$out"
echo "== running examples/demo.mbc"
# Windows programs end their lines with CR LF; the terminal wants LF.
set +e
wine "$build/host/mbc_runner.exe" examples/demo.mbc "$out" | tr -d '\r'
status=${PIPESTATUS[0]}
set -e

echo
echo "Images written:"
for png in "$out"/*.png; do
  [ -e "$png" ] && echo "  $root/$png"
done
exit "$status"

#!/usr/bin/env bash
# The plug-in is the same file, byte for byte, from two clean builds in two
# build folders: no link timestamp, no build path, nothing else that varies
# from one build to the next. Only the DLL target is built, to keep it quick.
#
# Builds in build/reproducible-1 and build/reproducible-2, removed afterwards.
set -euo pipefail
cd "$(dirname "$0")/../.."
set -- build/reproducible-1 build/reproducible-2
for build in "$@"; do
  rm -rf "$build"
  cmake --preset win32 -B "$build" >/dev/null
  cmake --build "$build" -j2 --target DoduzIridizeruRediro >/dev/null
done
dlls=("$1/src/plugin/DoduzIridizeruRediro.dll" "$2/src/plugin/DoduzIridizeruRediro.dll")
if ! cmp "${dlls[@]}"; then
  echo "reproducible: the two builds differ; compare them with i686-w64-mingw32-objdump -x" >&2
  exit 1
fi
echo "reproducible: ${dlls[0]} and ${dlls[1]} are the same $(stat -c %s "${dlls[0]}") bytes"
rm -rf "$@"

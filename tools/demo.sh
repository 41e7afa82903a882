#!/usr/bin/env bash
# The main job: builds the 32-bit plug-in and shows what was built.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash tools/setup.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target DoduzIridizeruRediro >/dev/null
dll=build/win32/src/plugin/DoduzIridizeruRediro.dll
echo "Built $dll"
i686-w64-mingw32-objdump -p "$dll" | grep -E 'file format|DLL Name' | sed 's/^\s*/  /'
echo "Exports:"
i686-w64-mingw32-objdump -p "$dll" | awk '/^\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && /^[ \t]*\[/ {print "  " $NF} on && /^[ \t]*$/ {on=0}'

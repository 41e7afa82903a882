#!/usr/bin/env bash
# Installs what is missing, configures and builds both targets from scratch,
# and runs every test: natively under AddressSanitizer and
# UndefinedBehaviorSanitizer, then the 32-bit Windows build under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash tools/setup.sh

echo "== native (x86_64, AddressSanitizer + UndefinedBehaviorSanitizer)"
rm -rf build/native
cmake --preset native >/dev/null
cmake --build --preset native
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --preset native

echo "== win32 (i686 MinGW-w64, 32-bit programs under Wine)"
source tools/wine-env.sh
mbc_start_wine
rm -rf build/win32
cmake --preset win32 >/dev/null
cmake --build --preset win32
for f in build/win32/src/plugin/DoduzIridizeruRediro.dll build/win32/tests/unit/mbc_unit_tests.exe; do
  i686-w64-mingw32-objdump -f "$f" | grep "file format"
done
ctest --preset win32
mbc_stop_wine

#!/usr/bin/env bash
# Builds the win32 preset from scratch and runs its tests under Wine, then
# runs the examples as one suite, its report checked in a browser; checks
# the release: the package as a script author unpacks it, holding the
# files the tests loaded; the same package from a clean clone, and a signed
# plug-in that is the same twice and passes the tests; last the DLL's benchmark program, built and started with
# nothing timed. Called by tools/test.sh inside a virtual display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

source tools/wine-env.sh
# Servers started without this display would serve the tests without it.
mbc_stop_wine
mbc_start_wine
trap mbc_stop_wine EXIT
rm -rf build/win32
cmake --preset win32 >/dev/null
cmake --build --preset win32
for f in build/win32/src/plugin/DoduzIridizeruRediro.dll build/win32/tests/bin/mbc_unit_tests.exe; do
  i686-w64-mingw32-objdump -f "$f" | grep "file format"
done
MBC_REQUIRE_WINDOWS=1 ctest --preset win32
echo "== suite: the examples as one suite, its page in Chromium and its JUnit file read back"
rm -rf build/win32/suite
mkdir build/win32/suite
(cd build/win32/suite && wine ../host/mbc_runner.exe --report report --junit junit.xml \
  "Z:$root/examples" out | tr -d '\r' | tail -1)
/usr/bin/python3 tests/runner/check_suite_report.py build/win32
echo "== release: the package a script author installs"
cmake --build --preset win32 --target package >/dev/null
bash tests/package/check_package.sh build/win32
echo "== release: the package again from a clean clone, byte for byte, unsigned and signed"
bash tests/package/check_reproducible.sh build/win32
echo "== bench-win32: the ratio program on the DLL (built and started, nothing timed)"
rm -rf build/bench-win32
cmake --preset bench-win32 >/dev/null
cmake --build --preset bench-win32
bash tests/bench/check_ratio_programs.sh win32 build/bench-win32

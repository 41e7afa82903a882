#!/usr/bin/env bash
# Installs what is missing, configures and builds every preset from scratch,
# and runs every test: natively under AddressSanitizer and
# UndefinedBehaviorSanitizer, the benchmark programs started once each with
# nothing timed, fixed fuzzing runs over every command and over the runner's
# script parsing, then the 32-bit Windows build under Wine with the release
# checks and the DLL's benchmark program.
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

echo "== bench (the optimised native benchmark programs: built and started, nothing timed)"
rm -rf build/bench
cmake --preset bench >/dev/null
cmake --build --preset bench
bash tests/bench/check_ratio_programs.sh native build/bench

echo "== fuzz (clang libFuzzer: commands and script text, AddressSanitizer + UndefinedBehaviorSanitizer)"
rm -rf build/fuzz
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
ctest --preset fuzz

echo "== win32 (i686 MinGW-w64, 32-bit programs under Wine)"
# A virtual display, so that the tests can create real windows.
xvfb-run -a -s "-screen 0 1024x768x24" bash tools/test-win32.sh

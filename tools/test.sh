#!/usr/bin/env bash
# Every test, in two tiers, each step named and timed; the first step that
# fails ends the run.
#
# First tier, a few minutes: the format of every tracked C and C++ source,
# then the native build under AddressSanitizer and UndefinedBehaviorSanitizer
# and its tests (every behaviour row, the documents, the runner, the parts'
# direction). Second tier: the benchmark programs started once each with
# nothing timed, fixed fuzzing runs over every command and over the runner's
# script parsing, then the 32-bit Windows build under Wine with the release
# checks and the DLL's benchmark program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

step() {
  local name=$1 start=$SECONDS
  shift
  echo "== $name"
  "$@"
  echo "== $name: passed in $((SECONDS - start)) s"
}

sources() {
  if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files '*.c' '*.cc' '*.cpp' '*.h' '*.hpp'
  else
    find src refhost bench tools tests -name '*.cpp' -o -name '*.h'
  fi
}
format() { sources | xargs clang-format --dry-run -Werror; }
preset() {  # configures and builds a preset from scratch
  rm -rf "build/$1"
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1"
}
native_tests() {
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --preset native
}
bench() { preset bench && bash tests/bench/check_ratio_programs.sh native build/bench; }
fuzz() { preset fuzz && ctest --preset fuzz; }
# A virtual display, so that the tests can create real windows.
win32() { xvfb-run -a -s "-screen 0 1024x768x24" bash tools/test-win32.sh; }

step "setup (what the first tier needs)" bash tools/setup.sh --native
step "format: clang-format over the tracked C and C++ sources" format
step "native build (x86_64, AddressSanitizer + UndefinedBehaviorSanitizer)" preset native
step "native tests" native_tests
step "setup (everything else)" bash tools/setup.sh
step "bench: the optimised native benchmark programs, built and started, nothing timed" bench
step "fuzz: clang libFuzzer over commands and script text, both sanitizers" fuzz
step "win32: i686 MinGW-w64, 32-bit programs under Wine, the release" win32

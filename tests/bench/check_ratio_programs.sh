#!/usr/bin/env bash
# The ratio programs start, bind the product, check that every floor makes
# its command's host calls, and write well-formed figures, and so does the
# script benchmark (the runner's language against the plots it makes): each
# run once with the least sampling there is (six pairs, no budget), so
# nothing is timed that anyone reads. Natively also the instruction counts under callgrind, which
# are no timing and, in the program's own code, come out the same on every run, and the allocator's
# benchmarks, whose own checks fail a run that went wrong.
#
# Usage: check_ratio_programs.sh native BUILD_FOLDER   (the bench preset built)
#        check_ratio_programs.sh win32 BUILD_FOLDER    (bench-win32, Wine started)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$2" && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
least=(--budget 0 --min-pairs 6)

if [ "$1" = native ]; then
  "$build/bench/mbc_bench" "${least[@]}" --instructions --json "$out/figures.json" |
    tee "$out/console.txt"
  python3 "$here/check_figures.py" "$out/figures.json" "$out/console.txt" --instructions
  "$build/bench/mbc_script_bench" "${least[@]}" --instructions --json "$out/script.json" |
    tee "$out/script.txt"
  python3 "$here/check_script_figures.py" "$out/script.json" "$out/script.txt" --instructions
  log=$out/allocator.txt
  "$build/bench/mbc_allocator_bench" --benchmark_repetitions=1 --benchmark_min_time=0.01 2>&1 |
    tee "$log"
  ! grep -q "ERROR OCCURRED" "$log" && grep -q ReleaseIntoFullStack "$log" ||
    { echo "allocator benchmarks: a run failed its check" >&2; exit 1; }
else
  # A Windows program, run in its host folder: the file named on drive Z:,
  # where Wine shows the whole file system.
  (cd "$build/host" && wine ./mbc_dll_bench.exe "${least[@]}" --json "Z:$out/figures.json") |
    tee "$out/console.txt"
  python3 "$here/check_figures.py" "$out/figures.json" "$out/console.txt"
  (cd "$build/host" && wine ./mbc_dll_script_bench.exe "${least[@]}" --json "Z:$out/script.json") |
    tee "$out/script.txt"
  python3 "$here/check_script_figures.py" "$out/script.json" "$out/script.txt"
fi

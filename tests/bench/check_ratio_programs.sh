#!/usr/bin/env bash
# The ratio programs start, bind the product, check that every floor makes
# its command's host calls, and write well-formed figures: each run once with
# the least sampling there is (six pairs, no budget), so nothing is timed that
# anyone reads. Natively also the instruction counts under callgrind, which
# are no timing and come out the same on every run, and the allocator's
# benchmarks, whose own checks fail a run that went wrong.
#
# Usage: check_ratio_programs.sh native BUILD_FOLDER   (the bench preset built)
#        check_ratio_programs.sh win32 BUILD_FOLDER    (bench-win32, Wine started)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
target=$1
build=$(cd "$2" && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
least=(--budget 0 --min-pairs 6)

if [ "$target" = native ]; then
  "$build/bench/mbc_bench" "${least[@]}" --instructions --json "$out/figures.json" >"$out/console.txt"
  cat "$out/console.txt"
  python3 "$here/check_figures.py" "$out/figures.json" "$out/console.txt" --instructions
  "$build/bench/mbc_allocator_bench" --benchmark_repetitions=1 --benchmark_min_time=0.01 \
    >"$out/allocator.txt" 2>&1 || { cat "$out/allocator.txt"; exit 1; }
  if grep -q "ERROR OCCURRED" "$out/allocator.txt" || ! grep -q ReleaseIntoFullStack "$out/allocator.txt"; then
    cat "$out/allocator.txt"
    echo "allocator benchmarks: a run failed its check" >&2
    exit 1
  fi
  echo "allocator benchmarks: every run passed its check"
else
  # A Windows program, so a file name relative to the host folder it runs in.
  rm -f "$build/host/smoke-figures.json"
  (cd "$build/host" && wine ./mbc_dll_bench.exe "${least[@]}" --json smoke-figures.json) \
    >"$out/console.txt"
  cat "$out/console.txt"
  python3 "$here/check_figures.py" "$build/host/smoke-figures.json" "$out/console.txt"
  rm -f "$build/host/smoke-figures.json"
fi

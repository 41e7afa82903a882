#!/usr/bin/env bash
# A suite of 100 scripts in one process against the same 100 scripts as 100
# runs of the program, under Wine. Two sets of 100: "examples", the
# examples (25 scripts, with the pictures they read and their golden
# pictures) copied four times, whose drawing, PNG files and golden checks
# both sides pay alike; and "small", a script of three lines (an image made,
# a box filled, a pixel checked) 100 times, where what a fresh host costs
# stands against what a program's start costs. Timed in
# adjacent pairs, suite then programs, then programs then suite, and so on;
# each pair's ratio (programs over suite, wall time) and the median with its
# distribution-free 95% interval from order statistics, as the benchmark
# programs give theirs (bench/pair_statistics.h). Every run must pass.
#
# Usage: tools/bench-suite.sh [PAIRS [examples|small]] (default 12 pairs of
# the examples; the win32 preset built). About 15 s a pair on a 2-core
# machine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
pairs=${1:-12}
set=${2:-examples}
runner="$root/build/win32/host/mbc_runner.exe"
[ -x "$runner" ] || { echo "bench-suite: build the win32 preset first" >&2; exit 1; }
source tools/wine-env.sh
mbc_start_wine
work="$root/build/bench-suite"
rm -rf "$work"
mkdir -p "$work/scripts"
if [ "$set" = small ]; then
  for n in $(seq -w 1 100); do
    printf '%s\n' "i = MBC Make Memblock Image(16, 16, 32)" "MBC Box i, 0, 0, 15, 15, 0xFF336699, 1" \
      "expect MBC Get Pixel(i, 3, 4), 0xFF336699" >"$work/scripts/s$n.mbc"
  done
else
  for copy in 1 2 3 4; do cp -r examples "$work/scripts/copy$copy"; done
fi
cd "$work"
mapfile -t scripts < <(find scripts -name '*.mbc' | LC_ALL=C sort)
[ "${#scripts[@]}" -eq 100 ] || { echo "bench-suite: ${#scripts[@]} scripts, not 100" >&2; exit 1; }

now() { date +%s.%N; }
suite() {
  local t0
  t0=$(now)
  wine "$runner" -o out scripts >suite.log 2>&1 || { tr -d '\r' <suite.log; exit 1; }
  awk -v end="$(now)" -v start="$t0" 'BEGIN { printf "%.3f\n", end - start }'
}
programs() {
  local t0 script
  t0=$(now)
  for script in "${scripts[@]}"; do
    wine "$runner" "$script" "out/${script%.mbc}" >program.log 2>&1 || { tr -d '\r' <program.log; exit 1; }
  done
  awk -v end="$(now)" -v start="$t0" 'BEGIN { printf "%.3f\n", end - start }'
}

suite >/dev/null  # Wine's server and caches warm
echo "commit $(git -C "$root" rev-parse --short HEAD), $(date -u '+%Y-%m-%d %H:%M UTC'), load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "pair suite_s programs_s" >pairs.txt
for ((pair = 1; pair <= pairs; ++pair)); do
  if ((pair % 2)); then s=$(suite); p=$(programs); else p=$(programs); s=$(suite); fi
  echo "$pair $s $p" | tee -a pairs.txt
done
/usr/bin/python3 - pairs.txt "$set" <<'PY'
import math, statistics, sys
rows = [line.split() for line in open(sys.argv[1]).read().splitlines()[1:]]
suite = [float(r[1]) for r in rows]
programs = [float(r[2]) for r in rows]
ratios = sorted(p / s for s, p in zip(suite, programs))
n = len(ratios)
# The largest k with P(Binomial(n, 1/2) <= k - 1) <= 2.5%.
k = 0
while k + 1 <= n and sum(math.comb(n, i) for i in range(k + 1)) / 2 ** n <= 0.025:
    k += 1
interval = f"{ratios[k - 1]:.1f}-{ratios[n - k]:.1f}" if k else "none (too few pairs)"
print(f"{sys.argv[2]}: {n} pairs: suite median {statistics.median(suite):.2f} s, 100 programs median "
      f"{statistics.median(programs):.2f} s; programs / suite {statistics.median(ratios):.1f}, "
      f"95% interval {interval}")
PY
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"

#!/usr/bin/env bash
# Takes every figure docs/performance.md gives, on this machine, and prints
# them as the document's tables: the ratios of command to floor natively and
# for the DLL under Wine, each once as the machine is and once with the other
# core kept busy; the instruction-count ratios, counted twice to show that
# they do not move; what the script language costs a line, natively (with
# its instructions split by runner, plug-in and store) and under Wine; and
# the allocator's costs. Run it when nobody else uses
# the machine; it says how loaded the machine was before each run.
#
# Usage: tools/bench-figures.sh [OUT_FOLDER [RATIO PROGRAM FLAGS...]]
# (default folder build/figures/DATE-TIME; flags such as --budget 30 go to
# every timed program). About 5 minutes on a 2-core machine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
out=${1:-build/figures/$(date -u +%Y%m%d-%H%M%S)}
shift || true
flags=("$@")
mkdir -p "$out"
out=$(cd "$out" && pwd)

echo "== building the bench and bench-win32 presets"
cmake --preset bench >/dev/null
cmake --build --preset bench >/dev/null
cmake --preset bench-win32 >/dev/null
cmake --build --preset bench-win32 >/dev/null
source tools/wine-env.sh
mbc_start_wine

# What the figures were taken on.
{
  echo "date: $(date -u '+%Y-%m-%d %H:%M UTC')"
  echo "commit: $(git rev-parse --short HEAD)$(git diff --quiet HEAD -- src bench || echo ' (with changes)')"
  echo "processor: $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1), $(nproc) cores"
  echo "memory: $(free -g | awk '/^Mem:/ {print $2}') GiB"
  echo "system: $(. /etc/os-release && echo "$PRETTY_NAME"), kernel $(uname -r)"
  echo "compilers: $(g++ --version | head -1); $(i686-w64-mingw32-g++-posix --version | head -1)"
  echo "wine: $(wine --version)"
} >"$out/machine.txt"
cat "$out/machine.txt"

# How much of the machine everything else used while a run went on: the
# processors' busy time (/proc/stat) less this script's children (the
# program, Wine's processes) and the spinner, over the run's length.
hz=$(getconf CLK_TCK)
cores=$(nproc)
busy_seconds() { awk -v hz="$hz" '/^cpu / {printf "%.2f\n", ($2 + $3 + $4 + $7 + $8) / hz}' /proc/stat; }
children_seconds() { # from the output of `times`, taken in this shell
  awk 'NR == 2 {n = split($0, t, /[ ms]+/); printf "%.2f\n", t[1] * 60 + t[2] + t[3] * 60 + t[4]}'
}
spinner_seconds() {
  if [ -n "$spinner" ]; then awk -v hz="$hz" '{printf "%.2f\n", ($14 + $15) / hz}' "/proc/$spinner/stat"; else echo 0; fi
}
# RUN NAME COMMAND...: runs it, its output to the console and NAME.txt, and
# notes in load.txt what share of the cores the rest of the machine took.
run() {
  local name=$1 b0 c0 s0 t0 b1 c1 s1 t1
  shift
  times >"$out/.times"
  b0=$(busy_seconds) c0=$(children_seconds <"$out/.times") s0=$(spinner_seconds) t0=$(date +%s.%N)
  "$@" | tee "$out/$name.txt"
  times >"$out/.times"
  b1=$(busy_seconds) c1=$(children_seconds <"$out/.times") s1=$(spinner_seconds) t1=$(date +%s.%N)
  rm -f "$out/.times"
  awk -v n="$name" -v b="$b0 $b1" -v c="$c0 $c1" -v s="$s0 $s1" -v t="$t0 $t1" -v cores="$cores" \
    -v load="$(cut -d' ' -f1-3 /proc/loadavg)" 'BEGIN {
      split(b, B, " "); split(c, C, " "); split(s, S, " "); split(t, T, " ")
      others = (B[2] - B[1]) - (C[2] - C[1]) - (S[2] - S[1]); if (others < 0) others = 0
      printf "%s: others took %.0f%% of the %d cores over %.0f s (load average after: %s)\n",
        n, 100 * others / ((T[2] - T[1]) * cores), cores, T[2] - T[1], load }' |
    tee -a "$out/load.txt"
}

# The other core kept busy by a loop that does nothing but spin. Nothing is
# pinned: on a quiet machine the scheduler gives the spinner and the program a
# core each, and on a loaded one a program pinned to a core would share it
# with everything that the spinner pushed off the other.
spinner=
stop_spinner() {
  if [ -n "$spinner" ]; then
    kill "$spinner" 2>/dev/null || true
    wait "$spinner" 2>/dev/null || true
    spinner=
  fi
}
trap stop_spinner EXIT

native() { # NAME FLAGS...
  local name=$1
  shift
  run "$name" build/bench/bench/mbc_bench "$@" --json "$out/$name.json"
}
dll() { # NAME
  run "$1" wine_in_host_folder ./mbc_dll_bench.exe "${flags[@]}" \
    --json "$(winepath -w "$out/$1.json")"
}
wine_in_host_folder() { (cd build/bench-win32/host && wine "$@"); }

echo "== native, instructions counted"
native native "${flags[@]}" --instructions
echo "== native, the instructions counted again in another process (six pairs, not reported)"
native native-counted-again --budget 0 --min-pairs 6 --instructions
echo "== DLL under Wine"
dll dll
echo "== the other core busy"
bash -c 'while :; do :; done' &
spinner=$!
native native-busy "${flags[@]}"
dll dll-busy
stop_spinner
echo "== the script language: natively with its instructions split, and the DLL under Wine"
run script-native build/bench/bench/mbc_script_bench "${flags[@]}" --instructions \
  --json "$out/script-native.json"
run script-dll wine_in_host_folder ./mbc_dll_script_bench.exe "${flags[@]}" \
  --json "$(winepath -w "$out/script-dll.json")"
echo "== the allocator"
run allocator build/bench/bench/mbc_allocator_bench --benchmark_out="$out/allocator.json" \
  --benchmark_out_format=json

python3 - "$out" <<'PYTHON'
import json, os, sys
out = sys.argv[1]
load = dict(line.split(": ", 1) for line in open(os.path.join(out, "load.txt")).read().splitlines())
def figures(name):
    return json.load(open(os.path.join(out, name + ".json")))

def ns(f, side):
    return f"{f[side + '_ns_per_call']:.2f}"

def table(title, name, quiet=None):
    rows = figures(name)
    print(f"\n{title} ({load[name]}):\n")
    header = "| workload | host calls | pairs | command / floor, ns per call | ratio | 95% interval | stopped by |"
    rule = "|---|---:|---:|---:|---:|---:|---|"
    if quiet:
        header += " holds the quiet ratio |"
        rule += "---|"
    if "instructions_ratio" in rows[0]:
        header += " instructions ratio |"
        rule += "---:|"
    print(header + "\n" + rule)
    for i, f in enumerate(rows):
        line = (f"| {f['name']} | {f['host_calls']:,} | {f['pairs']} | {ns(f, 'command')} / "
                f"{ns(f, 'floor')} | {f['ratio']:.3f} | {f['ci_low']:.3f}–{f['ci_high']:.3f} | "
                f"{f['stop']} |")
        if quiet:
            q = figures(quiet)[i]["ratio"]
            line += f" {'yes' if f['ci_low'] <= q <= f['ci_high'] else 'no'} ({q:.3f}) |"
        if "instructions_ratio" in f:
            line += (f" {f['instructions_ratio']:.4f} ({f['command_instructions']:,} / "
                     f"{f['floor_instructions']:,}) |")
        print(line)

table("Native", "native")
table("DLL under Wine", "dll")
table("Native, the other core busy", "native-busy", "native")
table("DLL under Wine, the other core busy", "dll-busy", "dll")
again = figures("native-counted-again")
same = all(a["command_instructions"] == b["command_instructions"] and
           a["floor_instructions"] == b["floor_instructions"] for a, b in zip(figures("native"), again))
print("\nInstruction counts in a second process:", "the same, to the instruction" if same else "DIFFERENT")
print("\nThe script language: a 256 x 256 loop of MBC Plot, paired against the same plots from C++\n")
print("| build | lines run | pairs | script / direct, time | 95% interval | lines per second | 95% interval | stopped by | fastest runs: ratio, lines per second |")
print("|---|---:|---:|---:|---:|---:|---:|---|---:|")
for name, build in (("script-native", "native"), ("script-dll", "DLL under Wine")):
    s = figures(name)
    print(f"| {build} ({load[name]}) | {s['lines']:,} | {s['pairs']} | {s['ratio']:.3f} | "
          f"{s['ci_low']:.3f}–{s['ci_high']:.3f} | {s['lines_per_second']:,.0f} | "
          f"{s['lines_per_second_low']:,.0f}–{s['lines_per_second_high']:,.0f} | {s['stop']} | "
          f"{s['fastest_ratio']:.3f}, {s['fastest_lines_per_second']:,.0f} |")
s = figures("script-native")
perPlot = s["counted_lines"] / s["counted_plots"]
print(f"\nInstructions of one run of one pass ({s['counted_lines']:,} lines), natively, by where they ran:\n")
print("| part | per line run | per plot (a plot line and its next) |")
print("|---|---:|---:|")
for part in ("runner", "plugin", "store", "other"):
    print(f"| {part} | {s[part + '_per_line']:.1f} | {s[part + '_per_line'] * perPlot:.1f} |")
print(f"\nThe same plots called from C++: {s['direct_per_plot']:.1f} instructions a plot.")
runs = json.load(open(os.path.join(out, "allocator.json")))["benchmarks"]
print(f"\nAllocator ({load['allocator']}): medians of the repetitions\n")
for b in runs:
    if b.get("aggregate_name") == "median":
        print(f"- {b['run_name']}: {b['real_time' if 'manual_time' in b['name'] else 'cpu_time']:.3g} {b['time_unit']}")
PYTHON
echo
echo "figures and console output: $out"

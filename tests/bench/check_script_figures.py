"""Checks the figures the script benchmark wrote with --json and its console
output: the lines and plots of its script, an interval holding each figure,
and with --instructions a split of the script's instructions that adds up,
where the runner takes at most half of what the plot command itself takes
(plug-in and store together). Times are not judged.

Usage: check_script_figures.py FIGURES.json CONSOLE.txt [--instructions]
"""
import json
import sys

# The script plots 256 x 256 pixels in passes: three assignments and the
# passes' for, then for each pass its for, for each of the 256 rows the inner
# for, a plot and a next for each pixel and the row's next, and the pass's
# next. It is timed with 16 passes and counted with one.
def lines(passes):
    return 4 + passes * (1 + 256 * (1 + 2 * 256 + 1) + 1)


LINES, PLOTS = lines(16), 16 * 256 * 256


def check(ok, why):
    if not ok:
        sys.exit("script figures: " + why)


f = json.load(open(sys.argv[1]))
console = open(sys.argv[2]).read()
check(f["lines"] == LINES and f["plots"] == PLOTS, f"{f['lines']} lines, {f['plots']} plots")
check(f["pairs"] >= 6, f"{f['pairs']} pairs, fewer than the 6 asked for")
check(0 < f["ci_low"] <= f["ratio"] <= f["ci_high"], f"the interval does not hold {f['ratio']}")
low, rate, high = f["lines_per_second_low"], f["lines_per_second"], f["lines_per_second_high"]
check(0 < low <= rate <= high, f"lines per second {rate} outside {low}-{high}")
check(f"{f['ratio']:.3f}" in console and f"{rate:.0f}" in console, "the console shows other figures")
check(0 < f["fastest_ratio"] and rate <= f["fastest_lines_per_second"],
      "the fastest run is slower than the median")
if "--instructions" in sys.argv:
    parts = [f[part + "_per_line"] for part in ("runner", "plugin", "store", "other")]
    check(all(p >= 0 for p in parts) and min(parts[:3]) > 0, f"instructions per line {parts}")
    check(f["counted_lines"] == lines(1) and f["counted_plots"] == 256 * 256,
          f"{f['counted_lines']} lines counted")
    check(abs(sum(parts) * lines(1) - f["instructions"]) < 1, "the parts do not add up")
    runner, command = [p * lines(1) / (256 * 256) for p in (parts[0], parts[1] + parts[2])]
    check(runner <= command / 2,
          f"the runner takes {runner:.1f} instructions a plot, the command {command:.1f}")
print(f"script figures: {sys.argv[1]} holds the script's {LINES} lines")

"""Checks the figures a ratio program wrote with --json and its console table:
the workloads and their host calls, an interval holding each ratio, and with
--instructions counts whose ratio is the one given, at most 1.05. Times are not judged.

Usage: check_figures.py FIGURES.json CONSOLE.txt [--instructions]
"""
import json
import sys

# Host calls of one run, worked out from the workloads: a box plots 512 * 512
# pixels at five calls, after one existence test. A circle of diameter 256
# plots 128 rings of 361 samples and its centre, at five calls, after one test.
# A stretch reads and plots 1024 * 1024 pixels at five calls each, after two
# existence tests and two headers of three reads; but target columns and rows
# 1022 and 1023 sample index 256, outside the source, so the 4 * 1024 - 4
# pixels among them read at four calls.
EXPECTED = [
    ("filled IMBox 512 x 512", 1 + 5 * 512 * 512),
    ("filled IMCircle diameter 256", 1 + 5 * (128 * 361 + 1)),
    ("IMStretch 256 x 256 to 1024 x 1024", 2 + 6 + 10 * 1024 * 1024 - (4 * 1024 - 4)),
]


def check(ok, why):
    if not ok:
        sys.exit("figures: " + why)


figures = json.load(open(sys.argv[1]))
console = open(sys.argv[2]).read().splitlines()
names = [f["name"] for f in figures]
check(names == [name for name, _ in EXPECTED], f"workloads {names}")
for f, (name, calls) in zip(figures, EXPECTED):
    check(f["host_calls"] == calls, f"{name}: {f['host_calls']} host calls, not {calls}")
    check(f["pairs"] >= 6, f"{name}: {f['pairs']} pairs, fewer than the 6 asked for")
    ratio, low, high = f["ratio"], f["ci_low"], f["ci_high"]
    check(0 < low <= ratio <= high, f"{name}: the interval {low}-{high} does not hold {ratio}")
    # The console shows the figures the file holds.
    row = next((line for line in console if line.startswith(name)), "")
    check(f"{ratio:.3f}" in row and f"{low:.3f}-{high:.3f}" in row, f"{name}: console row {row!r}")
    if "--instructions" in sys.argv:
        command, floor = f["command_instructions"], f["floor_instructions"]
        measured = f["instructions_ratio"]
        check(floor >= calls and abs(measured - command / floor) < 1e-5,
              f"{name}: an instructions ratio of {measured}, not {command} / {floor}")
        check(measured <= 1.05,
              f"{name}: the command runs {measured:.4f} times its floor's instructions")
print(f"figures: {sys.argv[1]} holds the {len(figures)} workloads")

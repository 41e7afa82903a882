"""Checks what a ratio program wrote with --json, and the table it printed.

Usage: check_figures.py FIGURES.json CONSOLE.txt [--instructions]

Times are whatever the machine gave and are not judged; what must hold is the
shape: the three workloads with the host calls each makes, the pairs taken,
an interval around its ratio, why sampling stopped, and with --instructions a
count of each side whose ratio is the one given, at most 1.05.
"""
import json
import math
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


def fail(why):
    sys.exit("figures: " + why)


def positive(value, what):
    if not isinstance(value, (int, float)) or not math.isfinite(value) or value <= 0:
        fail(f"{what} is {value!r}, not a positive number")
    return value


def main():
    path, console_path = sys.argv[1], sys.argv[2]
    counted = "--instructions" in sys.argv[3:]
    with open(path) as f:
        figures = json.load(f)
    with open(console_path) as f:
        console = f.read()
    if not isinstance(figures, list) or len(figures) != len(EXPECTED):
        fail(f"{path}: not a list of {len(EXPECTED)} workloads")
    for figure, (name, calls) in zip(figures, EXPECTED):
        if figure.get("name") != name:
            fail(f"workload {figure.get('name')!r} where {name!r} was expected")
        if figure.get("host_calls") != calls:
            fail(f"{name}: {figure.get('host_calls')} host calls, not {calls}")
        pairs = figure.get("pairs")
        if not isinstance(pairs, int) or pairs < 6:
            fail(f"{name}: {pairs!r} pairs, fewer than the 6 asked for")
        ratio = positive(figure.get("ratio"), f"{name}: ratio")
        low = positive(figure.get("ci_low"), f"{name}: ci_low")
        high = positive(figure.get("ci_high"), f"{name}: ci_high")
        if not low <= ratio <= high:
            fail(f"{name}: the interval {low}-{high} does not hold the ratio {ratio}")
        if figure.get("stop") not in ("interval", "budget"):
            fail(f"{name}: stopped by {figure.get('stop')!r}")
        if counted:
            command = figure.get("command_instructions")
            floor = figure.get("floor_instructions")
            if not (isinstance(command, int) and isinstance(floor, int) and floor >= calls):
                fail(f"{name}: instruction counts {command!r} and {floor!r}")
            measured = positive(figure.get("instructions_ratio"), f"{name}: instructions_ratio")
            if abs(measured - command / floor) > 1e-5:
                fail(f"{name}: instructions_ratio {measured} is not {command} / {floor}")
            if measured > 1.05:
                fail(f"{name}: the command runs {measured:.4f} times its floor's instructions")
        elif "instructions_ratio" in figure:
            fail(f"{name}: instructions counted though not asked for")
        row = next((line for line in console.splitlines() if line.startswith(name)), "")
        if f"{ratio:.3f}" not in row or f"{low:.3f}-{high:.3f}" not in row:
            fail(f"{name}: the console's row {row!r} does not show {ratio:.3f}, {low:.3f}-{high:.3f}")
    print(f"figures: {path} holds the {len(figures)} workloads")


main()

#!/usr/bin/env python3
"""Where the minutes of a test run go: reads the output of tools/run-tests.sh (or of one of the
scripts it runs) and prints each phase's time, the tests each ctest run counted and the twenty
slowest tests.

The run scripts print a line "[phase 2026-12-09T20:05:07Z] Linux build" as each phase begins
(tools/run-phase.sh). A phase ends where the next begins; the last one, a ctest run whose
summary closes the log, ends when its "Total Test time (real)" has passed. A log from before the
markers still shows its ctest runs (named in the order tools/run-tests.sh runs them) and the
Windows build's own line of times.

Usage: tools/run_times.py LOG [--slowest N]      (LOG "-" reads standard input)
"""
import argparse
import re
import sys
from dataclasses import dataclass, field
from datetime import datetime, timezone

MARKER = re.compile(r"^\[phase (\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)\] (.+?)\s*$")
# "  12/328 Test  #12: cli.players ......................   Passed    3.41 sec"
TEST = re.compile(r"^\s*\d+/\d+ Test\s+#\d+: (\S+) \.*\s*(.*?)\s+([0-9.]+) sec\s*$")
TOTAL = re.compile(r"^Total Test time \(real\) =\s*([0-9.]+) sec")
COUNTED = re.compile(r"^\d+% tests passed, (\d+) tests? failed out of (\d+)")
WINDOWS_TIMES = re.compile(
    r"^\[windows\] tools and third-party libraries (\d+) s, Qt (\d+) s, build (\d+) s")
# The ctest runs of tools/run-tests.sh, in their order, for a log without markers.
CTEST_RUNS = ["Linux tests", "sanitizer tests", "wine tests"]


@dataclass
class Phase:
    name: str
    began: datetime | None = None
    seconds: float | None = None
    tests: list = field(default_factory=list)  # (seconds, name, result)
    counted: tuple | None = None  # (failed, out of)
    ctest_seconds: float | None = None


def read_time(text):
    return datetime.strptime(text, "%Y-%m-%dT%H:%M:%SZ").replace(tzinfo=timezone.utc)


def read_log(lines):
    """The phases of the log, in order."""
    phases = []
    marked = False
    current = None
    ctest_runs = 0
    for line in lines:
        line = line.rstrip("\r\n")
        if m := MARKER.match(line):
            marked = True
            current = Phase(m.group(2), began=read_time(m.group(1)))
            phases.append(current)
            continue
        if m := TEST.match(line):
            if current is None or (not marked and current.ctest_seconds is not None):
                ctest_runs += 1
                name = CTEST_RUNS[ctest_runs - 1] if ctest_runs <= len(CTEST_RUNS) else (
                    f"ctest run {ctest_runs}")
                current = Phase(name)
                phases.append(current)
            current.tests.append((float(m.group(3)), m.group(1), m.group(2)))
        elif current is not None and (m := COUNTED.match(line)):
            current.counted = (int(m.group(1)), int(m.group(2)))
        elif current is not None and (m := TOTAL.match(line)):
            current.ctest_seconds = float(m.group(1))
        elif not marked and (m := WINDOWS_TIMES.match(line)):
            # A log without markers: the Windows build's own times come before its tests.
            for name, value in zip(("Windows third-party", "Qt", "Windows build"), m.groups()):
                phases.append(Phase(name, seconds=float(value)))
    for phase, following in zip(phases, phases[1:] + [None]):
        if phase.seconds is not None:
            continue
        if phase.began and following and following.began:
            phase.seconds = (following.began - phase.began).total_seconds()
        elif phase.ctest_seconds is not None:
            # The last phase, or one in a log without markers: ctest's own measure.
            phase.seconds = phase.ctest_seconds
    return phases


def minutes(seconds):
    if seconds is None:
        return "?"
    seconds = round(seconds)
    return f"{seconds // 60}:{seconds % 60:02d}"


def report(phases, slowest):
    out = []
    width = max([len(p.name) for p in phases] + [len("total")])
    out.append("phases (minutes:seconds)")
    for phase in phases:
        line = f"  {phase.name:<{width}}  {minutes(phase.seconds):>6}"
        if phase.counted:
            failed, total = phase.counted
            line += f"   {total} tests, {failed} failed"
        elif phase.tests:
            line += f"   {len(phase.tests)} tests (no summary)"
        out.append(line)
    known = [p.seconds for p in phases if p.seconds is not None]
    out.append(f"  {'total':<{width}}  {minutes(sum(known)):>6}"
               + ("" if len(known) == len(phases) else "   (phases without a time left out)"))
    tests = sorted(((seconds, phase.name, name, result) for phase in phases
                    for seconds, name, result in phase.tests), key=lambda t: (-t[0], t[2]))
    out.append(f"slowest {min(slowest, len(tests))} tests (seconds)")
    for seconds, phase, name, result in tests[:slowest]:
        note = "" if result == "Passed" else f"  [{result}]"
        out.append(f"  {seconds:8.2f}  {phase:<{width}}  {name}{note}")
    return "\n".join(out)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("log", help="the run's output; - for standard input")
    parser.add_argument("--slowest", type=int, default=20, help="how many tests to list")
    args = parser.parse_args(argv)
    if args.log == "-":
        phases = read_log(sys.stdin)
    else:
        with open(args.log, encoding="utf-8", errors="replace") as log:
            phases = read_log(log)
    if not phases:
        print(f"{args.log}: no phase markers and no ctest results", file=sys.stderr)
        return 1
    print(report(phases, args.slowest))
    return 0


if __name__ == "__main__":
    sys.exit(main())

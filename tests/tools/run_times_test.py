"""tools/run_times.py (its path the first argument) on hand-made logs of a run."""
import re
import subprocess
import sys
import tempfile
import unittest

SCRIPT = sys.argv.pop(1) if len(sys.argv) > 1 else "tools/run_times.py"


def test_line(number, name, result, seconds):
    return f"{number:>3}/9 Test  #{number}: {name} {'.' * 20}   {result:<10}{seconds:7.2f} sec"


# A whole run: markers from the scripts, interleaved build noise, three ctest runs, the Windows
# build's own line of times (ignored where markers are), and wine's ctest summary closing it.
MARKED_LOG = "\n".join([
    "[phase 2026-12-09T20:00:00Z] packages",
    "Reading package lists...",
    "[phase 2026-12-09T20:02:30Z] Linux build",
    "[412/412] Linking CXX executable cli/qz7ctl",
    "[phase 2026-12-09T20:14:00Z] Linux tests",
    "Test project /work/build",
    test_line(1, "Templates.Store", "Passed", 0.05),
    test_line(2, "gui.high_dpi_test", "Passed", 71.3),
    test_line(3, "cli.server_health_hang", "***Failed", 60.0),
    "",
    "67% tests passed, 1 tests failed out of 3",
    "Total Test time (real) = 205.10 sec",
    "[phase 2026-12-09T20:17:40Z] sanitizer build",
    "[phase 2026-12-09T20:29:10Z] sanitizer tests",
    test_line(1, "Templates.Store", "Passed", 0.41),
    test_line(2, "gui.startup_test", "Passed", 12.5),
    "100% tests passed, 0 tests failed out of 2",
    "Total Test time (real) =  36.00 sec",
    "[phase 2026-12-09T20:29:46Z] Windows third-party",
    "[phase 2026-12-09T20:30:36Z] Qt",
    "[phase 2026-12-09T20:30:37Z] Windows build",
    "[windows] tools and third-party libraries 50 s, Qt 1 s, build 482 s",
    "[phase 2026-12-09T20:38:39Z] wine start",
    "[windows] wine prefix ready in 9 s (X display :7)",
    "[phase 2026-12-09T20:38:50Z] wine tests",
    test_line(1, "WindowsServe.TheFolderEntryLeavesTheServeRunning", "Passed", 67.0),
    test_line(2, "gui.supervised_server_test", "***Timeout", 300.0),
    test_line(3, "WindowsPlatform.OpensAFile", "***Skipped", 0.0),
    "",
    "67% tests passed, 1 tests failed out of 3",
    "Total Test time (real) = 556.40 sec",
    "The following tests FAILED:",
])

# The same kind of run from before the scripts printed markers.
UNMARKED_LOG = "\n".join([
    "-- Build files have been written to: /work/build",
    test_line(1, "cli.server_health_empty", "Passed", 36.0),
    "100% tests passed, 0 tests failed out of 1",
    "Total Test time (real) = 205.00 sec",
    test_line(1, "Templates.Store", "Passed", 0.4),
    "100% tests passed, 0 tests failed out of 1",
    "Total Test time (real) = 36.00 sec",
    "[windows] tools and third-party libraries 50 s, Qt 1000 s, build 482 s",
    test_line(1, "WindowsServe.Slow", "Passed", 29.0),
    "100% tests passed, 0 tests failed out of 1",
    "Total Test time (real) = 556.00 sec",
])


def run(log, *options):
    with tempfile.NamedTemporaryFile("w", suffix=".log") as file:
        file.write(log)
        file.flush()
        done = subprocess.run([sys.executable, SCRIPT, file.name, *options],
                              capture_output=True, text=True, timeout=30)
    return done.returncode, done.stdout, done.stderr


def section(text, heading):
    """The lines under a heading, up to the next heading."""
    lines = text.splitlines()
    start = next(i for i, line in enumerate(lines) if line.startswith(heading)) + 1
    found = []
    for line in lines[start:]:
        if not line.startswith("  "):
            break
        found.append(line)
    return found


def phase_rows(text):
    """(name, minutes:seconds, what follows) for each line of the phase table."""
    return [re.fullmatch(r"  (.+?)\s+(\d+:\d\d|\?)(?:\s+(.*))?", line).groups("")
            for line in section(text, "phases")]


def slow_rows(text):
    """(seconds, suite, test, result note) for each of the slowest tests."""
    return [re.fullmatch(r"\s+([0-9.]+)  (.+?)\s+(\S+)(?:  \[(.*)\])?", line).groups("")
            for line in section(text, "slowest")]


class RunTimes(unittest.TestCase):
    def test_phases_of_a_marked_run(self):
        status, out, err = run(MARKED_LOG)
        self.assertEqual(status, 0, err)
        # Each phase ends where the next begins; the last, with ctest's own total. Each ctest
        # run shows its count, failures included.
        self.assertEqual(phase_rows(out), [
            ("packages", "2:30", ""), ("Linux build", "11:30", ""),
            ("Linux tests", "3:40", "3 tests, 1 failed"), ("sanitizer build", "11:30", ""),
            ("sanitizer tests", "0:36", "2 tests, 0 failed"),
            ("Windows third-party", "0:50", ""), ("Qt", "0:01", ""),
            ("Windows build", "8:02", ""), ("wine start", "0:11", ""),
            ("wine tests", "9:16", "3 tests, 1 failed"), ("total", "48:06", "")])

    def test_slowest_tests_across_the_suites(self):
        status, out, _ = run(MARKED_LOG, "--slowest", "4")
        self.assertEqual(status, 0)
        self.assertIn("slowest 4 tests", out)
        self.assertEqual(slow_rows(out), [
            ("300.00", "wine tests", "gui.supervised_server_test", "***Timeout"),
            ("71.30", "Linux tests", "gui.high_dpi_test", ""),
            ("67.00", "wine tests", "WindowsServe.TheFolderEntryLeavesTheServeRunning", ""),
            ("60.00", "Linux tests", "cli.server_health_hang", "***Failed")])
        # Twenty by default: all eight here, the skipped one last with its result.
        _, out, _ = run(MARKED_LOG)
        self.assertEqual(len(slow_rows(out)), 8)
        self.assertEqual(slow_rows(out)[-1],
                         ("0.00", "wine tests", "WindowsPlatform.OpensAFile", "***Skipped"))

    def test_a_run_from_before_the_markers(self):
        # The ctest runs by their order, timed by ctest; the Windows build by its own line.
        status, out, err = run(UNMARKED_LOG)
        self.assertEqual(status, 0, err)
        self.assertEqual(phase_rows(out), [
            ("Linux tests", "3:25", "1 tests, 0 failed"),
            ("sanitizer tests", "0:36", "1 tests, 0 failed"),
            ("Windows third-party", "0:50", ""), ("Qt", "16:40", ""),
            ("Windows build", "8:02", ""), ("wine tests", "9:16", "1 tests, 0 failed"),
            ("total", "38:49", "")])
        self.assertEqual([row[2] for row in slow_rows(out)],
                         ["cli.server_health_empty", "WindowsServe.Slow", "Templates.Store"])

    def test_a_log_without_tests_or_markers_is_refused(self):
        for log in ["", "cmake --build build\nninja: no work to do.\n"]:
            with self.subTest(log=log):
                status, out, err = run(log)
                self.assertEqual(status, 1)
                self.assertEqual(out, "")
                self.assertIn("no phase markers and no ctest results", err)


if __name__ == "__main__":
    unittest.main()

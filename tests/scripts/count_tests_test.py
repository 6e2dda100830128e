"""Tests of scripts/count_tests.py: how one ctest run's results become the case counts of
scripts/test's closing total."""
import os
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPT = os.path.join(HERE, "..", "..", "scripts", "count_tests.py")


def junit(*entries):
    """A ctest --output-junit file; each entry is (name, status, skipped message or None)."""
    cases = []
    for name, status, skipped in entries:
        inner = '<skipped message="%s"/>' % skipped if skipped else ""
        if status == "fail":
            inner += '<failure message="Failed"/>'
        cases.append('<testcase name="%s" classname="%s" time="0" status="%s">%s'
                     '<system-out>output</system-out></testcase>' % (name, name, status, inner))
    return ('<?xml version="1.0" encoding="UTF-8"?>\n<testsuite name="x" tests="%d">%s'
            '</testsuite>\n' % (len(entries), "".join(cases)))


def gtest(*cases):
    """A GoogleTest XML report; each case is (suite, name, passed, failed or skipped)."""
    body = []
    for suite, name, outcome in cases:
        inner = {"passed": "", "failed": '<failure message="x" type=""><![CDATA[x]]></failure>',
                 "skipped": '<skipped message="x"/>'}[outcome]
        result = "skipped" if outcome == "skipped" else "completed"
        body.append('<testsuite name="%s"><testcase name="%s" status="run" result="%s" '
                    'classname="%s">%s</testcase></testsuite>'
                    % (suite, name, result, suite, inner))
    return '<?xml version="1.0" encoding="UTF-8"?>\n<testsuites>%s</testsuites>\n' % "".join(body)


THREE_CASES = gtest(("A", "one", "passed"), ("A", "two", "failed"), ("B", "three", "skipped"))
ALL_PASSED = gtest(("A", "one", "passed"), ("A", "two", "passed"))

# (what, ctest entries, {entry name: its GoogleTest report}, passed, failed, skipped)
ROWS = [
    ("each ctest entry is one case",
     [("a", "run", None), ("b", "run", None), ("c", "fail", None)], {}, 2, 1, 0),
    ("a skip by the skip pattern or a disabled test is a skip",
     [("a", "notrun", "SKIP_REGULAR_EXPRESSION_MATCHED"), ("b", "disabled", None),
      ("c", "notrun", "SKIP_RETURN_CODE=4")], {}, 0, 0, 3),
    ("a test that could not run is a failure, as ctest counts it",
     [("a", "notrun", "Unable to find executable"), ("b", "notrun", "Fixture dependency failed")],
     {}, 0, 2, 0),
    ("a whole GoogleTest program counts its cases, not itself",
     [("unit_tests", "fail", None), ("other", "run", None)], {"unit_tests": THREE_CASES}, 2, 1, 1),
    ("a program that failed outside its cases adds a failure",
     [("unit_tests", "fail", None)], {"unit_tests": ALL_PASSED}, 2, 1, 0),
    ("a passing program's failed case still counts as failed",
     [("unit_tests", "run", None)], {"unit_tests": THREE_CASES}, 1, 1, 1),
    ("a report cut short is a failure",
     [("unit_tests", "run", None)], {"unit_tests": ALL_PASSED[:60]}, 0, 1, 0),
    ("a report with no case is a failure",
     [("unit_tests", "run", None)], {"unit_tests": gtest()}, 0, 1, 0),
    ("a report of another entry name is not read",
     [("unit_tests", "run", None)], {"unit_tests_old": THREE_CASES}, 1, 0, 0),
]


class CountTests(unittest.TestCase):
    def test_counts(self):
        for what, entries, reports, passed, failed, skipped in ROWS:
            with self.subTest(what), tempfile.TemporaryDirectory() as tmp:
                results = os.path.join(tmp, "gtest-results")
                os.mkdir(results)
                with open(os.path.join(tmp, "ctest.xml"), "w") as f:
                    f.write(junit(*entries))
                for name, text in reports.items():
                    with open(os.path.join(results, name + ".xml"), "w") as f:
                        f.write(text)
                run = subprocess.run([sys.executable, SCRIPT, os.path.join(tmp, "ctest.xml"),
                                      results], capture_output=True, text=True, check=True)
                self.assertEqual(run.stdout.split(), [str(passed), str(failed), str(skipped)])
                self.assertEqual(run.stderr.count("failed: "), failed, run.stderr)

    def test_unreadable_ctest_results_fail_the_script(self):
        with tempfile.TemporaryDirectory() as tmp:
            path = os.path.join(tmp, "ctest.xml")
            with open(path, "w") as f:
                f.write("<testsuite>")
            run = subprocess.run([sys.executable, SCRIPT, path, tmp], capture_output=True)
            self.assertNotEqual(run.returncode, 0)


if __name__ == "__main__":
    unittest.main()

#!/usr/bin/env python3
"""Counts the test cases of one ctest run, for the closing total of scripts/test.

    scripts/count_tests.py CTEST_JUNIT_XML GTEST_XML_DIR

CTEST_JUNIT_XML is ctest's --output-junit file. An entry of it counts as one case, unless
GTEST_XML_DIR holds "<entry name>.xml": then the entry ran a whole GoogleTest program
(one process for all its cases, as under Wine) and each case in that file counts. An entry
that failed although its file shows no failed case (a crash at exit, a bad exit code)
counts as one more failure, and so does a file that cannot be read or holds no case.

Prints "PASSED FAILED SKIPPED" on one line, and the name of each failed case on stderr.
"""
import os
import sys
import xml.etree.ElementTree as ElementTree

# ctest marks a test that did not run as "notrun"; only these reasons are skips, any other
# (the program is missing, a fixture failed) is a failure, as ctest itself counts it.
SKIP_REASONS = ("SKIP_REGULAR_EXPRESSION_MATCHED", "SKIP_RETURN_CODE", "Disabled")


def ctest_entries(path):
    """(name, outcome) for each ctest entry; outcome is passed, failed or skipped."""
    for case in ElementTree.parse(path).getroot().iter("testcase"):
        status = case.get("status")
        if status == "run":
            outcome = "passed"
        elif status == "disabled":
            outcome = "skipped"
        elif status == "notrun":
            skipped = case.find("skipped")
            reason = skipped.get("message", "") if skipped is not None else ""
            outcome = "skipped" if reason.startswith(SKIP_REASONS) else "failed"
        else:
            outcome = "failed"
        yield case.get("name"), outcome


def gtest_cases(path):
    """(name, outcome) for each case of a GoogleTest XML report."""
    for case in ElementTree.parse(path).getroot().iter("testcase"):
        name = "%s.%s" % (case.get("classname"), case.get("name"))
        if case.find("failure") is not None or case.find("error") is not None:
            outcome = "failed"
        elif case.get("status") == "notrun" or case.get("result") in ("skipped", "suppressed"):
            outcome = "skipped"
        else:
            outcome = "passed"
        yield name, outcome


def count(junit, gtest_dir):
    totals = {"passed": 0, "failed": 0, "skipped": 0}
    failed = []

    def add(name, outcome):
        totals[outcome] += 1
        if outcome == "failed":
            failed.append(name)

    for entry, outcome in ctest_entries(junit):
        report = os.path.join(gtest_dir, entry + ".xml")
        if not os.path.exists(report):
            add(entry, outcome)
            continue
        try:
            cases = list(gtest_cases(report))
        except ElementTree.ParseError as error:
            add("%s (unreadable %s: %s)" % (entry, report, error), "failed")
            continue
        if not cases:
            add(entry + " (its report holds no case)", "failed")
        for name, case_outcome in cases:
            add(name, case_outcome)
        if outcome == "failed" and not any(o == "failed" for _, o in cases):
            add(entry + " (the program failed outside its cases)", "failed")
    return totals, failed


def main(argv):
    if len(argv) != 3:
        sys.exit(__doc__)
    totals, failed = count(argv[1], argv[2])
    for name in failed:
        print("failed: " + name, file=sys.stderr)
    print(totals["passed"], totals["failed"], totals["skipped"])


if __name__ == "__main__":
    main(sys.argv)

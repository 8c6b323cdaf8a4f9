#!/usr/bin/env python3
"""Counts test cases from GoogleTest XML reports and ctest's JUnit report.

Usage: summarize.py REPORT_DIR CTEST_JUNIT [REPORT_DIR CTEST_JUNIT ...]
Prints one line per failing case and then 'N passed, N failed'.

Each ctest entry counts by its GoogleTest report (REPORT_DIR/<entry>.xml) when
there is one, case by case. Without a report:
- an entry that is not a GoogleTest program (a layer check, a fuzz target)
  is one case, passed or failed as ctest says;
- a GoogleTest program that passed but left no report counts as one failure,
  since its cases cannot be counted and the summary would otherwise shrink
  unnoticed;
- a GoogleTest program that failed (it crashed before writing its report)
  counts the cases its output shows passed and failed, and one failure more
  for the abnormal end.
An entry that failed although its report shows no failure (it died after the
last case) adds one failure.
"""
import os
import re
import sys
import xml.etree.ElementTree as ET

# What every GoogleTest main prints before the first case.
GTEST_BANNER = re.compile(r"^\[==========\] Running \d+ tests?", re.M)
GTEST_OK = re.compile(r"^\[       OK \] (\S+) \(", re.M)
GTEST_FAILED = re.compile(r"^\[  FAILED  \] (\S+) \(", re.M)


def gtest_counts(path):
    passed, failed, names = 0, 0, []
    root = ET.parse(path).getroot()
    for case in root.iter("testcase"):
        if case.get("status") == "notrun" or case.get("result") == "skipped":
            continue
        if case.find("failure") is not None or case.find("error") is not None:
            failed += 1
            names.append(f'{case.get("classname")}.{case.get("name")}')
        else:
            passed += 1
    return passed, failed, names


def counts_from_output(name, output):
    """The cases a GoogleTest program's own output shows, for one that ended
    without its report."""
    passed = len(set(GTEST_OK.findall(output)))
    failures = sorted(set(GTEST_FAILED.findall(output)))
    names = [f"{n} ({name} ended without its report)" for n in failures]
    # A failing case alone still lets the program write its report; with none
    # written, the program died, most likely in the case it was running.
    names.append(f"{name} (ended abnormally without its report)")
    return passed, len(names), names


def entry_counts(case, report_dir):
    name = case.get("name")
    ctest_failed = case.get("status") == "fail" or case.find("failure") is not None
    report = os.path.join(report_dir, name + ".xml")
    if os.path.exists(report):
        try:
            p, f, names = gtest_counts(report)
        except ET.ParseError:
            return 0, 1, [f"{name} (unreadable report)"]
        if ctest_failed and f == 0:
            f, names = 1, [f"{name} (ended abnormally)"]
        return p, f, names
    output = case.findtext("system-out") or ""
    if GTEST_BANNER.search(output):
        if ctest_failed:
            return counts_from_output(name, output)
        return 0, 1, [f"{name} (passed but wrote no report to {report_dir})"]
    return (0, 1, [name]) if ctest_failed else (1, 0, [])


def main(args):
    total_passed = total_failed = 0
    for report_dir, junit in zip(args[0::2], args[1::2]):
        if not os.path.exists(junit):
            print(f"FAILED: no ctest report {junit}")
            total_failed += 1
            continue
        for case in ET.parse(junit).getroot().iter("testcase"):
            p, f, names = entry_counts(case, report_dir)
            for n in names:
                print(f"FAILED: {n}")
            total_passed += p
            total_failed += f
    print(f"{total_passed} passed, {total_failed} failed")
    return 1 if total_failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

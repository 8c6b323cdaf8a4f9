#!/usr/bin/env python3
"""Counts test cases from GoogleTest XML reports and ctest's JUnit report.

Usage: summarize.py REPORT_DIR CTEST_JUNIT [REPORT_DIR CTEST_JUNIT ...]
Prints one line per failing case and then 'N passed, N failed'.
A ctest entry that failed without a GoogleTest report of its own (a crash,
a timeout, a script test) counts as one failed case; one that failed although
its report shows no failure (it died after the last case) adds one failure.
"""
import os
import sys
import xml.etree.ElementTree as ET


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


def main(args):
    total_passed = total_failed = 0
    for report_dir, junit in zip(args[0::2], args[1::2]):
        if not os.path.exists(junit):
            print(f"FAILED: no ctest report {junit}")
            total_failed += 1
            continue
        for case in ET.parse(junit).getroot().iter("testcase"):
            name = case.get("name")
            ctest_failed = case.get("status") == "fail" or case.find("failure") is not None
            report = os.path.join(report_dir, name + ".xml")
            if os.path.exists(report):
                try:
                    p, f, names = gtest_counts(report)
                except ET.ParseError:
                    p, f, names = 0, 1, [f"{name} (unreadable report)"]
                if ctest_failed and f == 0:
                    f, names = 1, [f"{name} (ended abnormally)"]
            else:
                p, f, names = (0, 1, [name]) if ctest_failed else (1, 0, [])
            for n in names:
                print(f"FAILED: {n}")
            total_passed += p
            total_failed += f
    print(f"{total_passed} passed, {total_failed} failed")
    return 1 if total_failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

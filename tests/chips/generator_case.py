#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Runs the chip-table generator on one data file and checks the outcome.

usage: generator_case.py <generator.py> <in.json> <out.cpp> (--accept | --refuse TEXT)

--accept: the generator must succeed and write a table.
--refuse TEXT: it must exit non-zero, say TEXT (naming the row or layout and
the key) on stderr, and leave no output file.
"""
import os
import subprocess
import sys


def main(argv):
    if len(argv) < 5 or argv[4] not in ("--accept", "--refuse") or (argv[4] == "--refuse" and len(argv) != 6):
        print(__doc__, file=sys.stderr)
        return 2
    generator, data, out = argv[1], argv[2], argv[3]
    if os.path.exists(out):
        os.remove(out)
    run = subprocess.run([sys.executable, generator, data, out], capture_output=True, text=True)
    print(run.stderr, end="")
    if argv[4] == "--accept":
        if run.returncode != 0:
            print("FAIL: the generator refused a valid file", file=sys.stderr)
            return 1
        with open(out, encoding="ascii") as f:
            source = f.read()
        if "constexpr ChipRecord kChips[]" not in source or "chipAt(" not in source:
            print("FAIL: the output holds no chip table", file=sys.stderr)
            return 1
        return 0
    expected = argv[5]
    if run.returncode == 0:
        print("FAIL: the generator accepted %s" % data, file=sys.stderr)
        return 1
    if expected not in run.stderr:
        print("FAIL: expected the message to contain %r" % expected, file=sys.stderr)
        return 1
    if os.path.exists(out):
        print("FAIL: an output file was left behind", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

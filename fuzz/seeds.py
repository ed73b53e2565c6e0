#!/usr/bin/env python3
"""Writes the seed corpus: every program of the program tests, every example and every input kept
in fuzz/regressions (inputs that once failed a fuzz target), one file each. libFuzzer runs every
seed before it mutates any, so a regression that comes back fails the run at once.

usage: seeds.py SOURCE_DIR OUT_DIR
"""
import glob
import hashlib
import os
import sys

sys.path.insert(0, os.path.join(sys.argv[1], "tests", "programs"))
import run_programs  # noqa: E402  (the .t parser lives there)


def programs(source):
    for path in sorted(glob.glob(os.path.join(source, "tests", "programs", "*.t"))):
        for case in run_programs.parse(path):
            if "program" in case["sections"]:
                yield case["sections"]["program"]
    for pattern in ("examples/*.vn", "fuzz/regressions/*.vn"):
        for path in sorted(glob.glob(os.path.join(source, pattern))):
            with open(path, "rb") as f:
                yield f.read()


def main():
    source, out = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    count = 0
    for program in programs(source):
        if len(program) > 4096:  # big inputs only slow the fuzzer down
            continue
        name = hashlib.sha1(program).hexdigest()
        with open(os.path.join(out, name), "wb") as f:
            f.write(program)
        count += 1
    print("%d seeds in %s" % (count, out))


if __name__ == "__main__":
    main()

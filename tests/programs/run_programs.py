#!/usr/bin/env python3
"""Runs the program cases of one .t file against the vorn binary and compares byte for byte.

A .t file is a sequence of cases. Each case starts with a line "=== name" and holds sections,
each opened by a line "--- section":

  program   the program file's bytes (required)
  args      one argument per line (optional)
  stdin     bytes fed to standard input (optional, default empty)
  status    the expected exit status, a decimal number (default 0); -N means the process was
            ended by signal N, as Python reports it (-6 is SIGABRT, which a shell shows as 134)
  stdout    the expected standard output (default empty)
  stderr    the expected standard error (default empty)
  path      the program path handed to vorn instead of program.vn (escapes as below)
  options   one word per line, handed to vorn before the program path (escapes as below)
  argv      one word per line: the whole command line after vorn, in place of the options,
            the program path and the args (escapes as below); the program is still written
            to program.vn
  bare      (no content) run vorn with no arguments at all
  setup     a shell command run in the case's scratch folder before vorn (optional)

A section's content is every line between its marker and the next marker; a section whose
content is followed by a line "--- end" has no final newline (the newline before the marker is
dropped). In stdout, stderr, path, options and argv, <ESC> stands for the escape byte, <NUL> for
a zero byte and <HEX:xx> for any byte. vorn runs in a fresh scratch folder, where
$VORN_CASE_DIR also points; $VORN_SOURCE_DIR is the source tree, so a setup can copy a program
from examples/; $VORN_BINARY is the vorn under test, for scripts that name it.

$VORN_RUNNER, when set, is a command (split at spaces) that every vorn process runs under, such
as valgrind; the runner must keep vorn's exit status and standard streams unchanged.
"""
import os
import re
import subprocess
import sys
import tempfile

TIMEOUT = float(os.environ.get("VORN_CASE_TIMEOUT", "120"))
RUNNER = os.environ.get("VORN_RUNNER", "").split()
SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def parse(path):
    cases = []
    current = None
    section = None
    with open(path, "rb") as f:
        lines = f.read().split(b"\n")
    if lines and lines[-1] == b"":
        lines.pop()
    for line in lines:
        if line.startswith(b"=== "):
            current = {"name": line[4:].decode(), "sections": {}}
            cases.append(current)
            section = None
        elif line.startswith(b"--- ") and current is not None:
            word = line[4:].decode().strip()
            if word == "end":
                if section is not None:
                    body = current["sections"][section]
                    if body.endswith(b"\n"):
                        current["sections"][section] = body[:-1]
                section = None
            else:
                section = word
                current["sections"][section] = b""
        elif current is not None and section is not None:
            current["sections"][section] += line + b"\n"
    return cases


def unescape(data):
    data = data.replace(b"<ESC>", b"\x1b").replace(b"<NUL>", b"\x00")
    return re.sub(rb"<HEX:([0-9a-fA-F]{2})>", lambda m: bytes([int(m.group(1), 16)]), data)


def words(section):
    """One word per line, escapes undone; an empty line is an empty word."""
    if section.endswith(b"\n"):
        section = section[:-1]
    return [unescape(w) for w in section.split(b"\n")]


def run_case(binary, case):
    s = case["sections"]
    with tempfile.TemporaryDirectory(prefix="vorn-case-") as scratch:
        program = os.path.join(scratch, "program.vn")
        with open(program, "wb") as f:
            f.write(s.get("program", b""))
        env = dict(os.environ, VORN_CASE_DIR=scratch, VORN_SOURCE_DIR=SOURCE_DIR, VORN_BINARY=binary)
        if "setup" in s:
            subprocess.run(s["setup"].decode(), shell=True, cwd=scratch, env=env, check=True)
        args = [a.decode() for a in s.get("args", b"").split(b"\n") if a != b""]
        target = unescape(s["path"].rstrip(b"\n")) if "path" in s else b"program.vn"
        options = words(s["options"]) if "options" in s else []
        if "bare" in s:
            command = [binary]
        elif "argv" in s:
            command = [binary.encode()] + words(s["argv"])
        else:
            command = [binary.encode()] + options + [target] + [a.encode() for a in args]
        command = RUNNER + command
        try:
            done = subprocess.run(command, input=s.get("stdin", b""),
                                  capture_output=True, cwd=scratch, env=env, timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            return ["timed out after %gs" % TIMEOUT]
    problems = []
    want_status = int(s.get("status", b"0").strip() or b"0")
    if done.returncode != want_status:
        problems.append("status %d, expected %d" % (done.returncode, want_status))
    for stream in ("stdout", "stderr"):
        want = unescape(s.get(stream, b""))
        got = getattr(done, stream)
        if got != want:
            problems.append("%s differs:\n  got      %r\n  expected %r" % (stream, got[:2000], want[:2000]))
    return problems


def main():
    binary, path = os.path.abspath(sys.argv[1]), sys.argv[2]
    cases = parse(path)
    failed = 0
    for case in cases:
        problems = run_case(binary, case)
        if problems:
            failed += 1
            print("FAIL %s" % case["name"])
            for p in problems:
                print("  " + p)
    print("%d passed, %d failed" % (len(cases) - failed, failed))
    return 1 if failed or not cases else 0


if __name__ == "__main__":
    sys.exit(main())

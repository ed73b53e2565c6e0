#!/usr/bin/env python3
"""Hostile inputs: programs that are huge, deeply nested, malformed or plain garbage.

Each case writes its program into a scratch folder (the big ones are generated here rather than
kept as files), runs vorn on it and checks the exit status and the report or output. Every case
must end with a report or a result, without a sanitizer finding or a crash, in time that grows
with its size only.

usage: hostile_inputs.py VORN [case ...]
"""
import os
import re
import resource
import subprocess
import sys
import tempfile
import time

REPORT = re.compile(rb"\A\x1b\[mError\.\n Type: (\w+)\n(.*\n)?\\/\n\Z", re.S)
TIMEOUT = float(os.environ.get("VORN_HOSTILE_TIMEOUT", "1500"))


def report(type_, name, message):
    head = b"\x1b[mError.\n Type: " + type_ + b"\n"
    if name is not None:
        head += b" Name: " + name + b"\n"
    return head + message + b"\n\\/\n"


def global_name(i):
    """A distinct global name for every i, made of lowercase letters only (digits end a name)."""
    s = ""
    while True:
        s = chr(97 + i % 26) + s
        i //= 26
        if i == 0:
            return "zq" + s


def noise(count, seed=12345):
    """Pseudo-random bytes from a fixed xorshift generator, the same on every machine."""
    x = seed
    out = bytearray()
    for _ in range(count):
        x ^= (x << 13) & 0xFFFFFFFF
        x ^= x >> 17
        x ^= (x << 5) & 0xFFFFFFFF
        out.append(x & 0xFF)
    return bytes(out)


def entry(body):
    return "main,main\\args\\" + body


# ---- the cases: (name, program bytes or a function making them, check) ----------------------

def status_is(expected):
    def check(status, out, err):
        assert status == expected and err == b"", "status %d, stderr %r" % (status, err[:300])
    return check


def one_report(type_=None, exact=None, max_bytes=None):
    def check(status, out, err):
        assert status == 128, "status %d" % status
        if exact is not None:
            assert err == exact, "stderr %r" % err[:300]
            return
        m = REPORT.match(err)
        assert m, "not one report: %r ... %r" % (err[:200], err[-100:])
        assert err.count(b"Error.\n") == 1 or type_ in (b"Funky", b"Range"), "more than one report"
        if type_ is not None:
            assert m.group(1) == type_, "type %r" % m.group(1)
        if max_bytes is not None:
            assert len(err) <= max_bytes, "report of %d bytes" % len(err)
    return check


def fatal_memory(status, out, err):
    # The fatal error: its word on the standard output, then the abort of an assertion.
    assert status == -6, "status %d" % status
    assert out == b"REDVFAIL: memory\n", "stdout %r" % out[:200]


def big_program():
    # Two and a half million small definitions, 50 MiB in all; the entry uses the first.
    parts = [entry("zqa 1")]
    size, i = 0, 0
    while size < 50 << 20:
        d = "%s\\x\\x+%d" % (global_name(i), i)
        parts.append(d)
        size += len(d) + 1
        i += 1
    return ",".join(parts).encode()


def many_definitions():
    # 200,000 definitions; the entry calls only the last, so the checker sets the rest aside.
    n = 200000
    parts = [entry("%s 0" % global_name(n - 1))]
    parts += ["%s\\x\\x+%d" % (global_name(i), i % 7) for i in range(n)]
    return ",".join(parts).encode()


def definition_chain():
    # zqa calls zqb calls zqc ... 100,000 definitions deep, each adding one.
    n = 100000
    parts = [entry("zqa 0")]
    parts += ["%s\\x\\%s (x+1)" % (global_name(i), global_name(i + 1)) for i in range(n)]
    parts.append("%s\\x\\x" % global_name(n))
    return ",".join(parts).encode()


def local_names(count):
    # One definition binding `count` long local names: its parameter and count-1 lambda variables.
    names = ["p" + chr(97 + i // 26) + chr(97 + i % 26) for i in range(count - 1)]
    body = "(%s\\nn+%s) %s" % ("\\".join(names), "+".join(names), " ".join(str(i) for i in range(count - 1)))
    return (entry("ff 0") + ",ff\\nn\\" + body).encode()


def big_number_result():
    # (d*d+1) mod 256 for d = 7 repeated a million times, without converting d to an int.
    nines_inverse = pow(9, -1, 256)
    d = 7 * (pow(10, 1000000, 256) - 1) * nines_inverse % 256
    return (d * d + 1) % 256


def nested(open_, close, n, inner):
    return open_ * n + inner + close * n


CASES = [
    ("empty file", b"",
     one_report(exact=report(b"Alive", b"}", b"Alive function [TOP] references undefined [}]."))),
    ("random bytes", lambda: noise(100000), one_report()),
    ("NUL bytes everywhere", b"\0".join(bytes([c]) for c in entry("7+1").encode()) + b"\0", one_report()),
    ("a 50 MiB program", big_program, status_is(1)),
    ("a million nested parentheses", entry(nested("(", ")", 1000000, "7")).encode(), status_is(7)),
    # A text nested n deep has 2n-1 elements.
    ("a million nested text brackets", entry("rank " + nested("[", "]", 1000000, "x")).encode(),
     status_is((2 * 1000000 - 1) % 256)),
    ("a million nested braces", entry(nested("{", "}", 1000000, "7")).encode(),
     one_report(type_=b"Funky", max_bytes=16 << 20)),
    ("a million unmatched opening parentheses", entry("(" * 1000000).encode(), one_report(type_=b"Match")),
    ("an unterminated text literal", entry("rank [abc").encode(), one_report(type_=b"Match")),
    ("200,000 definitions", many_definitions, status_is(sum(i % 7 for i in [199999]) % 256)),
    ("a 100,000-byte name", (entry("%s 7" % ("n" * 100000)) + ",%s\\x\\x" % ("n" * 100000)).encode(),
     status_is(7)),
    ("a number of a million digits in arithmetic",
     entry("(%s*%s+1)%%256" % ("7" * 1000000, "7" * 1000000)).encode(), status_is(big_number_result())),
    # The quote of a quote holds the text of the inner one, so n nested quotes hold n texts of up
    # to n bytes each: quadratic in n by their definition, hence a few thousand rather than more.
    # The outermost text has 4n-6 elements.
    ("3,000 nested quotes", entry("rank((" + "`" * 3000 + "7) K)").encode(), status_is((4 * 3000 - 6) % 256)),
    ("a definition chain 100,000 deep", definition_chain, status_is(100000 % 256)),
    ("26 local names", lambda: local_names(26), status_is(sum(range(25)) % 256)),
    ("27 local names", lambda: local_names(27),
     one_report(exact=report(b"Place", b"ff", b"Place error in function ff."))),
    # Deep and long shapes that once cost time quadratic in their size (interning compared terms
    # structurally, a text's list form copied every group): at these sizes a quadratic walk
    # would take minutes, while a linear one takes about a second even in the sanitizer build.
    ("200,000 nested applications of I", entry(nested("I(", ")", 200000, "7")).encode(), status_is(7)),
    # The text's list form, shown in full by the Range report.
    ("a text literal nested 200,000 deep, listed",
     entry(nested("[", "]", 200000, "x") + " H").encode(), one_report(type_=b"Range")),
    ("a sum of 100,000 ones", entry("+".join(["1"] * 100000)).encode(), status_is(100000 % 256)),
    ("a call with 100,000 arguments",
     entry("K 7 (Z(%s))" % ",".join(str(i) for i in range(1, 100001))).encode(), status_is(7)),
    ("100,000 bindings of one long local name",
     entry("acc{0}" + "acc{acc+1}" * 100000 + "acc").encode(), status_is(100000 % 256)),
    # A number with its bit a hundred trillion places up: more memory than any system gives.
    ("a bit set a hundred trillion places up", entry("cork 100000000000000 K 5").encode(), fatal_memory),
    # A slice of a number a hundred trillion bits long: the bits above the number's own are zeros.
    ("a slice a hundred trillion bits long", entry("(into 0 100000000000000 5)%256").encode(), status_is(5)),
    # 1,310,720 bytes as bits: a list of ten and a half million elements, all shown in the report.
    ("a 10-million-element list in a Range report",
     (entry("lots(init(grow [xxxxxxxxxx] 17)),") +
      "grow\\text\\times\\(times<1) text (grow (text+text) (times-1))").encode(),
     one_report(type_=b"Range")),
]


def run(binary, name, program, check, scratch):
    data = program() if callable(program) else program
    path = os.path.join(scratch, "program.vn")
    with open(path, "wb") as f:
        f.write(data)
    start = time.time()
    cpu_before = resource.getrusage(resource.RUSAGE_CHILDREN)
    done = subprocess.run([binary, path], capture_output=True, cwd=scratch, timeout=TIMEOUT)
    took = time.time() - start
    cpu_after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (cpu_after.ru_utime + cpu_after.ru_stime) - (cpu_before.ru_utime + cpu_before.ru_stime)
    os.remove(path)
    try:
        check(done.returncode, done.stdout, done.stderr)
    except AssertionError as e:
        return "%s: %s" % (name, e)
    print("ok   %-46s %8d bytes %7.2f s (CPU %.2f s)" % (name, len(data), took, cpu), flush=True)
    return None


def main():
    binary = os.path.abspath(sys.argv[1])
    wanted = sys.argv[2:]
    failures = []
    with tempfile.TemporaryDirectory(prefix="vorn-hostile-") as scratch:
        for name, program, check in CASES:
            if wanted and name not in wanted:
                continue
            try:
                problem = run(binary, name, program, check, scratch)
            except subprocess.TimeoutExpired:
                problem = "%s: no end within %gs" % (name, TIMEOUT)
            if problem:
                print("FAIL " + problem, flush=True)
                failures.append(problem)
    if failures:
        print("%d hostile case(s) failed" % len(failures))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())

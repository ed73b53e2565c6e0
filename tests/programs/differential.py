#!/usr/bin/env python3
"""Runs random programs on two vorn binaries and compares exit status, stdout and stderr.

  differential.py VORN_A VORN_B [COUNT] [SEED]

Meant for a machine-only build against a build with compiled definitions: the programs are made
of what compiles (parameters, numbers, arithmetic builtins and operators, calls of definitions,
conditionals on a comparison) mixed with what does not (lambdas, lazy letters, texts, a program's
own K, H, I or T), so both the compiled code and its refusals and fallbacks are exercised. Every
definition takes a fuel parameter first and stops at zero, and the one loop (spin) stands only
where a lazy letter drops it, so every program terminates.
Exits 1 on the first difference, printing the program.
"""
import os
import random
import subprocess
import sys
import tempfile

BUILTINS2 = ["plus", "dash", "mult", "over", "cent", "less", "gteq", "same", "diff", "cmpr"]
BUILTINS1 = ["buck", "wave"]
OPERATORS = ["+", "-", "*", "<", ">", "="]
COMPARISONS = ["less", "gteq", "same", "diff", "<", ">", "=", "cmpr", "over", "dash"]


def number(rng):
    n = rng.choice([0, 1, 2, 3, 5, 7, 10, 100, 12345678901234567890])
    if rng.random() < 0.2:
        return "0" + str(n) if n else "0"
    return str(n)


class Generator:
    def __init__(self, rng, names, arities):
        self.rng = rng
        self.names = names
        self.arities = arities

    def leaf(self, params):
        r = self.rng.random()
        if r < 0.55:
            return self.rng.choice(params)
        if r < 0.95:
            return number(self.rng)
        return self.rng.choice(["[ab]", "[]", "K", "H"])

    def expr(self, params, depth, calls):
        rng = self.rng
        if depth <= 0:
            return self.leaf(params)
        r = rng.random()
        sub = lambda: self.expr(params, depth - 1, calls)
        if r < 0.2:
            return self.leaf(params)
        if r < 0.4:
            return "(%s %s %s)" % (rng.choice(BUILTINS2), sub(), sub())
        if r < 0.5:
            return "(%s %s)" % (rng.choice(BUILTINS1), sub())
        if r < 0.62:
            return "(%s%s%s)" % (sub(), rng.choice(OPERATORS), sub())
        if r < 0.77:
            cmp = rng.choice(COMPARISONS)
            cond = "(%s %s %s)" % (cmp, sub(), sub()) if cmp.isalpha() else "(%s%s%s)" % (sub(), cmp, sub())
            return "(%s %s %s)" % (cond, sub(), sub())
        if r < 0.9 and calls[0] > 0:
            calls[0] -= 1
            name = rng.choice(self.names)
            args = " ".join(sub() for _ in range(self.arities[name] - 1))
            return "(%s (fuel-1) %s)" % (name, args) if args else "(%s (fuel-1))" % name
        outside = rng.random()
        if outside < 0.3:
            return "((x\\plus x 1) %s)" % sub()
        if outside < 0.4:
            return "(K %s %s)" % (sub(), sub())
        if outside < 0.5:
            return "(K %s (spin 0))" % sub()
        if outside < 0.7:
            return "(I %s)" % sub()
        if outside < 0.85:
            return "(x{%s}plus x x)" % sub()
        if outside < 0.92:
            return "(H %s %s)" % (sub(), sub())
        return "(H (spin 0) %s)" % sub()


def program(rng):
    count = rng.randint(1, 4)
    names = ["fn" + "abcdefgh"[i] for i in range(count)]
    arities = {name: rng.randint(1, 3) for name in names}
    gen = Generator(rng, names, arities)
    lines = ["main,"]
    args = " ".join(number(rng) for _ in range(arities[names[0]] - 1))
    fuel = rng.randint(1, 6)
    lines.append("main\\args\\%s %d %s," % (names[0], fuel, args))
    for name in names:
        params = ["fuel"] + ["p" + "qrstuvw"[i] for i in range(arities[name] - 1)]
        local = params[1:] or ["fuel"]
        base = gen.expr(local, 2, [0])
        body = gen.expr(local, rng.randint(1, 4), [2])
        lines.append("%s\\%s\\(fuel<1) %s %s," % (name, "\\".join(params), base, body))
    lines.append("spin\\x\\spin x,")
    extra = rng.random()
    if extra < 0.05:
        lines.append("K\\a\\b\\b,")
    elif extra < 0.1:
        lines.append("T\\a\\b\\a,")
    elif extra < 0.13:
        lines.append("H\\a\\K,")
    elif extra < 0.16:
        lines.append("T\\b\\a\\a b,")
    return "\n".join(lines).rstrip(",") + "\n"


def run(binary, path):
    try:
        p = subprocess.run([binary, path], capture_output=True, timeout=20)
        return p.returncode, p.stdout, p.stderr
    except subprocess.TimeoutExpired:
        return "timeout", b"", b""


def main():
    a, b = sys.argv[1], sys.argv[2]
    count = int(sys.argv[3]) if len(sys.argv) > 3 else 300
    seed = int(sys.argv[4]) if len(sys.argv) > 4 else 1
    rng = random.Random(seed)
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "program.vn")
        for i in range(count):
            text = program(rng)
            with open(path, "w") as f:
                f.write(text)
            ra, rb = run(a, path), run(b, path)
            if ra != rb:
                print("program %d differs:\n%s" % (i, text))
                print("first:  %r\nsecond: %r" % (ra, rb))
                return 1
    print("%d programs agree" % count)
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Runs random programs on two vorn binaries and compares exit status, stdout and stderr.

  differential.py VORN_A VORN_B [COUNT] [SEED] [--minutes M] [--shapes a,b] [--keep-going]
                  [--save FOLDER] [--show]

Meant for a machine-only build against a build with compiled definitions. Every program is drawn
from one of several shapes (see SHAPES below): arithmetic and calls, J lists and the recursive
functions over them, lambdas passed, returned and applied later, bindings, parameterless
definitions (memoised, recomputed, cyclic), tree identity and shape (raws, tern, lisp, left,
rght, leaf, type, rank), texts and blobs (joins in loops, cork, look), output whose order matters,
lazy letters in odd places and over-saturated calls, data applied as functions, the program's own
K, H, I, J, V, T, + or *, run-time load, missing-name markers and Z, and (shape deep) long loops
and deep recursion. Results of every kind are returned, so the Range report prints lists, lambdas
and partial applications.

Every program terminates: a recursive definition takes a fuel parameter first, stops below one
and passes fuel-1 on (lambdas keep the fuel they closed over; base cases call nothing), and the
one loop (spin) stands only where a lazy letter drops it. Programs that redefine K, J, V or T in a
way that changes what a conditional means call only definitions written after themselves, so they
need no fuel.

With COUNT (default 300) it runs that many programs from SEED (default 1); with --minutes it runs
until the time is up, seeds counting up, printing a progress line now and then. On a difference it
prints the program and both outcomes, saves the program to a file, shrinks it (dropping
definitions and replacing parenthesised subexpressions by leaves while a difference remains) and
prints and saves the shrunk program. It stops at the first difference unless --keep-going is given.
Exits 1 if any program differed. At the end it prints how the programs ended on VORN_A.
"""
import argparse
import collections
import os
import random
import re
import subprocess
import sys
import tempfile
import time

TIMEOUT = 20

# ---------------------------------------------------------------------------------------------
# The first shape: numbers, arithmetic builtins and operators, calls, conditionals (kept as it
# was first written, so old seeds keep their programs).

BUILTINS2 = ["plus", "dash", "mult", "over", "cent", "less", "gteq", "same", "diff", "cmpr"]
BUILTINS1 = ["buck", "wave"]
OPERATORS = ["+", "-", "*", "<", ">", "="]
COMPARISONS = ["less", "gteq", "same", "diff", "<", ">", "=", "cmpr", "over", "dash"]


def number(rng):
    n = rng.choice([0, 1, 2, 3, 5, 7, 10, 100, 12345678901234567890])
    if rng.random() < 0.2:
        return "0" + str(n) if n else "0"
    return str(n)


class ArithGenerator:
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


def arith_program(rng):
    count = rng.randint(1, 4)
    names = ["fn" + "abcdefgh"[i] for i in range(count)]
    arities = {name: rng.randint(1, 3) for name in names}
    gen = ArithGenerator(rng, names, arities)
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
    # The program's own K and T keep what a conditional means: a K that picks its second argument
    # or a T that drops the function would never reach the fuel test's base case.
    extra = rng.random()
    if extra < 0.05:
        lines.append("K\\a\\b\\I a,")
    elif extra < 0.1:
        lines.append("T\\a\\b\\I (b a),")
    elif extra < 0.13:
        lines.append("H\\a\\K,")
    elif extra < 0.16:
        lines.append("T\\b\\a\\a b,")
    return "\n".join(lines).rstrip(",") + "\n"


# ---------------------------------------------------------------------------------------------
# The typed shapes. Expressions are drawn for a kind of value, so most programs compute
# something real instead of ending in Z: INT, BOOL (K or H), LIST (J lists of numbers), TEXT,
# BLOB, FN (number to number), FN2 (two numbers to a number), PRED (number to K or H). Every
# compound expression is written inside parentheses, which the shrinker relies on.

INT, BOOL, LIST, TEXT, BLOB, FN, FN2, PRED = "int bool list text blob fn fn2 pred".split()
KINDS = [INT, BOOL, LIST, TEXT, BLOB, FN, FN2, PRED]
RESULT_KINDS = [INT, INT, INT, BOOL, LIST, LIST, TEXT, TEXT, BLOB, FN, FN, FN2, PRED]

# Recursive helpers over lists, texts and blobs, each with a fuel parameter first:
# name -> (parameter kinds after the fuel, result kind, definition text).
HELPERS = {
    "len": ([LIST], INT, "len\\f\\l\\(f<1) 0 (l 0 (h\\t\\(plus 1 (len (f-1) t))))"),
    "sum": ([LIST], INT, "sum\\f\\l\\(f<1) 0 (l 0 (h\\t\\(plus h (sum (f-1) t))))"),
    "lmap": ([FN, LIST], LIST, "lmap\\f\\g\\l\\(f<1) K (l K (h\\t\\(J (g h) (lmap (f-1) g t))))"),
    "lfil": ([PRED, LIST], LIST,
             "lfil\\f\\p\\l\\(f<1) K (l K (h\\t\\((p h) (J h (lfil (f-1) p t)) (lfil (f-1) p t))))"),
    "lapp": ([LIST, LIST], LIST, "lapp\\f\\l\\m\\(f<1) m (l m (h\\t\\(J h (lapp (f-1) t m))))"),
    "lmrg": ([LIST, LIST], LIST,
             "lmrg\\f\\l\\m\\(f<1) (lapp f l m) (l m (h\\t\\(m l (i\\u\\((h<i) (J h (lmrg (f-1) t m))"
             " (J i (lmrg (f-1) l u)))))))"),
    "lrng": ([INT, INT], LIST, "lrng\\f\\a\\b\\(f<1) K ((a<b) (J a (lrng (f-1) (a+1) b)) K)"),
    "lrev": ([LIST, LIST], LIST, "lrev\\f\\l\\r\\(f<1) r (l r (h\\t\\(lrev (f-1) t (J h r))))"),
    "lfold": ([FN2, INT, LIST], INT, "lfold\\f\\g\\z\\l\\(f<1) z (l z (h\\t\\(lfold (f-1) g (g z h) t)))"),
    "tjn": ([TEXT, INT], TEXT, "tjn\\f\\t\\n\\(f<1) t (tjn (f-1) (t+n) (n+1))"),
    "tkeep": ([TEXT, TEXT], TEXT, "tkeep\\f\\t\\s\\(f<1) t ((tkeep (f-1) (t+s) s)+t)"),
    "bk": ([BLOB, INT], BLOB, "bk\\f\\b\\i\\(f<1) b (bk (f-1) (cork i [z] b) (i+1))"),
    "bkeep": ([BLOB, INT], TEXT, "bkeep\\f\\b\\i\\(f<1) (rows b) ((rows (cork i [y] b))+(rows b)+(bkeep (f-1) b (i+1)))"),
    "idf": ([INT], INT, "idf\\f\\x\\x"),
}
LIST_HELPERS = ["len", "sum", "lmap", "lfil", "lapp", "lmrg", "lrng", "lrev", "lfold"]
TEXT_HELPERS = ["tjn", "tkeep", "bk", "bkeep"]

# Redefinitions of Prelude letters that keep what conditionals and lists mean (safe with fuel)
# and ones that change it (only in programs without fuel recursion).
SAFE_REDEFINITIONS = ["K\\a\\b\\a", "K\\x\\y\\I x", "I\\a\\a", "I\\q\\K q q", "H\\a\\b\\b", "H\\x\\I",
                      "J\\a\\b\\c\\V a b", "V\\a\\b\\c\\c a b", "V\\x\\y\\f\\T y (f x)",
                      "T\\b\\a\\a b"]
# The program's own operators: + and * (never - or <, which the fuel test uses).
OPERATOR_REDEFINITIONS = ["[+]\\mult", "[+]\\dash", "[*]\\plus", "[+]\\cmpr", "[*]\\(I mult)",
                          "[+]\\(a\\b\\plus b a)", "[*]\\K", "[+]\\(K plus)", "[=]\\diff", "[+]\\over"]
WILD_REDEFINITIONS = ["K\\a\\b\\b", "H\\a\\K", "J\\a\\b\\c\\V b a", "V\\a\\b\\c\\c b a", "T\\a\\b\\a",
                      "I\\a\\K", "H\\a\\b\\a", "J\\a\\b\\c\\c a",
                      "J\\a\\b\\V a b"]


class Function:
    def __init__(self, name, params, result, index, uses_memo=True):
        self.name = name
        self.params = params  # kinds after the fuel parameter
        self.result = result
        self.index = index
        self.uses_memo = uses_memo


class Scope:
    """Letters in scope with their kinds, and the fuel letter (None outside fuel definitions)."""

    def __init__(self, variables, fuel, pool):
        self.variables = dict(variables)
        self.fuel = fuel
        self.pool = pool  # letters this definition may bind

    def bind(self, letter, kind):
        s = Scope(self.variables, self.fuel, self.pool)
        s.variables[letter] = kind
        if letter == self.fuel:
            s.fuel = None
        return s

    def of_kind(self, kind):
        return [v for v, k in self.variables.items() if k == kind]


class Typed:
    def __init__(self, rng, features, mode):
        self.rng = rng
        self.features = features
        self.mode = mode  # "fuel" or "dag"
        self.functions = []  # user functions and helpers callable so far
        self.memos = {}  # parameterless names -> kind
        self.current = None  # the Function whose body is being drawn
        self.allow_memo = True
        self.calls = 0
        self.loads = 0

    def has(self, feature):
        return feature in self.features

    # -- small pieces

    def letter(self, scope):
        """A letter for a new binder: usually a fresh one, sometimes one already in scope."""
        rng = self.rng
        # The fuel letter is never bound again: a call below it must still see the fuel.
        taken = set(scope.variables) - {scope.fuel}
        if taken and rng.random() < 0.2:
            return rng.choice(sorted(taken))
        free = [c for c in scope.pool if c not in taken and c != scope.fuel]
        return rng.choice(free) if free else rng.choice(sorted(taken))

    def num(self):
        rng = self.rng
        r = rng.random()
        if r < 0.75:
            return str(rng.choice([0, 1, 2, 3, 4, 5, 6, 7, 9, 10, 12, 65]))
        if r < 0.9:
            return "0" + str(rng.choice([1, 2, 3, 7]))
        return str(rng.choice([100, 255, 256, 1000, 2 ** 40, 12345678901234567890]))

    def text_literal(self):
        rng = self.rng
        if rng.random() < 0.12:
            return "[]"
        pieces = []
        for _ in range(rng.randint(1, 4)):
            r = rng.random()
            if r < 0.08:
                pieces.append(rng.choice(["[q]", "[r]", "[p]"]))
            elif r < 0.13:
                pieces.append("[%s]" % rng.choice(["ab", "x", "[]"]))
            else:
                pieces.append(rng.choice("abcxyz0123"))
        return "[" + "".join(pieces) + "]"

    def plain_text(self):
        """A text whose bytes init accepts."""
        return "[" + "".join(self.rng.choice("abcdxyz") for _ in range(self.rng.randint(1, 5))) + "]"

    def fuel(self, scope):
        if scope.fuel is not None and self.mode == "fuel":
            return "(%s-1)" % scope.fuel
        return str(self.rng.randint(1, 4))

    def callable_functions(self, result=None):
        out = []
        for fn in self.functions:
            if result is not None and fn.result != result:
                continue
            if not self.allow_memo and fn.uses_memo:
                continue
            if self.mode == "dag" and self.current is not None and fn.index <= self.current.index:
                continue
            out.append(fn)
        return out

    def call(self, scope, depth, fn, drop_last=0):
        args = [self.fuel(scope)] + [self.expr(k, scope, depth - 1) for k in fn.params[:len(fn.params) - drop_last]]
        return "(%s %s)" % (fn.name, " ".join(args))

    # -- expressions

    def expr(self, kind, scope, depth):
        if depth <= 0:
            return self.leaf(kind, scope)
        options = self.options(kind, scope, depth)
        total = sum(w for w, _ in options)
        r = self.rng.random() * total
        for w, make in options:
            r -= w
            if r <= 0:
                out = make()
                if out is not None:
                    return out
                break
        return self.leaf(kind, scope)

    def leaf(self, kind, scope):
        rng = self.rng
        names = scope.of_kind(kind)
        if names and rng.random() < 0.6:
            return rng.choice(names)
        memos = [n for n, k in self.memos.items() if k == kind] if self.allow_memo else []
        if memos and rng.random() < 0.3:
            return rng.choice(memos)
        if kind == INT:
            return self.num()
        if kind == BOOL:
            return rng.choice(["K", "H"])
        if kind == LIST:
            return rng.choice(["K", "(J 1 K)", "(J 2 (J 05 K))", "(J %s K)" % self.num()])
        if kind == TEXT:
            return self.text_literal()
        if kind == BLOB:
            return "(init %s)" % self.plain_text()
        if kind == FN:
            return rng.choice(["I", "(plus 1)", "(mult 2)", "(C dash 1)", "(K 7)", "wave", "(W mult)"])
        if kind == FN2:
            return rng.choice(["plus", "mult", "dash", "K", "H", "cmpr", "(C dash)"])
        if kind == PRED:
            return rng.choice(["(less 2)", "(gteq 3)", "(K K)", "(K H)", "buck", "(same 1)"])
        raise ValueError(kind)

    def any_kind(self):
        return self.rng.choice(RESULT_KINDS)

    def lam(self, scope, depth, param_kinds, result):
        letters = []
        inner = scope
        for k in param_kinds:
            c = self.letter(inner)
            letters.append(c)
            inner = inner.bind(c, k)
        return "(%s\\%s)" % ("\\".join(letters), self.expr(result, inner, depth - 1))

    def binding(self, kind, scope, depth):
        k = self.any_kind()
        value = self.expr(k, scope, depth - 1)
        c = self.letter(scope)
        return "(%s{%s}%s)" % (c, value, self.expr(kind, scope.bind(c, k), depth - 1))

    def applied_lambda(self, kind, scope, depth):
        k = self.any_kind()
        return "(%s %s)" % (self.lam(scope, depth, [k], kind), self.expr(k, scope, depth - 1))

    def conditional(self, kind, scope, depth):
        sub = lambda: self.expr(kind, scope, depth - 1)
        condition = self.expr(BOOL, scope, depth - 1)
        if self.rng.random() < 0.1:
            # A condition that is no truth value: a number, a text, a list, Z.
            others = [v for v, k in scope.variables.items() if k != BOOL]
            condition = self.rng.choice(others + ["Z", "(over 1 0)", self.num()])
        return "(%s %s %s)" % (condition, sub(), sub())

    def match_list(self, kind, scope, depth):
        """(l nil (h\\t\\cons)): the list taken apart."""
        lst = self.expr(LIST, scope, depth - 1)
        if self.rng.random() < 0.15 and scope.variables:
            # Something else taken apart as a list: a number, a text, a lambda, K or H.
            lst = self.rng.choice(sorted(scope.variables))
        nil = self.expr(kind, scope, depth - 1)
        h = self.letter(scope)
        inner = scope.bind(h, INT)
        t = self.letter(inner)
        inner = inner.bind(t, LIST)
        return "(%s %s (%s\\%s\\%s))" % (lst, nil, h, t, self.expr(kind, inner, depth - 1))

    def user_call(self, kind, scope, depth):
        fns = self.callable_functions(kind)
        if not fns or self.calls <= 0:
            return None
        self.calls -= 1
        return self.call(scope, depth, self.rng.choice(fns))

    def over_saturated(self, kind, scope, depth):
        """A call that returns a function, applied to more arguments."""
        rng = self.rng
        if self.calls <= 0:
            return None
        if kind == INT:
            fns = self.callable_functions(FN)
            if fns:
                self.calls -= 1
                return "(%s %s)" % (self.call(scope, depth, rng.choice(fns)), self.expr(INT, scope, depth - 1))
            fns = self.callable_functions(FN2)
            if fns:
                self.calls -= 1
                return "(%s %s %s)" % (self.call(scope, depth, rng.choice(fns)), self.expr(INT, scope, depth - 1),
                                       self.expr(INT, scope, depth - 1))
        if kind == BOOL:
            fns = self.callable_functions(PRED)
            if fns:
                self.calls -= 1
                return "(%s %s)" % (self.call(scope, depth, rng.choice(fns)), self.expr(INT, scope, depth - 1))
        return None

    def partial_call(self, scope, depth, last_kind, result):
        """A user function with its last argument left off: a partial application."""
        fns = [f for f in self.callable_functions(result) if f.params and f.params[-1] == last_kind]
        if not fns or self.calls <= 0:
            return None
        self.calls -= 1
        return self.call(scope, depth, self.rng.choice(fns), drop_last=1)

    def helper(self, name, scope, depth):
        fns = [f for f in self.callable_functions() if f.name == name]
        if not fns:
            return None
        return self.call(scope, depth, fns[0])

    def lazy_int(self, scope, depth):
        rng = self.rng
        e = lambda k: self.expr(k, scope, depth - 1)
        r = rng.randint(0, 12)
        if r == 0:
            return "(K %s %s)" % (e(INT), e(self.any_kind()))
        if r == 1:
            return "(H %s %s)" % (e(self.any_kind()), e(INT))
        if r == 2:
            return "(I %s)" % e(INT)
        if r == 3:
            return "(T %s %s)" % (e(INT), e(FN))
        if r == 4:
            return "(V %s %s %s)" % (e(INT), e(INT), e(FN2))
        if r == 5:
            return "(C %s %s %s)" % (e(FN2), e(INT), e(INT))
        if r == 6:
            return "(B %s %s %s)" % (e(FN), e(FN), e(INT))
        if r == 7:
            return "(S %s %s %s)" % (e(FN2), e(FN), e(INT))
        if r == 8:
            return "(K %s %s %s)" % (e(FN), e(self.any_kind()), e(INT))
        if r == 9:
            return "(I %s %s)" % (e(FN), e(INT))
        if r == 10:
            return "(D %s %s %s %s)" % (e(FN2), e(INT), e(FN), e(INT))
        if r == 11:
            return "(F %s %s %s)" % (e(INT), e(INT), e(FN2))
        if self.has("spin") and self.mode == "fuel":
            return rng.choice(["(K %s (spin 0))" % e(INT), "(H (spin 1) %s)" % e(INT),
                               "(V (spin 2) %s H)" % e(INT), "(J (spin 3) %s 0 H)" % e(INT)])
        return "(W %s %s)" % (e(FN2), e(INT))

    def effect_int(self, scope, depth):
        rng = self.rng
        e = lambda k: self.expr(k, scope, depth - 1)
        r = rng.randint(0, 6)
        if r == 0:
            return "(putchar %d)" % rng.randint(65, 90)
        if r == 1:
            return "(putchar (plus 65 (cent %s 26)))" % e(INT)
        if r == 2:
            return "(puts %s)" % e(TEXT)
        if r == 3:
            return "(plus (putchar %d) (putchar %d))" % (rng.randint(65, 90), rng.randint(97, 122))
        if r == 4:
            c = self.letter(scope)
            return "(%s{putchar %d}%s)" % (c, rng.randint(65, 90), self.expr(INT, scope.bind(c, INT), depth - 1))
        if r == 5:
            return "(puts (lisp %s))" % e(self.any_kind())
        return "(cent rand 97)"

    def identity_test(self, scope, depth):
        """raws on two occurrences of one term, on a variable, through interning, via leak."""
        rng = self.rng
        k = self.any_kind()
        x = self.expr(k, scope, max(1, depth - 2))
        r = rng.randint(0, 6)
        if r <= 1:
            return "(raws %s %s)" % (x, x)
        if r == 2:
            c = self.letter(scope)
            return "(%s{%s}(raws %s %s))" % (c, x, c, rng.choice([c, "(I %s)" % c, "(K %s 1)" % c]))
        if r == 3:
            return "(raws (tern %s) (tern %s))" % (x, x)
        if r == 4:
            return "(same (leak %s) (leak %s))" % (x, x)
        if r == 5:
            c = self.letter(scope)
            return "(%s{%s}(raws %s (idf %s %s)))" % (c, x, c, self.fuel(scope), c) if self.has_helper("idf") else None
        return "(raws %s %s)" % (x, self.expr(k, scope, max(1, depth - 2)))

    def data_int(self, scope, depth):
        """A number taken apart as a function: 0 x w is x, n x w is w sign rest."""
        s = self.letter(scope)
        inner = scope.bind(s, BOOL)
        m = self.letter(inner)
        inner = inner.bind(m, INT)
        if self.rng.random() < 0.5:
            body = "(%s %s %s)" % (s, self.expr(INT, inner, depth - 1), self.expr(INT, inner, depth - 1))
        else:
            body = self.expr(INT, inner, depth - 1)
        return "(%s %s (%s\\%s\\%s))" % (self.expr(INT, scope, depth - 1), self.expr(INT, scope, depth - 1), s, m, body)

    def with_call(self, kind, scope, depth):
        """An expression that calls at least one user function (when any may be called): a body
        that drew no call gets one bound in front of it."""
        body = self.expr(kind, scope, depth)
        fns = [f for f in self.callable_functions() if f.index >= 0]
        if self.calls < 2 or not fns:
            return body
        self.calls -= 1
        fn = self.rng.choice(fns)
        call = self.call(scope, depth, fn)
        c = self.letter(scope)
        return "(%s{%s}%s)" % (c, call, self.expr(kind, scope.bind(c, fn.result), depth))

    def loaded(self):
        """load of a text whose entry calls one of the program's functions and a definition it
        brings along (a second load of the same name gives Z)."""
        rng = self.rng
        fns = [f for f in self.callable_functions(INT) if f.index >= 0 and all(k == INT for k in f.params)]
        if not fns:
            return None
        fn = rng.choice(fns)
        self.loads += 1
        name = "ld" + "abcdefghij"[self.loads % 10]
        args = ",".join([str(rng.randint(1, 3))] + [str(rng.randint(0, 9)) for _ in fn.params])
        return "(load [%s(%s(%s)),%s\\x\\x*%d])" % (name, fn.name, args, name, rng.randint(2, 5))

    def memo_use(self, kind):
        """A parameterless name, used twice where it can be, so that a memoised value is met again."""
        names = [n for n, k in self.memos.items() if k == kind]
        if not names:
            return None
        a, b = self.rng.choice(names), self.rng.choice(names)
        if kind == INT:
            return "(plus %s %s)" % (a, b)
        if kind in (TEXT, BLOB):
            return "(%s+%s)" % (a, b)
        if kind == LIST:
            return "(J (len 2 %s) %s)" % (a, b) if self.has_helper("len") else a
        if kind == BOOL:
            return "(%s&%s)" % (a, b)
        return a

    def has_helper(self, name):
        return any(f.name == name for f in self.functions)

    def missing(self, scope, depth):
        rng = self.rng
        r = rng.randint(0, 4)
        if r == 0:
            return "(%s 0 (s\\m\\(m 1)))" % rng.choice(["4", "8", "16", "2"])
        if r == 1:
            return "(%s 0 (s\\m\\m))" % self.expr(INT, scope, depth - 1)
        if r == 2:
            return "(over %s 0)" % self.expr(INT, scope, depth - 1)
        if r == 3:
            return "(Z %s %s)" % (self.expr(self.any_kind(), scope, depth - 1), self.expr(INT, scope, depth - 1))
        return "(plus %s %s)" % (self.expr(self.any_kind(), scope, depth - 1), self.expr(INT, scope, depth - 1))

    def options(self, kind, scope, depth):
        rng = self.rng
        has = self.has
        e = lambda k: self.expr(k, scope, depth - 1)
        opts = [(3, lambda: self.leaf(kind, scope))]
        if has("calls"):
            opts.append((8, lambda: self.user_call(kind, scope, depth)))
        if has("bind"):
            opts.append((2, lambda: self.binding(kind, scope, depth)))
        if has("lambdas"):
            opts.append((2, lambda: self.applied_lambda(kind, scope, depth)))
        if has("lists"):
            opts.append((2, lambda: self.match_list(kind, scope, depth)))
        if has("lazy"):
            opts.append((1, lambda: "(I %s)" % e(kind)))
            opts.append((1, lambda: "(K %s %s)" % (e(kind), e(self.any_kind()))))
        if has("missing"):
            opts.append((0.5, lambda: self.missing(scope, depth)))
        opts.append((2, lambda: self.conditional(kind, scope, depth)))
        if self.allow_memo and self.memos:
            opts.append((4, lambda: self.memo_use(kind)))
        if kind == INT:
            opts += [
                (4, lambda: "(%s %s %s)" % (rng.choice(["plus", "dash", "mult"]), e(INT), e(INT))),
                (3, lambda: "(%s%s%s)" % (e(INT), rng.choice("+-*"), e(INT))),
                (1, lambda: "(%s %s %s)" % (rng.choice(["over", "cent"]), e(INT), rng.choice(["2", "3", "7", "05"]))),
                (1, lambda: "(wave %s)" % e(INT)),
            ]
            if has("lambdas"):
                opts.append((3, lambda: "(%s %s)" % (e(FN), e(INT))))
                opts.append((1, lambda: "(%s %s %s)" % (e(FN2), e(INT), e(INT))))
                opts.append((2, lambda: self.over_saturated(INT, scope, depth)))
            if has("lists"):
                for name in ["len", "sum", "lfold"]:
                    opts.append((1.5, lambda name=name: self.helper(name, scope, depth)))
            if has("lazy"):
                opts.append((4, lambda: self.lazy_int(scope, depth)))
            if has("load"):
                opts.append((1, lambda: self.loaded()))
            if has("effects"):
                opts.append((4, lambda: self.effect_int(scope, depth)))
            if has("texts"):
                opts.append((1, lambda: "(rank %s)" % e(TEXT)))
                opts.append((0.5, lambda: "(rank %s)" % e(BLOB)))
            if has("trees"):
                opts.append((1, lambda: "(rank %s)" % e(rng.choice([TEXT, INT, BLOB]))))
                opts.append((0.5, lambda: "(rank (lisp %s))" % e(self.any_kind())))
                opts.append((4, lambda: "(%s %s %s)" % (self.identity_test(scope, depth), e(INT), e(INT))))
            if has("data"):
                opts.append((3, lambda: self.data_int(scope, depth)))
        elif kind == BOOL:
            opts += [
                (4, lambda: "(%s%s%s)" % (e(INT), rng.choice("<>=#"), e(INT))),
                (2, lambda: "(%s %s %s)" % (rng.choice(["less", "gteq", "same", "diff"]), e(INT), e(INT))),
                (1, lambda: "(%s%s%s)" % (e(BOOL), rng.choice("&|"), e(BOOL))),
                (1, lambda: "(!%s)" % e(BOOL)),
                (1, lambda: "(buck %s)" % e(INT)),
            ]
            if has("lambdas"):
                opts.append((2, lambda: "(%s %s)" % (e(PRED), e(INT))))
                opts.append((1, lambda: self.over_saturated(BOOL, scope, depth)))
            if has("lists"):
                opts.append((2, lambda: "(%s K (h\\t\\H))" % e(LIST)))
            if has("texts"):
                opts.append((1, lambda: "(same %s %s)" % (e(TEXT), e(TEXT))))
                opts.append((1, lambda: "(leaf %s)" % e(TEXT)))
                opts.append((1, lambda: "(%s<%s)" % (e(TEXT), e(TEXT))))
            if has("trees"):
                opts.append((6, lambda: self.identity_test(scope, depth)))
                opts.append((1, lambda: "(look %s %s)" % (rng.choice(["0", "1", "2", "01"]), e(INT))))
                opts.append((0.5, lambda: "(look %s (real [%s]))" % (rng.choice(["0", "52", "63", "01"]),
                                                                     rng.choice(["1.5", "-0.5", "3"]))))
                opts.append((1, lambda: "(leaf %s)" % e(TEXT)))
                opts.append((1, lambda: "(leaf (V (X J) %s))" % rng.choice(["K", "(J K K)"])))
        elif kind == LIST:
            opts += [(5, lambda: "(J %s %s)" % (e(INT), e(LIST)))]
            if has("lists"):
                for name in ["lmap", "lfil", "lapp", "lmrg", "lrng", "lrev"]:
                    opts.append((1.5, lambda name=name: self.helper(name, scope, depth)))
                opts.append((1, lambda: "(%s K (h\\t\\t))" % e(LIST)))
            if has("lazy"):
                opts.append((1, lambda: "(H %s %s)" % (e(self.any_kind()), e(LIST))))
                opts.append((1, lambda: "(T %s (J %s))" % (e(LIST), e(INT))))
            if has("effects"):
                opts.append((2, lambda: "(J (putchar %d) %s)" % (rng.randint(65, 90), e(LIST))))
        elif kind == TEXT:
            opts += [
                (4, lambda: "(%s+%s)" % (e(TEXT), e(rng.choice([TEXT, INT])))),
                (1, lambda: "(plus %s %s)" % (e(INT), e(TEXT))),
            ]
            if has("texts") or has("trees"):
                opts += [
                    (2, lambda: "(lisp %s)" % e(self.any_kind())),
                    (1, lambda: "(rows %s)" % rng.choice(["65", "97", "10", "91", e(INT)])),
                    (1, lambda: "(rows %s)" % e(BLOB)),
                    (1, lambda: "(%s (%s+[%s]))" % (rng.choice(["left", "rght"]), e(TEXT), rng.choice("abq"))),
                    (1, lambda: "(look %s %s)" % (rng.choice(["0", "1", "01", "3"]), e(TEXT))),
                    (1, lambda: "(cork %s [%s] %s)" % (rng.choice(["0", "1", "01"]), rng.choice("kw"), e(TEXT))),
                    (1, lambda: "(into %s %s %s)" % (rng.choice(["0", "1"]), rng.choice(["0", "1", "2"]), e(TEXT))),
                    (1, lambda: "(type %s)" % e(self.any_kind())),
                    # A text applied to a text is no application: the pair is a composite text.
                    (1.5, lambda: "(%s %s)" % (e(TEXT), e(TEXT))),
                    # Reals: arithmetic mixing them with numbers, printed through lisp.
                    (1, lambda: "(lisp (%s (real [%s]) %s))" % (rng.choice(["plus", "mult", "dash", "over"]),
                                                                rng.choice(["1.5", "0.25", "-2", "1e3"]), e(INT))),
                    (0.5, lambda: "((%s+[a]) G %s)" % (e(TEXT), rng.choice(["K", "H"])) if has("data") else None),
                ]
            if has("texts"):
                for name in TEXT_HELPERS:
                    if name != "bk":
                        opts.append((2, lambda name=name: self.helper(name, scope, depth)))
            if has("trees"):
                opts.append((1, lambda: "((`%s) K)" % e(self.any_kind())))
                opts.append((1, lambda: "(rows (%s (V (X J) (J (J K K) K))))" % rng.choice(["left", "rght", "I"])))
        elif kind == BLOB:
            opts += [(3, lambda: "(init %s)" % self.plain_text())]
            if has("texts"):
                opts.append((2, lambda: "(cork %s [%s] %s)" % (rng.choice(["0", "1", "01"]), rng.choice("kw"), e(BLOB))))
                opts.append((1, lambda: "(%s+%s)" % (e(BLOB), e(BLOB))))
                opts.append((2, lambda: self.helper("bk", scope, depth)))
        elif kind == FN:
            opts += [(3, lambda: "(%s %s)" % (rng.choice(["plus", "mult", "dash", "cmpr"]), e(INT)))]
            if has("lambdas"):
                opts += [
                    (6, lambda: self.lam(scope, depth, [INT], INT)),
                    (2, lambda: self.partial_call(scope, depth, INT, INT)),
                    (2, lambda: "(B %s %s)" % (e(FN), e(FN))),
                    (1, lambda: "(K %s)" % e(INT)),
                    (1, lambda: "(%s %s)" % (e(FN2), e(INT))),
                    (1, lambda: "(S %s %s)" % (e(FN2), e(FN))),
                    (1, lambda: "(C %s %s)" % (e(FN2), e(INT))),
                ]
            if has("lazy"):
                # Lazy partial applications: their arguments are evaluated when they are returned
                # as values, and taken as they stand when the caller applies them at once.
                opts += [
                    (1, lambda: "(H %s)" % e(self.any_kind())),
                    (1, lambda: "(I %s)" % e(FN)),
                    (1, lambda: "(S K %s)" % e(self.any_kind())),
                    (1, lambda: "(B (K %s) %s)" % (e(INT), e(FN))),
                ]
                if has("effects"):
                    opts.append((2, lambda: "(K %s)" % self.effect_int(scope, depth)))
        elif kind == FN2:
            if has("lambdas"):
                opts += [
                    (4, lambda: self.lam(scope, depth, [INT, INT], INT)),
                    (1, lambda: "(B %s)" % e(FN)),
                    (1, lambda: "(C %s)" % e(FN2)),
                ]
        elif kind == PRED:
            opts += [(3, lambda: "(%s %s)" % (rng.choice(["less", "gteq", "same", "diff"]), e(INT)))]
            if has("lambdas"):
                opts += [
                    (4, lambda: self.lam(scope, depth, [INT], BOOL)),
                    (1, lambda: "(B %s %s)" % (e(PRED), e(FN))),
                    (1, lambda: "(K %s)" % e(BOOL)),
                    (1, lambda: self.partial_call(scope, depth, INT, BOOL)),
                ]
        return opts


# Shapes: name -> (weight, features, how often the program's own letters appear, mode).
COMMON = {"calls", "bind"}
SHAPES = {
    "arith": (10, None),
    "deep": (2, None),
    "lists": (14, COMMON | {"lists", "lambdas"}),
    "lambdas": (14, COMMON | {"lambdas", "lists", "lazy"}),
    "bindings": (7, COMMON | {"lambdas", "lists"}),
    "memo": (10, COMMON | {"memo", "effects", "lambdas", "lists", "load"}),
    "trees": (10, COMMON | {"trees", "lists", "lambdas", "texts"}),
    "texts": (10, COMMON | {"texts", "effects"}),
    "effects": (10, COMMON | {"effects", "lists", "lambdas", "memo"}),
    "odd": (10, COMMON | {"lazy", "data", "lambdas", "spin", "lists"}),
    "redefine": (6, COMMON | {"lazy", "lambdas", "lists", "effects", "data", "texts"}),
    "missing": (4, COMMON | {"missing", "lists", "effects", "lambdas"}),
    "mixed": (12, COMMON | {"lists", "lambdas", "memo", "trees", "texts", "effects", "lazy", "data", "spin",
                            "load"}),
}


def typed_program(rng, shape):
    features = set(SHAPES[shape][1])
    mode = "dag" if shape == "redefine" else "fuel"
    gen = Typed(rng, features, mode)
    definitions = []
    letters = "abcdefghijklmnopqrstuvwxy"

    if mode == "fuel":
        wanted = []
        if "lists" in features:
            wanted += rng.sample(LIST_HELPERS, rng.randint(2, len(LIST_HELPERS)))
            if "lmrg" in wanted and "lapp" not in wanted:
                wanted.append("lapp")
        if "texts" in features:
            wanted += TEXT_HELPERS
        if "trees" in features or rng.random() < 0.3:
            wanted.append("idf")
        for name in wanted:
            params, result, text = HELPERS[name]
            gen.functions.append(Function(name, params, result, -1, uses_memo=False))
            definitions.append(text)

    count = rng.randint(1, 4)
    user = []
    for i in range(count):
        arity = rng.randint(0, 3)
        params = [gen.any_kind() if rng.random() < 0.5 else INT for _ in range(arity)]
        result = gen.any_kind() if rng.random() < 0.6 else INT
        user.append(Function("f" + "abcdefgh"[i], params, result, i, uses_memo=i >= count // 2))

    memo_defs = []
    if "memo" in features:
        # Parameterless definitions, drawn before the functions that use them: they may call
        # only functions that do not use them, so the only cycle is the one made on purpose.
        gen.functions += [f for f in user if not f.uses_memo]
        gen.allow_memo = True
        for j in range(rng.randint(1, 3)):
            kind = gen.any_kind()
            name = "m" + "abcd"[j]
            empty_call = rng.random() < 0.3
            gen.calls = 2
            gen.current = None
            body = gen.expr(kind, Scope({}, None, letters), rng.randint(1, 3))
            if "effects" in features and rng.random() < 0.6:
                body = "(%s{putchar %d}%s)" % (rng.choice("uvw"), rng.randint(65, 90), body)
            if re.match(r"\([a-z]\\", body):
                body = "(I %s)" % body  # a lambda written here would make a function, not a value
            if empty_call:
                name = "r" + "abcd"[j]
                if rng.random() < 0.4:
                    kind, body = INT, "(cent rand %d)" % rng.randint(5, 50)
            memo_defs.append("%s%s\\%s" % (name, "()" if empty_call else "", body))
            gen.memos[name] = kind
        if rng.random() < 0.12:
            memo_defs.append("cya\\(plus cyb 1)")
            memo_defs.append("cyb\\(%s cya 2)" % rng.choice(["plus", "mult", "K", "I"]))
            gen.memos["cya"] = INT
        gen.functions = [f for f in gen.functions if f not in user]
    gen.functions += user

    bodies = []
    for fn in user:
        gen.current = fn
        gen.allow_memo = fn.uses_memo and "memo" in features
        pool = letters
        names = [c for c in rng.sample(letters, len(fn.params) + 1)]
        fuel, params = names[0], names[1:]
        if len(params) >= 2 and rng.random() < 0.1:
            params[-1] = params[0]  # the same letter twice: the later parameter is the one seen
        scope = Scope({p: k for p, k in zip(params, fn.params)}, fuel, pool)
        if mode == "fuel":
            # No calls in the base case: below the fuel test a call would start again from a
            # fuel of its own.
            gen.calls = 0
            base = gen.expr(fn.result, Scope(scope.variables, None, pool), rng.randint(0, 2))
            gen.calls = 2
            body = gen.with_call(fn.result, scope, rng.randint(2, 4))
            text = "(%s<1) %s %s" % (fuel, base, body)
        else:
            gen.calls = 2
            text = gen.with_call(fn.result, scope, rng.randint(1, 4))
        bodies.append("%s\\%s\\%s" % (fn.name, "\\".join([fuel] + params), text))

    # The entry: a few results printed through lisp, then the result of some kind.
    gen.current = None
    gen.allow_memo = "memo" in features
    main_scope = Scope({}, None, letters)
    prints = []
    if rng.random() < 0.3:
        for _ in range(rng.randint(1, 2)):
            gen.calls = 2
            prints.append(gen.expr(gen.any_kind(), main_scope, rng.randint(1, 3)))
    gen.calls = 3
    kind = INT if rng.random() < 0.45 else gen.any_kind()
    result = gen.expr(kind, main_scope, rng.randint(1, 4))
    if user and rng.random() < 0.85:
        fn = rng.choice(user)
        gen.calls = 1
        call = gen.call(Scope({}, None, letters), 2, fn)
        result = rng.choice([call, "(%s %s %s)" % (gen.expr(BOOL, main_scope, 1), call, result)])
    for p in reversed(prints):
        result = "(z{puts (lisp %s)}%s)" % (p, result)
    # Bound first, so that a lambda result is not read as a second parameter of main.
    main = "main\\z\\(z{%s}z)" % result

    lines = ["main", main] + bodies + memo_defs + definitions
    if "spin" in features:
        lines.append("spin\\x\\spin x")
    if shape == "redefine":
        lines.append(rng.choice(WILD_REDEFINITIONS + SAFE_REDEFINITIONS))
    elif shape in ("odd", "mixed", "lambdas") and rng.random() < 0.35:
        lines.append(rng.choice(SAFE_REDEFINITIONS))
    if shape in ("odd", "mixed", "redefine", "lambdas", "texts") and rng.random() < 0.2:
        lines.append(rng.choice(OPERATOR_REDEFINITIONS))
    return ",\n".join(lines) + "\n"


def deep_program(rng):
    """Long loops and deep recursion: lists of many thousands of elements built, mapped, filtered
    and summed without tail calls, a text grown by hundreds of thousands of joins and a large blob
    changed by cork in a loop. Code that recursed natively would run out of stack, and a join or
    cork that copied where the machine works in place would take far longer than the timeout."""
    n = rng.choice([20000, 100000, 300000])
    lines = ["main"]
    r = rng.randint(0, 4)
    if r == 0:
        build = rng.choice(["(bd %d K)" % n, "(bu %d)" % n])
        steps = build
        for _ in range(rng.randint(0, 3)):
            steps = rng.choice(["(lm (x\\x*3+1) %s)", "(lf (x\\cent x 3=1) %s)", "(lr %s K)",
                                "(lm (mult 2) %s)"]) % steps
        result = "(cent (%s %s) 251)" % (rng.choice(["sm", "ln", "sa 0"]), steps)
        if rng.random() < 0.3:
            result = "(z{%s}(lisp (lt 5 z)))" % steps
    elif r == 1:
        piece = rng.choice(["[ab]", "[x]", "(rows (plus 97 (cent n 26)))", "n"])
        result = "(cent (rank (tj %d [])) 251)" % n
        lines.append("tj\\n\\t\\(n<1) t (tj (n-1) (t+%s))" % piece)
    elif r == 2:
        result = "(z{bg 17 (init [abcdefgh])}(look %d (ck %d z 0)))" % (rng.randint(0, 1000), n // 3)
        lines.append("bg\\n\\b\\(n<1) b (bg (n-1) (b+b))")
        lines.append("ck\\n\\b\\i\\(n<1) b (ck (n-1) (cork (cent i 1000) (rows (plus 97 (cent i 26))) b) (i+7))")
    elif r == 3:
        result = "(cent (cnt %d) 251)" % n
        lines.append("cnt\\n\\(n<1) 0 (1+cnt(n-1))")
    else:
        result = "(cent (sm (lz %d)) 251)" % n
        lines.append("lz\\n\\(n<1) K (J n (lz (n-1)))")
    lines.insert(1, "main\\z\\" + result)
    lines += [
        "bd\\n\\a\\(n<1) a (bd (n-1) (J n a))",
        "bu\\n\\(n<1) K (J n (bu (n-1)))",
        "sm\\l\\l 0 (h\\t\\plus h (sm t))",
        "sa\\a\\l\\l a (h\\t\\sa (a+h) t)",
        "ln\\l\\l 0 (h\\t\\1+ln(t))",
        "lm\\f\\l\\l K (h\\t\\J (f h) (lm f t))",
        "lf\\p\\l\\l K (h\\t\\(p h) (J h (lf p t)) (lf p t))",
        "lr\\l\\r\\l r (h\\t\\lr t (J h r))",
        "lt\\n\\l\\(n<1) K (l K (h\\t\\J h (lt (n-1) t)))",
    ]
    return ",\n".join(lines) + "\n"


def make_program(rng, shapes):
    names = [s for s in SHAPES if s in shapes]
    shape = rng.choices(names, weights=[SHAPES[s][0] for s in names])[0]
    if shape == "arith":
        return shape, arith_program(rng)
    if shape == "deep":
        return shape, deep_program(rng)
    return shape, typed_program(rng, shape)


# ---------------------------------------------------------------------------------------------
# Running, comparing, shrinking.

def run(binary, path, timeout=TIMEOUT):
    try:
        p = subprocess.run([binary, path], capture_output=True, timeout=timeout)
        return p.returncode, p.stdout, p.stderr
    except subprocess.TimeoutExpired:
        return "timeout", b"", b""


def outcome_kind(result):
    code, _, err = result
    if code == "timeout":
        return "timeout"
    m = re.search(rb" Type: (\w+)", err)
    if m:
        return "report " + m.group(1).decode()
    if code < 0:
        return "signal %d" % -code
    return "exit 0" if code == 0 else "exit nonzero"


def differs(a, b, text, path, timeout=TIMEOUT):
    with open(path, "w") as f:
        f.write(text)
    ra, rb = run(a, path, timeout), run(b, path, timeout)
    return ra != rb, ra, rb


FUEL_GROUP = re.compile(r"^\((fuel|[a-z])(-1|<1)\)$")


def groups(text):
    """The (start, end) spans of every parenthesised group, outside text literals."""
    spans, stack, depth_text = [], [], 0
    for i, ch in enumerate(text):
        if ch == "[":
            depth_text += 1
        elif ch == "]":
            depth_text -= 1
        elif depth_text == 0 and ch == "(":
            stack.append(i)
        elif depth_text == 0 and ch == ")" and stack:
            spans.append((stack.pop(), i + 1))
    return spans


def shrink(a, b, text, path, budget_seconds=120):
    """Drops definitions and replaces groups by leaves or by their own parts while both binaries
    still disagree."""
    deadline = time.time() + budget_seconds
    still = lambda t: differs(a, b, t, path, timeout=5)[0]
    current = text
    changed = True
    while changed and time.time() < deadline:
        changed = False
        lines = current.rstrip("\n").split(",\n")
        for i in range(len(lines) - 1, 1, -1):
            candidate = ",\n".join(lines[:i] + lines[i + 1:]) + "\n"
            if still(candidate):
                current, changed = candidate, True
                lines = current.rstrip("\n").split(",\n")
        spans = sorted(groups(current), key=lambda s: s[0] - s[1])  # largest first
        for start, end in spans:
            if time.time() >= deadline:
                break
            if FUEL_GROUP.match(current[start:end]):
                continue  # the fuel test and fuel-1 keep the program finite
            inner = [current[s:e] for s, e in groups(current[start + 1:end - 1])]
            for leaf in ["0", "1", "K", "[]"] + inner[:4]:
                candidate = current[:start] + leaf + current[end:]
                if candidate != current and still(candidate):
                    current, changed = candidate, True
                    break
            if changed:
                break
    return current


def save(folder, stem, text):
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, stem + ".vn")
    with open(path, "w") as f:
        f.write(text)
    return path


def main():
    parser = argparse.ArgumentParser(description="Compare two vorn binaries on random programs.")
    parser.add_argument("first")
    parser.add_argument("second")
    parser.add_argument("count", nargs="?", type=int, default=300)
    parser.add_argument("seed", nargs="?", type=int, default=1)
    parser.add_argument("--minutes", type=float, help="run until this many minutes have passed")
    parser.add_argument("--shapes", help="comma-separated kinds of program: " + ",".join(SHAPES))
    parser.add_argument("--keep-going", action="store_true", help="do not stop at the first difference")
    parser.add_argument("--save", default=None, help="folder for programs that differ (default: a temporary one)")
    parser.add_argument("--show", action="store_true", help="print the programs, do not run them")
    args = parser.parse_args()

    shapes = set(SHAPES)
    if args.shapes:
        shapes = set(args.shapes.split(","))
        unknown = shapes - set(SHAPES)
        if unknown:
            parser.error("unknown shapes: " + ",".join(sorted(unknown)))
    save_folder = args.save or tempfile.mkdtemp(prefix="vorn-differential-")
    stop_at = time.time() + args.minutes * 60 if args.minutes else None
    outcomes = collections.Counter()
    by_shape = collections.Counter()
    differences = 0
    shrunk = 0
    seed = args.seed
    done = 0
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "program.vn")
        while True:
            if stop_at is not None:
                if time.time() >= stop_at:
                    break
            elif done >= args.count:
                break
            # One generator per program, seeded by its number, so that any program can be drawn
            # again from its seed alone.
            rng = random.Random(seed)
            shape, text = make_program(rng, shapes)
            if args.show:
                print("--- seed %d (%s)\n%s" % (seed, shape, text))
                seed += 1
                done += 1
                continue
            diff, ra, rb = differs(args.first, args.second, text, path)
            outcomes[outcome_kind(ra)] += 1
            by_shape[shape] += 1
            if diff:
                differences += 1
                saved = save(save_folder, "seed%d-%s" % (seed, shape), text)
                print("program of seed %d (%s) differs, saved as %s:\n%s" % (seed, shape, saved, text))
                print("first:  %r\nsecond: %r" % (ra, rb), flush=True)
                if shrunk < 10:
                    shrunk += 1
                    small = shrink(args.first, args.second, text, path)
                    _, sa, sb = differs(args.first, args.second, small, path)
                    saved = save(save_folder, "seed%d-%s-shrunk" % (seed, shape), small)
                    print("shrunk, saved as %s:\n%s" % (saved, small))
                    print("first:  %r\nsecond: %r\n" % (sa, sb), flush=True)
                if not args.keep_going:
                    done += 1
                    break
            seed += 1
            done += 1
            if stop_at is not None and done % 300 == 0:
                print("%d programs, %d differ, up to seed %d" % (done, differences, seed - 1), flush=True)
    if args.show:
        return 0
    print("outcomes on the first binary: " +
          ", ".join("%s %d" % (k, v) for k, v in sorted(outcomes.items(), key=lambda kv: -kv[1])))
    print("shapes: " + ", ".join("%s %d" % (k, v) for k, v in sorted(by_shape.items())))
    if differences:
        print("%d of %d programs differ (saved in %s)" % (differences, done, save_folder))
        return 1
    print("%d programs agree" % done)
    return 0


if __name__ == "__main__":
    sys.exit(main())

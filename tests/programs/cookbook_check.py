#!/usr/bin/env python3
"""Holds docs/cookbook.md to tests/programs/cookbook.t, so that every program the cookbook shows is
one that the program tests run, and every output it shows is one they expect.

Usage: cookbook_check.py COOKBOOK_MD COOKBOOK_T

Every fenced block of the cookbook carries a tag after its language word:
  case=NAME    a program: the program of the case named NAME, byte for byte
  stdout=NAME  the standard output the case named NAME expects
  stderr=NAME  its standard error
A case named "NAME: something" runs the program of recipe NAME in another way (other arguments,
other input) and is checked against that program too. Every recipe has cases and every case a
recipe; a fenced block without a tag fails the check, so no program reaches the cookbook untested.
"""
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from run_programs import parse, unescape  # noqa: E402

FENCE = "```"
TAG = re.compile(r"^(case|stdout|stderr)=(\S+)$")


def fenced_blocks(text):
    """(line number, info words, content) of every fenced block; the content keeps its final
    line feed."""
    blocks = []
    lines = text.split("\n")
    i = 0
    while i < len(lines):
        if lines[i].startswith(FENCE):
            start, info = i + 1, lines[i][len(FENCE):].split()
            i += 1
            body = []
            while i < len(lines) and lines[i] != FENCE:
                body.append(lines[i])
                i += 1
            if i == len(lines):
                blocks.append((start, info, None))
                break
            blocks.append((start, info, "".join(line + "\n" for line in body)))
        i += 1
    return blocks


def check(cookbook_path, cases_path):
    problems = []
    with open(cookbook_path, encoding="utf-8") as f:
        cookbook = f.read()
    cases = {case["name"]: case["sections"] for case in parse(cases_path)}

    recipes = {}  # name -> program text
    shown = []  # (line, section, case name, content)
    for line, info, body in fenced_blocks(cookbook):
        if body is None:
            problems.append("line %d: a fenced block is never closed" % line)
            continue
        tags = [TAG.match(word) for word in info[1:]]
        tags = [t for t in tags if t]
        if len(tags) != 1:
            problems.append("line %d: a fenced block needs exactly one of case=, stdout=, stderr=" % line)
            continue
        kind, name = tags[0].group(1), tags[0].group(2)
        if kind == "case":
            if name in recipes:
                problems.append("line %d: a second program for recipe %s" % (line, name))
            recipes[name] = (line, body)
        else:
            shown.append((line, kind, name, body))

    for case_name, sections in cases.items():
        recipe = case_name.split(":")[0]
        if recipe not in recipes:
            problems.append("case %r has no program in the cookbook" % case_name)
            continue
        line, body = recipes[recipe]
        if sections.get("program", b"").decode("utf-8") != body:
            problems.append("case %r: its program differs from the cookbook's (line %d)" % (case_name, line))
    for recipe, (line, _) in recipes.items():
        if recipe not in cases:
            problems.append("line %d: recipe %s has no case named %s" % (line, recipe, recipe))

    for line, kind, name, body in shown:
        if name not in cases:
            problems.append("line %d: %s shown for %s, which is no case" % (line, kind, name))
            continue
        expected = unescape(cases[name].get(kind, b"")).decode("utf-8")
        if expected != body:
            problems.append("line %d: the %s shown for %s differs from the case's" % (line, kind, name))
    return problems


def main():
    problems = check(sys.argv[1], sys.argv[2])
    for p in problems:
        print(p)
    print("%s and %s %s" % (sys.argv[1], sys.argv[2], "disagree" if problems else "agree"))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())

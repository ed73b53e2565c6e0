#!/usr/bin/env python3
"""Checks editors/vim in a headless Vim: *.vn files get the vorn file type, and the syntax group at
each position of positions.tsv is the one listed there.

Usage: vim_syntax.py SOURCE_DIR

Vim runs with no user setup, the source tree's editors/vim put first on its runtime path, file-type
detection and syntax on. Exits 77 (a skip for ctest) when there is no vim to run.
"""
import os
import shutil
import subprocess
import sys
import tempfile

from positions import read_positions

SKIP = 77


def vim_string(text):
    return "'" + text.replace("'", "''") + "'"


def main():
    source_dir = os.path.abspath(sys.argv[1])
    vim = shutil.which("vim")
    if vim is None:
        print("SKIP: vim is not installed (.ci/run installs it)")
        return SKIP
    positions = read_positions(source_dir)
    files = sorted({p.path for p in positions})

    with tempfile.TemporaryDirectory() as work:
        answers = os.path.join(work, "answers")
        script = [
            "let out = []",
            "if !has('syntax') | call writefile(['this vim has no syntax support'], "
            + vim_string(answers) + ") | qall! | endif",
            "let &runtimepath = " + vim_string(os.path.join(source_dir, "editors", "vim"))
            + " . ',' . &runtimepath",
            "filetype on",
            "syntax on",
        ]
        for path in files:
            script.append("edit " + os.path.join(source_dir, path).replace(" ", "\\ "))
            script.append("call add(out, 'filetype ' . &filetype)")
            for p in positions:
                if p.path == path:
                    script.append(f"call add(out, synIDattr(synID({p.line}, {p.column}, 1), 'name'))")
        script += ["call writefile(out, " + vim_string(answers) + ")", "qall!"]
        script_path = os.path.join(work, "check.vim")
        with open(script_path, "w", encoding="utf-8") as f:
            f.write("\n".join(script) + "\n")

        run = subprocess.run([vim, "-Es", "-N", "-u", "NONE", "-i", "NONE", "-n",
                              "-c", "source " + script_path.replace(" ", "\\ ")],
                             stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=60)
        if not os.path.exists(answers):
            print(f"vim wrote no answers (status {run.returncode})\n{run.stdout}{run.stderr}")
            return 1
        with open(answers, encoding="utf-8") as f:
            lines = f.read().splitlines()

    failures = []
    if lines and not lines[0].startswith("filetype "):
        print(lines[0])
        return 1
    for path in files:
        got = lines.pop(0)
        if got != "filetype vorn":
            failures.append(f"{path}: {got!r}, expected 'filetype vorn'")
        for p in positions:
            if p.path == path:
                group = lines.pop(0)
                if group != p.vim_group:
                    failures.append(f"{p.where()}: group {group or '(none)'}, expected {p.vim_group}")
    for failure in failures:
        print("FAIL", failure)
    print(f"vim: {len(positions)} positions in {len(files)} files, {len(failures)} wrong")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

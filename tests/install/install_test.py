#!/usr/bin/env python3
"""Installs a build into a temporary staging directory and uses what was installed.

Usage: install_test.py BUILD_DIR SOURCE_DIR

`cmake --install` runs with the prefix /opt/vorn-install-test and DESTDIR set to a temporary
directory, as `make install PREFIX=... DESTDIR=...` does. The test then checks that every file
landed under DESTDIR + prefix, runs the installed binary on installed examples, checks that the
manual page names the real prefix (not the staging directory), checks --help and that --version
gives the project version, renders the page with `man -l` (groff's warnings on), and runs the
example program that the page prints. Exits 77 (a skip for
ctest) when everything else passed but there is no man to render the page with.
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

SKIP = 77
PREFIX = "/opt/vorn-install-test"
SECTIONS = ["NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "EXIT STATUS", "DIAGNOSTICS",
            "ENVIRONMENT", "FILES", "EXAMPLES", "SEE ALSO"]

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
    return ok


def run(command, **options):
    return subprocess.run(command, capture_output=True, timeout=120, **options)


def project_version(build_dir):
    with open(os.path.join(build_dir, "CMakeCache.txt"), encoding="utf-8") as cache:
        for line in cache:
            if line.startswith("CMAKE_PROJECT_VERSION:"):
                return line.split("=", 1)[1].strip()
    raise SystemExit("no project version in CMakeCache.txt")


def check_files(root, source_dir):
    expected = ["bin/vorn", "share/man/man1/vorn.1",
                "share/doc/vorn/README.md", "share/doc/vorn/language.md",
                "share/doc/vorn/examples/README.md",
                "share/vim/vimfiles/syntax/vorn.vim", "share/vim/vimfiles/ftdetect/vorn.vim",
                "share/vorn/editors/README.md", "share/vorn/editors/vim/syntax/vorn.vim",
                "share/vorn/editors/vscode/package.json",
                "share/vorn/editors/vscode/language-configuration.json",
                "share/vorn/editors/vscode/syntaxes/vorn.tmLanguage.json"]
    expected += ["share/doc/vorn/examples/" + name
                 for name in os.listdir(os.path.join(source_dir, "examples"))]
    expected += ["share/doc/vorn/" + name
                 for name in os.listdir(os.path.join(source_dir, "docs")) if name.endswith(".md")]
    for path in expected:
        check(os.path.isfile(os.path.join(root, path)), f"not installed: {path}")
    check(os.access(os.path.join(root, "bin/vorn"), os.X_OK), "bin/vorn is not executable")


def check_binary(root):
    vorn = os.path.join(root, "bin/vorn")
    examples = os.path.join(root, "share/doc/vorn/examples")
    cases = [  # arguments, exit status, stdout
        (["hello.vn"], 0, b"Hello, world!\n"),
        (["factorial.vn"], 158, b""),
        (["argsum.vn", "40", "2"], 42, b""),
    ]
    for args, status, out in cases:
        result = run([vorn, os.path.join(examples, args[0])] + args[1:])
        check(result.returncode == status and result.stdout == out,
              f"installed vorn {' '.join(args)}: status {result.returncode}, "
              f"stdout {result.stdout!r}, stderr {result.stderr!r}")
    result = run([vorn])
    check(result.returncode == 1 and b"Type: Usage" in result.stderr,
          f"installed vorn without arguments: status {result.returncode}")
    result = run([vorn, "--help"])
    check(result.returncode == 0 and result.stdout.startswith(b"Usage: vorn ") and not result.stderr,
          f"installed vorn --help: status {result.returncode}, stdout {result.stdout[:80]!r}")


def check_version(root, version):
    """--version prints the project version, which CMake gives the binary."""
    result = run([os.path.join(root, "bin/vorn"), "--version"])
    check(result.returncode == 0 and result.stdout == f"vorn {version}\n".encode() and not result.stderr,
          f"installed vorn --version: status {result.returncode}, stdout {result.stdout!r}")


def check_extension_version(root, version):
    """The VS Code manifest must carry its own copy of the version; it may not drift."""
    manifest = os.path.join(root, "share/vorn/editors/vscode/package.json")
    if os.path.isfile(manifest):
        with open(manifest, encoding="utf-8") as f:
            got = json.load(f).get("version")
        check(got == version, f"editors/vscode/package.json has version {got}, the project {version}")


def check_page_text(page, version, stage):
    with open(page, encoding="utf-8") as f:
        source = f.read()
    check("@" not in source, "the manual page has an unfilled @...@ field")
    check(f"vorn {version}" in source, f"the manual page does not give the version {version}")
    check(f"{PREFIX}/share/doc/vorn/examples/hello.vn" in source,
          "the manual page does not name the installed examples under the prefix")
    check(stage not in source, "the manual page names the staging directory")


def render_page(page):
    """The page as man shows it, or None when there is no man."""
    man = shutil.which("man")
    if man is None:
        return None
    env = dict(os.environ, MANWIDTH="100", MAN_KEEP_FORMATTING="", LC_ALL="C.UTF-8")
    result = run([man, "--warnings", "-l", "-P", "cat", page], env=env)
    text = result.stdout.decode("utf-8", "replace")
    text = re.sub(r".\x08", "", text)  # overstrike bold and underline
    check(result.returncode == 0, f"man -l: status {result.returncode}")
    check(result.stderr == b"", f"man -l warns: {result.stderr.decode(errors='replace')}")
    for section in SECTIONS:
        check(re.search(rf"^{section}$", text, re.M), f"the rendered page has no {section}")
    return text


def check_page_example(text, vorn, work):
    """The page's three-line program, as a reader would copy it, runs and gives 31."""
    found = re.search(r"cat >digits\.vn <<'END'\n(.*?)\n\s*END\n", text, re.S)
    if not check(found, "the rendered page has no digits.vn example"):
        return
    program = "\n".join(line.strip() for line in found.group(1).splitlines()) + "\n"
    path = os.path.join(work, "digits.vn")
    with open(path, "w", encoding="utf-8") as f:
        f.write(program)
    result = run([vorn, path])
    check(result.returncode == 31,
          f"the page's example gives status {result.returncode}: {program!r} {result.stderr!r}")


def main():
    build_dir, source_dir = (os.path.abspath(a) for a in sys.argv[1:3])
    prefix_existed = os.path.exists(PREFIX)
    with tempfile.TemporaryDirectory() as work:
        stage = os.path.join(work, "stage")
        install = run(["cmake", "--install", build_dir, "--prefix", PREFIX],
                      env=dict(os.environ, DESTDIR=stage))
        if install.returncode != 0:
            print(install.stdout.decode(errors="replace"), install.stderr.decode(errors="replace"))
            print("FAIL cmake --install")
            return 1
        check(prefix_existed or not os.path.exists(PREFIX), f"installed outside DESTDIR, into {PREFIX}")
        root = stage + PREFIX
        check_files(root, source_dir)
        check_binary(root)
        version = project_version(build_dir)
        check_version(root, version)
        check_extension_version(root, version)
        page = os.path.join(root, "share/man/man1/vorn.1")
        text = None
        if os.path.isfile(page):
            check_page_text(page, version, stage)
            text = render_page(page)
            if text is not None:
                check_page_example(text, os.path.join(root, "bin/vorn"), work)
    for failure in failures:
        print("FAIL", failure)
    if failures:
        return 1
    if text is None:
        print("SKIP: everything installed and ran, but man is not installed to render the page")
        return SKIP
    print("install: files, binary, manual page and its example all good")
    return 0


if __name__ == "__main__":
    sys.exit(main())

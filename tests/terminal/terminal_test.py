#!/usr/bin/env python3
"""What vorn does only when a person is at a terminal, driven through pseudo-terminals.

Usage: terminal_test.py VORN editing|plain

- A report on a terminal is followed by the source excerpt (FILE:LINE:COLUMN, the line, a caret,
  and "Did you mean" for a missing name); the same run with stderr on a pipe prints the report
  alone, byte for byte.
- The interactive session on a terminal ("editing" builds only): the prompt, cursor movement
  (Ctrl-A), the history (the Up arrow, within a session and from ~/.vorn_history in the next),
  Ctrl-C abandoning a half-typed line and interrupting an evaluation that loops forever, and
  Ctrl-D ending the session with status 0.
- Ctrl-C on a session read through pipes interrupts the evaluation and the session goes on; a
  plain run keeps SIGINT's default action and dies of it.
"""
import fcntl
import os
import pty
import select
import signal
import struct
import subprocess
import sys
import tempfile
import termios
import time

TIMEOUT = 20.0
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
    return ok


class Terminal:
    """A process on the slave side of a pseudo-terminal, read and typed at from the master."""

    def __init__(self, argv, env, cwd):
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            fcntl.ioctl(0, termios.TIOCSWINSZ, struct.pack("HHHH", 24, 100, 0, 0))
            os.chdir(cwd)
            os.execve(argv[0], argv, env)
        self.seen = b""  # everything read so far
        self.mark = 0    # where the next expect starts looking

    def read_some(self, wait):
        ready, _, _ = select.select([self.fd], [], [], wait)
        if not ready:
            return False
        try:
            data = os.read(self.fd, 65536)
        except OSError:  # the slave side closed: the process is gone
            return None
        if not data:
            return None
        self.seen += data
        return True

    def expect(self, pattern, what):
        """Waits until `pattern` appears after the previous match; records a failure if not."""
        end = time.time() + TIMEOUT
        while True:
            at = self.seen.find(pattern, self.mark)
            if at >= 0:
                self.mark = at + len(pattern)
                return True
            left = end - time.time()
            if left <= 0 or self.read_some(left) is None:
                at = self.seen.find(pattern, self.mark)
                if at >= 0:
                    self.mark = at + len(pattern)
                    return True
                failures.append("%s: %r never came; the terminal shows %r"
                                % (what, pattern, self.seen[self.mark:][-600:]))
                return False

    def type(self, data, pause=0.05):
        os.write(self.fd, data)
        time.sleep(pause)

    def finish(self):
        """Reads to the end and gives the exit status (or -signal)."""
        end = time.time() + TIMEOUT
        while time.time() < end and self.read_some(0.2) is not None:
            pass
        _, status = os.waitpid(self.pid, 0)
        os.close(self.fd)
        if os.WIFSIGNALED(status):
            return -os.WTERMSIG(status)
        return os.WEXITSTATUS(status)


def on_terminal(text):
    """Bytes as a terminal in its usual mode passes them on: each newline as CR LF."""
    return text.replace(b"\n", b"\r\n")


def excerpt_case(vorn, work, env):
    program = os.path.join(work, "typo.vn")
    with open(program, "wb") as f:
        f.write(b"main,\nmain\\args\\strln(getw args)\n")
    report = (b"\x1b[mError.\n Type: Alive\n Name: strln\n"
              b"Alive function [main] references undefined [strln].\n\\/\n")
    excerpt = (b"typo.vn:2:11: [strln] is used here, in [main]\n"
               b"main\\args\\strln(getw args)\n"
               b"          ^\n"
               b"Did you mean [strlen]?\n")
    # stderr on the terminal, stdout on a pipe.
    term = Terminal([vorn, "typo.vn"], env, work)
    check(term.expect(on_terminal(report + excerpt), "the excerpt after a report on a terminal"),
          "excerpt on a terminal")
    status = term.finish()
    check(status == 128, "a report on a terminal: status %d, expected 128" % status)
    # stderr on a pipe: the report alone, as it always was.
    piped = subprocess.run([vorn, "typo.vn"], cwd=work, env=env, capture_output=True, timeout=TIMEOUT)
    check(piped.stderr == report and piped.returncode == 128,
          "stderr on a pipe: got %r, status %d" % (piped.stderr, piped.returncode))


def session_case(vorn, work, env):
    term = Terminal([vorn, "-i"], env, work)
    term.expect(b"Ctrl-C interrupts.", "the greeting")
    term.expect(b"vorn> ", "the first prompt")
    # "+2", then Ctrl-A to the start of the line, "40": the line is 40+2.
    term.type(b"+2")
    term.type(b"\x01")
    term.type(b"40\r")
    term.expect(b"42\r\n", "40+2 typed with the cursor moved to the start")
    term.expect(b"vorn> ", "the prompt after a value")
    # The Up arrow brings the line back.
    term.type(b"\x1b[A")
    term.type(b"\r")
    term.expect(b"42\r\n", "the line recalled with the Up arrow")
    term.expect(b"vorn> ", "the prompt after the recalled line")
    # Ctrl-C on a half-typed line abandons it.
    term.type(b"1+")
    term.type(b"\x03", pause=0.3)
    term.expect(b"vorn> ", "a fresh prompt after Ctrl-C on a half-typed line")
    term.type(b"3*3\r")
    term.expect(b"9\r\n", "a line typed after an abandoned one")
    term.expect(b"vorn> ", "the prompt after 3*3")
    # A definition, then an evaluation that never ends, interrupted by Ctrl-C.
    term.type(b"spin\\n\\spin(n+1)\r")
    term.expect(b"vorn> ", "the prompt after a definition")
    term.type(b"spin 0\r", pause=0.5)
    term.type(b"\x03")
    term.expect(b"Interrupted.\r\n", "Ctrl-C during an evaluation")
    term.expect(b"vorn> ", "the prompt after an interrupted evaluation")
    term.type(b"spin\r")
    term.expect(b"spin\r\nspin\r\n", "the session goes on after the interrupt")
    term.expect(b"vorn> ", "the prompt after the last line")
    term.type(b"\x04")
    status = term.finish()
    check(status == 0, "Ctrl-D ends the session: status %d" % status)
    history = os.path.join(env["HOME"], ".vorn_history")
    if check(os.path.isfile(history), "no ~/.vorn_history after a session"):
        with open(history, "rb") as f:
            saved = f.read()
        check(b"\n40+2\n3*3\n" in saved, "the history file lacks lines: %r" % saved)
    # The next session starts with that history: Up recalls its last line.
    term = Terminal([vorn, "-i"], env, work)
    term.expect(b"vorn> ", "the first prompt of a second session")
    term.type(b"5*5\r")
    term.expect(b"25\r\n", "a line in the second session")
    # Up twice: past 5*5 to the last line of the first session, whose definition this one lacks.
    term.type(b"\x1b[A\x1b[A\r")
    term.expect(b"Alive function [TOP] references undefined [spin].\r\n\\/\r\n"
                b"<input>:2:1: [spin] is used here, in the entry\r\nspin\r\n^\r\n"
                b"Did you mean [sin]?\r\n",
                "the first session's last line recalled in the second, and its report's excerpt")
    term.type(b":quit\r")
    status = term.finish()
    check(status == 0, ":quit ends the session: status %d" % status)


def piped_session_interrupt(vorn, work, env):
    """Through pipes, SIGINT during an evaluation gives "Interrupted." and the session goes on."""
    session = subprocess.Popen([vorn, "-i"], cwd=work, env=env, stdin=subprocess.PIPE,
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    session.stdin.write(b"spin\\n\\spin(n+1)\nspin 0\n")
    session.stdin.flush()
    time.sleep(0.5)
    session.send_signal(signal.SIGINT)
    time.sleep(0.2)
    out, err = session.communicate(b"1+1\n", timeout=TIMEOUT)
    check(session.returncode == 0 and out == b"2\n" and err == b"Interrupted.\n",
          "SIGINT in a piped session: status %d, stdout %r, stderr %r" % (session.returncode, out, err))


def plain_run_dies_of_sigint(vorn, work, env):
    program = os.path.join(work, "spin.vn")
    with open(program, "wb") as f:
        f.write(b"main,\nmain\\args\\spin 0,\nspin\\n\\spin(n+1)\n")
    run = subprocess.Popen([vorn, "spin.vn"], cwd=work, env=env,
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    time.sleep(0.5)
    run.send_signal(signal.SIGINT)
    out, err = run.communicate(timeout=TIMEOUT)
    check(run.returncode == -signal.SIGINT and out == b"" and err == b"",
          "SIGINT in a plain run: status %d, stdout %r, stderr %r" % (run.returncode, out, err))


def main():
    vorn, mode = os.path.abspath(sys.argv[1]), sys.argv[2]
    with tempfile.TemporaryDirectory(prefix="vorn-terminal-") as work:
        home = os.path.join(work, "home")
        os.mkdir(home)
        env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": home, "TERM": "xterm",
               "LANG": "C.UTF-8"}
        excerpt_case(vorn, work, env)
        if mode == "editing":
            session_case(vorn, work, env)
        piped_session_interrupt(vorn, work, env)
        plain_run_dies_of_sigint(vorn, work, env)
    for failure in failures:
        print("FAIL", failure)
    print("terminal: %s" % ("all good" if not failures else "%d failures" % len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

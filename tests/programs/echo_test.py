#!/usr/bin/env python3
"""Runs examples/echo.vn and examples/echo-client.vn against each other on the loopback interface.

Usage: echo_test.py VORN ECHO_SERVER ECHO_CLIENT

The server is started on a free port for two connections and must announce itself on stdout; the
client then runs twice (its own message and one given on the command line) and must print exactly
the bytes it sent, after which the server must exit 0. A client aimed at a port where nothing
listens must fail with status 3. Every wait is bounded, and the server is killed whatever happens.
While a builtin the examples use is still missing from vorn, the test reports itself skipped.
"""
import os
import select
import socket
import subprocess
import sys
import time

WAIT = 10.0  # seconds any one step may take
SKIP = 77  # ctest's skip status: a builtin family the examples need is not built into vorn yet


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def read_line(process, deadline):
    """The server's first stdout line, or None when it does not come before the deadline."""
    line = b""
    while not line.endswith(b"\n"):
        left = deadline - time.monotonic()
        if left <= 0:
            return None
        ready, _, _ = select.select([process.stdout], [], [], left)
        if not ready:
            return None
        byte = os.read(process.stdout.fileno(), 1)
        if not byte:
            return None
        line += byte
    return line


def start_server(vorn, server):
    """The running server and its port; retries when another process took the port first."""
    for _ in range(5):
        port = free_port()
        process = subprocess.Popen([vorn, server, str(port), "2"], stdout=subprocess.PIPE,
                                   stderr=subprocess.PIPE)
        line = read_line(process, time.monotonic() + WAIT)
        if line == b"echo: listening\n":
            return process, port
        process.kill()
        _, err = process.communicate(timeout=WAIT)
        if line is not None and line.startswith(b"REDVFAIL: unbuilt "):
            print("skipped: vorn has no %s yet" % line[18:].decode().strip())
            sys.exit(SKIP)
        if b"cannot bind" not in err:
            sys.exit("server did not start: stdout %r, stderr %r" % (line, err))
    sys.exit("server found no free port")


def run_client(vorn, client, arguments):
    return subprocess.run([vorn, client] + arguments, capture_output=True, timeout=WAIT)


def expect(done, status, stdout, what):
    if done.returncode != status or done.stdout != stdout:
        sys.exit("%s: status %d, stdout %r, stderr %r (expected status %d, stdout %r)"
                 % (what, done.returncode, done.stdout, done.stderr, status, stdout))


def main():
    vorn, server, client = sys.argv[1:4]
    process, port = start_server(vorn, server)
    try:
        expect(run_client(vorn, client, [str(port)]), 0, b"hello, echo\n", "default message")
        message = "bytes [with brackets], 0123456789 and more"
        expect(run_client(vorn, client, [str(port), message]), 0, (message + "\n").encode(),
               "message from the command line")
        status = process.wait(timeout=WAIT)
        err = process.stderr.read()
        if status != 0 or err:
            sys.exit("server ended with status %d, stderr %r" % (status, err))
    finally:
        if process.poll() is None:
            process.kill()
            process.wait()

    closed = free_port()
    done = run_client(vorn, client, [str(closed)])
    expect(done, 3, b"", "client without a server")
    if done.stderr != b"echo-client: cannot connect\n":
        sys.exit("client without a server: stderr %r" % done.stderr)
    print("echo: ok")


if __name__ == "__main__":
    main()

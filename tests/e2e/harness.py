"""Runs the real tessel binary for end-to-end tests.

    with Client(binary, port) as client:
        text = client.wait_for_display("Connection closed by server.")

Each client gets a temporary HOME, runs under the existing DISPLAY with
"--host 127.0.0.1 --port N", and is read through the display seam of test
builds: $HOME/.Karthem/test_display.txt holds the main display's plain text,
one display line per line, rewritten at most once per tick when it changed.

`run_checks` runs named check functions and turns them into an exit status.
"""
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import traceback

DISPLAY_FILE = os.path.join(".Karthem", "test_display.txt")


def free_closed_port():
    """A port on 127.0.0.1 on which nothing listens."""
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Client:
    def __init__(self, binary, port, host="127.0.0.1", args=(), home=None):
        """home: a HOME the test has prepared (removed at cleanup); default a new one."""
        self.binary, self.port, self.host, self.args = os.path.abspath(binary), port, host, list(args)
        self.home = home
        self.proc = None
        self.log = None

    def start(self):
        self.home = self.home or tempfile.mkdtemp(prefix="tessel_home_")
        env = dict(os.environ)
        env["HOME"] = self.home
        self.log = open(os.path.join(self.home, "client_output.txt"), "wb")
        # No test reaches out to the real sound pack server.
        offline = ["--soundpack-host", f"127.0.0.1:{free_closed_port()}"]
        self.proc = subprocess.Popen([self.binary, "--host", self.host, "--port", str(self.port), *offline, *self.args],
                                     env=env, cwd=self.home, stdout=self.log, stderr=subprocess.STDOUT)
        return self

    def stop(self, timeout=15):
        """Ends the client (SIGTERM, then SIGKILL) and returns its status."""
        status = None
        if self.proc is not None and self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                status = self.proc.wait(timeout=timeout)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                status = self.proc.wait()
        elif self.proc is not None:
            status = self.proc.returncode
        if self.log:
            self.log.close()
            self.log = None
        return status

    def cleanup(self):
        if self.home:
            shutil.rmtree(self.home, ignore_errors=True)
            self.home = None

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()
        self.cleanup()

    @property
    def display_path(self):
        return os.path.join(self.home, DISPLAY_FILE)

    def display_text(self):
        """The display as last written, or "" before the first write."""
        try:
            with open(self.display_path, "rb") as f:
                return f.read().decode("latin-1")
        except FileNotFoundError:
            return ""

    def display_lines(self):
        return self.display_text().split("\n")

    def wait_for_display(self, expected, timeout=20.0):
        """Waits until the display contains `expected` (a text, or a function
        of the text returning true) and returns the text."""
        test = expected if callable(expected) else (lambda text: expected in text)
        deadline = time.monotonic() + timeout
        text = ""
        while time.monotonic() < deadline:
            text = self.display_text()
            if test(text):
                return text
            if self.proc.poll() is not None:
                raise AssertionError(f"client exited with status {self.proc.returncode}; display:\n{text}")
            time.sleep(0.05)
        raise AssertionError(f"display never showed {expected!r} within {timeout}s; display:\n{text}")

    def process_figures(self):
        """CPU seconds (user + system) and peak resident memory in kB."""
        pid = self.proc.pid
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        ticks = os.sysconf("SC_CLK_TCK")
        cpu = (int(fields[11]) + int(fields[12])) / ticks
        peak = 0
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    peak = int(line.split()[1])
        return cpu, peak


def contains_in_order(text, parts):
    """True when every part occurs in `text`, each after the one before."""
    at = 0
    for part in parts:
        at = text.find(part, at)
        if at < 0:
            return False
        at += len(part)
    return True


def run_checks(name, checks):
    """Runs each check (a function of no arguments), prints a summary and
    exits with status 0 only when all passed."""
    failed = 0
    for check in checks:
        try:
            check()
            print(f"PASS {check.__name__}")
        except Exception:
            failed += 1
            print(f"FAIL {check.__name__}")
            traceback.print_exc()
        sys.stdout.flush()
    print(f"{name}: {len(checks) - failed} passed, {failed} failed")
    sys.exit(1 if failed else 0)

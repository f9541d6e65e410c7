"""The real binary starts, shows its window, creates its configuration folder
under HOME, and ends cleanly with status 0 on SIGTERM (a log-out or kill)."""
import os
import signal
import socket
import subprocess
import sys
import tempfile
import time


def free_closed_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def find_window(pid, timeout=20.0):
    deadline = time.time() + timeout
    while time.time() < deadline:
        out = subprocess.run(["xdotool", "search", "--all", "--pid", str(pid), "--name", "^Karthem$"],
                             capture_output=True, text=True).stdout.split()
        if out:
            return out[0]
        time.sleep(0.2)
    return None


def start(binary, home):
    env = {k: v for k, v in os.environ.items() if k not in ("HOME",)}
    env["HOME"] = home
    return subprocess.Popen([binary, "--host", "127.0.0.1", "--port", str(free_closed_port())],
                            env=env, cwd=home)


def check_run(binary, stop):
    with tempfile.TemporaryDirectory() as home:
        proc = start(binary, home)
        try:
            window = find_window(proc.pid)
            assert window, "main window did not appear"
            assert os.path.isdir(os.path.join(home, ".Karthem")), ".Karthem was not created"
            stop(proc, window)
            status = proc.wait(timeout=15)
            assert status == 0, f"exit status {status}"
        finally:
            if proc.poll() is None:
                proc.kill()
                proc.wait()


def terminate(proc, window):
    proc.send_signal(signal.SIGTERM)


def main():
    binary = sys.argv[1]
    check_run(binary, terminate)
    print("smoke: 1 passed, 0 failed")


if __name__ == "__main__":
    main()

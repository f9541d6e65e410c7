"""Prints the CPU seconds the client uses over 10 s of idling: not
connected (nothing listens on its port) and nothing animating.
Usage (needs a display, e.g. under xvfb-run): idle_cpu.py path/to/tessel"""
import os
import socket
import subprocess
import sys
import tempfile
import time


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    ticks = os.sysconf("SC_CLK_TCK")
    return (int(fields[11]) + int(fields[12])) / ticks  # utime + stime


def main():
    binary = sys.argv[1]
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        port = s.getsockname()[1]
    with tempfile.TemporaryDirectory() as home:
        env = dict(os.environ, HOME=home)
        proc = subprocess.Popen([binary, "--host", "127.0.0.1", "--port", str(port)], env=env, cwd=home)
        try:
            # Start-up and the failed first connect settle, and the command
            # line's caret stops blinking (the toolkit blinks it for 10 s
            # after the last key).
            time.sleep(15)
            before = cpu_seconds(proc.pid)
            time.sleep(10)
            used = cpu_seconds(proc.pid) - before
        finally:
            proc.terminate()
            proc.wait(timeout=15)
    print(f"idle: {used:.3f} CPU seconds over 10 s ({used * 10:.2f}% of one core)")


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""How long the client takes to take in 20 MB of game text from the scripted
server, with the CPU seconds it spends and its peak memory.

    xvfb-run -a python3 tests/bench/ingest_e2e.py build/tessel [megabytes]

Measure a build without the test seam (-DTESSEL_TEST_SEAMS=OFF): with it, the
client rewrites its whole display into a file on every tick that changed it,
which is part of what it then spends.

The clock starts when the server begins sending (after the identification
line) and stops when the client shows it has read everything: either the
client status line it sends after the closing "login" tag, or the marker
line appearing in the display seam, whichever comes first.
"""
import os
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))

from harness import Client  # noqa: E402
from karthem_server import ScriptedServer, call, expect_line, send, send_bulk, wait  # noqa: E402

MARKER = "INGEST COMPLETE 7f3a"


def private_kb(pid):
    """Private resident memory (RssAnon) in kB: unlike VmRSS it leaves out the
    toolkit's shared libraries, so it shows what the scrollback costs."""
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("RssAnon:"):
                return int(line.split()[1])
    return 0


def main():
    binary = sys.argv[1]
    megabytes = float(sys.argv[2]) if len(sys.argv) > 2 else 20.0
    total = int(megabytes * 1024 * 1024)
    started = threading.Event()
    times = {}
    figures = {}
    client_ref = {}

    def mark_start():
        client = client_ref["client"]
        figures["cpu_before"], _ = client.process_figures()
        figures["anon_before"] = private_kb(client.proc.pid)
        times["start"] = time.monotonic()
        started.set()

    def mark_sent():
        times["sent"] = time.monotonic()

    steps = [expect_line(r"_tessel .*", timeout=60), wait(1.0), call(mark_start), send_bulk(total),
             call(mark_sent), send(";slogin;Bench;elogin;" + MARKER + "\r\n"),
             expect_line(r"tslstatus .*", timeout=600)]
    server = ScriptedServer(steps)
    with server, Client(binary, server.port) as client:
        client_ref["client"] = client
        if not started.wait(60):
            sys.exit(f"client never identified itself; failures: {server.failures}")
        how = None
        deadline = time.monotonic() + 600
        while time.monotonic() < deadline:
            if server.done.is_set() and not server.failures:
                how = "client status line"
                break
            if "sent" in times and MARKER in client.display_text():
                how = "display marker"
                break
            if client.proc.poll() is not None:
                sys.exit(f"client exited with status {client.proc.returncode}")
            time.sleep(0.01)
        end = time.monotonic()
        if how is None:
            sys.exit(f"client did not finish within the limit; failures: {server.failures}")
        cpu, peak_kb = client.process_figures()
        anon_after = private_kb(client.proc.pid)
        elapsed = end - times["start"]
        sent = server.bulk_sent
        print(f"bytes sent:          {sent} ({sent / 1048576:.1f} MB of game text)")
        print(f"server send time:    {times['sent'] - times['start']:.2f} s")
        print(f"client ingest time:  {elapsed:.2f} s ({sent / 1048576 / elapsed:.1f} MB/s), end seen by {how}")
        print(f"client CPU:          {cpu - figures['cpu_before']:.2f} s during ingest, {cpu:.2f} s in all")
        print(f"client peak memory:  {peak_kb / 1024:.1f} MB resident")
        added = (anon_after - figures["anon_before"]) * 1024
        print(f"private memory added: {added / 1048576:.1f} MB (RssAnon), {added / sent:.2f} bytes per byte of text")


if __name__ == "__main__":
    main()

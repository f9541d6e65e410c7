"""A newcomer's client fetches the sound pack from the web server given with
--soundpack-host in the background, while it plays on undisturbed; a second
client on the same folder finds the lock, and a client with no web server
reachable logs the failure and plays on.

    test_soundpack_update.py /path/to/tessel
"""
import gzip
import hashlib
import os
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from harness import Client, free_closed_port, run_checks  # noqa: E402
from test_demo_world import DemoServer  # noqa: E402
from test_playable import BINARY  # noqa: E402
import soundpack_server  # noqa: E402

LOG = "/tmp/karthem_tessel.txt"  # the client's debug log, shared by every client here
FILES = {"combat/hit.ogg": b"OggS hit" * 100, "world/door.ogg": b"OggS door" * 50, "bell.ogg": b"ding"}


def wait_until(test, timeout, what):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if test():
            return
        time.sleep(0.1)
    raise AssertionError(f"{what} did not happen within {timeout}s")


def read(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return None


def newcomer_fetches_the_pack():
    folder = tempfile.mkdtemp(prefix="tessel_pack_")
    for name, data in FILES.items():
        os.makedirs(os.path.dirname(os.path.join(folder, name)), exist_ok=True)
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
    web = soundpack_server.start(folder)
    game = DemoServer()
    try:
        host = f"127.0.0.1:{web.server_address[1]}"
        with Client(BINARY, game.port, args=["--soundpack-host", host]) as client:
            # The game runs at once; the updater waits its three seconds.
            client.wait_for_display("By what name are you known?", timeout=30)
            pack = os.path.join(client.home, ".Karthem", "soundpack")
            manifest = os.path.join(pack, "update_manifest.lst")
            wait_until(lambda: read(manifest) and all(n in read(manifest).decode() for n in FILES), 20,
                       "the sound pack download")
            for name, data in FILES.items():
                assert read(os.path.join(pack, name)) == data, name
            text = read(manifest).decode()
            assert text.startswith("# This is an automatically generated file - do not modify\n"), text
            line = f"{hashlib.sha256(FILES['bell.ogg']).hexdigest()} {4:10d} bell.ogg\n"
            assert line in text, text
            assert client.proc.poll() is None
    finally:
        game.stop()
        web.shutdown()


def offline_client_logs_and_plays_on():
    game = DemoServer()
    before = (read(LOG) or b"").decode("latin-1").count("Soundpack update failed?")
    try:
        host = f"127.0.0.1:{free_closed_port()}"
        with Client(BINARY, game.port, args=["--soundpack-host", host]) as client:
            client.wait_for_display("By what name are you known?", timeout=30)
            pack = os.path.join(client.home, ".Karthem", "soundpack")
            # The pass took the lock, found no server and left no manifest behind.
            wait_until(lambda: os.path.exists(os.path.join(pack, "download.lck")), 20, "the update pass")
            time.sleep(0.5)
            assert not os.path.exists(os.path.join(pack, "update_manifest.lst"))
            failures = "Soundpack update failed?  Trying again in ten minutes."
            wait_until(lambda: (read(LOG) or b"").decode("latin-1").count(failures) > before, 20,
                       "the failure line in the debug log")
            assert client.proc.poll() is None
    finally:
        game.stop()


if __name__ == "__main__":
    run_checks("test_soundpack_update", [newcomer_fetches_the_pack, offline_client_logs_and_plays_on])

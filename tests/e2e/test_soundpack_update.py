"""A newcomer's client fetches the demo sound pack from the web server given
with --soundpack-host in the background while the game goes on, then plays
the world's sounds from it; a client with no web server reachable logs the
failure and plays on.

    test_soundpack_update.py /path/to/tessel
"""
import hashlib
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from harness import Client, free_closed_port, run_checks  # noqa: E402
from test_demo_world import DemoServer  # noqa: E402
from test_playable import BINARY, Window  # noqa: E402
from test_sound import ROOT, Speaker, log_size, wait_for_log  # noqa: E402
import soundpack_server  # noqa: E402

LOG = "/tmp/karthem_tessel.txt"  # the client's debug log, shared by every client here


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


def newcomer_fetches_the_pack_and_hears_it():
    folder = tempfile.mkdtemp(prefix="tessel_pack_")
    subprocess.run([os.path.join(ROOT, "scripts", "make-demo-sounds.sh"), folder], check=True)
    files = {}
    for root, _dirs, names in os.walk(folder):
        for name in names:
            path = os.path.join(root, name)
            files[os.path.relpath(path, folder)] = read(path)
    assert "world/door.ogg" in files, files.keys()
    web = soundpack_server.start(folder)
    game = DemoServer()
    home = tempfile.mkdtemp(prefix="tessel_home_")
    speaker = Speaker(home)
    with open(os.path.join(home, ".asoundrc"), "w") as f:
        f.write(speaker.asoundrc())
    host = f"127.0.0.1:{web.server_address[1]}"
    client = Client(BINARY, game.port, home=home, args=["--soundpack-host", host]).start()
    try:
        # The game runs at once; the updater waits its three seconds.
        client.wait_for_display("By what name are you known?", timeout=30)
        window = Window(client.proc.pid)
        window.type("//debug 3")
        start = log_size()
        pack = os.path.join(home, ".Karthem", "soundpack")
        manifest = os.path.join(pack, "update_manifest.lst")
        wait_until(lambda: read(manifest) and all(n in read(manifest).decode() for n in files), 20,
                   "the sound pack download")
        for name, data in files.items():
            assert read(os.path.join(pack, name)) == data, name
        text = read(manifest).decode()
        assert text.startswith("# This is an automatically generated file - do not modify\n"), text
        door = files["world/door.ogg"]
        assert f"{hashlib.sha256(door).hexdigest()} {len(door):10d} world/door.ogg\n" in text, text
        # Then the world's door sound plays from the fetched file.
        window.type("ada")
        client.wait_for_display("Password:")
        window.type("pw")
        client.wait_for_display("Lantern Square")
        heard, _ = speaker.heard_after(lambda: window.type("d"),
                                       lambda: wait_for_log(start, "loaded sound 'soundpack/world/door.ogg'"))
        assert heard > 20000, heard
    finally:
        speaker.done = True
        client.stop()
        client.cleanup()
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
    run_checks("test_soundpack_update", [newcomer_fetches_the_pack_and_hears_it, offline_client_logs_and_plays_on])

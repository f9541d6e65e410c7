"""Sound end to end: the client on a machine without a sound device goes on
silently with sound switched off; with a device it decodes the demo world's
sounds from the sound pack, plays the ones the world asks for, and refuses
names that leave the pack; a walk into a wall is heard as the wall bump. The device is ALSA's file plugin, set up in the
test's HOME, writing the client's output stream into a pipe that the test
reads: what the player would hear.

    test_sound.py /path/to/tessel
"""
import array
import os
import subprocess
import sys
import tempfile
import threading
import time
import uuid

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from harness import Client, run_checks  # noqa: E402
from test_demo_world import DemoServer  # noqa: E402
from test_playable import BINARY, Window  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
DEBUG_LOG = "/tmp/karthem_tessel.txt"


def log_size():
    try:
        return os.path.getsize(DEBUG_LOG)
    except FileNotFoundError:
        return 0


def log_since(offset):
    try:
        with open(DEBUG_LOG, "rb") as f:
            f.seek(offset)
            return f.read().decode("latin-1")
    except FileNotFoundError:
        return ""


def wait_for_log(offset, needle, timeout=10.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        text = log_since(offset)
        if needle in text:
            return text
        time.sleep(0.05)
    raise AssertionError(f"debug log never showed {needle!r}:\n{log_since(offset)[-3000:]}")


class Speaker:
    """Reads the client's sound output (44100 Hz, stereo, 16 bit) from a pipe
    and counts the frames that are not silent."""

    def __init__(self, folder):
        self.path = os.path.join(folder, "speaker")
        os.mkfifo(self.path)
        self.frames = 0
        self.loud_frames = 0
        self.done = False
        threading.Thread(target=self.listen, daemon=True).start()

    def listen(self):
        with open(self.path, "rb", buffering=0) as pipe:
            rest = b""
            while not self.done:
                block = pipe.read(65536)
                if not block:
                    return
                block = rest + block
                whole = len(block) // 4 * 4
                rest = block[whole:]
                samples = array.array("h")
                samples.frombytes(block[:whole])
                # Mono sounds play the same sample on both channels.
                left = samples[0::2]
                self.loud_frames += len(left) - left.count(0)
                self.frames += len(left)

    def asoundrc(self):
        return 'pcm.!default { type file slave.pcm "null" file "%s" format "raw" }\n' % self.path

    def heard_after(self, action, handled, seconds=2.0, timeout=20.0):
        """Non-silent frames out of the client from action() until `seconds`
        of output after handled() returned (the client has taken the request)."""
        loud = self.loud_frames
        action()
        result = handled()
        start = self.frames
        deadline = time.monotonic() + timeout
        while self.frames < start + seconds * 44100:
            assert time.monotonic() < deadline, "the client's sound output stalled"
            time.sleep(0.02)
        return self.loud_frames - loud, result


def system_audio_setting(client):
    with open(os.path.join(client.home, ".Karthem", "karthem.cfg"), encoding="latin-1") as f:
        text = f.read()
    return text.split("<system_audio_enable>")[1].split("<")[0].strip()


def quit_client(client, window):
    window.type("//quit")
    status = client.proc.wait(timeout=15)
    assert status == 0, status


def no_device_switches_sound_off():
    server = DemoServer()
    try:
        with Client(BINARY, server.port) as client:
            # HOME has no ALSA configuration and the machine no sound card.
            client.wait_for_display("By what name are you known?", timeout=30)
            window = Window(client.proc.pid)
            window.type("bea")
            client.wait_for_display("Password:")
            window.type("pw")
            client.wait_for_display("Lantern Square")
            window.type("d")   # the world sends a door sound: ignored while sound is off
            client.wait_for_display("A Damp Cellar")
            window.type("look")
            client.wait_for_display(lambda t: t.count("A Damp Cellar") >= 2)
            quit_client(client, window)
            output = open(os.path.join(client.home, "client_output.txt"), encoding="latin-1").read()
            if not os.path.exists("/dev/snd"):
                assert system_audio_setting(client) == "0", "sound was not switched off:\n" + output
    finally:
        server.stop()


def sounds_play_from_the_sound_pack():
    server = DemoServer()
    try:
        home = tempfile.mkdtemp(prefix="tessel_home_")
        pack = os.path.join(home, ".Karthem", "soundpack")
        subprocess.run([os.path.join(ROOT, "scripts", "make-demo-sounds.sh"), pack], check=True)
        # A name of this run only, so that the shared debug log can be searched.
        unique = "t" + uuid.uuid4().hex[:10]
        os.makedirs(os.path.join(pack, unique))
        os.link(os.path.join(pack, "world", "door.ogg"), os.path.join(pack, unique, "knock.ogg"))
        speaker = Speaker(home)
        with open(os.path.join(home, ".asoundrc"), "w") as f:
            f.write(speaker.asoundrc())
        client = Client(BINARY, server.port, home=home).start()
        try:
            client.wait_for_display("By what name are you known?", timeout=30)
            window = Window(client.proc.pid)
            window.type("//debug 3")
            start = log_size()
            door = 30870  # frames of world/door and its copy (0.7 s)
            heard, _ = speaker.heard_after(
                lambda: window.type(f"//soundtest {unique}/knock and more words"),
                lambda: wait_for_log(start, f"get_sound_data() - loaded sound 'soundpack/{unique}/knock.ogg'."))
            assert door - 2000 <= heard <= door, heard
            escape = f"../../{unique}"
            heard, text = speaker.heard_after(lambda: window.type(f"//soundtest {escape}"),
                                              lambda: wait_for_log(start, f"no sound available for '{escape}'"))
            assert f"refused sound name '{escape}'" in text, text
            assert heard == 0, heard
            # The world's own sound, sent when the player walks indoors.
            window.type("cid")
            client.wait_for_display("Password:")
            window.type("pw")
            client.wait_for_display("Lantern Square")
            heard, _ = speaker.heard_after(lambda: window.type("d"),
                                           lambda: wait_for_log(start, "loaded sound 'soundpack/world/door.ogg'"))
            assert door - 2000 <= heard <= door, heard
            # The cellar has no way north: the map shakes and the wall bump
            # (661 frames of a triangle wave, two of them at zero) is heard.
            # While the map still slides in from the last move, a bump is not
            # shown (nor heard): try again until it is.
            alas = "Alas, you cannot go that way."
            for attempt in range(1, 6):
                heard, _ = speaker.heard_after(
                    lambda: window.type("n"),
                    lambda: client.wait_for_display(lambda t, n=attempt: t.count(alas) >= n))
                if heard:
                    break
            assert heard == 659, heard
            quit_client(client, window)
            assert system_audio_setting(client) == "1", "sound did not stay on with a device"
        finally:
            speaker.done = True
            client.stop()
            client.cleanup()
    finally:
        server.stop()


if __name__ == "__main__":
    run_checks("test_sound", [no_device_switches_sound_off, sounds_play_from_the_sound_pack])

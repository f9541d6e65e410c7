"""The playable client, driven by keyboard through xdotool against a scripted
game server that records every line the client sends: typing and keypad
walking, the command history, hidden password typing, the login tag with
the window title and the client status line, and leaving with //quit.

    test_playable.py /path/to/tessel

Runs under the existing DISPLAY; each client gets its own HOME.
"""
import os
import queue
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from harness import Client, run_checks  # noqa: E402
from karthem_server import ScriptedServer  # noqa: E402

BINARY = sys.argv[1] if len(sys.argv) > 1 else "tessel"
IDENTIFICATION = r"_tessel DFLT[0-9a-f]{28} 1\.095-gtk-test2"
IAC_DONT_ECHO = b"\xff\xfe\x01"
IAC_DO_ECHO = b"\xff\xfd\x01"


class Relay:
    """The scenario of a scripted connection that lets the test talk: it
    keeps recording what the client sends and sends whatever the test
    pushes, until the client hangs up or the server stops."""

    def __init__(self):
        self.outbox = queue.Queue()

    def push(self, data):
        self.outbox.put(data if isinstance(data, bytes) else data.encode("latin-1"))

    def run(self, conn):
        while not conn.server.stopping.is_set() and not conn.peer_closed:
            try:
                data = self.outbox.get_nowait()
            except queue.Empty:
                conn.pump(time.monotonic() + 0.02)
                continue
            conn.send(data)


class Tessel(Client):
    """A client whose HOME the test prepares beforehand and keeps afterwards."""

    def __init__(self, binary, port, home):
        super().__init__(binary, port)
        self.own_home = home

    def start(self):
        self.home = self.own_home
        env = dict(os.environ)
        env["HOME"] = self.home
        self.log = open(os.path.join(self.home, "client_output.txt"), "ab")
        self.proc = subprocess.Popen([self.binary, "--host", "127.0.0.1", "--port", str(self.port)],
                                     env=env, cwd=self.home, stdout=self.log, stderr=subprocess.STDOUT)
        return self

    def cleanup(self):
        pass


def tag(name, data):
    return f";s{name};{data};e{name};".encode("latin-1")


def xdotool(*args, timeout=10):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True, timeout=timeout).stdout


class Window:
    """The client's main window, found by its process, and the keyboard."""

    def __init__(self, pid, timeout=20.0):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            for wid in xdotool("search", "--onlyvisible", "--pid", str(pid)).split():
                if xdotool("getwindowname", wid).startswith("Karthem"):
                    self.wid = wid
                    return
            time.sleep(0.1)
        raise AssertionError("the main window did not appear")

    def title(self):
        return xdotool("getwindowname", self.wid).rstrip("\n")

    def wait_title(self, title, timeout=5.0):
        deadline = time.monotonic() + timeout
        while self.title() != title:
            if time.monotonic() > deadline:
                raise AssertionError(f"window title {self.title()!r}, expected {title!r}")
            time.sleep(0.05)

    def focus(self):
        xdotool("windowfocus", self.wid)
        time.sleep(0.1)

    def type(self, text, enter=True):
        self.focus()
        if text:
            xdotool("type", "--delay", "30", "--", text)
        if enter:
            xdotool("key", "Return")

    def key(self, *keys):
        self.focus()
        xdotool("key", "--delay", "80", *keys)


class Game:
    """One client against one scripted server, with a keyboard.

    Lines the client sends are taken in order with next_line(); nothing is
    skipped unless a check says so, so stray lines make checks fail."""

    def __init__(self, home=None):
        self.temp = None if home else tempfile.mkdtemp(prefix="tessel_home_")
        self.home = home or self.temp
        self.relay = Relay()
        self.server = ScriptedServer([self.relay]).start()
        self.client = Tessel(BINARY, self.server.port, self.home).start()
        self.taken = 0
        self.window = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def close(self):
        self.client.stop()
        self.server.stop()
        if self.temp:
            shutil.rmtree(self.temp, ignore_errors=True)

    # -- the server side

    def push(self, data):
        self.relay.push(data)

    def lines(self):
        with self.server.lock:
            return list(self.server.lines)

    def next_line(self, timeout=10.0):
        """The next line the client sent (without its line feed)."""
        deadline = time.monotonic() + timeout
        while True:
            lines = self.lines()
            if len(lines) > self.taken:
                self.taken += 1
                return lines[self.taken - 1]
            if time.monotonic() > deadline:
                raise AssertionError(f"no line from the client within {timeout}s; lines so far: {lines}")
            if self.client.proc.poll() is not None:
                raise AssertionError(f"client exited with {self.client.proc.returncode}; lines: {lines}")
            time.sleep(0.02)

    def no_line_for(self, seconds):
        """Asserts that the client sends nothing for `seconds`."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            lines = self.lines()
            assert len(lines) == self.taken, f"unexpected lines {lines[self.taken:]}"
            time.sleep(0.05)

    def connected(self):
        """Waits for the identification line, then for the window."""
        line = self.next_line(timeout=20)
        assert re.fullmatch(IDENTIFICATION, line), line
        self.window = Window(self.client.proc.pid)
        return line

    # -- the window

    def title(self):
        return self.window.title()

    def wait_title(self, title, timeout=5.0):
        self.window.wait_title(title, timeout)

    def focus(self):
        self.window.focus()

    def type(self, text, enter=True):
        self.window.type(text, enter)

    def key(self, *keys):
        self.window.key(*keys)

    def wait_display(self, expected, timeout=10.0):
        return self.client.wait_for_display(expected, timeout)

    def login(self, data):
        """Announces the character with the login tag; returns the status line sent for it."""
        self.push(b"Welcome to Karthem.\r\n" + tag("login", data))
        line = self.next_line(timeout=5)
        assert line.startswith("tslstatus "), f"expected the client status line after login, got {line!r}"
        return line


# --- typing, the keypad and the history --------------------------------------

KEYPAD = [  # key (NumLock off), command it walks with
    ("KP_Up", "north"),
    ("KP_Down", "south"),
    ("KP_Left", "west"),
    ("KP_Right", "east"),
    ("KP_Home", "northwest"),
    ("KP_Prior", "northeast"),
    ("KP_End", "southwest"),
    ("KP_Next", "southeast"),
    ("KP_Begin", "scan -ts"),
    ("KP_Add", "up"),
    ("KP_Subtract", "down"),
]


def typing_keypad_and_history():
    with Game() as game:
        game.connected()
        game.push(b"Welcome to the test world.\r\n")
        game.wait_display("Welcome to the test world.")
        game.type("look")
        assert game.next_line() == "look"
        for key, command in KEYPAD:
            game.key(key)
            line = game.next_line(timeout=5)
            assert line == command, f"{key} sent {line!r}, expected {command!r}"
        # Held down, the key walks once however often it repeats.
        game.focus()
        xdotool("keydown", "KP_Up")
        time.sleep(1.5)
        xdotool("keyup", "KP_Up")
        assert game.next_line() == "north"
        game.no_line_for(1.0)
        # The keypad typed nothing into the command line: the next line is clean.
        game.type("score")
        assert game.next_line() == "score"
        game.key("Up", "Return")
        assert game.next_line() == "score"
        game.key("Up", "Up", "Return")
        assert game.next_line() == "look"
        # Every line ended in one line feed, with no carriage return anywhere.
        with game.server.lock:
            received = game.server.received
        assert b"\r" not in received and received.endswith(b"\nscore\nscore\nlook\n"), received[-80:]
        # Not logged in: no ping and no status line went out meanwhile.
        game.no_line_for(0.5)


# --- hidden typing at the password prompt ------------------------------------

def password_prompt_hides_typing():
    with Game() as game:
        game.connected()
        game.push(b"By what name are you known? ")
        game.wait_display("By what name are you known?")
        game.type("Bob")
        assert game.next_line() == "Bob"
        game.wait_display(">Bob<")                      # typed text is echoed while visible
        game.push(b"Password: " + IAC_DONT_ECHO)
        game.wait_display("Password:")
        time.sleep(0.3)                                 # a few ticks, so the switch has been made
        game.type("hunter2")
        assert game.next_line() == "hunter2"
        game.push(b"Checking the password.\r\n")
        text = game.wait_display("Checking the password.")
        assert "hunter2" not in text, f"the password reached the display:\n{text}"
        game.push(IAC_DO_ECHO + b"\r\nWelcome back.\r\n")
        game.wait_display("Welcome back.")
        time.sleep(0.3)
        # The password was not stored: Up brings back the name typed before it.
        game.key("Up", "Return")
        assert game.next_line() == "Bob"
        game.type("look")
        assert game.next_line() == "look"
        game.wait_display(">look<")                     # visible again


# --- the login tag, the title and the client status line ---------------------

# What each position of the status line reports, with the configuration key
# it comes from and the file that holds that key.
STATUS_KEYS = ["cmd_separator", "direction_button_enable", "hint_button_enable", "fkey_button_display",
               "status_bar", "sky_bar", "exp_display", "hpbar_enable", "enemy_hpbar_enable", "popup_display",
               "group_status_display", "current_layout", "automap_display", "automap_docked",
               "channel_window_enable", "channel_window_dupe", "colorflash_enable", "font_colors_setting"]


def xml_values(path):
    with open(path, encoding="latin-1") as f:
        return dict(re.findall(r"<(\w+)>([^<\n]*)</\1>", f.read()))


def status_line_from_files(home, name):
    """The client status line that the saved configuration calls for."""
    system = xml_values(os.path.join(home, ".Karthem", "karthem.cfg"))
    char = xml_values(os.path.join(home, ".Karthem", "char_configs", name + ".cfg"))

    def flag(v):
        return "1" if int(v) else "0"

    out = flag(system["system_audio_enable"])
    for key in STATUS_KEYS:
        v = int(char[key])
        if key in ("group_status_display", "current_layout"):
            out += str(v) if v in (1, 2) else "0"
        elif key == "font_colors_setting":
            out += str(v) if 0 <= v <= 3 else "9"
        else:
            out += flag(v)
    out += flag(system["voting_reminders"])
    themes = (int(char[k]) for k in ("current_theme", "current_background_theme", "theme_bg_setting"))
    return "tslstatus " + out + "".join(f" {t:2d}" for t in themes)


def quit_client(game):
    game.type("//quit")
    status = game.client.proc.wait(timeout=15)
    assert status == 0, f"exit status {status}"


def login_with_default_configuration():
    with Game() as game:
        game.connected()
        assert game.title() == "Karthem"
        line = game.login("Bob\n")
        game.wait_title("Karthem - Player Bob")
        # Sent once, not on every tick.
        game.no_line_for(1.5)
        # Defaults: separator on, pad off, hints on, keys off, status and sky
        # bars, bars and popups on, group 1, layout 2, automap shown and
        # docked, channel window off, duplication and flash on, palette 0,
        # voting reminders on; themes 1, 2 and 3. Sound depends on the audio
        # device of the machine, so the first character is checked below.
        assert re.fullmatch(r"tslstatus [01]1010111111121101101  1  2  3", line), repr(line)
        quit_client(game)
        assert line == status_line_from_files(game.home, "Bob"), (line, status_line_from_files(game.home, "Bob"))


SEEDED_SYSTEM = """<?xml version="1.0" encoding="ISO-8859-1"?>
<system_config_list>
  <uuid>DFLT0123456789abcdef0123456789ab</uuid>
  <uuid_create_time>0</uuid_create_time>
  <system_audio_enable>0</system_audio_enable>
  <last_voting_time>0</last_voting_time>
  <last_voting_reminder_time>0</last_voting_reminder_time>
  <voting_reminders>0</voting_reminders>
</system_config_list>

"""
SEEDED_CHAR = {  # every switch the other way round from its default
    "cmd_separator": 0, "direction_button_enable": 1, "hint_button_enable": 0, "fkey_button_display": 1,
    "status_bar": 0, "sky_bar": 0, "exp_display": 0, "hpbar_enable": 0, "enemy_hpbar_enable": 0,
    "popup_display": 0, "group_status_display": 2, "current_layout": 1, "automap_display": 0,
    "automap_docked": 0, "channel_window_enable": 1, "channel_window_dupe": 0, "colorflash_enable": 0,
    "font_colors_setting": 3, "current_theme": 40, "current_background_theme": 90, "theme_bg_setting": 5,
}


def login_with_saved_character_configuration():
    home = tempfile.mkdtemp(prefix="tessel_home_")
    try:
        folder = os.path.join(home, ".Karthem", "char_configs")
        os.makedirs(folder)
        with open(os.path.join(home, ".Karthem", "karthem.cfg"), "w") as f:
            f.write(SEEDED_SYSTEM)
        with open(os.path.join(folder, "Zed.cfg"), "w") as f:
            f.write("<single_config>\n  <name>Zed</name>\n")
            f.write("".join(f"  <{k}>{v}</{k}>\n" for k, v in SEEDED_CHAR.items()))
            f.write("</single_config>\n")
        with Game(home) as game:
            assert game.connected() == "_tessel DFLT0123456789abcdef0123456789ab 1.095-gtk-test2"
            line = game.login("Zed")
            game.wait_title("Karthem - Player Zed")
            # Worked by hand from the files above: sound off, separator off,
            # pad on, hints off, keys on, six switches off, group 2, layout 1,
            # automap hidden and undocked, channel window on, no duplication,
            # no flash, palette 3, no voting reminders; themes 40, 90 and 5.
            assert line == "tslstatus 00101000000210010030 40 90  5", repr(line)
            quit_client(game)
            assert line == status_line_from_files(home, "Zed")
    finally:
        shutil.rmtree(home, ignore_errors=True)


# --- leaving -----------------------------------------------------------------

def quit_saves_configuration_and_identity():
    home = tempfile.mkdtemp(prefix="tessel_home_")
    try:
        assigned = "DEMO" + "5" * 28
        with Game(home) as game:
            game.connected()
            game.login("Bob")
            game.push(tag("uuid", assigned) + b"Your identity is settled.\r\n")
            game.wait_display("Your identity is settled.")
            # Not a client command: too short for //quit, so it goes to the server.
            game.type("//qu")
            assert game.next_line() == "//qu"
            assert game.client.proc.poll() is None
            quit_client(game)
            # The client's own command never reaches the server.
            time.sleep(0.5)
            assert game.lines()[-1] == "//qu", game.lines()
        config = os.path.join(home, ".Karthem")
        with open(os.path.join(config, "karthem.cfg"), encoding="latin-1") as f:
            system = f.read()
        assert system.startswith('<?xml version="1.0" encoding="ISO-8859-1"?>\n<system_config_list>'), system
        assert f"<uuid>{assigned}</uuid>" in system, system
        assert "<curr_config>Bob</curr_config>" in system, system
        assert xml_values(os.path.join(config, "char_configs", "Bob.cfg"))["name"] == "Bob"
        # The next run identifies itself with the identity the server gave.
        with Game(home) as game:
            assert game.next_line(timeout=20) == f"_tessel {assigned} 1.095-gtk-test2"
    finally:
        shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    run_checks("test_playable", [typing_keypad_and_history, password_prompt_hides_typing,
                                 login_with_default_configuration, login_with_saved_character_configuration,
                                 quit_saves_configuration_and_identity])

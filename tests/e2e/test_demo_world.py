"""The demo world speaks the client's protocol: a login with hidden password,
well-framed tags with the payloads the client reads, walking, a fight that
moves the enemy and hit-point values, ping replies, quiet status lines,
several players, bad input, and a clean stop on SIGINT and SIGTERM.

Run: test_demo_world.py [path of tessel, unused]. Talks TLS to the demo world
on 127.0.0.1 as a client would, and parses what it sends strictly."""
import os
import re
import signal
import socket
import ssl
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
DEMO = os.path.join(HERE, "demo_world.py")
IAC, DO, DONT, ECHO = 255, 253, 254, 1


class Stream:
    """Splits the server's bytes into text, tags and echo switches, and
    records every framing the client would log as malformed."""

    def __init__(self):
        self.state = "text"
        self.text = ""
        self.tags = []          # (name, data), in arrival order
        self.echo = []          # "off" / "on" with the text length when it came
        self.errors = []
        self.name = b""
        self.data = b""
        self.end = b""
        self.telnet = 0

    def feed(self, chunk):
        for b in chunk:
            c = bytes([b])
            s = self.state
            if s == "text":
                if b == IAC:
                    self.state = "iac"
                elif c == b";":
                    self.state = "semi"
                else:
                    self.text += c.decode("latin-1")
            elif s == "iac":
                self.telnet = b
                self.state = "option" if 251 <= b <= 254 else "text"
            elif s == "option":
                if b == ECHO and self.telnet == DONT:
                    self.echo.append(("off", len(self.text), len(self.tags)))
                elif b == ECHO and self.telnet == DO:
                    self.echo.append(("on", len(self.text), len(self.tags)))
                self.state = "text"
            elif s == "semi":
                if c == b";":
                    self.text += ";"
                    self.state = "text"
                elif c in b"st":
                    self.name = b""
                    self.state = "start" if c == b"s" else "bare"
                else:
                    self.errors.append(f"semicolon followed by {c!r} after text {self.text[-40:]!r}")
                    self.state = "text"
            elif s in ("start", "bare"):
                if c == b";":
                    if not self.name:
                        self.errors.append("empty tag name")
                    if s == "bare":
                        self.tags.append((self.name.decode("latin-1"), ""))
                        self.state = "text"
                    else:
                        self.data = b""
                        self.state = "data"
                else:
                    self.name += c
                    if len(self.name) > 63:
                        self.errors.append(f"tag name too long: {self.name!r}")
            elif s == "data":
                if c == b";":
                    self.tags.append((self.name.decode("latin-1"), self.data.decode("latin-1")))
                    self.state = "need_e"
                else:
                    self.data += c
            elif s == "need_e":
                if c == b"e":
                    self.end = b""
                    self.state = "end"
                else:
                    self.errors.append(f"tag {self.name!r}: end tag expected, got {c!r}")
                    self.state = "text"
            elif s == "end":
                if c == b";":
                    if self.end != self.name:
                        self.errors.append(f"end tag {self.end!r} does not match {self.name!r}")
                    self.state = "text"
                else:
                    self.end += c


class Player:
    def __init__(self, port, identity="DFLT" + "a" * 28):
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_CLIENT)
        context.check_hostname = False
        context.verify_mode = ssl.CERT_NONE
        raw = socket.create_connection(("127.0.0.1", port), timeout=10)
        self.sock = context.wrap_socket(raw)
        self.sock.settimeout(0.1)
        self.stream = Stream()
        self.closed = False
        self.text_at = 0
        self.tag_at = 0
        self.send(f"_tessel {identity} 1.095-gtk-test2")

    def send(self, line):
        self.sock.sendall(line.encode("latin-1") + b"\n")

    def send_raw(self, data):
        self.sock.sendall(data)

    def read_some(self):
        try:
            chunk = self.sock.recv(65536)
        except (socket.timeout, TimeoutError):
            return
        if not chunk:
            self.closed = True
            return
        self.stream.feed(chunk)

    def wait_text(self, needle, timeout=5.0):
        """Waits for needle in the text after the last match; returns the text up to it."""
        deadline = time.monotonic() + timeout
        while True:
            i = self.stream.text.find(needle, self.text_at)
            if i >= 0:
                before = self.stream.text[self.text_at:i]
                self.text_at = i + len(needle)
                return before
            if self.closed or time.monotonic() > deadline:
                raise AssertionError(f"no {needle!r} in {self.stream.text[self.text_at:][-300:]!r}")
            self.read_some()

    def wait_tag(self, name, timeout=5.0):
        deadline = time.monotonic() + timeout
        while True:
            for i in range(self.tag_at, len(self.stream.tags)):
                if self.stream.tags[i][0] == name:
                    self.tag_at = i + 1
                    return self.stream.tags[i][1]
            if self.closed or time.monotonic() > deadline:
                raise AssertionError(f"no tag {name!r}; tags since: {self.stream.tags[self.tag_at:]}")
            self.read_some()

    def quiet_for(self, seconds):
        """Everything that arrives within seconds, as (new text, new tags)."""
        text0, tags0 = len(self.stream.text), len(self.stream.tags)
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline and not self.closed:
            self.read_some()
        return self.stream.text[text0:], self.stream.tags[tags0:]

    def skip_to_end(self):
        self.text_at = len(self.stream.text)
        self.tag_at = len(self.stream.tags)

    def wait_closed(self, timeout=5.0):
        deadline = time.monotonic() + timeout
        while not self.closed and time.monotonic() < deadline:
            self.read_some()
        return self.closed

    def login(self, name, password="secret", prompted=False):
        if not prompted:
            self.wait_text("By what name are you known? ")
        self.send(name)
        self.wait_text("Password: ")
        self.send(password)
        self.wait_tag("login")
        self.wait_text("mv>")   # the first prompt
        self.skip_to_end()

    def close(self):
        try:
            self.sock.close()
        except OSError:
            pass


class DemoServer:
    def __init__(self, port=0):
        self.folder = tempfile.TemporaryDirectory()
        self.port_file = os.path.join(self.folder.name, "port")
        args = [sys.executable, DEMO, "--port-file", self.port_file]
        if port:
            args += ["--port", str(port)]
        self.log_path = os.path.join(self.folder.name, "log")
        self.log = open(self.log_path, "w")
        self.proc = subprocess.Popen(args, stdout=self.log, stderr=subprocess.STDOUT)
        deadline = time.monotonic() + 60
        while not os.path.exists(self.port_file):
            if self.proc.poll() is not None or time.monotonic() > deadline:
                raise AssertionError("demo world did not start: " + self.output())
            time.sleep(0.05)
        self.port = int(open(self.port_file).read())

    def output(self):
        self.log.flush()
        with open(self.log_path) as f:
            return f.read()

    def stop(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        self.log.close()
        self.folder.cleanup()


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def dirs_mask(data):
    """Decodes the exit mask the way the client does."""
    word, mask = data.split()
    return word, (ord(mask[0]) - 65) * 32 | (ord(mask[1]) - 65)


NORTH, EAST, SOUTH, WEST, UP, DOWN = 1, 4, 16, 64, 256, 512

# --- checks ------------------------------------------------------------------


def check_login(server):
    p = Player(server.port)
    try:
        banner = p.wait_text("By what name are you known? ")
        assert "\x1b[" in banner and "K A R T H E M" in banner, banner
        assert p.stream.echo == [], "echo switched before the password prompt"
        p.send("ada")
        p.wait_text("Password: ")
        text, tags = p.quiet_for(0.5)
        # Hidden typing is asked for right after the prompt, nothing else before the answer.
        assert [e[0] for e in p.stream.echo] == ["off"], p.stream.echo
        assert text == "" and tags == [], (text, tags)
        p.send("hunter2")
        assert p.wait_tag("login") == "Ada"
        assert [e[0] for e in p.stream.echo] == ["off", "on"], p.stream.echo
        # Typing is visible again before the character is announced.
        assert p.stream.echo[1][2] == 0, "echo came back after the login tag"
        uuid = p.wait_tag("uuid")
        assert re.fullmatch(r"DEMO[0-9a-f]{28}", uuid), uuid
        hp = p.wait_tag("hp").split()
        assert len(hp) == 6 and all(v.isdigit() for v in hp), hp
        assert p.wait_tag("dirs") == "on SF"          # north, east, west and down: 581
        assert dirs_mask("on SF") == ("on", NORTH | EAST | WEST | DOWN)
        p.wait_text("Lantern Square")
        p.wait_text("mv>")
        assert p.stream.errors == [], p.stream.errors
    finally:
        p.close()
    # The same identity is not assigned again.
    p = Player(server.port, identity=uuid)
    try:
        p.login("Ada")
        p.quiet_for(0.3)
        assert "uuid" not in [t[0] for t in p.stream.tags], p.stream.tags
    finally:
        p.close()


def check_bad_names(server):
    p = Player(server.port)
    try:
        p.wait_text("By what name are you known? ")
        for name in ["x", "Ab1", "a" * 13, "two words"]:
            p.send(name)
            p.wait_text("Names are letters only")
            p.wait_text("By what name are you known? ")
        p.send("")   # an empty answer just asks again
        p.wait_text("By what name are you known? ")
        assert p.stream.echo == [] and p.stream.tags == [], (p.stream.echo, p.stream.tags)
    finally:
        p.close()


WALK = [  # command, room title or refusal, exits mask expected afterwards (None: no dirs tag),
          # then the automap: the map's movement code and transition, or the walkfail number
    ("n", "Old Market Lane", NORTH | SOUTH, "A", ""),
    ("north", "The North Gate", SOUTH, "A", ""),
    ("up", "Alas, you cannot go that way.", None, None, None),
    ("nwest", "Alas, you cannot go that way.", None, None, "7"),
    ("southwest", "Alas, you cannot go that way.", None, None, "6"),
    ("S", "Old Market Lane", NORTH | SOUTH, "C", ""),
    ("s", "Lantern Square", NORTH | EAST | WEST | DOWN, "C", ""),
    ("w", "The Quiet Chapel", EAST | UP, "D", ""),
    ("u", "The Belfry", DOWN, "@", "A"),
    ("down", "The Quiet Chapel", EAST | UP, "@", "B"),
    ("e", "Lantern Square", NORTH | EAST | WEST | DOWN, "B", ""),
    ("east", "Harbour Steps", WEST, "B", ""),
    ("recall", "Lantern Square", NORTH | EAST | WEST | DOWN, "@", "B"),
    ("d", "A Damp Cellar", UP, "@", "B"),
]


def check_map(tags, command, movement, after):
    """One map per move, in the client's grid format, with its area name;
    a walk into a wall sends the direction it bumped into instead."""
    maps = [d for n, d in tags if n == "map"]
    bumps = [d for n, d in tags if n == "walkfail"]
    if movement is None:
        assert maps == [] and bumps == ([after] if after else []), (command, maps, bumps)
        return
    assert bumps == [] and len(maps) == 1, (command, bumps, len(maps))
    lines = maps[0][1:].split("\n")
    assert maps[0][0] == movement and lines[-1] == after, (command, maps[0][0], lines[-1])
    # Boundary, corner and room rows, every character a value from "@" on.
    assert [len(line) for line in lines[:-1]] == [11] * 12 + [12] * 11 + [12] * 24 + [44] * 11, command
    assert all(c >= "@" for line in lines[:-1] for c in line), command
    # The player's room (the centre of the room rows) is there.
    assert lines[47 + 5][20:24] != "@@@@", command
    assert [n for n, d in tags].count("areaname") == 1, command


def check_walking(server):
    p = Player(server.port)
    try:
        p.login("Bram")
        for command, expect, mask, movement, after in WALK:
            p.send(command)
            before = p.wait_text(expect)
            assert before.startswith("\r\n"), f"the reply to {command!r} does not start a line: {before[:20]!r}"
            p.wait_text("mv>")
            check_map(p.stream.tags[p.tag_at:], command, movement, after)
            dirs = [d for n, d in p.stream.tags[p.tag_at:] if n == "dirs"]
            p.skip_to_end()
            if mask is None:
                assert dirs == [], (command, dirs)
            else:
                assert len(dirs) == 1 and dirs_mask(dirs[0]) == ("on", mask), (command, dirs)
        p.send("look")
        p.wait_text("A cellar rat sniffs around")
        p.wait_text("mv>")
        p.send("recall")
        p.wait_text("mv>")
        p.send("scan -ts")
        scan = p.wait_text("mv>")
        assert all(room in scan for room in ("Old Market Lane", "Harbour Steps", "The Quiet Chapel",
                                             "A Damp Cellar")), scan
        p.send("xyzzy")
        p.wait_text("Huh?")
        assert p.stream.errors == [], p.stream.errors
    finally:
        p.close()


def check_fight(server):
    p = Player(server.port)
    try:
        p.login("Cora")
        p.send("kill rat")
        p.wait_text("You see no rat here.")
        p.send("d")
        p.wait_text("A Damp Cellar")
        p.skip_to_end()
        p.send("k rat")
        p.wait_tag("combat")
        values = [p.wait_tag("enemyhp")]
        assert values == ["100 a cellar rat"], values
        p.wait_tag("ncombat", timeout=20)
        tags = p.stream.tags
        enemy = [int(d.split()[0]) for n, d in tags if n == "enemyhp"]
        assert all(d.endswith(" a cellar rat") for n, d in tags if n == "enemyhp")
        assert enemy[-1] == 0 and all(a > b for a, b in zip(enemy, enemy[1:])), enemy
        hps = [list(map(int, d.split())) for n, d in tags if n == "hp"]
        assert all(len(h) == 6 and 1 <= h[0] <= h[1] for h in hps), hps
        xpp = [d for n, d in tags if n == "xpp"]
        assert xpp[-1] == "150", xpp
        p.wait_text("darts into a crack")
        p.wait_text("mv>")
        p.send("kill rat")
        p.wait_text("You see no rat here.")
        p.send("look")
        text = p.wait_text("mv>")
        assert "cellar rat" not in text, text
        assert p.stream.errors == [], p.stream.errors
    finally:
        p.close()


def check_ping_and_status_lines(server):
    p = Player(server.port)
    try:
        p.wait_text("By what name are you known? ")
        p.send("tsping")
        assert p.wait_tag("event") == "tspong"
        p.login("Dov", prompted=True)
        for line in ["tsping", "tsping"]:
            p.send(line)
            text, tags = p.quiet_for(0.5)
            assert tags == [("event", "tspong")] and text == "", (text, tags)
        for line in ["tslstatus 11010111111121101101  1  2  3", "tslwindow open Map"]:
            p.send(line)
        text, tags = p.quiet_for(1.0)
        assert text == "" and tags == [], (text, tags)
    finally:
        p.close()


def check_quit(server):
    p = Player(server.port)
    try:
        p.login("Eli")
        p.send("quit -check")
        p.wait_text("You may leave whenever you like")
        p.wait_text("mv>")
        p.send("quit")
        p.wait_text("Farewell, Eli.")
        assert p.wait_tag("event") == "logoff"
        assert p.wait_closed(), "connection stayed open after quit"
    finally:
        p.close()
    p = Player(server.port)
    try:
        p.wait_text("By what name are you known? ")
        p.send("QUIT")
        p.wait_text("Come back soon.")
        assert p.wait_closed(), "connection stayed open after quit at the name prompt"
    finally:
        p.close()


def check_players_meet(server):
    a, b = Player(server.port), Player(server.port)
    try:
        a.login("Fen")
        b.login("Gil")
        a.send("who")
        who = a.wait_text("2 in all.")
        assert "Fen" in who and "Gil" in who, who
        a.send("say hello; friend")
        a.wait_text("You say 'hello; friend'")
        b.wait_text("Fen says 'hello; friend'")
        b.send("n")
        a.wait_text("Gil leaves north.")
        a.send("'anyone?")
        a.wait_text("You say 'anyone?'")
        text, _ = b.quiet_for(1.0)
        assert "anyone" not in text, text
        c = Player(server.port)
        try:
            c.wait_text("By what name are you known? ")
            c.send("FEN")
            c.wait_text("Fen is already in the world")
        finally:
            c.close()
        for p in (a, b):
            assert p.stream.errors == [], p.stream.errors
    finally:
        a.close()
        b.close()


def check_bad_input(server):
    # Not TLS at all: the handshake fails, the server carries on.
    with socket.create_connection(("127.0.0.1", server.port), timeout=5) as raw:
        raw.sendall(b"GET / HTTP/1.0\r\n\r\n")
        try:
            raw.recv(100)
        except (socket.timeout, OSError):
            pass
    p = Player(server.port)
    try:
        p.login("Hal")
        p.send_raw(b"x" * 5000 + b"\n")
        p.send_raw(b"\x03\n\xff\xfe;;;\n")
        p.send("look")
        text = p.wait_text("Lantern Square")
        assert "xxxx" not in text, "the over-long line was taken as a command"
        p.wait_text("mv>")
        assert not p.closed
    finally:
        p.close()
    out = server.output()
    assert "TLS handshake" in out and "over 2000 bytes" in out, out


def check_stop(sig):
    server = DemoServer(port=free_port())
    try:
        assert open(server.port_file).read().strip() == str(server.port)
        p = Player(server.port)
        p.login("Ivo")
        server.proc.send_signal(sig)
        p.wait_text("The world fades to grey")
        assert p.wait_closed(), "client still connected after the stop"
        assert server.proc.wait(timeout=15) == 0
        p.close()
    finally:
        server.stop()


def main():
    passed = failed = 0
    server = DemoServer()
    checks = [check_login, check_bad_names, check_walking, check_fight, check_ping_and_status_lines,
              check_quit, check_players_meet, check_bad_input]
    try:
        for check in checks:
            try:
                check(server)
                passed += 1
                print(f"ok   {check.__name__}")
            except Exception as e:
                failed += 1
                print(f"FAIL {check.__name__}: {e!r}")
    finally:
        server.stop()
    for sig in (signal.SIGINT, signal.SIGTERM):
        try:
            check_stop(sig)
            passed += 1
            print(f"ok   check_stop({sig.name})")
        except Exception as e:
            failed += 1
            print(f"FAIL check_stop({sig.name}): {e!r}")
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())

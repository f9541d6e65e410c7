#!/usr/bin/env python3
"""A small Karthem world to play the client against, on this machine only.

    demo_world.py [--port N] [--port-file FILE] [--key-dir DIR]

Listens with TLS on 127.0.0.1 (a throwaway self-signed certificate is made
with the openssl command at start-up), serves any number of players, one
thread each, and ends cleanly on SIGINT or SIGTERM. With --port-file the
chosen port is written to FILE once the server is listening. With --key-dir
the key and certificate are kept in DIR and used again by later runs, so a
client that remembers the server's key recognises it on any port.

Python standard library only. The world is private to each player apart
from "who" and "say"; the cellar rat is harmless.
"""
import argparse
import hashlib
import os
import queue
import random
import signal
import socket
import ssl
import subprocess
import sys
import tempfile
import threading
import time

IAC, DO, DONT, ECHO = 255, 253, 254, 1

# The client understands one SGR parameter per escape sequence only.
RESET = "\x1b[0m\x1b[37m"
BOLD_CYAN = "\x1b[1m\x1b[36m"
BOLD_YELLOW = "\x1b[1m\x1b[33m"
BOLD_RED = "\x1b[1m\x1b[31m"
GREEN = "\x1b[0m\x1b[32m"
YELLOW = "\x1b[0m\x1b[33m"
PURPLE = "\x1b[0m\x1b[35m"
WHITE = RESET

MAX_LINE = 2000          # longer input lines are discarded with a warning
READ_SLICE = 0.25        # how often a session looks at its outbox and clock
ROUND_SECONDS = 2.0      # combat rounds and resting
HANDSHAKE_SECONDS = 10.0
SEND_SECONDS = 10.0      # a client that reads nothing for this long is dropped

DIRECTIONS = {  # word -> exit bit of the "dirs" mask
    "north": 1, "neast": 2, "east": 4, "seast": 8, "south": 16,
    "swest": 32, "west": 64, "nwest": 128, "up": 256, "down": 512,
}
# The client's keypad walks with the long names, its direction pad with the short ones.
DIAGONALS = {"northeast": "neast", "northwest": "nwest", "southeast": "seast", "southwest": "swest"}
REVERSE = {"north": "the south", "south": "the north", "east": "the west",
           "west": "the east", "up": "below", "down": "above"}

ROOMS = {
    "square": ("Lantern Square",
               "Paper lanterns sway on strings above the cobbles, throwing warm\r\n"
               "circles of light. A fountain mutters to itself in the middle.",
               {"north": "lane", "east": "harbour", "west": "chapel", "down": "cellar"}),
    "lane": ("Old Market Lane",
             "Shuttered stalls lean together over the lane; a cat watches you\r\n"
             "from a barrel of last season's apples.",
             {"south": "square", "north": "gate"}),
    "gate": ("The North Gate",
             "The gate stands open on a dark road. Beyond it the moors roll away\r\n"
             "under a sky full of slow clouds. Nobody goes that way tonight.",
             {"south": "lane"}),
    "harbour": ("Harbour Steps",
                "Worn steps run down into black water. Ropes creak, gulls argue,\r\n"
                "and the smell of tar and salt hangs over everything.",
                {"west": "square"}),
    "chapel": ("The Quiet Chapel",
               "Candles gutter before a plain altar. The silence here is deep\r\n"
               "enough to hear your own heartbeat. A ladder leads up.",
               {"east": "square", "up": "belfry"}),
    "belfry": ("The Belfry",
               "A great bronze bell hangs in the dark above you. Through the\r\n"
               "louvres the whole town glitters like a dropped purse of coins.",
               {"down": "chapel"}),
    "cellar": ("A Damp Cellar",
               "Barrels and broken crates crowd the walls. Water drips somewhere\r\n"
               "in the dark, and something small scratches behind the casks.",
               {"up": "square"}),
}
INDOORS = {"chapel", "belfry", "cellar"}

# The automap: where each room lies (x east, y south, level), how it looks
# (terrain type, feature bits: 1 star, 2 paved road, 4 trail; the seed of its
# texture) and the area named over the map.
MAP_ROOMS = {
    "square": ((0, 0, 0), 10, 2 | 1, 11, "Lantern Quarter"),
    "lane": ((0, -1, 0), 27, 2, 23, "Lantern Quarter"),
    "gate": ((0, -2, 0), 1, 4, 37, "The North Gate"),
    "harbour": ((1, 0, 0), 6, 2, 41, "Lantern Quarter"),
    "chapel": ((-1, 0, 0), 12, 0, 7, "Chapel Hill"),
    "belfry": ((-1, 0, 1), 9, 1, 29, "Chapel Hill"),
    "cellar": ((0, 0, -1), 21, 0, 53, "Under the Square"),
}
# Scenery around the town that no exit reaches: the moors past the gate and
# the harbour water.
MAP_SCENERY = {
    (-1, -3, 0): 5, (0, -3, 0): 4, (1, -3, 0): 5, (-1, -2, 0): 4, (1, -2, 0): 4,
    (2, 0, 0): 17, (2, 1, 0): 17, (1, 1, 0): 19, (2, -1, 0): 19,
}
# Movement codes of the map payload and walkfail numbers, by direction.
MAP_MOVES = {"north": "A", "east": "B", "south": "C", "west": "D",
             "neast": "E", "seast": "F", "swest": "G", "nwest": "H"}
WALKFAIL = {"north": 0, "east": 1, "south": 2, "west": 3,
            "neast": 4, "seast": 5, "swest": 6, "nwest": 7}
STEP = {"north": (0, -1), "south": (0, 1), "east": (1, 0), "west": (-1, 0)}
GAME_MINUTES_PER_SECOND = 4  # a game day passes in six real minutes
START_ROOM = "square"
RAT_ROOM = "cellar"
RAT_NAME = "a cellar rat"
RAT_RETURNS = 30.0
CRIER_SECONDS = 45.0     # the town crier's gossip, on its own channel
CRIER_LINES = ["The harbour master reports calm seas tonight.",
               "Fresh bread at the Lantern Square bakery!",
               "Lost: one grey cat, answers to Pudding.",
               "The North Gate closes at midnight. Mind the moors."]
# Popup windows: name, title, size in characters, command, options.
POPUPS = [("Score", "Score Sheet", "44 6", "", ""),
          ("Journal", "Journal", "50 8", "", "")]

HELP = ("Commands:\r\n"
        "  north south east west up down (n s e w u d)   walk\r\n"
        "  look (l)        look around        score (sc)   your condition\r\n"
        "  who (wh)        who is playing     say (sa, ')  speak aloud\r\n"
        "  kill (k) rat    pick a fight       recall       return to the square\r\n"
        "  scan (sca)      what lies around   (keypad 5 scans, the other keys walk)\r\n"
        "  tutorial (tut)  where to click     help (h)     this list\r\n"
        "  gossip (gos)    chat on the gossip channel\r\n"
        "  quit            leave the world")


def log(message):
    print(f"demo_world: {message}", file=sys.stderr, flush=True)


def make_certificate(folder, days=2):
    """A self-signed certificate and key for 127.0.0.1 in folder."""
    cert = os.path.join(folder, "cert.pem")
    key = os.path.join(folder, "key.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes",
                    "-keyout", key, "-out", cert, "-days", str(days), "-subj", "/CN=127.0.0.1"],
                   check=True, capture_output=True, timeout=120)
    return cert, key


def server_context(folder, keep=False):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    if keep:
        try:
            context.load_cert_chain(os.path.join(folder, "cert.pem"), os.path.join(folder, "key.pem"))
            return context
        except (OSError, ssl.SSLError):
            log(f"making a new key in {folder}")
    context.load_cert_chain(*make_certificate(folder, 3650 if keep else 2))
    return context


# --- the wire format ---------------------------------------------------------

def text(s):
    """Game text: every literal semicolon is doubled."""
    return s.replace(";", ";;").encode("latin-1", "replace")


def tag(name, data=""):
    # Tag data can hold no semicolon at all.
    return f";s{name};{data.replace(';', ',')};e{name};".encode("latin-1", "replace")


def bare_tag(name):
    return f";t{name};".encode("latin-1")


def dirs_data(exits):
    mask = 0
    for direction in exits:
        mask |= DIRECTIONS[direction]
    # Two letters of five bits each, counted from "A", high bits first.
    return "on " + chr(65 + (mask >> 5)) + chr(65 + (mask & 31))


def map_data(room, movement="@", transition=""):
    """The "map" payload around a room: the movement code, boundary rows,
    the corner rows (low and high codes) and the room rows, each character
    a value from "@" on, then the transition character."""
    (px, py, level) = MAP_ROOMS[room][0]
    at = {}  # (x, y) of the 11 x 11 window -> room name or terrain number
    for name, (position, *_rest) in MAP_ROOMS.items():
        x, y, z = position
        if z == level and abs(x - px) <= 5 and abs(y - py) <= 5:
            at[(x - px + 5, y - py + 5)] = name
    for (x, y, z), terrain in MAP_SCENERY.items():
        if z == level and abs(x - px) <= 5 and abs(y - py) <= 5:
            at.setdefault((x - px + 5, y - py + 5), terrain)

    def linked(a, b, direction):
        return isinstance(a, str) and isinstance(b, str) and ROOMS[a][2].get(direction) == b

    def boundary(a, b, direction):
        if a is None and b is None:
            return 0
        if linked(a, b, direction):
            return 2 if {a, b} == {"lane", "gate"} else 0  # the gate is a green door
        if isinstance(a, int) and isinstance(b, int):
            return 0  # open country
        return 4

    ch = lambda v: chr(64 + v)
    rows = []
    for j in range(12):  # walls between the room above and the one below
        rows.append("".join(ch(boundary(at.get((i, j - 1)), at.get((i, j)), "south")) for i in range(11)))
    for j in range(11):  # walls between the room on the left and the one on the right
        rows.append("".join(ch(boundary(at.get((i - 1, j)), at.get((i, j)), "east")) for i in range(12)))
    corners = "".join(ch(4) for _ in range(12))
    rows += [corners] * 24  # no diagonal passages anywhere
    for j in range(11):
        line = ""
        for i in range(11):
            here = at.get((i, j))
            if isinstance(here, str):
                _, terrain, features, seed, _area = MAP_ROOMS[here]
                line += ch(terrain) + ch(features) + ch(seed) + ch(0)
            elif isinstance(here, int):
                line += ch(here) + ch(0) + ch(1 + (i * 7 + j * 3) % 60) + ch(0)
            else:
                line += ch(0) * 4
        rows.append(line)
    return movement + "\n".join(rows) + "\n" + transition


def match_word(word, keyword, minimum):
    word = word.lower()
    return len(word) >= min(minimum, len(keyword)) and keyword.startswith(word)


# --- the world ---------------------------------------------------------------

class World:
    def __init__(self):
        self.lock = threading.Lock()
        self.players = []   # sessions that are in play

    def enter(self, session):
        with self.lock:
            if any(p.name.lower() == session.name.lower() for p in self.players):
                return False
            self.players.append(session)
            return True

    def leave(self, session):
        with self.lock:
            if session in self.players:
                self.players.remove(session)

    def names(self):
        with self.lock:
            return [p.name for p in self.players]

    def players_except(self, session):
        with self.lock:
            return [p for p in self.players if p is not session]

    def others_in(self, room, session):
        with self.lock:
            return [p for p in self.players if p is not session and p.room == room]


class Disconnected(Exception):
    pass


class Session:
    def __init__(self, world, conn, stopping):
        self.world = world
        self.conn = conn
        self.stopping = stopping
        self.inbuf = b""
        self.discarding = False
        self.outbox = queue.Queue()   # text from other players' threads
        self.client_identity = ""
        self.name = ""
        self.room = START_ROOM
        self.in_play = False
        self.hp, self.hp_max = 40, 40
        self.mana, self.mana_max = 20, 20
        self.move, self.move_max = 60, 60
        self.level, self.xp = 1, 0    # xp in tenths of a percent of a level
        self.fighting = False
        self.rat_health = 0
        self.rat_back_at = 0.0
        self.next_round = 0.0
        self.hints = None
        self.next_crier = 0.0
        self.open_popups = set()

    # -- sending and receiving; only this session's thread touches the socket

    def send(self, *parts):
        try:
            self.conn.settimeout(SEND_SECONDS)
            self.conn.sendall(b"".join(parts))
        except (OSError, ValueError) as e:
            raise Disconnected(f"send failed: {e}")

    def say(self, s):
        self.send(text(s + "\r\n"))

    def tell(self, s):
        """Queued from another thread; delivered by this session's thread."""
        self.outbox.put(s)

    def read_line(self):
        """The next line from the client; None when time has passed without one."""
        while True:
            if b"\n" in self.inbuf:
                line, self.inbuf = self.inbuf.split(b"\n", 1)
                if self.discarding:
                    self.discarding = False
                    continue
                # Carriage returns and the break/abort bytes are not part of commands.
                line = line.replace(b"\r", b"").replace(b"\x03", b"").replace(b"\x1a", b"")
                return line.decode("latin-1")
            if len(self.inbuf) > MAX_LINE:
                if not self.discarding:
                    log(f"warning: {self.who()} sent a line over {MAX_LINE} bytes, discarding it")
                self.inbuf = b""
                self.discarding = True
            if self.stopping.is_set():
                self.send(text(f"\r\n{PURPLE}The world fades to grey: the demo world is closing.{RESET}\r\n"))
                raise Disconnected("server stopping")
            try:
                self.conn.settimeout(READ_SLICE)
                data = self.conn.recv(4096)
            except (socket.timeout, TimeoutError):
                return None
            except (OSError, ValueError) as e:
                raise Disconnected(f"read failed: {e}")
            if not data:
                raise Disconnected("closed by client")
            self.inbuf += data

    def who(self):
        return self.name or "a visitor"

    def command(self):
        """Waits for a player command, serving the client's own lines meanwhile."""
        while True:
            self.deliver()
            if self.in_play:
                self.heartbeat()
            line = self.read_line()
            if line is None:
                continue
            word = line.split(" ", 1)[0]
            if word == "_tessel":
                self.client_identity = (line.split() + ["", ""])[1]
            elif word == "tsping":
                self.send(tag("event", "tspong"))
            elif word == "tslwindow":
                self.popup_notice(line.split()[1:])
            elif word == "tslstatus":
                pass
            else:
                return line.strip()

    def deliver(self):
        while True:
            try:
                s = self.outbox.get_nowait()
            except queue.Empty:
                return
            if isinstance(s, tuple):   # (channel, line) from another player
                self.channel(*s)
                continue
            self.send(text("\r\n" + s + "\r\n"))
            self.prompt()

    # -- the game

    def run(self):
        try:
            self.banner()
            self.login()
            self.play()
        except Disconnected as e:
            log(f"{self.who()} left ({e})")
        finally:
            self.world.leave(self)
            for other in self.world.others_in(self.room, self) if self.in_play else []:
                other.tell(f"{self.name} fades away.")
            try:
                self.conn.close()
            except OSError:
                pass

    def banner(self):
        self.send(text(
            "\r\n" + BOLD_YELLOW + "      *  K A R T H E M  *\r\n" + RESET +
            PURPLE + "   a small town at the edge of the moors\r\n" + RESET +
            "\r\n" + GREEN + "(This is the demo world; any name and password will do.)" + RESET +
            "\r\n\r\n"))

    def login(self):
        while True:
            self.send(text("By what name are you known? "))
            name = self.command()
            self.send(text("\r\n"))  # the answer starts a line, as in play
            if not name:
                continue
            if name.lower() == "quit":
                self.say("Come back soon.")
                raise Disconnected("quit at the name prompt")
            if not (name.isascii() and name.isalpha() and 2 <= len(name) <= 12):
                self.say("Names are letters only, 2 to 12 of them.")
                continue
            self.name = name.capitalize()
            if name.lower() in (n.lower() for n in self.world.names()):
                self.say(f"{self.name} is already in the world; choose another name.")
                self.name = ""
                continue
            break
        # Hide the typing while the password is read, then show it again.
        self.send(text("Password: "), bytes([IAC, DONT, ECHO]))
        self.command()
        self.send(bytes([IAC, DO, ECHO]), text("\r\n"))
        if not self.world.enter(self):
            self.say(f"{self.name} arrived just before you; choose another name.")
            self.name = ""
            return self.login()
        self.in_play = True
        log(f"{self.name} entered the world")
        identity = "DEMO" + hashlib.sha1(self.name.encode()).hexdigest()[:28]
        self.send(tag("login", self.name))
        if identity != self.client_identity:
            self.send(tag("uuid", identity))
        self.say(f"\r\n{BOLD_YELLOW}Welcome to Karthem, {self.name}.{RESET} Type help for the commands.")
        for other in self.world.others_in(self.room, self):
            other.tell(f"{self.name} appears in a swirl of lantern light.")
        self.send(tag("icons", "10000"), self.xpp_tag(), bare_tag("ncombat"))
        for popup in POPUPS:
            self.send(tag("window_create", "\n".join(popup)))
        self.journal(f"{self.name} entered the world.")
        self.channel("newbie", f"{BOLD_CYAN}[newbie]{RESET} Guide: Welcome, {self.name}! "
                               f"Try the Score button at the bottom, and gossip to chat.")
        self.next_crier = time.monotonic() + 5.0
        self.status()
        self.send_map()
        self.look()
        self.prompt()

    def send_map(self, movement="@", transition=""):
        self.send(tag("map", map_data(self.room, movement, transition)),
                  tag("areaname", MAP_ROOMS[self.room][4]))

    def play(self):
        commands = [  # keyword, shortest abbreviation, handler; tested in order
            ("look", 1, lambda arg: self.look()),
            ("kill", 1, self.kill),
            ("score", 2, lambda arg: self.score()),
            ("say", 2, self.speak),
            ("who", 2, lambda arg: self.who_list()),
            ("help", 1, lambda arg: self.say(HELP)),
            ("recall", 3, lambda arg: self.recall()),
            ("scan", 2, lambda arg: self.scan()),
            ("tutorial", 3, lambda arg: self.tutorial()),
            ("gossip", 3, self.gossip),
        ]
        while True:
            line = self.command()
            # Like the game server, every reply starts on a line of its own,
            # never after the client's echo or separator.
            self.send(text("\r\n"))
            if not line:
                self.prompt()
                continue
            if line.startswith("'"):
                self.speak(line[1:].strip())
                self.prompt()
                continue
            word, _, arg = line.partition(" ")
            arg = arg.strip()
            if word.lower() == "quit":
                if arg.lower() == "-check":
                    self.say("You may leave whenever you like: type quit.")
                    self.prompt()
                    continue
                self.say(f"{BOLD_YELLOW}Farewell, {self.name}. The lanterns dim behind you.{RESET}")
                self.send(tag("event", "logoff"))
                log(f"{self.name} quit")
                return
            direction = self.direction(word)
            if direction:
                self.walk(direction)
            else:
                for keyword, minimum, handler in commands:
                    if match_word(word, keyword, minimum):
                        handler(arg)
                        break
                else:
                    self.say("Huh? Type help for the commands.")
            self.prompt()

    @staticmethod
    def direction(word):
        word = word.lower()
        # n, s, e, w, u and d walk; the diagonals (from the client's pad) need the whole word.
        for d in ("north", "south", "east", "west", "up", "down"):
            if match_word(word, d, 1):
                return d
        word = DIAGONALS.get(word, word)
        return word if word in DIRECTIONS else None

    def prompt(self):
        self.send(text(f"{GREEN}<{self.hp}/{self.hp_max}hp {self.mana}/{self.mana_max}mn "
                       f"{self.move}/{self.move_max}mv>{RESET} "))

    def status(self):
        self.send(tag("hp", f"{self.hp} {self.hp_max} {self.mana} {self.mana_max} "
                            f"{self.move} {self.move_max}"), self.group_tag())

    def group_tag(self):
        """The player, a pet (kind 1, between dots) and a follower (kind 2, after a dash)."""
        return tag("group", f"{self.hp} {self.hp_max} {self.mana} {self.mana_max} {self.move} {self.move_max} "
                            f"{self.name}\n"
                            "14 20 0 0 25 40 .Whiskers.\n"
                            "30 45 10 10 12 60 -Old Tam\n")

    def tutorial(self):
        self.say(f"{BOLD_YELLOW}The buttons on the right suggest what to do next; click one.{RESET}")
        self.send(tag("config", "hint_buttons flash"))

    def sky_tag(self):
        """Outdoors the sky shows; the game clock runs from the real one."""
        minute = int(time.time() * GAME_MINUTES_PER_SECOND) % 1440
        outdoors = "0" if self.room in INDOORS else "1"
        hour = minute // 60
        when = ("Night" if hour < 5 or hour >= 21 else "Dawn" if hour < 7 else "Morning" if hour < 12
                else "Afternoon" if hour < 18 else "Evening")
        return tag("skystate", f"{outdoors}{outdoors}0 1 {minute} {when}")

    def xpp_tag(self):
        return tag("xpp", str(self.xp))

    def rat_here(self):
        return self.room == RAT_ROOM and time.monotonic() >= self.rat_back_at

    def look(self):
        title, description, exits = ROOMS[self.room]
        lines = [f"{BOLD_CYAN}{title}{RESET}", description,
                 f"{GREEN}[Exits: {' '.join(exits) or 'none'}]{RESET}"]
        if self.rat_here():
            lines.append(f"{YELLOW}A cellar rat sniffs around for crumbs; it looks harmless.{RESET}")
        for other in self.world.others_in(self.room, self):
            lines.append(f"{WHITE}{other.name} is here.{RESET}")
        self.send(tag("dirs", dirs_data(exits)), self.sky_tag())
        self.update_hints()
        self.say("\r\n" + "\r\n".join(lines))

    def update_hints(self):
        hints = [("Look", "look"), ("Score", "score")]
        if self.rat_here():
            hints.append(("Kill rat", "kill rat"))
        if hints == self.hints:
            return
        self.hints = hints
        self.send(bare_tag("bclear"),
                  *(tag(f"b{i}", f"{label}\n{command}") for i, (label, command) in enumerate(hints, 1)))

    def walk(self, direction):
        exits = ROOMS[self.room][2]
        if direction not in exits:
            if direction in WALKFAIL:
                self.send(tag("walkfail", str(WALKFAIL[direction])))
            self.say("Alas, you cannot go that way.")
            return
        if self.move <= 0:
            self.say("You are too tired to walk another step.")
            return
        if self.fighting:
            self.say("You back away from the rat, which is happy to let you go.")
            self.end_fight()
        for other in self.world.others_in(self.room, self):
            other.tell(f"{self.name} leaves {direction}.")
        # Sound pack sounds (scripts/make-demo-sounds.sh): a door between indoors and out.
        if (self.room in INDOORS) != (exits[direction] in INDOORS):
            self.send(tag("sound", "world/door"))
        self.room = exits[direction]
        self.move -= 1
        self.send_map(MAP_MOVES.get(direction, "@"), {"up": "A", "down": "B"}.get(direction, ""))
        for other in self.world.others_in(self.room, self):
            other.tell(f"{self.name} arrives from {REVERSE.get(direction, 'somewhere')}.")
        self.status()
        self.look()

    def scan(self):
        exits = ROOMS[self.room][2]
        self.say("You peer around you:\r\n" + "\r\n".join(
            f"  {GREEN}{d:<6}{RESET} {ROOMS[r][0]}" for d, r in exits.items()))

    def recall(self):
        if self.fighting:
            self.end_fight()
        self.say(f"{PURPLE}You close your eyes, and open them in Lantern Square.{RESET}")
        self.room = START_ROOM
        self.send_map("@", "B")
        self.look()

    def score(self):
        self.say(f"{BOLD_CYAN}{self.name}{RESET}, level {self.level} wanderer\r\n"
                 f"Health {self.hp}/{self.hp_max}, mana {self.mana}/{self.mana_max}, "
                 f"movement {self.move}/{self.move_max}\r\n"
                 f"Experience: {self.xp // 10}% of the way to level {self.level + 1}")

    def who_list(self):
        names = self.world.names()
        self.say(f"{BOLD_YELLOW}Players in Karthem:{RESET}\r\n  " + "\r\n  ".join(names) +
                 f"\r\n{len(names)} in all.")

    def speak(self, message):
        if not message:
            self.say("Say what?")
            return
        self.say(f"{YELLOW}You say '{message}'{RESET}")
        for other in self.world.others_in(self.room, self):
            other.tell(f"{YELLOW}{self.name} says '{message}'{RESET}")

    def kill(self, target):
        if self.fighting:
            self.say("You are already fighting!")
        elif not target:
            self.say("Kill what?")
        elif not (self.rat_here() and match_word(target, "rat", 1)):
            self.say(f"You see no {target} here.")
        else:
            self.fighting = True
            self.rat_health = 100
            self.next_round = time.monotonic() + ROUND_SECONDS
            self.say(f"{BOLD_RED}You lunge at the cellar rat!{RESET}")
            self.send(bare_tag("combat"), tag("enemyhp", f"{self.rat_health} {RAT_NAME}"))

    # -- channels and popup windows

    def channel(self, name, message):
        """One line of channel text, diverted to the channel's tab."""
        self.send(tag("chdiv", name), text(message + "\r\n"), bare_tag("chudiv"))

    def gossip(self, message):
        if not message:
            self.say("Gossip what?")
            return
        line = f"{PURPLE}[gossip]{RESET} {self.name}: {message}"
        self.channel("gossip", line)
        for other in self.world.players_except(self):
            other.outbox.put(("gossip", line))

    def crier(self):
        self.channel("gossip", f"{PURPLE}[gossip]{RESET} Town crier: {random.choice(CRIER_LINES)}")

    def popup_notice(self, words):
        if len(words) < 2:
            return
        action, name = words[0], " ".join(words[1:])
        if action == "open":
            self.open_popups.add(name)
            self.refresh_popup(name)
        elif action == "close":
            self.open_popups.discard(name)

    def refresh_popup(self, name):
        """Replaces the popup's text: the score sheet is written anew."""
        if name == "Score":
            self.send(tag("divert", "Score"), text(
                f"{BOLD_CYAN}{self.name}{RESET}, level {self.level} wanderer\r\n"
                f"Health   {self.hp}/{self.hp_max}\r\nMana     {self.mana}/{self.mana_max}\r\n"
                f"Movement {self.move}/{self.move_max}\r\n"
                f"Experience {self.xp // 10}% of level {self.level + 1}\r\n"), bare_tag("undivert"))

    def journal(self, entry):
        """Adds a line to the journal popup (append keeps what was there)."""
        stamp = time.strftime("%H:%M")
        self.send(tag("append", "Journal"), text(f"{GREEN}{stamp}{RESET} {entry}\r\n"), bare_tag("unappend"))

    def heartbeat(self):
        now = time.monotonic()
        if now >= self.next_crier:
            self.next_crier = now + CRIER_SECONDS
            self.crier()
        if now < self.next_round:
            return
        self.next_round = now + ROUND_SECONDS
        if self.fighting:
            self.combat_round()
            self.prompt()
        elif (self.hp, self.mana, self.move) != (self.hp_max, self.mana_max, self.move_max):
            self.hp = min(self.hp_max, self.hp + 2)
            self.mana = min(self.mana_max, self.mana + 1)
            self.move = min(self.move_max, self.move + 3)
            self.status()

    def combat_round(self):
        hit = random.randint(20, 35)
        self.rat_health = max(0, self.rat_health - hit)
        lines = [f"You swat the rat{' hard' if hit > 28 else ''}."]
        bite = random.randint(0, 3)
        if self.rat_health > 0 and bite:
            self.hp = max(1, self.hp - bite)   # a rat never kills anyone
            lines.append(f"{BOLD_RED}The rat nips your ankle.{RESET}")
        elif self.rat_health > 0:
            lines.append("The rat squeaks at you and misses.")
        self.say("\r\n" + "\r\n".join(lines))
        self.send(tag("sound", "combat/hit"))
        self.status()
        self.send(tag("enemyhp", f"{self.rat_health} {RAT_NAME}"))
        if self.rat_health == 0:
            self.say(f"{YELLOW}The rat squeals and darts into a crack in the wall.{RESET}")
            self.send(tag("sound", "combat/squeal"))
            self.rat_back_at = time.monotonic() + RAT_RETURNS
            self.xp += 150
            if self.xp >= 1000:
                self.xp -= 1000
                self.level += 1
                self.hp_max += 5
                self.say(f"{BOLD_YELLOW}You feel more experienced: welcome to level {self.level}!{RESET}")
                self.status()
            self.send(self.xpp_tag())
            self.journal(f"Chased off a cellar rat (level {self.level}).")
            if "Score" in self.open_popups:
                self.refresh_popup("Score")
            self.end_fight()
            self.update_hints()

    def end_fight(self):
        self.fighting = False
        # Clears the enemy as an empty "enemyhp" does.
        self.send(bare_tag("ncombat"))


# --- the server --------------------------------------------------------------

def serve(port, port_file, key_dir=None):
    stopping = threading.Event()

    def stop(signum, frame):
        stopping.set()

    signal.signal(signal.SIGINT, stop)
    signal.signal(signal.SIGTERM, stop)

    with tempfile.TemporaryDirectory(prefix="demo_world.") as folder:
        if key_dir:
            os.makedirs(key_dir, mode=0o700, exist_ok=True)
        context = server_context(key_dir or folder, keep=bool(key_dir))
        listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        listener.bind(("127.0.0.1", port))
        listener.listen(16)
        listener.settimeout(0.5)
        port = listener.getsockname()[1]
        if port_file:
            # Written whole, then renamed, so a reader never sees half a number.
            partial = port_file + ".part"
            with open(partial, "w") as f:
                f.write(f"{port}\n")
            os.replace(partial, port_file)
        log(f"listening on 127.0.0.1:{port}")

        world = World()
        threads = []
        while not stopping.is_set():
            try:
                conn, address = listener.accept()
            except (socket.timeout, TimeoutError):
                threads = [t for t in threads if t.is_alive()]
                continue
            except InterruptedError:
                continue
            t = threading.Thread(target=handle, args=(world, context, conn, address, stopping), daemon=True)
            t.start()
            threads.append(t)
        listener.close()
        log("stopping")
        for t in threads:
            t.join(timeout=HANDSHAKE_SECONDS + 1)
    return 0


def handle(world, context, conn, address, stopping):
    try:
        conn.settimeout(HANDSHAKE_SECONDS)
        tls = context.wrap_socket(conn, server_side=True)
    except (OSError, ssl.SSLError) as e:
        log(f"warning: TLS handshake with {address[0]}:{address[1]} failed: {e}")
        conn.close()
        return
    log(f"connection from {address[0]}:{address[1]}")
    session = Session(world, tls, stopping)
    session.run()
    if stopping.is_set():
        log(f"closed {address[0]}:{address[1]} at shutdown")


def main(argv=None):
    parser = argparse.ArgumentParser(description="A small Karthem world on 127.0.0.1.")
    parser.add_argument("--port", type=int, default=0, help="port to listen on (default: a free one)")
    parser.add_argument("--port-file", help="write the chosen port to this file once listening")
    parser.add_argument("--key-dir", help="keep the key and certificate in this folder and use them again")
    args = parser.parse_args(argv)
    if not 0 <= args.port <= 65535:
        parser.error("--port must be 0 to 65535")
    return serve(args.port, args.port_file, args.key_dir)


if __name__ == "__main__":
    sys.exit(main())

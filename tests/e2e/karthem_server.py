"""A scripted Karthem game server for tests: Python standard library only.

It listens on 127.0.0.1 (a free port unless one is given), speaks TLS with a
throw-away self-signed certificate made by the openssl command, and plays a
scenario on each connection it accepts. A scenario is a list of steps:

    send(b"Welcome!\\r\\n")          bytes (or text, sent as Latin-1)
    send_bulk(total, chunk)          `total` bytes of game text, generated
    expect_line(r"_tessel \\S+ .*")   waits for a line the client sends
                                     (regular expression, whole line)
    wait(0.5)                        seconds, still recording what arrives
    expect_closed()                  waits until the client hangs up
    call(fn)                         runs fn() (a time stamp, a flag)
    close()                          orderly close
    reset()                          close with a TCP reset

Everything the client sends is recorded (`received`, `lines`). A failed
expectation ends the scenario and is listed in `failures`. Example:

    with ScriptedServer([send(b"Hi\\r\\n"), expect_line(r"_tessel .*"), close()]) as server:
        ...start the client against server.port...
        server.wait_done(20)
        assert not server.failures, server.failures

`ScriptedServer(silent=True)` accepts connections and never answers the TLS
handshake; `ScriptedServer(certificate=(cert_file, key_file))` presents that
certificate instead of the shared throw-away one.
"""
import os
import re
import select
import socket
import ssl
import struct
import subprocess
import tempfile
import threading
import time

__all__ = ["ScriptedServer", "send", "send_bulk", "expect_line", "wait", "expect_closed", "call", "close", "reset",
           "game_text"]

_cert_lock = threading.Lock()
_cert_files = None


def _certificate():
    """Makes one certificate and key per process (P-256, a day long)."""
    global _cert_files
    with _cert_lock:
        if _cert_files is None:
            folder = tempfile.mkdtemp(prefix="karthem_cert_")
            cert = os.path.join(folder, "cert.pem")
            key = os.path.join(folder, "key.pem")
            subprocess.run(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256",
                            "-nodes", "-keyout", key, "-out", cert, "-days", "1", "-subj", "/CN=127.0.0.1"],
                           check=True, capture_output=True)
            _cert_files = (cert, key)
        return _cert_files


def _as_bytes(data):
    return data if isinstance(data, bytes) else data.encode("latin-1")


class _Step:
    def run(self, conn):
        raise NotImplementedError


class send(_Step):
    def __init__(self, data):
        self.data = _as_bytes(data)

    def run(self, conn):
        conn.send(self.data)

    def __repr__(self):
        return f"send({self.data[:40]!r})"


class send_bulk(_Step):
    """At least `total` bytes of generated game text: whole copies of one
    block of game lines, so no line or tag is cut, in writes of `chunk`."""

    def __init__(self, total, chunk=65536, seed=1):
        self.total, self.chunk = total, chunk
        # Made here, so that the time it takes is not part of the sending.
        self.block = game_text(min(total, 1 << 20), seed)

    def run(self, conn):
        block = self.block
        copies = max(1, -(-self.total // len(block)))
        for _ in range(copies):
            for at in range(0, len(block), self.chunk):
                conn.send(block[at:at + self.chunk])
        conn.bulk_sent += copies * len(block)

    def __repr__(self):
        return f"send_bulk({self.total})"


class expect_line(_Step):
    def __init__(self, pattern, timeout=15.0):
        self.pattern, self.timeout = pattern, timeout

    def run(self, conn):
        line = conn.wait_line(re.compile(self.pattern), self.timeout)
        if line is None:
            raise AssertionError(f"no line matching {self.pattern!r} within {self.timeout}s; "
                                 f"got {conn.server.lines[-5:]!r}")
        conn.server.matched.append(line)

    def __repr__(self):
        return f"expect_line({self.pattern!r})"


class wait(_Step):
    def __init__(self, seconds):
        self.seconds = seconds

    def run(self, conn):
        conn.pump(time.monotonic() + self.seconds)

    def __repr__(self):
        return f"wait({self.seconds})"


class expect_closed(_Step):
    def __init__(self, timeout=15.0):
        self.timeout = timeout

    def run(self, conn):
        conn.pump(time.monotonic() + self.timeout, until_closed=True)
        if not conn.peer_closed:
            raise AssertionError(f"client did not close within {self.timeout}s")

    def __repr__(self):
        return "expect_closed()"


class call(_Step):
    def __init__(self, function):
        self.function = function

    def run(self, conn):
        self.function()

    def __repr__(self):
        return f"call({self.function!r})"


class close(_Step):
    def run(self, conn):
        conn.finish(reset=False)

    def __repr__(self):
        return "close()"


class reset(_Step):
    def run(self, conn):
        conn.finish(reset=True)

    def __repr__(self):
        return "reset()"


def game_text(size, seed=1):
    """Coloured game lines (40 to 120 characters, some doubled semicolons),
    with a status tag every few lines: `size` bytes or a little more."""
    import random
    rng = random.Random(seed)
    words = ("the orc swings at you and misses a torch flickers north gate guard says hello "
             "traveller gold coins sword dark lantern").split()
    colours = ("\x1b[0m", "\x1b[1m\x1b[31m", "\x1b[32m", "\x1b[1m\x1b[33m", "\x1b[36m")
    out, n, line = [], 0, 0
    while n < size:
        length = rng.randint(40, 120)
        parts, width = [], 0
        while width < length:
            if rng.random() < 0.08:
                parts.append(rng.choice(colours))
            word = rng.choice(words) + (";; " if rng.random() < 0.05 else " ")
            parts.append(word)
            width += len(word)
        text = "".join(parts) + "\x1b[0m\r\n"
        line += 1
        if line % 4 == 0:
            text += f";shp;{rng.randint(1, 500)} 500 120 150 80 90;ehp;"
        out.append(text)
        n += len(text)
    return "".join(out).encode("latin-1")


class _Connection:
    """One accepted client. Single-threaded: reading happens while waiting
    and before each send, so the client is never left unable to write."""

    def __init__(self, server, sock):
        self.server, self.sock = server, sock
        self.peer_closed = False
        self.closed = False
        self.bulk_sent = 0
        self.pending = b""

    def _record(self, data):
        with self.server.lock:
            self.server.received += data
            self.pending += data
            *complete, self.pending = self.pending.split(b"\n")
            self.server.lines.extend(c.decode("latin-1") for c in complete)

    def _read_some(self, timeout):
        if self.closed or self.peer_closed:
            if timeout > 0:
                time.sleep(min(timeout, 0.05))
            return
        if not (isinstance(self.sock, ssl.SSLSocket) and self.sock.pending()):
            r, _, _ = select.select([self.sock], [], [], max(timeout, 0))
            if not r:
                return
        try:
            data = self.sock.recv(65536)
        except (ssl.SSLWantReadError, BlockingIOError):
            return
        except (ConnectionError, ssl.SSLError, OSError):
            self.peer_closed = True
            return
        if not data:
            self.peer_closed = True
            return
        self._record(data)

    def pump(self, deadline, until_closed=False):
        while time.monotonic() < deadline and not self.server.stopping.is_set():
            if until_closed and self.peer_closed:
                return
            self._read_some(min(0.05, deadline - time.monotonic()))

    def wait_line(self, pattern, timeout):
        deadline = time.monotonic() + timeout
        seen = 0
        while True:
            with self.server.lock:
                lines = list(self.server.lines[seen:])
            for line in lines:
                if pattern.fullmatch(line):
                    return line
            seen += len(lines)
            if time.monotonic() >= deadline or self.peer_closed or self.server.stopping.is_set():
                return None
            self._read_some(min(0.05, deadline - time.monotonic()))

    def send(self, data):
        view = memoryview(data)
        while len(view) and not self.closed:
            self._read_some(0)
            try:
                n = self.sock.send(view[:65536])
            except (ssl.SSLWantWriteError, ssl.SSLWantReadError, BlockingIOError):
                if self.server.stopping.is_set():
                    return
                select.select([self.sock], [self.sock], [], 0.05)
                continue
            except (ConnectionError, ssl.SSLError, OSError) as e:
                raise AssertionError(f"send failed: {e}")
            view = view[n:]

    def finish(self, reset):
        if self.closed:
            return
        self.closed = True
        try:
            if reset:
                self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.sock.close()
        except OSError:
            pass


class ScriptedServer:
    def __init__(self, steps=(), scenarios=None, silent=False, tls=True, port=0, certificate=None):
        """`steps` is the scenario of every connection; `scenarios` (a list
        of step lists) gives each successive connection its own, the last
        one repeating."""
        self.scenarios = scenarios if scenarios is not None else [list(steps)]
        self.silent, self.tls = silent, tls
        self.received = b""
        self.lines = []
        self.matched = []
        self.failures = []
        self.connections = 0
        self.bulk_sent = 0
        self.lock = threading.Lock()
        self.stopping = threading.Event()
        self.done = threading.Event()
        self._threads = []
        self._held = []
        self._listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self._listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self._listener.bind(("127.0.0.1", port))
        self._listener.listen(8)
        self.port = self._listener.getsockname()[1]
        self._context = None
        if tls and not silent:
            self._context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            self._context.load_cert_chain(*(certificate or _certificate()))

    # Lifecycle -----------------------------------------------------------
    def start(self):
        t = threading.Thread(target=self._accept_loop, name="karthem-accept", daemon=True)
        t.start()
        self._threads.append(t)
        return self

    def stop(self):
        self.stopping.set()
        try:
            self._listener.close()
        except OSError:
            pass
        for t in self._threads:
            t.join(timeout=10)
        for s in self._held:
            try:
                s.close()
            except OSError:
                pass

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()

    def wait_done(self, timeout):
        """True once the first connection's scenario has run to its end."""
        return self.done.wait(timeout)

    def text(self):
        with self.lock:
            return self.received.decode("latin-1")

    # Inner workings ------------------------------------------------------
    def _accept_loop(self):
        while not self.stopping.is_set():
            try:
                r, _, _ = select.select([self._listener], [], [], 0.1)
            except (OSError, ValueError):
                return
            if not r:
                continue
            try:
                sock, _ = self._listener.accept()
            except OSError:
                return
            index = self.connections
            self.connections += 1
            if self.silent:
                self._held.append(sock)  # never answered, closed at stop
                continue
            t = threading.Thread(target=self._serve, args=(sock, index), name=f"karthem-conn-{index}", daemon=True)
            t.start()
            self._threads.append(t)

    def _serve(self, sock, index):
        conn = None
        try:
            if self._context is not None:
                sock.settimeout(10)
                sock = self._context.wrap_socket(sock, server_side=True)
            sock.setblocking(False)
            conn = _Connection(self, sock)
            scenario = self.scenarios[min(index, len(self.scenarios) - 1)]
            for step in scenario:
                if self.stopping.is_set():
                    break
                step.run(conn)
            self.bulk_sent += conn.bulk_sent
        except AssertionError as e:
            self.failures.append(f"connection {index}: {e}")
        except (OSError, ssl.SSLError) as e:
            self.failures.append(f"connection {index}: {type(e).__name__}: {e}")
        finally:
            if index == 0:
                self.done.set()
            if conn is not None:
                # Keep recording until told to stop or the client hangs up,
                # unless the scenario closed the connection itself.
                if not conn.closed:
                    while not self.stopping.is_set() and not conn.peer_closed:
                        conn._read_some(0.05)
                    conn.finish(reset=False)
            else:
                try:
                    sock.close()
                except OSError:
                    pass

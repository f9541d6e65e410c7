"""The client authenticates the game server: a server that no trusted
authority vouches for is remembered by its key the first time, the same key
connects silently later, another key on the same port is refused before a
single byte is sent until the player types //trust, and a certificate from a
trusted authority (a test authority given with --ca-file) that carries the
server's address connects without remembering anything.

    test_server_identity.py /path/to/tessel

Certificates are made with the openssl command at test time.
"""
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from harness import Client, run_checks  # noqa: E402
from karthem_server import ScriptedServer, close, expect_line, send, wait  # noqa: E402
from test_playable import BINARY, Window  # noqa: E402

IDENTIFICATION = r"_tessel DFLT[0-9a-f]{28} 1\.095-gtk-test2"
GREETING = "Welcome to Karthem!"
FIRST_USE = "is not vouched for by a known authority"
CHANGED = "presented a different key from the one remembered for it"
KEYS_FILE = os.path.join(".Karthem", "server_keys.txt")
SCENARIO = [send(GREETING + "\r\n"), expect_line(IDENTIFICATION), wait(0.2), close()]


def openssl(*args, stdin=None):
    return subprocess.run(["openssl", *args], input=stdin, check=True, capture_output=True).stdout


class Certificates:
    """A folder of P-256 keys and certificates, made on demand."""

    def __init__(self):
        self.folder = tempfile.mkdtemp(prefix="karthem_identity_")
        self.serial = 1

    def path(self, name):
        return os.path.join(self.folder, name)

    def _extensions(self, name, lines):
        path = self.path(name + ".ext")
        with open(path, "w") as f:
            f.write("\n".join(lines) + "\n")
        return path

    def self_signed(self, name, alt_name="IP:127.0.0.1", authority=False):
        cert, key = self.path(name + ".pem"), self.path(name + ".key")
        extra = ["-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign"] \
            if authority else ["-addext", "subjectAltName=" + alt_name]
        openssl("req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256", "-nodes", "-keyout", key,
                "-out", cert, "-days", "1", "-subj", "/CN=" + name, *extra)
        return cert, key

    def issued(self, name, authority, alt_name):
        cert, key, request = self.path(name + ".pem"), self.path(name + ".key"), self.path(name + ".csr")
        openssl("req", "-new", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256", "-nodes", "-keyout", key,
                "-out", request, "-subj", "/CN=" + name)
        self.serial += 1
        openssl("x509", "-req", "-in", request, "-CA", authority[0], "-CAkey", authority[1], "-set_serial",
                str(self.serial), "-days", "1", "-out", cert,
                "-extfile", self._extensions(name, ["subjectAltName=" + alt_name]))
        return cert, key

    def cleanup(self):
        shutil.rmtree(self.folder, ignore_errors=True)


def fingerprint(cert):
    """The SHA-256 of the certificate's public key, as the client shows it."""
    public = openssl("x509", "-in", cert, "-pubkey", "-noout")
    digest = hashlib.sha256(openssl("pkey", "-pubin", "-outform", "DER", stdin=public)).hexdigest()
    return " ".join(digest[i:i + 8] for i in range(0, 64, 8))


def flat(text):
    """The display with its line breaks and runs of blanks made single
    blanks, so that wrapped sentences still read whole."""
    return " ".join(text.split())


def keys_file(client):
    try:
        with open(os.path.join(client.home, KEYS_FILE)) as f:
            return f.read()
    except FileNotFoundError:
        return None


def changed_key_is_refused_until_trusted():
    certs = Certificates()
    first, second = certs.self_signed("first"), certs.self_signed("second")
    old_fp, new_fp = fingerprint(first[0]), fingerprint(second[0])
    server = ScriptedServer(SCENARIO, certificate=first).start()
    port = server.port
    try:
        with Client(BINARY, port) as client:
            # First use: one message with the key, and the game goes on.
            text = client.wait_for_display("Connection closed by server.")
            assert server.lines and server.lines[0].startswith("_tessel "), server.lines
            assert flat(text).count(FIRST_USE) == 1, text
            assert "SHA-256 " + old_fp in flat(text), text
            assert text.index(FIRST_USE) < text.index(GREETING), text
            assert f"127.0.0.1 {port} {old_fp.replace(' ', '')}\n" in keys_file(client), keys_file(client)

            # The same key again: silent.
            window = Window(client.proc.pid)
            window.type("connect")
            text = client.wait_for_display(lambda t: t.count("Connection closed by server.") == 2)
            assert text.count(GREETING) == 2 and flat(text).count(FIRST_USE) == 1, text
            assert flat(text).count("SHA-256") == 1, text
            server.stop()

            # Another key on the same port: nothing reaches the server.
            remembered = keys_file(client)
            server = ScriptedServer(SCENARIO, certificate=second, port=port).start()
            window.type("connect")
            text = flat(client.wait_for_display(CHANGED))
            assert server.wait_done(10), "the refused connection did not end"
            assert server.connections == 1 and server.received == b"", server.received
            assert "Remembered key: SHA-256 " + old_fp in text, text
            assert "Presented key: SHA-256 " + new_fp in text, text
            assert "type '//trust' to accept it, then 'connect'" in text, text
            assert text.count(GREETING) == 2, text
            assert keys_file(client) == remembered

            # Accepted after the player has seen it: the next connect plays.
            window.type("//trust")
            client.wait_for_display("is now trusted")
            assert f"127.0.0.1 {port} {new_fp.replace(' ', '')}\n" in keys_file(client), keys_file(client)
            window.type("connect")
            text = client.wait_for_display(lambda t: t.count("Connection closed by server.") == 3)
            assert text.count(GREETING) == 3, text
            assert any(line.startswith("_tessel ") for line in server.lines), server.lines
            assert flat(text).count(CHANGED) == 1, text
    finally:
        server.stop()
        certs.cleanup()


def trusted_authority_vouches_only_for_its_named_server():
    certs = Certificates()
    authority = certs.self_signed("Test Authority", authority=True)
    named = certs.issued("named", authority, "IP:127.0.0.1")
    elsewhere = certs.issued("elsewhere", authority, "DNS:other.example")
    server = ScriptedServer(SCENARIO, certificate=named).start()
    port = server.port
    try:
        with Client(BINARY, port, args=["--ca-file", authority[0]]) as client:
            text = client.wait_for_display("Connection closed by server.")
            assert GREETING in text and "SHA-256" not in text, text
            assert server.lines and server.lines[0].startswith("_tessel "), server.lines
            assert keys_file(client) is None, keys_file(client)

            # The same authority, but the certificate names another server:
            # not vouched for, so the key is remembered on first use.
            server.stop()
            server = ScriptedServer(SCENARIO, certificate=elsewhere, port=port).start()
            Window(client.proc.pid).type("connect")
            text = client.wait_for_display(lambda t: t.count("Connection closed by server.") == 2)
            assert flat(text).count(FIRST_USE) == 1 and "SHA-256 " + fingerprint(elsewhere[0]) in flat(text), text
            assert f"127.0.0.1 {port} " in keys_file(client), keys_file(client)
    finally:
        server.stop()
        certs.cleanup()


if __name__ == "__main__":
    run_checks("test_server_identity", [changed_key_is_refused_until_trusted,
                                        trusted_authority_vouches_only_for_its_named_server])

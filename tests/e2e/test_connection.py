"""The real client against the scripted game server: it connects by itself,
identifies itself, shows the server's text without tags or colour codes, and
reports each way the connection can end or fail.

    test_connection.py /path/to/tessel
"""
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from harness import Client, contains_in_order, free_closed_port, run_checks  # noqa: E402
from karthem_server import ScriptedServer, close, expect_line, reset, send, wait  # noqa: E402

BINARY = sys.argv[1] if len(sys.argv) > 1 else "tessel"
IDENTIFICATION = r"_tessel DFLT[0-9a-f]{28} 1\.095-gtk-test2"
AGAIN = "To log in again, type 'connect' or use the File / Connect menu option."

GREETING = b"Welcome to Karthem!\r\n"
BODY = (b"\x1b[1m\x1b[33mThe lanterns glow;; the square is quiet.\x1b[0m\r\n"
        b"Before;shp;100 120 30 40 50 60;ehp;after\r\n"
        b";tcombat;A rat squeaks.\r\n")
SHOWN = ["Welcome to Karthem!",
         "The lanterns glow; the square is quiet.",
         "Beforeafter",
         "A rat squeaks."]


def assert_consecutive_lines(text, wanted):
    lines = [line.rstrip() for line in text.split("\n")]
    for i in range(len(lines) - len(wanted) + 1):
        if lines[i:i + len(wanted)] == wanted:
            return
    raise AssertionError(f"lines {wanted!r} not found together in the display:\n{text}")


def identification_text_and_orderly_close():
    server = ScriptedServer([send(GREETING), expect_line(IDENTIFICATION), send(BODY), wait(0.5), close()])
    with server, Client(BINARY, server.port) as client:
        text = client.wait_for_display("Connection closed by server.")
        assert server.wait_done(10)
        assert not server.failures, server.failures
        # The identification line is the first thing sent, ended by one line feed.
        first = server.received.split(b"\n", 1)[0].decode("latin-1")
        assert re.fullmatch(IDENTIFICATION, first), server.received[:80]
        assert server.received.startswith(first.encode() + b"\n") and not first.endswith("\r")
        assert_consecutive_lines(text, SHOWN)
        assert contains_in_order(text, ["Connecting to server...", SHOWN[0], SHOWN[-1],
                                        "Connection closed by server.", AGAIN]), text
        for hidden in (";shp", "100 120", "combat", "\x1b", ";;"):
            assert hidden not in text, f"{hidden!r} reached the display:\n{text}"


def nothing_listening():
    with Client(BINARY, free_closed_port()) as client:
        text = client.wait_for_display("Unable to connect to server.")
        assert contains_in_order(text, ["Connecting to server...", "Unable to connect to server.", AGAIN]), text


def reset_by_server():
    server = ScriptedServer([send(GREETING), expect_line(IDENTIFICATION), wait(0.3), reset()])
    with server, Client(BINARY, server.port) as client:
        text = client.wait_for_display("Connection to server lost.")
        assert contains_in_order(text, [SHOWN[0], "Connection to server lost.", AGAIN]), text
        assert "Connection closed by server." not in text


def silent_server_cannot_freeze_the_client():
    # Accepts and never answers the handshake: the connect gives up after
    # its time limit and the client carries on.
    with ScriptedServer(silent=True) as server, Client(BINARY, server.port) as client:
        text = client.wait_for_display("Unable to connect to server.", timeout=30)
        assert contains_in_order(text, ["Connecting to server...", "Unable to connect to server.", AGAIN]), text
        assert server.connections == 1


if __name__ == "__main__":
    run_checks("test_connection", [identification_text_and_orderly_close, nothing_listening, reset_by_server,
                                   silent_server_cannot_freeze_the_client])

"""The client plays the bundled demo world as scripts/play.sh starts it: a
login with a hidden password, walking into the cellar, a fight with the
rat, and a quit that the server answers by closing the connection.

    test_playable_demo.py /path/to/tessel
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from harness import Client, run_checks  # noqa: E402
from test_demo_world import DemoServer  # noqa: E402
from test_playable import BINARY, Window  # noqa: E402


def play_the_demo_world():
    server = DemoServer()
    try:
        with Client(BINARY, server.port) as client:
            client.wait_for_display("By what name are you known?", timeout=30)
            window = Window(client.proc.pid)
            window.type("ada")
            client.wait_for_display("Password:")
            window.type("a secret word")
            window.wait_title("Karthem - Player Ada", timeout=10)
            text = client.wait_for_display("Lantern Square")
            assert "a secret word" not in text, text
            window.type("d")
            client.wait_for_display("A Damp Cellar")
            window.type("kill rat")
            client.wait_for_display("darts into a crack in the wall", timeout=30)
            window.type("quit")
            text = client.wait_for_display("Connection closed by server.")
            assert text.index("Farewell, Ada.") < text.index("Connection closed by server."), text
            window.wait_title("Karthem")
            # Not a line of game text came out with its tags or escapes still in it.
            for raw in (";s", ";e", "\x1b", ";;"):
                assert raw not in text, f"{raw!r} reached the display:\n{text}"
        out = server.output()
        assert "Ada entered the world" in out and "Ada quit" in out, out
    finally:
        server.stop()


if __name__ == "__main__":
    run_checks("test_playable_demo", [play_the_demo_world])

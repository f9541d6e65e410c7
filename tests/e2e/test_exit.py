"""Leaving the program: a termination signal that arrives while the player
is being asked "Save and Leave Karthem?" still ends the process, with
status 0 and the configuration saved.

    test_exit.py /path/to/tessel
"""
import os
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from harness import run_checks  # noqa: E402
import test_playable  # noqa: E402
from test_playable import Game, xdotool  # noqa: E402

test_playable.BINARY = sys.argv[1] if len(sys.argv) > 1 else "tessel"


def wait_for_window(pid, title, timeout=10.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        for wid in xdotool("search", "--onlyvisible", "--pid", str(pid)).split():
            if xdotool("getwindowname", wid).strip() == title:
                return wid
        time.sleep(0.1)
    raise AssertionError(f"no window {title!r} appeared")


def signal_while_the_exit_question_is_open():
    with Game() as game:
        game.connected()
        game.login("Ada")
        game.wait_title("Karthem - Player Ada")
        # File / Save and Quit asks first while a character is logged in.
        game.key("alt+f")
        game.key("q")
        wait_for_window(game.client.proc.pid, "Save and Leave Karthem?")
        game.client.proc.send_signal(signal.SIGTERM)
        try:
            status = game.client.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            raise AssertionError("the client was still running 10 s after the signal")
        assert status == 0, f"exit status {status}"
        assert os.path.isfile(os.path.join(game.home, ".Karthem", "karthem.cfg")), "configuration not saved"


if __name__ == "__main__":
    run_checks("test_exit", [signal_while_the_exit_question_is_open])

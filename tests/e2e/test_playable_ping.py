"""The client's ping: nothing before the login (there "//ping" is plain text
for the server), "tsping" at once on "//ping" while playing, and "tsping"
every 15 seconds while playing.

    test_playable_ping.py /path/to/tessel
"""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from harness import run_checks  # noqa: E402
from test_playable import Game, tag  # noqa: E402

PERIOD = 15.0
SLACK = 1.5


def ping_only_while_playing():
    with Game() as game:
        started = time.monotonic()
        game.connected()
        game.push(b"By what name are you known? ")
        game.wait_display("By what name are you known?")
        # Not playing yet: the word is not the client's, it goes out as typed.
        game.type("//ping")
        assert game.next_line() == "//ping"
        # The ping timer has fired at least once by now, and sent nothing.
        game.no_line_for(max(0.0, started + PERIOD + SLACK - time.monotonic()))

        line = game.login("Pim")
        assert line.startswith("tslstatus ")
        logged_in = time.monotonic()
        # Twice, a moment apart: the 15 s timer cannot account for both.
        for _ in range(2):
            game.type("//ping")
            assert game.next_line(timeout=2) == "tsping"
            game.push(tag("event", "tspong"))

        # Periodic pings: the first within one period of the login, then one per period.
        times = []
        while len(times) < 2:
            line = game.next_line(timeout=PERIOD + SLACK)
            assert line == "tsping", f"unexpected line {line!r}"
            times.append(time.monotonic())
            game.push(tag("event", "tspong"))
        assert times[0] - logged_in <= PERIOD + SLACK, times[0] - logged_in
        assert abs(times[1] - times[0] - PERIOD) <= SLACK, f"pings {times[1] - times[0]:.1f}s apart"


if __name__ == "__main__":
    run_checks("test_playable_ping", [ping_only_while_playing])

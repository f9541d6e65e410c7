"""The automap on screen, against the demo world: after the login the map of
the town shows in the bottom-left corner (the left-bottom layout), walking
north makes it slide to a new picture, and a click on the view's north arrow
walks north as if typed.

    test_automap.py /path/to/tessel
"""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from harness import Client, run_checks  # noqa: E402
from test_demo_world import DemoServer  # noqa: E402
from test_group_panel import Shot  # noqa: E402
from test_playable import BINARY, Window, xdotool  # noqa: E402

# The panel at cell size 11: 203 x 224, two pixels in from the left and
# bottom edges; the view inside it at (1, 22), 201 x 201.
PANEL_W, PANEL_H = 203, 224
VIEW_X, VIEW_Y, VIEW = 1, 22, 201
SQUARE = (128, 128, 128)      # Lantern Square's cobbles (terrain 10)
NORTH_ARROW = (100, 18)       # (c, c - 41% of the view)
HOVERED_EXIT_FILL = (64, 160, 64)


def window_size(wid):
    out = xdotool("getwindowgeometry", wid)
    size = out.split("Geometry:")[1].split()[0]
    w, h = size.split("x")
    return int(w), int(h)


def panel_rows(shot, height):
    """The automap panel's pixels, row by row."""
    x0, y0 = 2, height - 2 - PANEL_H
    return [bytes(shot.data[((y0 + y) * shot.width + x0) * 3:((y0 + y) * shot.width + x0 + PANEL_W) * 3])
            for y in range(PANEL_H)]


def settled_panel(wid, height, timeout=10.0):
    """The panel once two screenshots in a row agree (the slide is over)."""
    deadline = time.monotonic() + timeout
    last = None
    while time.monotonic() < deadline:
        rows = panel_rows(Shot(wid), height)
        if rows == last:
            return rows
        last = rows
        time.sleep(0.3)
    raise AssertionError("the automap never settled")


def count(rows, color):
    needle = bytes(color)
    n = 0
    for row in rows:
        for i in range(0, len(row), 3):
            n += row[i:i + 3] == needle
    return n


def automap_walks_and_clicks():
    server = DemoServer()
    try:
        with Client(BINARY, server.port) as client:
            client.wait_for_display("By what name are you known?", timeout=30)
            window = Window(client.proc.pid)
            window.type("ada")
            client.wait_for_display("Password:")
            window.type("a secret word")
            client.wait_for_display("Lantern Square")
            window.wait_title("Karthem - Player Ada", timeout=10)
            width, height = window_size(window.wid)

            at_square = settled_panel(window.wid, height)
            # The square is drawn around the middle of the view.
            assert count(at_square, SQUARE) > 200, count(at_square, SQUARE)

            window.type("north")
            client.wait_for_display("Old Market Lane")
            in_lane = settled_panel(window.wid, height)
            changed = sum(a != b for a, b in zip(at_square, in_lane))
            assert changed > 50, f"only {changed} rows of the automap changed"
            assert count(in_lane, SQUARE) > 200  # the square is still there, one room south

            # Pointing at the view shows the arrows; the north one, under the
            # pointer and an exit, is bright green.
            x0, y0 = 2 + VIEW_X, height - 2 - PANEL_H + VIEW_Y
            xdotool("mousemove", "--window", window.wid, str(x0 + NORTH_ARROW[0]), str(y0 + NORTH_ARROW[1] + 30))
            time.sleep(0.2)
            xdotool("mousemove", "--window", window.wid, str(x0 + NORTH_ARROW[0] - 5),
                    str(y0 + NORTH_ARROW[1] + 10))
            deadline = time.monotonic() + 5
            while count(panel_rows(Shot(window.wid), height), HOVERED_EXIT_FILL) < 20:
                assert time.monotonic() < deadline, "no lit exit arrow appeared under the pointer"
                time.sleep(0.2)

            # A click on it walks north, like the typed command.
            xdotool("click", "1")
            text = client.wait_for_display("The North Gate")
            assert text.count("Old Market Lane") == 1, text
            xdotool("mousemove", "--window", window.wid, str(width // 2), str(height // 2))
    finally:
        server.stop()


if __name__ == "__main__":
    run_checks("test_automap", [automap_walks_and_clicks])

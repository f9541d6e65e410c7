"""The group display and a preference command on screen, against the demo
world: after the login the group (the player, a pet and a follower) is drawn
in the left column, "tutorial" makes the server flash the hint buttons, and
leaving the game empties and hides the group.

    test_group_panel.py /path/to/tessel

Screenshots come from ImageMagick's import as PPM and are read here.
"""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from harness import Client, run_checks  # noqa: E402
from test_demo_world import DemoServer  # noqa: E402
from test_playable import BINARY, Window  # noqa: E402

# The group display's bar fills; the status display uses other shades.
GROUP_HP = (160, 0, 0)
GROUP_MOVE = (192, 192, 0)
WHITE = (255, 255, 255)


class Shot:
    """One screenshot of a window as rows of (r, g, b)."""

    def __init__(self, wid):
        ppm = subprocess.run(["import", "-window", wid, "-depth", "8", "ppm:-"], capture_output=True, timeout=20,
                             check=True).stdout
        fields, at = [], 0
        while len(fields) < 4:  # magic, width, height, maximum
            while ppm[at:at + 1].isspace():
                at += 1
            end = at
            while not ppm[end:end + 1].isspace():
                end += 1
            fields.append(ppm[at:end])
            at = end
        assert fields[0] == b"P6" and fields[3] == b"255", fields
        self.width, self.height = int(fields[1]), int(fields[2])
        self.data = ppm[at + 1:]

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])

    def find(self, color, x1=0, y1=0, x2=None, y2=None):
        """The bounding box (x1, y1, x2, y2) of the colour in the area, or None."""
        x2 = self.width - 1 if x2 is None else x2
        y2 = self.height - 1 if y2 is None else y2
        box = None
        needle = bytes(color)
        for y in range(y1, y2 + 1):
            row = self.data[(y * self.width + x1) * 3:(y * self.width + x2 + 1) * 3]
            at = row.find(needle)
            while at >= 0:
                if at % 3 == 0:
                    x = x1 + at // 3
                    box = (x, y, x, y) if box is None else (min(box[0], x), min(box[1], y),
                                                            max(box[2], x), max(box[3], y))
                at = row.find(needle, at + 1)
        return box


def group_panel_on_screen():
    server = DemoServer()
    try:
        with Client(BINARY, server.port) as client:
            client.wait_for_display("By what name are you known?", timeout=30)
            window = Window(client.proc.pid)
            window.type("ada")
            client.wait_for_display("Password:")
            window.type("a secret word")
            client.wait_for_display("Lantern Square")

            # The left-bottom layout: the group display sits in the 160-pixel
            # left column; its pet and follower have hp and movement missing,
            # which the inverted bars colour.
            deadline = time.monotonic() + 10
            while True:
                shot = Shot(window.wid)
                hp, move = shot.find(GROUP_HP), shot.find(GROUP_MOVE)
                if hp and move:
                    break
                assert time.monotonic() < deadline, "no group bars on screen"
                time.sleep(0.2)
            for box in (hp, move):
                assert box[2] < 210, f"group bars outside the left column: {box}"
            assert hp[1] < move[3], (hp, move)

            # "tutorial": the server answers with "hint_buttons flash"; the
            # hint column (right edge) blinks white, then stops.
            column = (shot.width - 100, 0, shot.width - 1, 200)
            assert shot.find(WHITE, *column) is None, "hint buttons white before the flash"
            window.type("tutorial")
            client.wait_for_display("click one.")
            seen_white = False
            deadline = time.monotonic() + 3
            while not seen_white and time.monotonic() < deadline:
                seen_white = Shot(window.wid).find(WHITE, *column) is not None
            assert seen_white, "the hint buttons never flashed"
            time.sleep(3.5)
            assert Shot(window.wid).find(WHITE, *column) is None, "the flash did not end"

            # Leaving the game: the group is cleared and hidden.
            window.type("quit")
            client.wait_for_display("Connection closed by server.")
            deadline = time.monotonic() + 5
            while Shot(window.wid).find(GROUP_HP) is not None:
                assert time.monotonic() < deadline, "the group display stayed after the disconnect"
                time.sleep(0.2)
    finally:
        server.stop()


if __name__ == "__main__":
    run_checks("test_group_panel", [group_panel_on_screen])

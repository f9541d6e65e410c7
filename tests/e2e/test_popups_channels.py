"""Channel tabs and popup windows on screen: the server diverts channel
text and defines a popup; the tab and the popup's button appear, a click on
the button opens the popup where the character's configuration left it and
tells the server, a second click closes it again. Quitting records the
popup's place in the character file.

    test_popups_channels.py /path/to/tessel

Set TESSEL_SHOTS to a folder to keep screenshots of each stage.
"""
import os
import re
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from harness import run_checks  # noqa: E402
from test_playable import Game, tag, xdotool  # noqa: E402

PANELS_FILE = os.path.join(".Karthem", "test_panels.txt")
CHARACTER = """<single_config>
  <name>Mira</name>
  <channel_window_enable>1</channel_window_enable>
  <popup_window_list>
    <single_popup_window><name>Score</name><x>300</x><y>200</y><width>360</width><height>120</height></single_popup_window>
  </popup_window_list>
</single_config>
"""


def bare(name):
    return f";t{name};".encode("latin-1")


class Panels:
    def __init__(self, home):
        self.path = os.path.join(home, PANELS_FILE)

    def text(self):
        try:
            with open(self.path, encoding="latin-1") as f:
                return f.read()
        except FileNotFoundError:
            return ""

    def wait(self, pattern, timeout=10.0):
        """Waits until the seam matches the regular expression; returns the match."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            m = re.search(pattern, self.text(), re.M)
            if m:
                return m
            time.sleep(0.05)
        raise AssertionError(f"panels never matched {pattern!r}:\n{self.text()}")


def screenshot(name):
    folder = os.environ.get("TESSEL_SHOTS")
    if folder:
        os.makedirs(folder, exist_ok=True)
        subprocess.run(["import", "-window", "root", os.path.join(folder, name + ".png")], timeout=30)


def visible_window(title):
    return xdotool("search", "--onlyvisible", "--name", f"^{re.escape(title)}$").split()


def tabs_and_a_popup_button():
    home = tempfile.mkdtemp(prefix="tessel_home_")
    os.makedirs(os.path.join(home, ".Karthem", "char_configs"))
    with open(os.path.join(home, ".Karthem", "char_configs", "Mira.cfg"), "w") as f:
        f.write(CHARACTER)
    try:
        with Game(home) as game:
            panels = Panels(home)
            game.connected()
            game.login("Mira")
            game.push(tag("window_create", "Score\nScore Sheet\n40 6\nscore\n")
                      + tag("chdiv", "gossip") + b"Bo: anyone for the moors?\r\n" + bare("chudiv")
                      + tag("chdiv", "trade") + b"Cy: selling lanterns\r\n" + bare("chudiv")
                      + b"The square is quiet.\r\n")
            # Three tabs in name order; the combined one is shown, the others wait unread.
            panels.wait(r"^channel_window shown=1")
            panels.wait(r"^tab \(all\) page=0 state=0 shown=1")
            panels.wait(r"^tab gossip page=0 state=1 shown=1\n  \|  \n  \| Tabbed display for channel 'gossip'\n"
                        r"  \| Bo: anyone for the moors\?")
            panels.wait(r"^tab trade page=0 state=1 shown=1")
            # Duplication is on by default: the main display has the lines too.
            game.wait_display("Bo: anyone for the moors?")
            m = panels.wait(r"^popup Score shown=0 button=0 button_shown=1 at=(\d+),(\d+),(\d+)")
            bx, by, side = (int(v) for v in m.groups())
            ox, oy = (int(v) for v in panels.wait(r"^client_origin (-?\d+) (-?\d+)").groups())
            assert not visible_window("Score Sheet")
            screenshot("1_tabs_and_button")

            # The button opens the popup and the server hears of it.
            game.focus()
            xdotool("mousemove", str(ox + bx + side // 2), str(oy + by + side // 2), "click", "1")
            assert game.next_line() == "tslwindow open Score"
            assert game.next_line() == "score"
            panels.wait(r"^popup Score shown=1 button=1 .* geometry=300,200,360,120")
            deadline = time.monotonic() + 10
            while not visible_window("Score Sheet"):
                assert time.monotonic() < deadline, "the popup window did not appear"
                time.sleep(0.05)
            game.push(tag("divert", "Score") + b"Mira, level 3\r\nHealth 40/40\r\n" + bare("undivert"))
            panels.wait(r"^popup Score shown=1 .*\n  \| Mira, level 3\n  \| Health 40/40")
            screenshot("2_popup_open")

            # A second click closes it.
            xdotool("mousemove", str(ox + bx + side // 2), str(oy + by + side // 2), "click", "1")
            assert game.next_line() == "tslwindow close Score"
            panels.wait(r"^popup Score shown=0 button=0")
            deadline = time.monotonic() + 10
            while visible_window("Score Sheet"):
                assert time.monotonic() < deadline, "the popup window stayed"
                time.sleep(0.05)
            screenshot("3_popup_closed")

            game.type("//quit")
            assert game.client.proc.wait(timeout=15) == 0
        with open(os.path.join(home, ".Karthem", "char_configs", "Mira.cfg"), encoding="latin-1") as f:
            saved = f.read()
        assert re.search(r"<name>Score</name>\s*<x>300</x>\s*<y>200</y>\s*<width>360</width>\s*"
                         r"<height>120</height>", saved), saved
    finally:
        subprocess.run(["rm", "-rf", home])


if __name__ == "__main__":
    run_checks("test_popups_channels", [tabs_and_a_popup_button])

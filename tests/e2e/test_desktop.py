"""Tessel as a program of the desktop: --help and --version answer without a
display and without touching the configuration directory, `cmake --install`
puts every file at its place with a menu entry that desktop-file-validate
accepts, and --demo plays the bundled demo world and stops it at exit.

    test_desktop.py /path/to/build/tessel

The install check installs the build folder the binary lives in.
"""
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from harness import Client, free_closed_port, run_checks  # noqa: E402
from test_playable import BINARY  # noqa: E402

ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)
OPTIONS = ("--host NAME", "--port N", "--soundpack-host", "--demo", "--ca-file FILE", "-l VERSION", "-n ",
           "--help", "--version")


def run_without_display(binary, *args):
    home = tempfile.mkdtemp(prefix="tessel_home_")
    try:
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
        env["HOME"] = home
        started = time.monotonic()
        done = subprocess.run([os.path.abspath(binary), *args], env=env, cwd=home, capture_output=True, text=True, timeout=10)
        return done, time.monotonic() - started, os.listdir(home)
    finally:
        shutil.rmtree(home, ignore_errors=True)


def help_and_version_need_no_display():
    for args in (["--help"], ["--version"], ["--port", "4000", "--help"]):
        done, seconds, left = run_without_display(BINARY, *args)
        assert done.returncode == 0, (args, done.returncode, done.stderr)
        assert left == [], (args, left)  # no .Karthem, nothing at all
        assert seconds < 5, seconds
        if "--help" in args:
            assert done.stdout.startswith("Usage: tessel"), done.stdout
            for option in OPTIONS:
                assert "  " + option in done.stdout, (option, done.stdout)
        else:
            assert done.stdout.startswith("tessel 1.095 "), done.stdout


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    assert head[:8] == b"\x89PNG\r\n\x1a\n", path
    return struct.unpack(">II", head[16:24])


def installed_tree_holds_every_file():
    build = os.path.dirname(os.path.abspath(BINARY))
    prefix = tempfile.mkdtemp(prefix="tessel_prefix_")
    try:
        subprocess.run(["cmake", "--install", build, "--prefix", prefix], check=True, capture_output=True)
        entry = os.path.join(prefix, "share/applications/tessel.desktop")
        checked = subprocess.run(["desktop-file-validate", entry], capture_output=True, text=True)
        assert checked.returncode == 0 and not checked.stdout.strip(), checked.stdout + checked.stderr
        with open(entry) as f:
            text = f.read()
        for line in ("Name=Tessel", "Exec=tessel", "Icon=tessel", "Terminal=false", "Categories=Game;RolePlaying;"):
            assert line + "\n" in text, (line, text)
        for size in ICON_SIZES:
            icon = os.path.join(prefix, f"share/icons/hicolor/{size}x{size}/apps/tessel.png")
            assert png_size(icon) == (size, size), icon
        man = subprocess.run(["gzip", "-dc", os.path.join(prefix, "share/man/man6/tessel.6.gz")], check=True,
                             capture_output=True, text=True).stdout
        assert man.startswith(".TH TESSEL 6"), man[:80]
        assert os.access(os.path.join(prefix, "share/tessel/demo_world.py"), os.X_OK)
        done, _, _ = run_without_display(os.path.join(prefix, "bin/tessel"), "--version")
        assert done.returncode == 0 and done.stdout.startswith("tessel "), done
    finally:
        shutil.rmtree(prefix, ignore_errors=True)


def children_of(pid):
    out = subprocess.run(["ps", "-o", "pid=,args=", "--ppid", str(pid)], capture_output=True, text=True).stdout
    return [line.split(None, 1) for line in out.strip().splitlines()]


def demo_plays_and_stops_with_the_client():
    # The harness's own address comes first; --demo's wins.
    with Client(BINARY, free_closed_port(), args=["--demo"]) as client:
        client.wait_for_display("By what name are you known?", timeout=30)
        demo = [int(pid) for pid, args in children_of(client.proc.pid) if "demo_world.py" in args]
        assert len(demo) == 1, children_of(client.proc.pid)
        # Its key is kept with the player's settings for the next run.
        assert os.path.exists(os.path.join(client.home, ".Karthem", "demo_world", "key.pem"))
        client.proc.send_signal(signal.SIGTERM)
        assert client.proc.wait(timeout=15) == 0
    deadline = time.monotonic() + 5
    while os.path.exists(f"/proc/{demo[0]}") and time.monotonic() < deadline:
        time.sleep(0.05)
    assert not os.path.exists(f"/proc/{demo[0]}"), "the demo world outlived the client"


if __name__ == "__main__":
    run_checks("test_desktop", [help_and_version_need_no_display, installed_tree_holds_every_file,
                                demo_plays_and_stops_with_the_client])

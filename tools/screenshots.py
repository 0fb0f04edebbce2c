#!/usr/bin/env python3
"""Takes the README's screenshots from the real editor on a private Xvfb
display: the main window on the sample level, and the About window.

    tools/screenshots.py [--editor PATH] [--out DIR]

Builds the editor in build/ first when no --editor is given. Writes
docs/screenshots/main-window.png and docs/screenshots/about.png. Needs Xvfb
and xdotool (./test.sh installs them).
"""

import argparse
import os
import struct
import subprocess
import sys
import tempfile
import time
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
from xsession import XSession  # noqa: E402

ABOUT_SIZE = (497, 205)


def write_png(path, screen, x, y, width, height):
    """Writes the screen's rectangle as an RGB PNG, replacing `path` only
    once the new file is complete."""
    rows = bytearray()
    for row in range(y, y + height):
        rows.append(0)  # no filter
        for column in range(x, x + width):
            rows.extend(screen.pixel(column, row))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
           + chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))
    with open(path + ".part", "wb") as f:
        f.write(png)
    os.replace(path + ".part", path)


def build_editor():
    build = os.path.join(ROOT, "build")
    if not os.path.exists(os.path.join(build, "build.ninja")):
        subprocess.run(["cmake", "-S", ROOT, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo"],
                       check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build, "--target", "kestrun-editor"], check=True)
    return os.path.join(build, "src", "app", "kestrun-editor")


def client_top(x, window):
    """The first row of the window's client area: the row below the menu
    bar's bottom line, the first row of the left edge that differs from the
    top row."""
    wx, wy, _, height = x.window_geometry(window)
    screen = x.screen()
    background = screen.pixel(wx + 2, wy)
    for y in range(wy + 1, wy + height // 4):
        if screen.pixel(wx + 2, y) != background:
            return y + 1
    raise RuntimeError("the menu bar was not found")


def shoot(editor, out):
    x = XSession()
    with tempfile.TemporaryDirectory(prefix="kestrun-shots-") as tmp:
        # The sample game folder is remembered in a private settings folder.
        os.makedirs(os.path.join(tmp, "Kestrunle"))
        with open(os.path.join(tmp, "Kestrunle", "Kestrunle.conf"), "w") as f:
            f.write(f"[settings]\ngamepath={ROOT}/sample/\n")
        env = dict(x.env, XDG_CONFIG_HOME=tmp, XDG_RUNTIME_DIR=tmp)
        process = subprocess.Popen([editor, os.path.join(ROOT, "sample", "sample.kmp")], env=env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            window = x.wait_window("Kestrunle")
            time.sleep(0.5)
            wx, wy, width, height = x.window_geometry(window)
            top = client_top(x, window)
            # Sprite layer 3, so the canvas shows every layer, then the
            # pointer over a cell: its frame and its readout in the status bar.
            x.click(wx + 96 + 12, top + 28 + 64 + 10)
            x.xdotool("mousemove", "--sync", wx + 128 + 6 * 40 + 20, top + 32 + 4 * 40 + 20)
            time.sleep(0.5)
            write_png(os.path.join(out, "main-window.png"), x.screen(), wx, wy, width, height)

            x.click(wx + 120, wy + 8)  # "Помощь"
            time.sleep(0.3)
            x.key("Down")  # "Contents" is disabled: the first choice is About
            x.key("Return")
            about = x.wait_until(lambda: x.visible_windows(size=ABOUT_SIZE), 5, "the About window did not open")[0]
            x.xdotool("mousemove", "--sync", 0, 0)
            time.sleep(0.5)
            ax, ay, aw, ah = x.window_geometry(about)
            write_png(os.path.join(out, "about.png"), x.screen(), ax, ay, aw, ah)
        finally:
            process.kill()
            process.wait()
            x.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--editor", help="the kestrun-editor to run (default: build it in build/)")
    parser.add_argument("--out", default=os.path.join(ROOT, "docs", "screenshots"))
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    shoot(args.editor or build_editor(), args.out)
    print(f"screenshots written to {args.out}")


if __name__ == "__main__":
    main()

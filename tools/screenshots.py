#!/usr/bin/env python3
"""Takes the screenshots in docs/screenshots from the real editor on a private Xvfb
display: the main window on the sample level, and the About window; and the
sample level exported by kmp, open in Tiled.

    tools/screenshots.py [--editor PATH] [--kmp PATH] [--out DIR]

Builds the editor and kmp in build/ first when no --editor or --kmp is
given. Writes docs/screenshots/main-window.png, docs/screenshots/about.png
and docs/screenshots/tiled.png. Needs Xvfb, xdotool and tiled (./test.sh
installs them).
"""

import argparse
import os
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
from editorprocess import EditorProcess  # noqa: E402
from xsession import XSession  # noqa: E402

ABOUT_SIZE = (497, 205)
BLUE = (0, 0, 255)  # the cursor frame's border while no button is held


def build(target, path):
    build_dir = os.path.join(ROOT, "build")
    if not os.path.exists(os.path.join(build_dir, "build.ninja")):
        subprocess.run(["cmake", "-S", ROOT, "-B", build_dir, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo"],
                       check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build_dir, "--target", target], check=True)
    return os.path.join(build_dir, path)


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
        process = EditorProcess(editor, [os.path.join(ROOT, "sample", "sample.kmp")], env,
                                os.path.join(tmp, "editor.stderr"))
        try:
            process.wait_shown()
            window = x.wait_window("Kestrunle", 10, kind="normal")
            wx, wy, width, height = x.window_geometry(window)
            top = client_top(x, window)
            # Sprite layer 3, so the canvas shows every layer, then the
            # pointer over cell (6, 4): its frame (whose left edge is the
            # column left of the cell) and its readout in the status bar.
            x.click(wx + 96 + 12, top + 28 + 64 + 10)
            canvas = (wx + 128, top + 32)
            x.xdotool("mousemove", "--sync", canvas[0] + 6 * 40 + 20, canvas[1] + 4 * 40 + 20)
            x.wait_until(lambda: all(x.screen().pixel(canvas[0] + 6 * 40 - 1, canvas[1] + 4 * 40 + dy) == BLUE
                                     for dy in range(1, 39)), 10, "the cursor frame did not come to the cell")
            x.wait_until_still((wx, wy, width, height))
            x.screen().save_png(os.path.join(out, "main-window.png"), (wx, wy, width, height))

            x.open_menu(window, 2)  # "Помощь"
            x.key("Down")  # "Contents" is disabled: the first choice is About
            x.key("Return")
            about = x.wait_until(lambda: x.visible_windows(size=ABOUT_SIZE, kind="dialog"), 10,
                                 "the About window did not open")[0]
            x.xdotool("mousemove", "--sync", 0, 0)
            area = x.window_geometry(about)
            x.wait_until_still(area)
            x.screen().save_png(os.path.join(out, "about.png"), area)
        except AssertionError as error:
            sys.exit(f"screenshots: {error}\n{process.stderr()}")
        finally:
            process.stop()
            x.close()


TILED_SIZE = (1280, 800)


def shoot_tiled(kmp, out):
    """The sample level exported with the sample game's sprites, open in
    Tiled with its settings in a folder of its own."""
    x = XSession()
    with tempfile.TemporaryDirectory(prefix="kestrun-tiled-") as tmp:
        os.chmod(tmp, 0o700)
        level = os.path.join(tmp, "sample.tmx")
        subprocess.run([kmp, "export", "--game", os.path.join(ROOT, "sample"),
                        os.path.join(ROOT, "sample", "sample.kmp"), level], check=True)
        env = dict(x.env, HOME=tmp, XDG_CONFIG_HOME=tmp, XDG_RUNTIME_DIR=tmp)
        with open(os.path.join(tmp, "tiled.stderr"), "w") as stderr:
            tiled = subprocess.Popen(["tiled", "--new-instance", level], env=env, cwd=tmp,
                                     stdout=subprocess.DEVNULL, stderr=stderr)
        try:
            window = x.wait_window("sample.tmx.*Tiled", 30, kind="normal")
            x.xdotool("windowmove", "--sync", str(window), "0", "0")
            x.xdotool("windowsize", "--sync", str(window), *map(str, TILED_SIZE))
            x.xdotool("mousemove", "--sync", TILED_SIZE[0] - 1, TILED_SIZE[1] - 1)
            area = x.window_geometry(window)
            x.wait_until_still(area)
            x.screen().save_png(os.path.join(out, "tiled.png"), area)
        except AssertionError as error:
            sys.exit(f"screenshots: {error}\n{x.describe_windows()}")
        finally:
            tiled.terminate()
            tiled.wait()
            x.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--editor", help="the kestrun-editor to run (default: build it in build/)")
    parser.add_argument("--kmp", help="the kmp to export the level with (default: build it in build/)")
    parser.add_argument("--out", default=os.path.join(ROOT, "docs", "screenshots"))
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    shoot(args.editor or build("kestrun-editor", os.path.join("src", "app", "kestrun-editor")), args.out)
    shoot_tiled(args.kmp or build("kmp", os.path.join("src", "kmp", "kmp")), args.out)
    print(f"screenshots written to {args.out}")


if __name__ == "__main__":
    main()

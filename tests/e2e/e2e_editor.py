"""End-to-end tests: the real kestrun-editor on an Xvfb display, driven with
the mouse and keyboard as a level designer would."""

import argparse
import os
import struct
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xsession import XSession  # noqa: E402

EDITOR = None
SAMPLE = None
BLUE, YELLOW = (0, 0, 255), (255, 255, 0)


def bmp24(width, height, rgb):
    row = bytes([rgb[2], rgb[1], rgb[0]]) * width
    row += b"\0" * ((4 - len(row) % 4) % 4)
    pixels = row * height
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + pixels


def map_file(terrain, sprites=(0, 0, 0)):
    header = struct.pack("<ihii8s", 0x12345678, 2, 15, 10, b"\0" * 8)
    return header + bytes([terrain, *sprites]) * 176


class EditorTest(unittest.TestCase):
    def setUp(self):
        self.x = XSession()
        self.tmp = tempfile.TemporaryDirectory(prefix="kestrun-e2e-")
        self.game = os.path.join(self.tmp.name, "game") + "/"
        os.makedirs(self.game)
        with open(self.game + "tileset.dat", "wb") as f:
            f.write(b"1=ground.bmp\r\n2=red.bmp\r\n")
        for name, colour in (("ground.bmp", (0, 160, 0)), ("red.bmp", (200, 0, 0))):
            with open(self.game + name, "wb") as f:
                f.write(bmp24(40, 40, colour))
        self.config = os.path.join(self.tmp.name, "config")
        self.editor = None

    def tearDown(self):
        if self.editor and self.editor.poll() is None:
            self.editor.kill()
            self.editor.wait()
        self.x.close()
        self.tmp.cleanup()

    def remember_folder(self, folder):
        os.makedirs(os.path.join(self.config, "Kestrunle"), exist_ok=True)
        with open(os.path.join(self.config, "Kestrunle", "Kestrunle.conf"), "w") as f:
            f.write(f"[settings]\ngamepath={folder}\n")

    def start(self, *arguments):
        env = dict(self.x.env, XDG_CONFIG_HOME=self.config, XDG_RUNTIME_DIR=self.tmp.name)
        self.editor = subprocess.Popen([EDITOR, *arguments], env=env,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def start_on_water_map(self):
        """Starts the editor on a map whose every cell is Water with no
        sprites, so the canvas is plain blue; returns its window."""
        self.remember_folder(self.game)
        level = os.path.join(self.tmp.name, "water.kmp")
        with open(level, "wb") as f:
            f.write(map_file(16))
        self.start(level)
        return self.x.wait_window("Kestrunle")

    def close_and_wait(self, window):
        self.x.close_window(window)
        self.assertEqual(self.editor.wait(timeout=10), 0)

    def canvas_origin(self, window):
        """The screen position of the canvas's pixel (0, 0): below the menu
        bar, 32 pixels into the client area; found as the first row of an
        all-blue map."""
        wx, wy, _, _ = self.x.window_geometry(window)
        screen = self.x.screen()
        for y in range(wy, wy + 200):
            if screen.pixel(wx + 400, y) == BLUE:
                left = wx + 400
                while screen.pixel(left - 1, y) == BLUE:
                    left -= 1
                return left, y
        self.fail("the canvas was not found")

    def test_starts_on_the_map_it_is_given_and_closes_cleanly(self):
        window = self.start_on_water_map()
        self.assertEqual(self.x.window_name(window), "Kestrunle")
        wx, wy, width, height = self.x.window_geometry(window)
        self.assertEqual((width, height), (780, 540))
        left, top = self.canvas_origin(window)
        self.assertEqual(left, wx + 128)
        screen = self.x.screen()
        self.assertEqual(screen.pixel(left + 639, top + 439), BLUE)
        self.close_and_wait(window)

    def test_paint_terrain_with_a_drag_and_save_it(self):
        window = self.start_on_water_map()
        left, top = self.canvas_origin(window)
        toolbar = (left - 128, top - 32)
        self.x.click(toolbar[0] + 308 + 11, toolbar[1] + 14)  # "Brick"
        self.x.drag([(left + 40 * i + 20, top + 20) for i in range(6)])
        # A drag that leaves the canvas keeps painting: up to 39 pixels left
        # of it is still column 0.
        self.x.drag([(left + 60, top + 100), (left + 20, top + 100), (left - 20, top + 100)])
        # Out of the way of the button's tooltip, which may cover the row.
        self.x.xdotool("mousemove", "--sync", left + 600, top + 420)
        time.sleep(1.0)
        screen = self.x.screen()
        for i in range(6):
            self.assertEqual(screen.pixel(left + 40 * i + 20, top + 20), YELLOW, f"cell ({i}, 0)")
        self.assertEqual(screen.pixel(left + 40 * 6 + 20, top + 20), BLUE)

        # Save: the map came from the command line, so Save asks for a name.
        self.x.click(toolbar[0] + 46 + 11, toolbar[1] + 14)
        dialogs = self.x.wait_until(lambda: [w for w in self.x.visible_windows("^Kestrunle$") if w != window],
                                    10, "the Save As dialog did not appear")
        self.x.xdotool("windowfocus", "--sync", dialogs[0])
        time.sleep(0.5)
        saved = os.path.join(self.tmp.name, "painted.kmp")
        self.x.type_text(saved)
        self.x.key("Return")
        self.x.wait_until(lambda: os.path.exists(saved), 10, "the map was not saved")
        with open(saved, "rb") as f:
            data = f.read()
        self.assertEqual(len(data), 726)
        self.assertEqual(data[:22], map_file(16)[:22])
        terrain = [data[22 + 4 * i] for i in range(176)]
        self.assertEqual(terrain[:6], [4] * 6)
        self.assertEqual(terrain[6:32], [16] * 26)
        self.assertEqual(terrain[32:34], [4] * 2)  # cells (0, 2) and (1, 2)
        self.assertEqual(terrain[34:], [16] * 142)
        self.close_and_wait(window)

    def test_pick_a_sprite_paint_layer_2_and_switch_layers(self):
        window = self.start_on_water_map()
        left, top = self.canvas_origin(window)
        client = (left - 128, top - 32)  # the client area's origin on screen
        red = (200, 0, 0)
        # The first list entry (ground.bmp) is the brush after start-up; the
        # second is red.bmp: click the first, then the Down key.
        self.x.click(client[0] + 30, client[1] + 28 + 112 + 8)
        self.x.key("Down")
        self.x.click(client[0] + 64 + 12, client[1] + 28 + 64 + 10)  # "S2"
        self.x.drag([(left + 40 * i + 20, top + 140) for i in range(4)])
        self.x.xdotool("mousemove", "--sync", left + 600, top + 420)
        time.sleep(0.5)
        screen = self.x.screen()
        for i in range(4):
            self.assertEqual(screen.pixel(left + 40 * i + 20, top + 140), red, f"cell ({i}, 3)")
        self.assertEqual(screen.pixel(left + 40 * 4 + 20, top + 140), BLUE)
        self.x.click(client[0] + 0 + 12, client[1] + 28 + 64 + 10)  # "C": terrain only
        time.sleep(0.3)
        self.assertEqual(self.x.screen().pixel(left + 20, top + 140), BLUE)
        self.x.click(client[0] + 96 + 12, client[1] + 28 + 64 + 10)  # "S3": every layer
        time.sleep(0.3)
        self.assertEqual(self.x.screen().pixel(left + 20, top + 140), red)
        self.close_and_wait(window)

    def test_about_box_opens_from_the_help_menu_and_any_key_closes_it(self):
        window = self.start_on_water_map()
        wx, wy, _, _ = self.x.window_geometry(window)

        def about_boxes():
            return self.x.visible_windows(size=(497, 205))

        for _ in range(2):  # a second About works like the first
            self.x.click(wx + 120, wy + 8)  # "Помощь"
            time.sleep(0.3)
            self.x.key("Down")  # "Contents" is disabled: the first choice is About
            self.x.key("Return")
            about = self.x.wait_until(about_boxes, 5, "the About box did not open")[0]
            ax, ay, aw, ah = self.x.window_geometry(about)
            self.x.click(ax + aw // 2, ay + ah // 2)  # a click does not close it
            time.sleep(0.3)
            self.assertTrue(about_boxes())
            self.x.key("shift")  # a key alone does
            self.x.wait_until(lambda: not about_boxes(), 5, "a key did not close the About box")
        self.close_and_wait(window)

    def test_first_start_asks_for_the_game_folder_over_the_splash(self):
        self.start()
        prompt = self.x.wait_window("Kestrunle")
        _, _, width, height = self.x.window_geometry(prompt)
        self.assertLess(width, 780)  # the input box, not the editor
        self.assertTrue(self.x.visible_windows(size=(497, 205)),
                        "the splash window is not on screen during the prompt")
        self.x.xdotool("windowfocus", "--sync", prompt)
        time.sleep(0.3)
        self.x.type_text(self.game)
        self.x.key("Return")
        window = self.x.wait_until(lambda: self.x.visible_windows("^Kestrunle$", size=(780, 540)), 15,
                                   "the editor did not come up after the answer")[0]
        with open(os.path.join(self.config, "Kestrunle", "Kestrunle.conf")) as f:
            self.assertIn(f"gamepath={self.game}", f.read())
        self.close_and_wait(window)

    def test_sample_game_folder_and_map(self):
        if not SAMPLE or not os.path.exists(os.path.join(SAMPLE, "sample.kmp")):
            self.skipTest("no sample map")
        self.remember_folder(SAMPLE.rstrip("/") + "/")
        self.start(os.path.join(SAMPLE, "sample.kmp"))
        window = self.x.wait_window("Kestrunle")
        self.assertEqual(self.x.window_geometry(window)[2:], (780, 540))
        wx, wy, _, _ = self.x.window_geometry(window)
        screen = self.x.screen()
        colours = {screen.pixel(wx + 128 + 40 * cx + 20, wy + 100 + 40 * cy) for cx in range(16) for cy in range(8)}
        self.assertGreater(len(colours), 4, "the sample map is not painted with its sprites")
        self.close_and_wait(window)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--editor", required=True)
    parser.add_argument("--sample")
    options, rest = parser.parse_known_args()
    EDITOR, SAMPLE = options.editor, options.sample
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)

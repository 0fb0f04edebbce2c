"""End-to-end tests: the real kestrun-editor on an Xvfb display, driven with
the mouse and keyboard as a level designer would.

The tests wait on the editor's own signal that its main window is on screen
and painted (KESTRUN_REPORT_SHOWN), and otherwise poll for what they expect;
every limit is multiplied by KESTRUN_E2E_TIME_SCALE. A failing test prints
the display's windows, the path of a screenshot and the editor's stderr."""

import argparse
import functools
import os
import re
import resource
import struct
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from editorprocess import EditorProcess  # noqa: E402
from xsession import XSession, scaled  # noqa: E402

EDITOR = None
SAMPLE = None
FAILURES = None  # the folder for failure screenshots
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


def report_failures(test_class):
    """Wraps every test of the class so that a failure (not a skip) first
    prints what a developer needs to act on it."""
    def diagnosed(test):
        @functools.wraps(test)
        def run(self):
            try:
                test(self)
            except unittest.SkipTest:
                raise
            except BaseException:
                self.report_failure()
                raise
        return run

    for name in dir(test_class):
        if name.startswith("test_"):
            setattr(test_class, name, diagnosed(getattr(test_class, name)))
    return test_class


@report_failures
class EditorTest(unittest.TestCase):
    def setUp(self):
        self.x = XSession()
        self.tmp = tempfile.TemporaryDirectory(prefix="kestrun-e2e-")
        self.game = os.path.join(self.tmp.name, "game") + "/"
        os.makedirs(self.game)
        with open(self.game + "tileset.dat", "wb") as f:
            f.write(b"1=ground.bmp\r\n2=red.bmp\r\n")
        for name, color in (("ground.bmp", (0, 160, 0)), ("red.bmp", (200, 0, 0))):
            with open(self.game + name, "wb") as f:
                f.write(bmp24(40, 40, color))
        self.config = os.path.join(self.tmp.name, "config")
        self.editor = None

    def tearDown(self):
        if self.editor:
            self.editor.stop()
        self.x.close()
        self.tmp.cleanup()

    def report_failure(self):
        out = sys.stderr
        out.write(f"\n--- {self.id()} failed; Xvfb {self.x.display} is {self.x.server_state()}; its windows:\n")
        try:
            out.write(self.x.describe_windows() + "\n")
        except Exception as error:  # the report must not hide the failure
            out.write(f"  (could not list the windows: {error})\n")
        if FAILURES:
            try:
                os.makedirs(FAILURES, exist_ok=True)
                path = os.path.join(FAILURES, re.sub(r"[^\w.-]", "_", self.id()) + ".png")
                self.x.screen().save_png(path)
                out.write(f"--- screenshot: {path}\n")
            except Exception as error:
                out.write(f"--- no screenshot: {error}\n")
        if self.editor:
            status = self.editor.process.poll()
            out.write("--- the editor is " + ("still running" if status is None else f"gone, status {status}") + "\n")
            out.write("--- its stderr:\n" + (self.editor.stderr() or "(empty)\n"))
        out.flush()

    def remember_folder(self, folder):
        os.makedirs(os.path.join(self.config, "Kestrunle"), exist_ok=True)
        with open(os.path.join(self.config, "Kestrunle", "Kestrunle.conf"), "w") as f:
            f.write(f"[settings]\ngamepath={folder}\n")

    def start(self, *arguments, language=None, file_size_limit=None):
        env = dict(self.x.env, XDG_CONFIG_HOME=self.config, XDG_RUNTIME_DIR=self.tmp.name)
        if language:
            env["LANG"] = language

        def limit_file_size():
            resource.setrlimit(resource.RLIMIT_FSIZE, (file_size_limit, file_size_limit))

        # The display took a connection when the session began; it is asked
        # again, so that a slow server never makes the editor fail to connect.
        self.x.wait_for_display()
        self.editor = EditorProcess(EDITOR, arguments, env, os.path.join(self.tmp.name, "editor.stderr"),
                                    preexec_fn=limit_file_size if file_size_limit is not None else None)

    def editor_alive(self):
        """True while the editor runs; fails the test at once if it ended."""
        status = self.editor.process.poll()
        if status is not None:
            raise AssertionError(f"the editor ended with status {status}")
        return True

    def main_window(self):
        """Waits for the editor's main window to be shown and returns it."""
        self.editor.wait_shown()
        return self.x.wait_window("Kestrunle", 10, kind="normal")

    def start_on_water_map(self, language=None, file_size_limit=None):
        """Starts the editor on a map whose every cell is Water with no
        sprites, so the canvas is plain blue; returns its window."""
        self.remember_folder(self.game)
        level = os.path.join(self.tmp.name, "water.kmp")
        with open(level, "wb") as f:
            f.write(map_file(16))
        self.start(level, language=language, file_size_limit=file_size_limit)
        return self.main_window()

    def close_and_wait(self, window):
        self.x.close_window(window)
        self.assertEqual(self.editor.process.wait(timeout=scaled(10)), 0)

    def wait_for_pixels(self, points, color, what):
        """Waits until every screen point shows `color`."""
        self.x.wait_until(lambda: all(self.x.screen().pixel(*p) == color for p in points), 10,
                          f"{what} did not turn {color}")

    def settle(self):
        """Time for the editor to handle what was just sent, before checking
        that it did not react (there is nothing to wait on for that)."""
        time.sleep(scaled(0.5))

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
        self.wait_for_pixels([(left + 40 * i + 20, top + 20) for i in range(6)], YELLOW, "cells (0..5, 0)")
        self.wait_for_pixels([(left + 60, top + 100), (left + 20, top + 100)], YELLOW, "cells (1, 2) and (0, 2)")
        self.assertEqual(self.x.screen().pixel(left + 40 * 6 + 20, top + 20), BLUE)

        # Save: the map came from the command line, so Save asks for a name,
        # in a dialog with the platform's own title.
        self.x.click(toolbar[0] + 46 + 11, toolbar[1] + 14)
        dialogs = self.x.wait_until(lambda: self.x.visible_windows("^Save As$"), 20,
                                    "the Save As dialog did not appear")
        self.x.xdotool("windowfocus", "--sync", dialogs[0])
        self.settle()
        # The dialog starts in the folder of the map it read: a bare name
        # lands beside it.
        saved = os.path.join(self.tmp.name, "painted.kmp")
        self.x.type_text("painted.kmp")
        self.x.key("Return")
        self.x.wait_until(lambda: os.path.exists(saved), 20, "the map was not saved")
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

    def test_a_save_past_the_file_size_limit_is_reported_and_the_editor_lives(self):
        # Below the map's 726 bytes: the save's write fails. Were SIGXFSZ not
        # ignored, the signal would end the editor and the edits with it.
        window = self.start_on_water_map(file_size_limit=700)
        left, top = self.canvas_origin(window)
        self.x.click(left - 128 + 308 + 11, top - 32 + 14)  # "Brick"
        self.x.click(left + 20, top + 20)
        self.x.xdotool("mousemove", "--sync", left + 600, top + 420)
        self.wait_for_pixels([(left + 20, top + 20)], YELLOW, "cell (0, 0)")
        self.x.click(left - 128 + 46 + 11, top - 32 + 14)  # "Save": asks, as the map came from the command line
        dialog = self.x.wait_until(lambda: self.x.visible_windows("^Save As$"), 20, "no Save As dialog")[0]
        self.x.xdotool("windowfocus", "--sync", dialog)
        self.settle()
        self.x.type_text("water.kmp")  # over the map it read
        self.x.key("Return")
        message = self.x.wait_until(
            lambda: self.editor_alive() and self.x.visible_windows("^Kestrunle$", kind="dialog"), 20,
            "no message about the failed save")[0]
        _, _, width, _ = self.x.window_geometry(message)
        self.assertLess(width, 780)  # the message box, not the editor
        with open(os.path.join(self.tmp.name, "water.kmp"), "rb") as f:
            self.assertEqual(f.read(), map_file(16))
        self.assertEqual([n for n in os.listdir(self.tmp.name) if "kestrun-save" in n], [])
        self.x.xdotool("windowfocus", "--sync", message)
        self.settle()
        self.x.key("Return")
        self.x.wait_until(lambda: not self.x.visible_windows("^Kestrunle$", kind="dialog"), 10,
                          "the message stayed open")
        # The edit is still on screen, in a window that still answers.
        self.assertEqual(self.x.screen().pixel(left + 20, top + 20), YELLOW)
        self.close_and_wait(window)

    def test_qt_dialogs_speak_the_desktops_language(self):
        window = self.start_on_water_map(language="ru_RU.UTF-8")
        left, top = self.canvas_origin(window)
        self.x.click(left - 128 + 46 + 11, top - 32 + 14)  # "Save"
        dialog = self.x.wait_until(lambda: self.x.visible_windows("^Сохранить как$"), 20,
                                   "no Save As dialog titled in Russian")[0]
        self.x.xdotool("windowfocus", "--sync", dialog)
        self.settle()
        self.x.key("Escape")
        self.x.wait_until(lambda: not self.x.visible_windows("^Сохранить как$"), 10, "the dialog stayed open")
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
        self.wait_for_pixels([(left + 40 * i + 20, top + 140) for i in range(4)], red, "cells (0..3, 3)")
        self.assertEqual(self.x.screen().pixel(left + 40 * 4 + 20, top + 140), BLUE)
        self.x.click(client[0] + 0 + 12, client[1] + 28 + 64 + 10)  # "C": terrain only
        self.wait_for_pixels([(left + 20, top + 140)], BLUE, "cell (0, 3) on the terrain layer")
        self.x.click(client[0] + 96 + 12, client[1] + 28 + 64 + 10)  # "S3": every layer
        self.wait_for_pixels([(left + 20, top + 140)], red, "cell (0, 3) with every layer")
        self.close_and_wait(window)

    def test_about_box_opens_from_the_help_menu_and_any_key_closes_it(self):
        window = self.start_on_water_map()

        def about_boxes():
            # A dialog over the editor, not a splash window.
            return self.x.visible_windows(size=(497, 205), kind="dialog")

        for _ in range(2):  # a second About works like the first
            self.x.open_menu(window, 2)  # "Помощь"
            self.x.key("Down")  # "Contents" is disabled: the first choice is About
            self.x.key("Return")
            about = self.x.wait_until(about_boxes, 10, "the About box did not open")[0]
            ax, ay, aw, ah = self.x.window_geometry(about)
            self.x.click(ax + aw // 2, ay + ah // 2)  # a click does not close it
            self.settle()
            self.assertTrue(about_boxes())
            self.x.key("shift")  # a key alone does
            self.x.wait_until(lambda: not about_boxes(), 10, "a key did not close the About box")
        self.close_and_wait(window)

    def test_first_start_asks_for_the_game_folder_over_the_splash(self):
        self.start()
        # The prompt comes before the main window: there is no signal to wait
        # on, and a first start may build the font cache.
        prompt = self.x.wait_until(
            lambda: self.editor_alive() and self.x.visible_windows("^Kestrunle$", kind="dialog"), 60,
            "no visible dialog named 'Kestrunle'")[0]
        _, _, width, height = self.x.window_geometry(prompt)
        self.assertLess(width, 780)  # the input box, not the editor
        # The splash is told by its window type (window managers neither
        # decorate it nor list it), not by its name.
        self.assertTrue(self.x.visible_windows(size=(497, 205), kind="splash"),
                        "the splash window is not on screen during the prompt")
        self.x.xdotool("windowfocus", "--sync", prompt)
        self.settle()
        self.x.type_text(self.game)
        self.x.key("Return")
        self.editor.wait_shown()
        window = self.x.wait_window("Kestrunle", 10, size=(780, 540), kind="normal")
        with open(os.path.join(self.config, "Kestrunle", "Kestrunle.conf")) as f:
            self.assertIn(f"gamepath={self.game}", f.read())
        self.close_and_wait(window)

    def test_sample_game_folder_and_map(self):
        if not SAMPLE or not os.path.exists(os.path.join(SAMPLE, "sample.kmp")):
            self.skipTest("no sample map")
        self.remember_folder(SAMPLE.rstrip("/") + "/")
        self.start(os.path.join(SAMPLE, "sample.kmp"))
        window = self.main_window()
        self.assertEqual(self.x.window_geometry(window)[2:], (780, 540))
        wx, wy, _, _ = self.x.window_geometry(window)
        screen = self.x.screen()
        colors = {screen.pixel(wx + 128 + 40 * cx + 20, wy + 100 + 40 * cy) for cx in range(16) for cy in range(8)}
        self.assertGreater(len(colors), 4, "the sample map is not painted with its sprites")
        self.close_and_wait(window)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--editor", required=True)
    parser.add_argument("--sample")
    parser.add_argument("--failures", help="where a failing test saves its screenshot")
    options, rest = parser.parse_known_args()
    EDITOR, SAMPLE, FAILURES = options.editor, options.sample, options.failures
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)

"""A private X display for end-to-end tests: Xvfb with its screen in a
memory-mapped file we read pixels from, window lookup and input through
xdotool, and the window manager's close request sent with Xlib."""

import ctypes
import ctypes.util
import os
import re
import shutil
import struct
import subprocess
import tempfile
import time
import zlib


def time_scale():
    """The factor KESTRUN_E2E_TIME_SCALE gives every wait (1 when unset):
    more for a slow or loaded machine."""
    try:
        factor = float(os.environ.get("KESTRUN_E2E_TIME_SCALE", "1"))
    except ValueError:
        factor = 1.0
    return factor if factor > 0 else 1.0


def scaled(seconds):
    return seconds * time_scale()


class XSession:
    def __init__(self, width=1280, height=1024):
        self.fbdir = tempfile.mkdtemp(prefix="kestrun-fb-")
        self.display = self.server = None
        # Display numbers spread by process id, away from the low ones every
        # desktop and other test runs take first; a number in use makes the
        # server end at once, and the next one is tried.
        first = 100 + os.getpid() % 800
        for number in range(first, first + 50):
            server, ready = self._start_server(number, width, height)
            if ready:
                self.display, self.server = f":{number}", server
                break
            server.kill()
            server.wait()
        if not self.server:
            shutil.rmtree(self.fbdir, ignore_errors=True)
            raise RuntimeError("could not start Xvfb")
        self.wait_for_display()
        self.env = dict(os.environ, DISPLAY=self.display)
        # Nothing of the developer's desktop may change what the editor
        # shows: its platform theme (icons, fonts), style, scaling or
        # language (Qt's own texts, such as the file dialogs' titles).
        for name in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "QT_QPA_PLATFORMTHEME", "QT_STYLE_OVERRIDE",
                     "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_FONT_DPI", "XDG_CURRENT_DESKTOP",
                     "DESKTOP_SESSION", "LANGUAGE", "LC_ALL", "LC_MESSAGES"):
            self.env.pop(name, None)
        self.env["LANG"] = "C.UTF-8"

    def _start_server(self, number, width, height):
        """Starts Xvfb on display `number`; returns it and whether it is
        ready. It writes the number to the pipe once it takes connections,
        and ends without a word if it cannot have the display. -noreset: an X
        server resets when its last client leaves, and refuses connections
        while it does, so the editor started right after the readiness probe
        closed its connection could not connect."""
        read_end, write_end = os.pipe()
        server = subprocess.Popen(
            ["Xvfb", f":{number}", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x24",
             "-nolisten", "tcp", "-noreset", "-fbdir", self.fbdir],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, pass_fds=(write_end,))
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            return server, pipe.readline().strip() == str(number)

    def accepts_clients(self):
        """Whether a client can open the display now."""
        x11 = xlib()
        dpy = x11.XOpenDisplay(self.display.encode())
        if not dpy:
            return False
        x11.XCloseDisplay(dpy)
        return True

    def wait_for_display(self, timeout=60.0):
        """Returns once the display takes a client's connection. A loaded
        machine may be slow to let the first one in after the server said it
        was ready: whoever starts a client waits for this, not for a time."""
        def ready():
            if self.server.poll() is not None:
                raise RuntimeError(f"Xvfb {self.display} ended, status {self.server.returncode}")
            return self.accepts_clients()
        self.wait_until(ready, timeout, f"Xvfb {self.display} took no connection")

    def server_state(self):
        status = self.server.poll()
        return "running" if status is None else f"gone, status {status}"

    def close(self):
        self.server.terminate()
        self.server.wait()
        shutil.rmtree(self.fbdir, ignore_errors=True)

    # --- windows and input ---------------------------------------------------
    def xdotool(self, *args):
        result = subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True, text=True)
        return result.stdout.strip()

    @staticmethod
    def wait_until(condition, timeout, failure):
        """Polls `condition` until it gives a true value, which it returns;
        raises AssertionError(failure) after `timeout` seconds, scaled."""
        limit = scaled(timeout)
        deadline = time.monotonic() + limit
        while True:
            value = condition()
            if value:
                return value
            if time.monotonic() >= deadline:
                raise AssertionError(f"{failure} (waited {limit:.1f} s)")
            time.sleep(0.05)

    def visible_windows(self, name=None, size=None, kind=None):
        """The visible windows whose name matches the pattern `name`, of the
        given (width, height) when `size` is given, and of the window type
        `kind` ("normal", "dialog", "splash"...) when given. The names are
        matched here: xdotool's own matching loses letters outside Latin-1.
        A window without a title is found by its size or type: Qt names it
        after the executable."""
        found = [int(w) for w in self.xdotool("search", "--onlyvisible", "--name", "").split()]
        return [w for w in found if (name is None or re.search(name, self.window_name(w)))
                and (size is None or self.window_geometry(w)[2:] == size)
                and (kind is None or self.window_type(w) == kind)]

    def wait_window(self, name, timeout=20.0, size=None, kind=None):
        return self.wait_until(lambda: self.visible_windows(f"^{name}$", size, kind), timeout,
                               f"no visible window named {name!r}" + (f" of {size}" if size else "")
                               + (f" of type {kind}" if kind else ""))[0]

    def describe_windows(self):
        """One line for each window on the display that has a name or a
        class: id, visible or not, geometry, name."""
        every = {int(w) for option in ("--name", "--class")
                 for w in self.xdotool("search", option, ".").split()}
        visible = {int(w) for w in self.xdotool("search", "--onlyvisible", "--name", ".").split()}
        lines = []
        for window in sorted(every):
            x, y, w, h = self.window_geometry(window)
            state = "visible" if window in visible else "hidden "
            lines.append(f"  {window:#010x} {state} {w}x{h}+{x}+{y} {self.window_type(window) or '-'}"
                         f" {self.window_name(window)!r}")
        return "\n".join(lines) or "  (no windows)"

    def window_name(self, window):
        return self.xdotool("getwindowname", window)

    def window_geometry(self, window):
        x = y = w = h = None
        for line in self.xdotool("getwindowgeometry", "--shell", window).splitlines():
            key, _, value = line.partition("=")
            if key == "X": x = int(value)
            if key == "Y": y = int(value)
            if key == "WIDTH": w = int(value)
            if key == "HEIGHT": h = int(value)
        return x, y, w, h

    def click(self, x, y, button=1):
        self.xdotool("mousemove", "--sync", x, y)
        self.xdotool("click", button)

    def drag(self, points, button=1):
        self.xdotool("mousemove", "--sync", *points[0])
        self.xdotool("mousedown", button)
        for point in points[1:]:
            self.xdotool("mousemove", "--sync", *point)
            time.sleep(0.02)
        self.xdotool("mouseup", button)

    def type_text(self, text):
        self.xdotool("type", "--delay", "20", text)

    def key(self, name):
        self.xdotool("key", name)

    def open_menu(self, window, index):
        """Opens menu `index` (0 for the first) of the window's menu bar.
        The titles' places depend on the fonts: a click opens the first menu,
        whose title is at the bar's left end whatever its width, and Right
        moves on to the one wanted. Returns once a menu is on screen."""
        wx, wy, _, _ = self.window_geometry(window)
        self.click(wx + 10, wy + 8)
        self.wait_until(lambda: [w for w in self.visible_windows()
                                 if w != window and self.window_geometry(w)[1] > wy], 10, "the menu did not open")
        for _ in range(index):
            self.key("Right")

    def wait_until_still(self, area, timeout=10.0):
        """Returns once the screen's (x, y, width, height) `area` stayed the
        same over three looks a tenth of a second apart: whatever was asked
        of the program there is drawn."""
        x0, y0, width, height = area
        looks = []

        def still():
            screen = self.screen()
            looks.append([screen.row(y, x0, width) for y in range(y0, y0 + height)])
            del looks[:-3]
            if len(looks) == 3 and looks[0] == looks[1] == looks[2]:
                return True
            time.sleep(0.05)  # with wait_until's pause, a tenth of a second between looks
            return False

        self.wait_until(still, timeout, f"the screen's area {area} kept changing")

    def window_type(self, window):
        """The first window type the window declares (_NET_WM_WINDOW_TYPE),
        in lower case without its prefix ("normal", "dialog", "splash"), or
        None when it declares none."""
        x11 = xlib()
        dpy = x11.XOpenDisplay(self.display.encode())
        if not dpy:
            return None
        actual_type, actual_format = ctypes.c_ulong(), ctypes.c_int()
        count, remaining, data = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.POINTER(ctypes.c_ulong)()
        status = x11.XGetWindowProperty(dpy, window, x11.XInternAtom(dpy, b"_NET_WM_WINDOW_TYPE", 0), 0, 1, 0,
                                        4,  # XA_ATOM
                                        ctypes.byref(actual_type), ctypes.byref(actual_format),
                                        ctypes.byref(count), ctypes.byref(remaining), ctypes.byref(data))
        kind = None
        if status == 0 and data:
            if actual_format.value == 32 and count.value:
                name = x11.XGetAtomName(dpy, data[0])
                if name:
                    kind = ctypes.string_at(name).decode().removeprefix("_NET_WM_WINDOW_TYPE_").lower()
                    x11.XFree(name)
            x11.XFree(data)
        x11.XCloseDisplay(dpy)
        return kind

    def close_window(self, window):
        """Asks the window to close, as a window manager's close box does."""
        x11 = xlib()

        class ClientMessage(ctypes.Structure):
            _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                        ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                        ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                        ("data", ctypes.c_long * 5)]

        class Event(ctypes.Union):
            _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]

        dpy = x11.XOpenDisplay(self.display.encode())
        event = Event()
        event.xclient.type = 33  # ClientMessage
        event.xclient.window = window
        event.xclient.message_type = x11.XInternAtom(dpy, b"WM_PROTOCOLS", 0)
        event.xclient.format = 32
        event.xclient.data[0] = x11.XInternAtom(dpy, b"WM_DELETE_WINDOW", 0)
        x11.XSendEvent(dpy, window, 0, 0, ctypes.byref(event))
        x11.XFlush(dpy)
        x11.XCloseDisplay(dpy)

    # --- pixels ----------------------------------------------------------------
    def screen(self):
        return Screen(os.path.join(self.fbdir, "Xvfb_screen0"))


# Xlib's default error handler ends the process: a window that is gone by
# the time it is asked about (a closing splash) must only give no answer.
X_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
_ignore_x_errors = X_ERROR_HANDLER(lambda display, event: 0)


def xlib():
    """libX11 through ctypes, with the signatures of the calls used here and
    X errors ignored."""
    x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
    x11.XSetErrorHandler.argtypes = [X_ERROR_HANDLER]
    x11.XSetErrorHandler.restype = ctypes.c_void_p
    x11.XSetErrorHandler(_ignore_x_errors)
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XGetWindowProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_long,
                                       ctypes.c_long, ctypes.c_int, ctypes.c_ulong] + [ctypes.c_void_p] * 5
    x11.XGetAtomName.restype = ctypes.c_void_p
    x11.XGetAtomName.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x11.XFree.argtypes = [ctypes.c_void_p]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    return x11


class Screen:
    """A snapshot of the screen, read from Xvfb's XWD framebuffer file."""

    def __init__(self, path):
        with open(path, "rb") as f:
            data = f.read()
        fields = struct.unpack(">25I", data[:100])
        header_size, self.width, self.height = fields[0], fields[4], fields[5]
        self.bits_per_pixel, self.bytes_per_line, ncolors = fields[11], fields[12], fields[19]
        self.little_endian = fields[7] == 0
        self.pixels = data[header_size + 12 * ncolors:]

    def pixel(self, x, y):
        offset = y * self.bytes_per_line + x * (self.bits_per_pixel // 8)
        b0, b1, b2 = self.pixels[offset], self.pixels[offset + 1], self.pixels[offset + 2]
        return (b2, b1, b0) if self.little_endian else (self.pixels[offset + 1], self.pixels[offset + 2],
                                                         self.pixels[offset + 3])

    def row(self, y, x0, width):
        """The RGB bytes of `width` pixels of row `y` from column `x0`."""
        if self.bits_per_pixel == 32 and self.little_endian:  # B, G, R, unused
            start = y * self.bytes_per_line + 4 * x0
            line = self.pixels[start:start + 4 * width]
            rgb = bytearray(3 * width)
            rgb[0::3], rgb[1::3], rgb[2::3] = line[2::4], line[1::4], line[0::4]
            return bytes(rgb)
        return b"".join(bytes(self.pixel(x, y)) for x in range(x0, x0 + width))

    def save_png(self, path, area=None):
        """Writes the screen, or the (x, y, width, height) `area` of it, as
        an RGB PNG; `path` is replaced only once the new file is whole."""
        x0, y0, width, height = area or (0, 0, self.width, self.height)
        rows = bytearray()
        for y in range(y0, y0 + height):
            rows.append(0)  # no filter
            rows.extend(self.row(y, x0, width))

        def chunk(kind, body):
            return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

        with open(path + ".part", "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n")
            f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
            f.write(chunk(b"IDAT", zlib.compress(bytes(rows), 9)))
            f.write(chunk(b"IEND", b""))
        os.replace(path + ".part", path)

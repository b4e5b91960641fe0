"""An X display of the tests' own (Xvfb) and what they do on it: screenshots,
windows as X sees them, and real input through XTEST (xdotool). Nothing here
knows which program runs on the display."""

from __future__ import annotations

import ctypes
import os
import subprocess
import time
from pathlib import Path
from typing import Optional

from processes import HarnessError, ProcessBook, require_tool, run, stop_process
from screen_image import Image, Rect

SCREEN_SIZE = (1024, 768)
XVFB_START_TIMEOUT = 20.0


class XServer:
    """An Xvfb of our own; the display number is whichever one is free."""

    def __init__(self, book: ProcessBook, log: Path):
        self.book = book
        self.log = log
        self.process: Optional[subprocess.Popen] = None
        self.display = ""

    def start(self) -> str:
        require_tool("Xvfb", "xvfb")
        read_end, write_end = os.pipe()
        self.log.parent.mkdir(parents=True, exist_ok=True)
        with self.log.open("wb") as log:
            self.process = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                 f"{SCREEN_SIZE[0]}x{SCREEN_SIZE[1]}x24", "-nolisten", "tcp", "-noreset"],
                pass_fds=(write_end,), stdout=log, stderr=subprocess.STDOUT)
        os.close(write_end)
        self.book.add(self.process)
        number = b""
        deadline = time.monotonic() + XVFB_START_TIMEOUT
        with os.fdopen(read_end, "rb", buffering=0) as pipe:
            os.set_blocking(pipe.fileno(), False)
            while not number.endswith(b"\n"):
                if time.monotonic() > deadline or self.process.poll() is not None:
                    self.stop()
                    raise HarnessError(f"Xvfb did not start; see {self.log}")
                chunk = pipe.read(16)
                if chunk:
                    number += chunk
                else:
                    time.sleep(0.05)
        self.display = f":{number.decode().strip()}"
        return self.display

    def stop(self) -> None:
        stop_process(self.process)
        self.process = None


class _XImage(ctypes.Structure):
    # The leading fields of Xlib's XImage, as far as the pixels need them.
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_char)),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int), ("red_mask", ctypes.c_ulong),
                ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong)]


_Z_PIXMAP = 2
_ALL_PLANES = ctypes.c_ulong(0xFFFFFFFF)
_LSB_FIRST = 0
_xlib = None


def _load_xlib():
    global _xlib
    if _xlib is None:
        xlib = ctypes.CDLL("libX11.so.6")
        xlib.XOpenDisplay.restype = ctypes.c_void_p
        xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
        xlib.XDefaultRootWindow.restype = ctypes.c_ulong
        xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        xlib.XGetImage.restype = ctypes.POINTER(_XImage)
        xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                   ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        xlib.XDestroyImage.argtypes = [ctypes.POINTER(_XImage)]
        xlib.XGetInputFocus.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_ulong),
                                        ctypes.POINTER(ctypes.c_int)]
        _xlib = xlib
    return _xlib


class XDisplay:
    """One display: its screen, its windows as X sees them, and real input.
    Screenshots read the root window's pixels with XGetImage, as ImageMagick's
    `import -window root` does, only without starting a program each time:
    the tests take many of them while they wait for frames."""

    def __init__(self, display: str, env: dict):
        self.display = display
        self.env = env  # for xdotool: DISPLAY set

    def _connect(self):
        xlib = _load_xlib()
        connection = xlib.XOpenDisplay(self.display.encode())
        if not connection:
            raise HarnessError(f"cannot open the X display {self.display}")
        return xlib, connection

    def capture(self, rect: Optional[Rect] = None) -> Image:
        """The whole screen now, or the part of it in rect."""
        area = rect or Rect(0, 0, *SCREEN_SIZE)
        if not (0 <= area.left < area.right <= SCREEN_SIZE[0]
                and 0 <= area.top < area.bottom <= SCREEN_SIZE[1]):
            raise HarnessError(f"{area} is not a part of the {SCREEN_SIZE} screen")
        width, height = area.width, area.height
        xlib, connection = self._connect()
        try:
            image = xlib.XGetImage(connection, xlib.XDefaultRootWindow(connection), area.left,
                                   area.top, width, height, _ALL_PLANES, _Z_PIXMAP)
            if not image:
                raise HarnessError("XGetImage gave no picture of the screen")
            try:
                fields = image.contents
                if (fields.bits_per_pixel, fields.byte_order) != (32, _LSB_FIRST):
                    raise HarnessError(f"unexpected screen format: {fields.bits_per_pixel} bits, "
                                       f"byte order {fields.byte_order}")
                base = ctypes.cast(fields.data, ctypes.c_void_p).value
                rows = [ctypes.string_at(base + y * fields.bytes_per_line, 4 * width)
                        for y in range(height)]
            finally:
                xlib.XDestroyImage(image)
        finally:
            xlib.XCloseDisplay(connection)
        # Pixels are blue, green, red, unused: keep red, green and blue.
        raw = b"".join(rows)
        rgb = bytearray(3 * width * height)
        rgb[0::3], rgb[1::3], rgb[2::3] = raw[2::4], raw[1::4], raw[0::4]
        return Image(width, height, bytes(rgb))

    def focused_window(self) -> int:
        """The X window that has the keyboard focus (0 for none)."""
        xlib, connection = self._connect()
        try:
            window, revert = ctypes.c_ulong(0), ctypes.c_int(0)
            xlib.XGetInputFocus(connection, ctypes.byref(window), ctypes.byref(revert))
            return window.value if window.value > 1 else 0  # None and PointerRoot are no window
        finally:
            xlib.XCloseDisplay(connection)

    def windows_named(self, title: str) -> list:
        """The viewable X windows whose name is exactly title."""
        pattern = "^" + "".join("\\" + c if c in ".^$*+?()[]{}|\\" else c for c in title) + "$"
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", pattern],
                               env=self.env, capture_output=True, timeout=30)
        return [int(window) for window in found.stdout.split()]

    def is_viewable(self, window: int) -> bool:
        """True when the X window and all its ancestors are mapped."""
        found = subprocess.run(["xwininfo", "-id", str(window)], env=self.env,
                               capture_output=True, timeout=30)
        return b"Map State: IsViewable" in found.stdout

    def focus(self, window: int) -> None:
        """Gives the X window the keyboard focus, as a click on it would."""
        run(["xdotool", "windowfocus", "--sync", str(window)], env=self.env, timeout=30,
            what="xdotool windowfocus")

    def key(self, *keys: str, delay_ms: int) -> None:
        """Presses and lets go of each key in turn. Keys are xdotool names:
        "alt+slash", "Escape", "Return", "Left", "alt+F4"."""
        run(["xdotool", "key", "--delay", str(delay_ms), *keys], env=self.env, timeout=60,
            what="xdotool key")

    def key_down(self, key: str) -> None:
        run(["xdotool", "keydown", key], env=self.env, timeout=30, what="xdotool keydown")

    def key_up(self, key: str) -> None:
        run(["xdotool", "keyup", key], env=self.env, timeout=30, what="xdotool keyup")

    def click(self, x: int, y: int) -> None:
        """A real left click at screen position (x, y)."""
        run(["xdotool", "mousemove", "--sync", str(x), str(y), "click", "1"], env=self.env,
            timeout=30, what="xdotool click")

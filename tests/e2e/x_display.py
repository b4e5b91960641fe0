"""An X display of the tests' own (Xvfb) and what they do on it: screenshots,
windows as X sees them, and real input through XTEST (xdotool). Nothing here
knows which program runs on the display."""

from __future__ import annotations

import ctypes
import os
import subprocess
import time
from pathlib import Path
from dataclasses import dataclass
from typing import Optional

from processes import HarnessError, ProcessBook, require_tool, run, stop_process
from screen_image import Image, Rect

SCREEN_SIZE = (1024, 768)
XVFB_START_TIMEOUT = 20.0


class XServer:
    """An Xvfb of our own; the display number is whichever one is free. Its screen is
    SCREEN_SIZE unless size is set before start."""

    def __init__(self, book: ProcessBook, log: Path):
        self.book = book
        self.log = log
        self.size = SCREEN_SIZE
        self.process: Optional[subprocess.Popen] = None
        self.display = ""

    def start(self) -> str:
        require_tool("Xvfb", "xvfb")
        read_end, write_end = os.pipe()
        self.log.parent.mkdir(parents=True, exist_ok=True)
        with self.log.open("wb") as log:
            self.process = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                 f"{self.size[0]}x{self.size[1]}x24", "-nolisten", "tcp", "-noreset"],
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


class _XWindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                ("height", ctypes.c_int), ("border_width", ctypes.c_int), ("depth", ctypes.c_int),
                ("visual", ctypes.c_void_p), ("root", ctypes.c_ulong), ("class_", ctypes.c_int),
                ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int),
                ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int),
                ("colormap", ctypes.c_ulong), ("map_installed", ctypes.c_int),
                ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
                ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p)]


@dataclass
class TopLevelWindow:
    """A viewable child of the root window, as X sees it."""
    x_window: int
    title: str  # _NET_WM_NAME (UTF-8), else WM_NAME
    class_name: str  # the class half of WM_CLASS ("" when unset)
    rect: Rect  # screen coordinates, inside the border
    pid: int  # _NET_WM_PID (0 when unset)

    @property
    def client(self) -> Rect:
        """Without a window manager no frame surrounds it: all of it is client area."""
        return self.rect

    @property
    def identity(self) -> int:
        return self.x_window


_Z_PIXMAP = 2
_IS_VIEWABLE = 2
_ANY_PROPERTY_TYPE = 0
_ALL_PLANES = ctypes.c_ulong(0xFFFFFFFF)
_LSB_FIRST = 0
_xlib = None
_IGNORE_X_ERRORS = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(
    lambda display, event: 0)


def _property(xlib, connection, window: int, name: str) -> bytes:
    """The raw value of a window's property (8-bit formats as bytes, 32-bit ones as
    C longs); b"" when unset or gone."""
    atom = xlib.XInternAtom(connection, name.encode(), 1)
    if not atom:
        return b""
    kind, bits, count, left = ctypes.c_ulong(), ctypes.c_int(), ctypes.c_ulong(), ctypes.c_ulong()
    value = ctypes.c_void_p()
    if xlib.XGetWindowProperty(connection, window, atom, 0, 4096, 0, _ANY_PROPERTY_TYPE,
                               ctypes.byref(kind), ctypes.byref(bits), ctypes.byref(count),
                               ctypes.byref(left), ctypes.byref(value)) != 0 or not value:
        return b""
    try:
        size = {8: 1, 16: ctypes.sizeof(ctypes.c_short), 32: ctypes.sizeof(ctypes.c_long)}
        return ctypes.string_at(value, count.value * size.get(bits.value, 0))
    finally:
        xlib.XFree(value)


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
        xlib.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                    ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_ulong),
                                    ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)),
                                    ctypes.POINTER(ctypes.c_uint)]
        xlib.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                              ctypes.POINTER(_XWindowAttributes)]
        xlib.XInternAtom.restype = ctypes.c_ulong
        xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        xlib.XGetWindowProperty.argtypes = [
            ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_long, ctypes.c_long,
            ctypes.c_int, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
            ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_ulong),
            ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_void_p)]
        xlib.XFree.argtypes = [ctypes.c_void_p]
        xlib.XSetErrorHandler.restype = ctypes.c_void_p
        xlib.XSetErrorHandler.argtypes = [ctypes.c_void_p]
        # A window that goes between listing and asking raises BadWindow, which
        # Xlib's default handler answers by ending the process: ignore it.
        xlib.XSetErrorHandler(_IGNORE_X_ERRORS)
        _xlib = xlib
    return _xlib


class XDisplay:
    """One display: its screen, its windows as X sees them, and real input.
    Screenshots read the root window's pixels with XGetImage, as ImageMagick's
    `import -window root` does, only without starting a program each time:
    the tests take many of them while they wait for frames."""

    def __init__(self, display: str, env: dict, size: tuple = SCREEN_SIZE):
        self.display = display
        self.env = env  # for xdotool: DISPLAY set
        self.size = size  # of the screen, in pixels

    def _connect(self):
        xlib = _load_xlib()
        connection = xlib.XOpenDisplay(self.display.encode())
        if not connection:
            raise HarnessError(f"cannot open the X display {self.display}")
        return xlib, connection

    def capture(self, rect: Optional[Rect] = None) -> Image:
        """The whole screen now, or the part of it in rect."""
        area = rect or Rect(0, 0, *self.size)
        if not (0 <= area.left < area.right <= self.size[0]
                and 0 <= area.top < area.bottom <= self.size[1]):
            raise HarnessError(f"{area} is not a part of the {self.size} screen")
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

    def top_level_windows(self) -> list:
        """The viewable children of the root window (the top-level windows when no
        window manager runs), top-most last."""
        xlib, connection = self._connect()
        try:
            root, parent = ctypes.c_ulong(), ctypes.c_ulong()
            children, count = ctypes.POINTER(ctypes.c_ulong)(), ctypes.c_uint()
            if not xlib.XQueryTree(connection, xlib.XDefaultRootWindow(connection),
                                   ctypes.byref(root), ctypes.byref(parent),
                                   ctypes.byref(children), ctypes.byref(count)):
                return []
            ids = [children[i] for i in range(count.value)]
            if children:
                xlib.XFree(children)
            found = []
            for window in ids:
                attributes = _XWindowAttributes()
                if not xlib.XGetWindowAttributes(connection, window, ctypes.byref(attributes)) \
                        or attributes.map_state != _IS_VIEWABLE:
                    continue
                title = _property(xlib, connection, window, "_NET_WM_NAME").decode(
                    "utf-8", "replace") or _property(xlib, connection, window,
                                                     "WM_NAME").decode("latin-1")
                class_parts = _property(xlib, connection, window, "WM_CLASS").split(b"\0")
                pid_bytes = _property(xlib, connection, window, "_NET_WM_PID")
                left = attributes.x + attributes.border_width
                top = attributes.y + attributes.border_width
                found.append(TopLevelWindow(
                    x_window=window, title=title,
                    class_name=class_parts[1].decode(errors="replace")
                    if len(class_parts) > 1 else "",
                    rect=Rect(left, top, left + attributes.width, top + attributes.height),
                    pid=int.from_bytes(pid_bytes[:ctypes.sizeof(ctypes.c_long)], "little")
                    if pid_bytes else 0))
            return found
        finally:
            xlib.XCloseDisplay(connection)

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

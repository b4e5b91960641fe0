"""The Win32 windows of a Wine session, as window_probe.exe reports them."""

from __future__ import annotations

import json
from dataclasses import dataclass, field
from pathlib import Path
from typing import Optional

from processes import HarnessError, run
from screen_image import Rect

WS_MAXIMIZEBOX = 0x00010000
WS_MINIMIZEBOX = 0x00020000
WS_THICKFRAME = 0x00040000
WS_SYSMENU = 0x00080000
WS_CAPTION = 0x00C00000
WS_DISABLED = 0x08000000
WS_GROUP = 0x00020000
WS_TABSTOP = 0x00010000
SS_ICON = 0x03
SS_TYPEMASK = 0x1F
BS_DEFPUSHBUTTON = 0x01
BS_TYPEMASK = 0x0F

PROBE_TIMEOUT = 60.0  # one run of the probe: a Wine process start on a loaded machine
# Now and then a Wine process fails while starting or ending on a loaded machine
# (seen as exit code 1 or 127 and a glibc assertion at exit); such a run of the
# probe tells nothing, and the probe is run again.
PROBE_ATTEMPTS = 3


@dataclass
class Control:
    id: int
    class_name: str
    text: str
    style: int
    visible: bool
    rect: Rect
    has_icon: Optional[bool] = None  # icon statics only: an icon is set


@dataclass
class Window:
    """A visible top-level Win32 window, as window_probe.exe saw it."""
    hwnd: int
    pid: int  # Windows process id
    title: str
    class_name: str
    style: int
    foreground: bool  # Wine's foreground window: the one the keyboard input goes to
    owner: int
    rect: Rect  # whole window, screen coordinates
    client: Rect  # client area, screen coordinates
    has_menu: bool
    x_window: int  # the X window Wine shows it in (0 while it has none)
    controls: list = field(default_factory=list)

    @staticmethod
    def from_json(entry: dict) -> "Window":
        return Window(
            hwnd=entry["hwnd"], pid=entry["pid"], title=entry["title"],
            class_name=entry["class"], style=entry["style"], foreground=entry["foreground"],
            owner=entry["owner"], rect=Rect(*entry["window"]), client=Rect(*entry["client"]),
            has_menu=entry["has_menu"], x_window=entry["x_window"],
            controls=[Control(id=c["id"], class_name=c["class"], text=c["text"],
                              style=c["style"], visible=c["visible"], rect=Rect(*c["rect"]),
                              has_icon=c.get("has_icon"))
                      for c in entry["controls"]])

    @property
    def identity(self) -> int:
        return self.hwnd

    def control(self, control_id: int) -> Control:
        for control in self.controls:
            if control.id == control_id:
                return control
        raise AssertionError(f"window {self.title!r} has no control {control_id}: "
                             f"{[(c.id, c.class_name, c.text) for c in self.controls]}")

    def static_texts(self) -> list:
        """The texts of its static controls: a message box's message is one of them."""
        return [c.text for c in self.controls if c.class_name.lower() == "static"]


class WindowProbe:
    """window_probe.exe, run in the Wine session of an environment."""

    def __init__(self, probe: Path, env: dict):
        self.probe = probe
        self.env = env

    def _run(self, *arguments: str):
        """The probe's JSON output from a run that ended well."""
        for attempt in range(PROBE_ATTEMPTS):
            try:
                result = run(["wine", str(self.probe), *arguments], env=self.env,
                             timeout=PROBE_TIMEOUT, what=f"window_probe.exe {' '.join(arguments)}")
                return json.loads(result.stdout.decode("utf-8"))
            except HarnessError:
                if attempt + 1 == PROBE_ATTEMPTS:
                    raise

    def windows(self) -> list:
        """Every visible top-level window of the session."""
        return [Window.from_json(entry) for entry in self._run()]

    def answers(self, window: Window) -> bool:
        """True once the window's thread has handled a message sent to it now."""
        return self._run("answer", str(window.hwnd))["answered"]

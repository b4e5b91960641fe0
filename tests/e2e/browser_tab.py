"""A browser tab as the screen of a session: screenshots, real key presses and
clicks, the page's own values, its console, and hiding it behind another tab.
It offers what XDisplay offers on X (capture, key, key_down, key_up, click),
so ScreenSession works on it unchanged, with the same key names (xdotool's).

Focus: a headless tab is never focused by itself (document.hasFocus() is
false and no focus event comes), so the tab emulates focus
(Emulation.setFocusEmulationEnabled) from before the page loads: the page
starts focused and visible, as in a player's tab. Focus emulation also keeps
the page visible whatever else happens; hide() turns it off and opens a
second tab in the same window, which hides this one (visibilitychange,
animation frames stop); show() brings this one to the front and emulates
focus again.

Devices: a tab starts as a desktop view of VIEWPORT_SIZE at one device pixel
per CSS pixel; emulate() makes it a phone (its view in CSS pixels, device
pixels per CSS pixel, touch) and turns it. Coordinates are CSS pixels of the
page throughout; a screenshot has one pixel per CSS pixel unless asked for
another size.

Frames: enter_frame() points the tab at an iframe of the page: from then on
its values are the frame's, and coordinates are the frame's, moved by where
the frame lies in the page.
"""

from __future__ import annotations

import base64
import json
import sys
import time
from dataclasses import dataclass
from pathlib import Path
from typing import Optional

from devtools import VIEWPORT_SIZE, DevTools, DevToolsError
from screen_image import Image, Rect

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tools"))
from frame_agreement import decode_png  # noqa: E402  (tools/ is not a package)

# xdotool's key names: DOM key, DOM code, Windows virtual-key code, the text it types.
KEYS = {
    "Left": ("ArrowLeft", "ArrowLeft", 37, ""),
    "Up": ("ArrowUp", "ArrowUp", 38, ""),
    "Right": ("ArrowRight", "ArrowRight", 39, ""),
    "Down": ("ArrowDown", "ArrowDown", 40, ""),
    "Return": ("Enter", "Enter", 13, "\r"),
    "Escape": ("Escape", "Escape", 27, ""),
    "Tab": ("Tab", "Tab", 9, ""),
    "space": (" ", "Space", 32, " "),
    "slash": ("/", "Slash", 191, "/"),
    "question": ("?", "Slash", 191, "?"),
    "F4": ("F4", "F4", 115, ""),
    **{letter: (letter, f"Key{letter.upper()}", ord(letter.upper()), letter)
       for letter in "abcdefghijklmnopqrstuvwxyz"},
}
# Keys typed with Shift on a US keyboard, as xdotool types them.
SHIFTED = {"question"}
# Modifier name: DOM key, DOM code, virtual-key code, its bit in the protocol's modifiers.
MODIFIERS = {
    "alt": ("Alt", "AltLeft", 18, 1),
    "ctrl": ("Control", "ControlLeft", 17, 2),
    "shift": ("Shift", "ShiftLeft", 16, 8),
}
LEFT_LOCATION = 1  # KeyboardEvent.location of the left-hand modifier keys
# Moves a touch makes between its start and its end.
TOUCH_MOVES = 6


@dataclass(frozen=True)
class Device:
    """What a tab emulates: its view in CSS pixels, device pixels per CSS pixel,
    and whether it is a phone (mobile layout, a touch screen)."""
    width: int
    height: int
    scale: float = 1
    phone: bool = False

    def turned(self) -> "Device":
        return Device(self.height, self.width, self.scale, self.phone)


DESKTOP = Device(*VIEWPORT_SIZE)
PHONE_PORTRAIT = Device(390, 844, 3, phone=True)
PHONE_LANDSCAPE = PHONE_PORTRAIT.turned()
SMALL_PHONE = Device(320, 480, 2, phone=True)


class BrowserTab:
    """One tab of the browser, attached over devtools (see devtools.py)."""

    def __init__(self, devtools: DevTools, target_id: str, console_log: Path):
        self.devtools = devtools
        self.target_id = target_id
        self.session = devtools.call("Target.attachToTarget", targetId=target_id,
                                     flatten=True)["sessionId"]
        self.console_log = console_log
        self.console: list = []  # every console message and uncaught error, in order
        self.other_tab = ""  # the tab that hides this one, while it does
        devtools.listen("Runtime.consoleAPICalled", self._on_console)
        devtools.listen("Runtime.exceptionThrown", self._on_exception)
        for domain in ("Page", "Runtime"):
            self.call(f"{domain}.enable")
        self.device = DESKTOP
        self.emulate(DESKTOP)
        self.emulate_focus(True)
        # The script that gives the window values are taken from, and where its
        # frame lies in the page (enter_frame).
        self.frame = ""
        self.frame_offset = (0, 0)

    @staticmethod
    def first_of(devtools: DevTools, console_log: Path) -> "BrowserTab":
        """The tab the browser opened at start."""
        pages = [target for target in devtools.call("Target.getTargets")["targetInfos"]
                 if target["type"] == "page"]
        if not pages:
            raise DevToolsError("the browser has no tab")
        return BrowserTab(devtools, pages[0]["targetId"], console_log)

    def call(self, method: str, **params) -> dict:
        return self.devtools.call(method, session=self.session, **params)

    def emulate(self, device: Device) -> None:
        """Makes the tab that device, or turns it; the page sees a resize, not a reload."""
        portrait = device.height >= device.width
        self.call("Emulation.setDeviceMetricsOverride", width=device.width,
                  height=device.height, deviceScaleFactor=device.scale, mobile=device.phone,
                  screenWidth=device.width, screenHeight=device.height,
                  screenOrientation={"type": "portraitPrimary" if portrait
                                     else "landscapePrimary", "angle": 0 if portrait else 90})
        self.call("Emulation.setTouchEmulationEnabled", enabled=device.phone,
                  **({"maxTouchPoints": 5} if device.phone else {}))
        self.device = device

    def enter_frame(self, selector: str) -> None:
        """Points the tab at the (same-origin) iframe selector finds."""
        self.frame = ""
        box = self.evaluate(f"""(() => {{
            const frame = document.querySelector({json.dumps(selector)});
            const r = frame.getBoundingClientRect();
            return [r.left + frame.clientLeft, r.top + frame.clientTop]; }})()""")
        self.frame_offset = (round(box[0]), round(box[1]))
        self.frame = f"document.querySelector({json.dumps(selector)}).contentWindow"

    def in_page(self, rect: Rect) -> Rect:
        """A rect of the frame in the page's coordinates."""
        x, y = self.frame_offset
        return Rect(rect.left + x, rect.top + y, rect.right + x, rect.bottom + y)

    # -- the page

    def before_each_page(self, script: str) -> None:
        """Runs script in every page this tab loads from now on, before the page's own."""
        self.call("Page.addScriptToEvaluateOnNewDocument", source=script)

    def navigate(self, url: str) -> None:
        error = self.call("Page.navigate", url=url).get("errorText")
        if error:
            raise DevToolsError(f"cannot open {url}: {error}")

    def evaluate(self, expression: str, await_promise: bool = False):
        """The value of a JavaScript expression in the page (JSON-like values); with
        await_promise, what the promise it gives resolves to."""
        if self.frame:
            expression = f"{self.frame}.eval({json.dumps(expression)})"
        answer = self.call("Runtime.evaluate", expression=expression, returnByValue=True,
                           awaitPromise=await_promise)
        if "exceptionDetails" in answer:
            details = answer["exceptionDetails"]
            raise DevToolsError(f"{expression!r} failed in the page: "
                                f"{details.get('exception', {}).get('description', details)}")
        return answer["result"].get("value")

    # -- the console

    def _on_console(self, session: str, params: dict) -> None:
        if session == self.session:
            texts = [str(arg.get("value", arg.get("description", ""))) for arg in params["args"]]
            self._note(f"console.{params['type']}: {' '.join(texts)}")

    def _on_exception(self, session: str, params: dict) -> None:
        if session == self.session:
            details = params["exceptionDetails"]
            self._note(f"uncaught: {details.get('exception', {}).get('description') or details}")

    def _note(self, line: str) -> None:
        self.console.append(line)
        with self.console_log.open("a", encoding="utf-8") as log:
            log.write(line + "\n")

    def console_lines(self) -> list:
        """The console so far, with whatever has just arrived."""
        self.devtools.pump()
        return list(self.console)

    # -- focus and visibility

    def emulate_focus(self, enabled: bool) -> None:
        self.call("Emulation.setFocusEmulationEnabled", enabled=enabled)

    def hide(self) -> None:
        """Puts another tab in front of this one, as a player switching tabs does."""
        self.emulate_focus(False)
        self.other_tab = self.devtools.call("Target.createTarget", url="about:blank",
                                            newWindow=False)["targetId"]

    def show(self) -> None:
        """Brings this tab back to the front and closes the one that hid it."""
        self.devtools.call("Target.activateTarget", targetId=self.target_id)
        if self.other_tab:
            self.devtools.call("Target.closeTarget", targetId=self.other_tab)
            self.other_tab = ""
        self.emulate_focus(True)

    # -- what ScreenSession asks of a screen

    def capture(self, rect: Optional[Rect] = None, size: Optional[tuple] = None) -> Image:
        """The view now, or rect of it, one pixel per CSS pixel or (size) brought to
        width x height pixels. rect is in the frame's coordinates."""
        area = self.in_page(rect) if rect else Rect(0, 0, self.device.width,
                                                    self.device.height)
        width, height = size or (area.width, area.height)
        # The browser draws the clip at scale device pixels per CSS pixel.
        scale = width / area.width / self.device.scale
        # Asked for speed, the browser writes each row against the one above, which
        # decodes without a loop per byte.
        shot = self.call("Page.captureScreenshot", format="png", optimizeForSpeed=True,
                         clip={"x": area.left, "y": area.top, "width": area.width,
                               "height": area.height, "scale": scale})
        picture = decode_png(base64.b64decode(shot["data"]))
        if (picture.width, picture.height) != (width, height):
            raise DevToolsError(f"a screenshot of {area} came {picture.width} x "
                                f"{picture.height}, not {width} x {height}")
        return Image(picture.width, picture.height, picture.data)

    def key(self, *keys: str, delay_ms: int) -> None:
        """Presses and lets go of each key in turn: "alt+slash", "Escape", "Right"."""
        for index, chord in enumerate(keys):
            if index:
                self.devtools.pump()
                time.sleep(delay_ms / 1000.0)
            self.key_down(chord)
            self.key_up(chord)

    def key_down(self, chord: str) -> None:
        modifiers = 0
        for name in _modifiers_of(chord):
            key, code, virtual_key, bit = MODIFIERS[name]
            modifiers |= bit
            self._key_event("rawKeyDown", key, code, virtual_key, modifiers, LEFT_LOCATION)
        key, code, virtual_key, text = _key_of(chord)
        typed = text if not modifiers & (MODIFIERS["alt"][3] | MODIFIERS["ctrl"][3]) else ""
        self._key_event("keyDown" if typed else "rawKeyDown", key, code, virtual_key,
                        modifiers, 0, typed)

    def key_up(self, chord: str) -> None:
        names = _modifiers_of(chord)
        modifiers = sum(MODIFIERS[name][3] for name in names)
        key, code, virtual_key, _ = _key_of(chord)
        self._key_event("keyUp", key, code, virtual_key, modifiers, 0)
        for name in reversed(names):
            key, code, virtual_key, bit = MODIFIERS[name]
            modifiers &= ~bit
            self._key_event("keyUp", key, code, virtual_key, modifiers, LEFT_LOCATION)

    def _key_event(self, kind: str, key: str, code: str, virtual_key: int, modifiers: int,
                   location: int, text: str = "") -> None:
        event = {"type": kind, "key": key, "code": code, "windowsVirtualKeyCode": virtual_key,
                 "nativeVirtualKeyCode": virtual_key, "modifiers": modifiers,
                 "location": location}
        if text:
            event.update(text=text, unmodifiedText=text)
        self.call("Input.dispatchKeyEvent", **event)

    def click(self, x: int, y: int) -> None:
        """A real left click at (x, y) in the page."""
        x, y = x + self.frame_offset[0], y + self.frame_offset[1]
        self.call("Input.dispatchMouseEvent", type="mouseMoved", x=x, y=y)
        for kind in ("mousePressed", "mouseReleased"):
            self.call("Input.dispatchMouseEvent", type=kind, x=x, y=y, button="left",
                      clickCount=1)

    def touch_down(self, x: float, y: float) -> None:
        """One finger on the touch screen at (x, y)."""
        self._touch("touchStart", [(x, y)])

    def touch_move(self, x: float, y: float) -> None:
        self._touch("touchMove", [(x, y)])

    def touch_up(self) -> None:
        self._touch("touchEnd", [])

    def swipe(self, start: tuple, end: tuple) -> None:
        """A finger put down at start, drawn to end and lifted."""
        self.touch_down(*start)
        for step in range(1, TOUCH_MOVES + 1):
            self.touch_move(*(a + (b - a) * step / TOUCH_MOVES for a, b in zip(start, end)))
        self.touch_up()

    def tap_at(self, x: float, y: float) -> None:
        self.touch_down(x, y)
        self.touch_up()

    def _touch(self, kind: str, points: list) -> None:
        x, y = self.frame_offset
        self.call("Input.dispatchTouchEvent", type=kind,
                  touchPoints=[{"x": px + x, "y": py + y} for px, py in points])


def _modifiers_of(chord: str) -> list:
    """The modifiers held for a chord, Shift added for a key typed with it."""
    *names, key = chord.split("+")
    names = [name.lower() for name in names]
    if key in SHIFTED and "shift" not in names:
        names.append("shift")
    unknown = [name for name in names if name not in MODIFIERS]
    if unknown:
        raise ValueError(f"unknown modifier in {chord!r}: {unknown}")
    return names


def _key_of(chord: str) -> tuple:
    key = chord.split("+")[-1]
    if key not in KEYS:
        raise ValueError(f"no key named {key!r} for the page")
    return KEYS[key]

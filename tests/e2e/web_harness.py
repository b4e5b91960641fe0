"""Drives the web game, build/web/bin/korvane.html, in headless Chromium for the
end-to-end tests, with everything but starting the game and finding its
windows shared with the Wine and native harnesses (game_session.py,
screen_session.py).

* Browser: Debian's Chromium, headless, WebGL 2 on SwiftShader, a fresh
  profile per session, driven over the DevTools protocol (devtools.py). The
  session's screen is the page's tab (browser_tab.py): screenshots of the
  viewport, real key events, clicks.
* Windows: the page's canvas once the game has started (title: the page's
  title, client area: the canvas in page coordinates) and each open
  <dialog class="window"> (title: its .caption, client: its box, rect: its
  box and its shadow, text: its .text).
* Frames: the page counts them (window.korvane.frames), so presses are timed
  by the frames the game presents, not by its picture changing.
* Devices: a session is a desktop tab unless given a device to emulate
  (browser_tab.Device: a phone's view, pixel ratio and touch screen); then
  the canvas is shown at another size, and its pictures are brought to the
  game's 640 x 480 so the checks of game_pictures.py read them as they are.
  Touches: swipes on the game and the on-screen pad, as a finger does.
* Frames: a session can play the page inside an iframe of a host page
  (frame=selector); windows and coordinates are then the frame's.
* Processes: the program is the browser; its processes run in a group of
  their own, recorded in the ProcessBook, and end with the session.
* The page's files live inside it. Stage1.vtm, which the pictures' checks
  read, is copied out of the page's file system into the session's game_dir
  once the game runs; missing_files removes files from that file system before
  the game starts (Module.preRun, which the page honours).

Configuration comes from the environment CTest sets: KORVANE_WEB_PAGE (the
page), KORVANE_E2E_WORK_DIR, KORVANE_VERSION.
"""

from __future__ import annotations

import contextlib
import functools
import http.server
import json
import math
import shutil
import subprocess
import threading
import unittest
from dataclasses import dataclass
from pathlib import Path
from typing import Optional

from browser_tab import DESKTOP, BrowserTab, Device
from devtools import Chromium, DevTools, DevToolsError
from game_pictures import CLIENT_SIZE, KNIGHT
from game_session import GAME_COPIES, GameSessionBase
from processes import HarnessError, command_of, required_setting
from screen_image import Image, Rect
from screen_session import DEFAULT_TIMEOUT, FRAME_POLL_INTERVAL

CANVAS_CLASS = "canvas"  # the class_name of the game's "window", its canvas
DIALOG_CLASS = "dialog"  # and of the page's dialogs
FRAMES_AFTER_FOCUS = 2
# The page's data files the checks of its pictures read (stage_heights).
PAGE_FILES = ("Stage1.vtm",)

# Pixels by which the knight's animation reaches beyond KNIGHT in a picture of
# the canvas brought to 640 x 480 from another size.
SCALED_BLUR = 3
# Which way a finger moves (x, y) for each arrow key.
SWIPE_DIRECTIONS = {"Left": (-1, 0), "Right": (1, 0), "Up": (0, -1), "Down": (0, 1)}

# The page's windows as the harness sees them: the canvas, then each open dialog.
WINDOWS_SCRIPT = """(() => {
  // How far an element's outer shadows reach beyond its box: left, top, right,
  // bottom. Chromium draws a blur out to three standard deviations, 1.5 times
  // the blur radius.
  const shadowReach = element => {
    const reach = [0, 0, 0, 0], shadows = getComputedStyle(element).boxShadow;
    if (shadows === "none") return reach;
    for (const shadow of shadows.split(/,(?![^(]*\))/)) {
      if (shadow.includes("inset")) continue;
      const [x, y, blur = 0, spread = 0] = (shadow.replace(/rgba?\([^)]*\)/, "")
          .match(/-?[\d.]+px/g) || []).map(parseFloat);
      const around = 1.5 * blur + spread;
      [around - x, around - y, around + x, around + y].forEach(
          (value, side) => { reach[side] = Math.max(reach[side], value); });
    }
    return reach;
  };
  const box = (element, reach = [0, 0, 0, 0]) => {
    const r = element.getBoundingClientRect();
    return [Math.floor(r.left - reach[0]), Math.floor(r.top - reach[1]),
            Math.ceil(r.right + reach[2]), Math.ceil(r.bottom + reach[3])];
  };
  const found = [];
  // The canvas is the game's window once the game has made it: the page lays
  // itself out anew as the game gives it its texts.
  const canvas = document.getElementById("canvas");
  const made = window.korvane && korvane.state !== "loading";
  if (canvas && made && canvas.getClientRects().length) {
    const r = canvas.getBoundingClientRect();
    const left = Math.round(r.left + canvas.clientLeft), top = Math.round(r.top + canvas.clientTop);
    found.push({identity: "canvas", title: document.title, className: "canvas", rect: box(canvas),
                client: [left, top, left + canvas.clientWidth, top + canvas.clientHeight],
                text: "", focused: document.hasFocus()});
  }
  document.querySelectorAll("dialog.window[open]").forEach((dialog, index) => {
    const part = name => dialog.querySelector(name);
    found.push({identity: dialog.id || "dialog-" + index, className: "dialog",
                title: part(".caption") ? part(".caption").textContent : "",
                text: part(".text") ? part(".text").textContent : "",
                rect: box(dialog, shadowReach(dialog)), client: box(dialog),
                focused: document.hasFocus() && dialog.contains(document.activeElement)});
  });
  return found;
})()"""
# Counts the page's animation frames (installed once); gives the count so far.
ANIMATION_FRAME_COUNTER = """(() => {
  if (window.__animationFrames === undefined) {
    window.__animationFrames = 0;
    const count = () => { window.__animationFrames++; requestAnimationFrame(count); };
    requestAnimationFrame(count);
  }
  return window.__animationFrames;
})()"""
# The layout of the page: the view, how far it scrolls, the canvas (its box and
# its drawing buffer), the pixel ratio, the pad's box (None while not shown) and the
# height of the shortest touch target shown (menu bar buttons, the pad, the open
# dialogs' buttons).
LAYOUT_SCRIPT = """(() => {
  const box = element => {
    if (!element || !element.getClientRects().length) return null;
    const r = element.getBoundingClientRect();
    return [r.left, r.top, r.right, r.bottom];
  };
  const canvas = document.getElementById("canvas"), root = document.documentElement;
  const targets = [...document.querySelectorAll(
      "#menu-bar > .menu > button, #fullscreen, #pad button, dialog[open] button")]
      .filter(element => element.getClientRects().length)
      .map(element => element.getBoundingClientRect().height);
  return {view: [innerWidth, innerHeight], scroll: [root.scrollWidth, root.scrollHeight,
          scrollX, scrollY], window: box(document.getElementById("window")),
          canvas: box(canvas), buffer: [canvas.width, canvas.height],
          ratio: devicePixelRatio, pad: getComputedStyle(document.getElementById("pad"))
              .visibility === "visible" ? box(document.getElementById("pad")) : null,
          shortest_target: Math.min(...targets)};
})()"""
# The game has the keyboard: the page focused and visible, no dialog over it.
GAME_HAS_THE_KEYBOARD = ("document.hasFocus() && document.visibilityState === 'visible' && "
                         "!document.querySelector('dialog[open]')")


@dataclass
class WebConfig:
    page: Path  # korvane.html as the web build writes it
    work_dir: Path  # build folder of the end-to-end tests
    version: str  # the project's version, as the build gives it to the game

    @staticmethod
    def from_environment() -> "WebConfig":
        def required(name: str) -> str:
            return required_setting(name, "web")

        return WebConfig(page=Path(required("KORVANE_WEB_PAGE")),
                         work_dir=Path(required("KORVANE_E2E_WORK_DIR")),
                         version=required("KORVANE_VERSION"))

    @property
    def game_dir(self) -> Path:
        """The page's folder: the page is the whole game."""
        return self.page.parent

    @property
    def pid_file(self) -> Path:
        return self.work_dir / "web" / "started-processes"

    @property
    def profiles(self) -> Path:
        return self.work_dir / "web" / "profiles"

    @property
    def game_copies(self) -> Path:
        return self.work_dir / "web" / GAME_COPIES

    def require_page(self) -> Path:
        if not self.page.is_file():
            raise HarnessError(
                f"{self.page} does not exist. Build the page first "
                "(cmake --preset web && cmake --build --preset web), or point the CMake "
                "cache variable KORVANE_WEB_PAGE at it.")
        return self.page


@dataclass
class PageWindow:
    """The canvas or an open dialog of the page."""
    identity: str  # the element's id
    title: str  # the page's title for the canvas, a dialog's caption
    class_name: str  # CANVAS_CLASS or DIALOG_CLASS
    rect: Rect  # what the element draws over (a dialog's shadow too), page coordinates
    client: Rect  # the canvas's drawing area; a dialog's box
    text: str  # a dialog's message, lines separated by newlines
    focused: bool  # keys typed now reach it


class WebGameSession(GameSessionBase):
    """One run of the page in a browser of its own; used as the other sessions are:

        with WebGameSession(self) as game:
            game.press("alt+slash")
            about = game.wait_for_dialog("バージョン情報")

    Options: url, what to open instead of the configured page (a copy elsewhere,
    or an http:// address); browser_flags, more flags for Chromium;
    missing_files, paths in the page's file system to remove before the game
    starts ("/MQA/BlueKnight.mqa"); wait_for_main_window=False for runs that
    must not get as far; part, a name for each session of a test that runs
    several; config and name for runs outside a test; device, what the tab
    emulates (browser_tab.PHONE_PORTRAIT, ...); frame, the selector of the iframe
    of the page at url that holds the game.
    """

    main_class = CANVAS_CLASS
    dialog_class = DIALOG_CLASS
    config_type = WebConfig

    def __init__(self, test: Optional[unittest.TestCase], url: str = "",
                 browser_flags: tuple = (), missing_files: tuple = (),
                 wait_for_main_window: bool = True, part: str = "",
                 config: Optional[WebConfig] = None, name: str = "",
                 device: Device = DESKTOP, frame: str = ""):
        self.config = config or WebConfig.from_environment()
        self.device = device
        self.frame = frame
        super().__init__(test, self.config.work_dir, self.config.pid_file, Path(),
                         wait_for_main_window, part, name)
        self.game_dir = self.log_dir / "page-files"
        self.url = url or self.config.page.as_uri()
        self.missing_files = tuple(missing_files)
        self.browser = Chromium(self.config.profiles / self.log_dir.relative_to(
            self.config.work_dir / "logs"), self.log_dir / "chromium.log", browser_flags)
        self.devtools: Optional[DevTools] = None
        self.tab: Optional[BrowserTab] = None

    # -- start and stop

    def __enter__(self) -> "WebGameSession":
        if not self.url.startswith("http"):
            self.config.require_page()
        return super().__enter__()

    def open_display(self) -> str:
        # The browser draws off screen; its tab becomes the screen once it runs.
        return ""

    def close_display(self) -> None:
        pass

    def start_program(self, display: str) -> subprocess.Popen:
        self.browser.start()
        return self.browser.process

    def after_start(self) -> None:
        self.devtools = DevTools(self.browser.endpoint())
        self.tab = BrowserTab.first_of(self.devtools, self.log_dir / "console.log")
        self.screen = self.tab
        if self.missing_files:
            removals = "; ".join(f"FS.unlink({json.dumps(path)})" for path in self.missing_files)
            self.tab.before_each_page(f"window.Module = {{preRun: [() => {{ {removals}; }}]}};")
        self.tab.emulate(self.device)
        self.tab.navigate(self.url)
        if self.frame:
            self.wait_for(lambda: self.tab.evaluate(
                f"!!document.querySelector({json.dumps(self.frame)})"), DEFAULT_TIMEOUT,
                f"the host page's {self.frame}")
            self.tab.enter_frame(self.frame)
        super().after_start()
        if self.wait_for_main_window:
            self.copy_page_files()

    def stop_program(self) -> None:
        if self.devtools is not None:
            self.devtools.close()
        self.browser.stop()
        shutil.rmtree(self.browser.profile, ignore_errors=True)

    def copy_page_files(self) -> None:
        """Copies PAGE_FILES out of the page's file system into game_dir (the game has
        made its window: its files are in place)."""
        self.game_dir.mkdir(parents=True, exist_ok=True)
        for name in PAGE_FILES:
            text = self.tab.evaluate(f"FS.readFile({json.dumps('/' + name)}, "
                                     "{encoding: 'utf8'})")
            (self.game_dir / name).write_text(text, encoding="utf-8")

    # -- the game's window, wherever the layout puts it

    @property
    def main_window(self) -> Optional[PageWindow]:
        """The canvas as it is laid out now (the page lays it out anew as the view
        turns, the pad comes and goes)."""
        if self._main_window is None:
            return None
        return self.current(self._main_window) or self._main_window

    @main_window.setter
    def main_window(self, window: Optional[PageWindow]) -> None:
        self._main_window = window

    def capture(self, rect: Optional[Rect] = None) -> Image:
        """As ScreenSession.capture; a picture of the canvas comes at the game's own
        640 x 480, whatever size the canvas is shown at."""
        canvas = self._main_window and self.main_window.client
        if rect is not None and rect == canvas and (rect.width, rect.height) != CLIENT_SIZE:
            return self.tab.capture(rect, size=CLIENT_SIZE)
        return self.tab.capture(rect)

    @property
    def scaled(self) -> bool:
        """Whether pictures of the canvas are brought to 640 x 480 from another size."""
        canvas = self.main_window.client
        return (canvas.width, canvas.height) != CLIENT_SIZE or self.device.scale != 1

    @property
    def knight_box(self) -> Rect:
        """Where the knight's animation shows in a picture of the canvas: a picture
        brought to 640 x 480 from another size blends each pixel with its
        neighbours, so the knight reaches a little beyond KNIGHT."""
        return KNIGHT.inset(-SCALED_BLUR) if self.scaled else KNIGHT

    def in_picture(self, rect: Rect) -> Rect:
        """A rect of the page as a part of the canvas's 640 x 480 pictures, rounded out."""
        canvas = self.main_window.client
        x_scale, y_scale = CLIENT_SIZE[0] / canvas.width, CLIENT_SIZE[1] / canvas.height
        return Rect(math.floor((rect.left - canvas.left) * x_scale),
                    math.floor((rect.top - canvas.top) * y_scale),
                    math.ceil((rect.right - canvas.left) * x_scale),
                    math.ceil((rect.bottom - canvas.top) * y_scale))

    def settled(self, label: str) -> Image:
        return self.wait_for_still_picture(self.main_window.client, label,
                                           moving=(self.knight_box,))

    def layout(self) -> dict:
        """The page's layout now (LAYOUT_SCRIPT)."""
        return self.value_of(LAYOUT_SCRIPT) or {}

    # -- touch

    def swipe(self, key: str, start: Optional[tuple] = None, distance: int = 100) -> None:
        """A finger drawn across the game (from start, by default the canvas's middle)
        the way the arrow key named key points."""
        start = start or self.main_window.client.centre
        dx, dy = SWIPE_DIRECTIONS[key]
        self.tab.swipe(start, (start[0] + dx * distance, start[1] + dy * distance))

    def pad_button(self, key: str) -> Rect:
        """The pad's arrow for key, once the pad shows."""
        return self.wait_for(lambda: self.layout().get("pad") and
                             self.element_rect(f"#pad [data-code=Arrow{key}]"),
                             DEFAULT_TIMEOUT, "the on-screen pad is shown")

    def touch(self, selector: str) -> None:
        """A finger's tap in the middle of the element, once it is shown."""
        rect = self.wait_for(lambda: self.element_rect(selector), DEFAULT_TIMEOUT,
                             f"{selector} is shown")
        self.tab.tap_at(*rect.centre)

    # -- the page's state

    def page_state(self) -> str:
        """window.korvane.state: loading, running, ended or failed ("" before the game
        has set it, or while the page is being replaced)."""
        return self.value_of("window.korvane ? korvane.state : ''") or ""

    def counters(self) -> dict:
        """window.korvane's frames and ticks now."""
        return self.value_of("window.korvane ? {frames: korvane.frames, ticks: korvane.ticks}"
                             " : {frames: 0, ticks: 0}") or {"frames": 0, "ticks": 0}

    def value_of(self, expression: str):
        """The value of expression in the page; None while no page is there to ask (a
        reload in progress)."""
        try:
            return self.tab.evaluate(expression)
        except DevToolsError as error:
            if "context" in str(error).lower() or "navigat" in str(error).lower():
                return None
            raise

    def wait_for_animation_frames(self, count: int) -> None:
        """Returns once the browser has run count animation frames for the page,
        whether or not the game draws in them."""
        start = self.value_of(ANIMATION_FRAME_COUNTER)
        self.wait_for(lambda: (self.value_of("window.__animationFrames") or 0) >= start + count,
                      DEFAULT_TIMEOUT, f"{count} animation frames of the page",
                      interval=FRAME_POLL_INTERVAL)

    def frames_shown(self) -> int:
        return self.counters()["frames"]

    def console_lines(self) -> list:
        return self.tab.console_lines()

    # -- windows

    def windows(self) -> list:
        listed = self.value_of(WINDOWS_SCRIPT) or []
        return [PageWindow(identity=w["identity"], title=w["title"], class_name=w["className"],
                           rect=Rect(*w["rect"]), client=Rect(*w["client"]), text=w["text"],
                           focused=w["focused"]) for w in listed]

    def game_process_ids(self) -> list:
        # The page has no process of its own: the browser's is the game's.
        return [(self.process.pid, command_of(self.process.pid))] if self.running else []

    def startup_failure_text(self, box: PageWindow) -> str:
        return box.text

    def element_rect(self, selector: str) -> Optional[Rect]:
        """The box of the first element selector finds, in page coordinates; None
        when there is none or it is not shown."""
        found = self.value_of(f"""(() => {{
            const element = document.querySelector({json.dumps(selector)});
            if (!element || !element.getClientRects().length) return null;
            const r = element.getBoundingClientRect();
            return [Math.floor(r.left), Math.floor(r.top), Math.ceil(r.right),
                    Math.ceil(r.bottom)];
        }})()""")
        return Rect(*found) if found else None

    def click_element(self, selector: str) -> None:
        """A real click in the middle of the element, once it is shown."""
        rect = self.wait_for(lambda: self.element_rect(selector), DEFAULT_TIMEOUT,
                             f"{selector} is shown")
        self.click(*rect.centre)

    # -- input

    def activate(self, window: Optional[PageWindow] = None) -> None:
        """Waits until keys reach window (the game's canvas by default): the page
        focused (as a click on it would, when it is not) and, for the canvas, no
        dialog over it, then frames drawn since, so the game has taken the keyboard;
        for a dialog, the focus inside it."""
        window = window or self.main_window
        if window is None:
            raise HarnessError("the page shows no window to type into")
        if self.tab.evaluate("document.hasFocus()") is not True:
            self.tab.emulate_focus(True)
        if window.class_name == CANVAS_CLASS:
            self.wait_for(lambda: self.tab.evaluate(GAME_HAS_THE_KEYBOARD), DEFAULT_TIMEOUT,
                          "the game's canvas has the keyboard (the page focused and visible, "
                          "no dialog open)")
            # The game learns of a closed dialog or of the focus from events queued
            # behind the change, which key events, handled first, can overtake: a
            # key that went down before them would be forgotten as one held while
            # inactive.
            self.wait_for_new_frames(FRAMES_AFTER_FOCUS)
            return
        self.wait_for(lambda: (self.current(window) or window).focused, DEFAULT_TIMEOUT,
                      f"the dialog titled {window.title!r} has the keyboard")

def page_copy(config: WebConfig, folder: Path) -> Path:
    """A fresh copy of the page alone in folder (made anew), as a player copies it."""
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    return Path(shutil.copy2(config.require_page(), folder / config.page.name))


class _QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, format, *args):  # noqa: A002  (the base class's name)
        pass


@contextlib.contextmanager
def served_over_http(folder: Path):
    """Serves folder on 127.0.0.1 at a free port while the block runs; gives the
    address of the folder."""
    server = http.server.ThreadingHTTPServer(
        ("127.0.0.1", 0), functools.partial(_QuietHandler, directory=str(folder)))
    thread = threading.Thread(target=server.serve_forever, daemon=True)
    thread.start()
    try:
        yield f"http://127.0.0.1:{server.server_address[1]}/"
    finally:
        server.shutdown()
        server.server_close()
        thread.join()

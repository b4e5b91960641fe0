"""Drives the real Korvane.exe under Wine and Xvfb for the end-to-end tests.

How Wine is set up, and why (the prefix is made once per test run by
`prepare`, a CTest fixture; every test then starts from it):

* Display: every session starts its own Xvfb (1024 x 768 x 24, display number
  chosen by Xvfb itself with -displayfd) and no window manager. Wine then
  behaves as on Windows for what the tests check: Alt+F4, the Alt menu keys and
  the accelerators reach the program instead of a window manager.
* Decorations: "HKCU\\Software\\Wine\\X11 Driver\\Decorated" = "N", so Wine draws
  the caption, the frame and the caption buttons itself, as Windows does.
  Each top-level window is one X window covering the whole Win32 window rect.
  Wine's own fonts (Debian's fonts-wine: Tahoma, Marlett for the caption
  buttons) are copied into the prefix's Fonts folder, where this Wine looks.
* Focus: without a window manager nothing gives an X window the keyboard
  focus, so `press` first gives the focus (XSetInputFocus through xdotool
  windowfocus) to the X window of the Win32 window the keys are meant for,
  the way a player clicks a window before typing; Wine activates it.
* Locale: Wine runs with LANG=ja_JP.UTF-8 (compiled into the work folder with
  localedef, so nothing outside the build folder changes). The game is
  Japanese: its captions are Japanese, its ANSI code page is 932, and Wine
  converts the caption of a dialog created with DialogBoxParamA through the
  ANSI code page. Japanese glyphs need a font such as fonts-ipafont-gothic.
* Wine's Mono and Gecko installers are disabled (WINEDLLOVERRIDES); WINEDEBUG
  is off. Game output goes to a log per test under the work folder.
* Every process a session starts (Xvfb, the game) is recorded in a pid file;
  a session stops them all (wineserver -k on its prefix, then Xvfb) when it
  ends, also on failure, and the `cleanup` fixture stops whatever a killed
  test left behind.

Windows the tests look at are listed by window_probe.exe, a small Windows
program run in the same Wine session: title, class, styles, owner,
activation, window and client rectangles (screen coordinates, which are the
X root's) and controls. X alone cannot tell client rectangles or controls.

Screenshots come from ImageMagick's `import` of the X root (see
screen_image.py for the pictures). Every screenshot a test takes (of a wait,
the last one) is kept as PNG under <work>/screenshots/<test id>/, and a
session that fails adds a last one named "failure"; logs go to
<work>/logs/<test id>/.

Writing a test: a module tests/e2e/test_<name>.py of unittest.TestCase
classes, listed with korvane_add_e2e_tests in tests/e2e/CMakeLists.txt; each
test method becomes one CTest test. Inside a test, `with GameSession(self) as
game:` runs the game (see GameSession for what it offers).

Configuration comes from the environment that CTest sets (see
tests/e2e/CMakeLists.txt): KORVANE_GAME_DIR, KORVANE_E2E_WORK_DIR,
KORVANE_WINDOW_PROBE, KORVANE_OBJDUMP.

The prefix is made and swept by wine_setup.py (CTest fixtures).
"""

from __future__ import annotations

import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest
from dataclasses import dataclass, field
from pathlib import Path
from typing import Callable, Optional

from screen_image import Image, Rect

SKY = (180, 220, 255)  # the clear colour the game shows behind everything
SCREEN_SIZE = (1024, 768)
CLIENT_SIZE = (640, 480)

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

JAPANESE_LOCALE = "ja_JP.UTF-8"
WINE_FONTS = Path("/usr/share/wine/fonts")

# Generous for a cold Wine start on a loaded 2-core machine; waits end as
# soon as their condition holds.
WINDOW_TIMEOUT = 45.0


class HarnessError(AssertionError):
    """The environment cannot run the test; reported as a test failure."""


# ---------------------------------------------------------------- configuration


@dataclass
class Config:
    game_dir: Path  # folder holding Korvane.exe and its data
    work_dir: Path  # build folder of the end-to-end tests
    probe: Path  # window_probe.exe
    objdump: str  # x86_64-w64-mingw32-objdump

    @staticmethod
    def from_environment() -> "Config":
        def required(name: str) -> str:
            value = os.environ.get(name, "")
            if not value:
                raise HarnessError(
                    f"{name} is not set: run the end-to-end tests through CTest "
                    "(ctest --preset host -L e2e)")
            return value

        return Config(
            game_dir=Path(required("KORVANE_GAME_DIR")),
            work_dir=Path(required("KORVANE_E2E_WORK_DIR")),
            probe=Path(required("KORVANE_WINDOW_PROBE")),
            objdump=os.environ.get("KORVANE_OBJDUMP", "x86_64-w64-mingw32-objdump"),
        )

    @property
    def game_exe(self) -> Path:
        return self.game_dir / "Korvane.exe"

    @property
    def wine_dir(self) -> Path:
        return self.work_dir / "wine"

    @property
    def prefix(self) -> Path:
        return self.wine_dir / "prefix"

    @property
    def locale_dir(self) -> Path:
        return self.wine_dir / "locale"

    @property
    def pid_file(self) -> Path:
        return self.wine_dir / "started-processes"

    @property
    def screenshot_dir(self) -> Path:
        return self.work_dir / "screenshots"

    @property
    def log_dir(self) -> Path:
        return self.work_dir / "logs"

    @property
    def readme_screenshot(self) -> Path:
        return self.work_dir / "readme" / "screenshot.png"

    def require_game(self) -> Path:
        if not self.game_exe.is_file():
            raise HarnessError(
                f"{self.game_exe} does not exist. Build the game first "
                "(cmake --preset windows-mingw && cmake --build --preset windows-mingw), "
                "or point the CMake cache variable KORVANE_GAME_DIR at its folder.")
        return self.game_exe

    def require_prefix(self) -> None:
        if not (self.prefix / "system.reg").is_file():
            raise HarnessError(
                f"no Wine prefix in {self.prefix}: the e2e.prepare_wine fixture did not run "
                "or failed (see its output)")

    def wine_environment(self, display: Optional[str], extra: Optional[dict] = None) -> dict:
        env = dict(os.environ)
        env.update({
            "WINEPREFIX": str(self.prefix),
            "WINEARCH": "win64",
            "WINEDEBUG": "-all",
            "WINEDLLOVERRIDES": "mscoree,mshtml=",
            "LOCPATH": str(self.locale_dir),
            "LANG": JAPANESE_LOCALE,
            "LC_ALL": JAPANESE_LOCALE,
        })
        if display is not None:
            env["DISPLAY"] = display
        else:
            env.pop("DISPLAY", None)
        env.update(extra or {})
        return env


def require_tool(name: str, package: str) -> str:
    path = shutil.which(name)
    if path is None:
        raise HarnessError(f"{name} is missing: install {package} (tools/install_dependencies.sh)")
    return path


def run(command: list, env: Optional[dict] = None, timeout: float = 60.0,
        what: str = "") -> subprocess.CompletedProcess:
    """Runs a command to its end; a failure or a timeout fails the test with its output.
    Output goes through files, not pipes: a Wine program can leave helper processes
    behind that hold a pipe open long after the program itself has ended."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        process = subprocess.Popen(command, env=env, stdin=subprocess.DEVNULL, stdout=out,
                                   stderr=err)
        try:
            returncode = process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
            raise HarnessError(f"{what or command[0]} did not finish within {timeout:.0f} s") \
                from None
        out.seek(0)
        err.seek(0)
        result = subprocess.CompletedProcess(command, returncode, out.read(), err.read())
    if result.returncode != 0:
        raise HarnessError(
            f"{what or ' '.join(map(str, command))} failed with exit code {result.returncode}:\n"
            f"{result.stdout.decode(errors='replace')}{result.stderr.decode(errors='replace')}")
    return result


# ------------------------------------------------------------------ processes


class ProcessBook:
    """The processes this run started, kept in a file so a later cleanup can
    stop what a killed test left behind (by pid, checked against its command)."""

    def __init__(self, path: Path):
        self.path = path

    def add(self, process: subprocess.Popen) -> None:
        self.path.parent.mkdir(parents=True, exist_ok=True)
        with self.path.open("a", encoding="utf-8") as book:
            book.write(f"{process.pid} {_command_of(process.pid)}\n")

    def stop_leftovers(self) -> None:
        if not self.path.exists():
            return
        for line in self.path.read_text(encoding="utf-8").splitlines():
            pid_text, _, command = line.partition(" ")
            pid = int(pid_text)
            if command and _command_of(pid) == command:
                try:
                    os.kill(pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
        self.path.unlink()


def _command_of(pid: int) -> str:
    try:
        raw = Path(f"/proc/{pid}/cmdline").read_bytes()
    except OSError:
        return ""
    return raw.replace(b"\0", b" ").decode(errors="replace").strip()


def stop_process(process: Optional[subprocess.Popen], grace: float = 3.0) -> None:
    if process is None or process.poll() is not None:
        return
    process.terminate()
    try:
        process.wait(timeout=grace)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait(timeout=grace)


def stop_wine(config: Config) -> None:
    """Ends every Wine process of the prefix, and its wineserver."""
    if not config.prefix.exists():
        return
    env = config.wine_environment(display=None)
    for arguments in (["-k"], ["-w"]):
        try:
            subprocess.run(["wineserver", *arguments], env=env, stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=20)
        except (subprocess.TimeoutExpired, FileNotFoundError):
            pass


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
        deadline = time.monotonic() + 20.0
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


# -------------------------------------------------------------------- windows


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
    foreground: bool
    owner: int
    rect: Rect  # whole window, screen coordinates
    client: Rect  # client area, screen coordinates
    has_menu: bool
    controls: list = field(default_factory=list)

    @staticmethod
    def from_json(entry: dict) -> "Window":
        return Window(
            hwnd=entry["hwnd"], pid=entry["pid"], title=entry["title"],
            class_name=entry["class"], style=entry["style"], foreground=entry["foreground"],
            owner=entry["owner"], rect=Rect(*entry["window"]), client=Rect(*entry["client"]),
            has_menu=entry["has_menu"],
            controls=[Control(id=c["id"], class_name=c["class"], text=c["text"],
                              style=c["style"], visible=c["visible"], rect=Rect(*c["rect"]),
                              has_icon=c.get("has_icon"))
                      for c in entry["controls"]])

    def control(self, control_id: int) -> Control:
        for control in self.controls:
            if control.id == control_id:
                return control
        raise AssertionError(f"window {self.title!r} has no control {control_id}: "
                             f"{[(c.id, c.class_name, c.text) for c in self.controls]}")


# -------------------------------------------------------------------- session


class GameSession:
    """One run of the game on a display of its own.

        with GameSession(self) as game:       # self: the unittest.TestCase
            window = game.main_window
            game.press("alt+slash")
            about = game.wait_for_window("バージョン情報")
            shot = game.screenshot("about")

    Options: game_dir, a folder to run instead of the configured one (see
    copy_game_dir); extra_env for Wine (e.g. WINE_D3D_CONFIG);
    wait_for_main_window=False for runs that must not get as far.
    """

    def __init__(self, test: unittest.TestCase, game_dir: Optional[Path] = None,
                 extra_env: Optional[dict] = None, wait_for_main_window: bool = True):
        self.test = test
        self.config = Config.from_environment()
        self.game_dir = game_dir
        self.extra_env = extra_env or {}
        self.wait_for_main_window = wait_for_main_window
        self.book = ProcessBook(self.config.pid_file)
        test_id = test.id().split(".", 1)[-1]
        self.shot_dir = self.config.screenshot_dir / test_id
        self.log_dir = self.config.log_dir / test_id
        self.x_server = XServer(self.book, self.log_dir / "xvfb.log")
        self.process: Optional[subprocess.Popen] = None
        self.main_window: Optional[Window] = None
        self.exit_code: Optional[int] = None
        self.shot_count = 0
        self.env: dict = {}

    # -- start and stop

    def __enter__(self) -> "GameSession":
        self.config.require_prefix()
        game = self.config.require_game()
        if self.game_dir is not None:
            game = self.game_dir / "Korvane.exe"
        if not game.is_file():
            raise HarnessError(f"{game} does not exist")
        if not self.config.probe.is_file():
            raise HarnessError(f"{self.config.probe} does not exist: install mingw-w64 and "
                               "build the host preset")
        for tool, package in (("xdotool", "xdotool"), ("import", "imagemagick"),
                              ("wine", "wine"), ("wineserver", "wine")):
            require_tool(tool, package)
        shutil.rmtree(self.shot_dir, ignore_errors=True)
        shutil.rmtree(self.log_dir, ignore_errors=True)
        self.log_dir.mkdir(parents=True)
        previous = signal.signal(signal.SIGTERM, _raise_on_terminate)
        self._previous_sigterm = previous
        try:
            stop_wine(self.config)  # a wineserver left by another run would hold another display
            display = self.x_server.start()
            self.env = self.config.wine_environment(display, self.extra_env)
            with (self.log_dir / "game.log").open("wb") as log:
                self.process = subprocess.Popen(["wine", str(game)], cwd=game.parent,
                                                env=self.env, stdout=log,
                                                stderr=subprocess.STDOUT)
            self.book.add(self.process)
            if self.wait_for_main_window:
                self.main_window = self.wait_for_window("Korvane", class_name="KORVANE")
        except BaseException:
            self._finish(failed=True)
            raise
        return self

    def __exit__(self, kind, value, traceback) -> None:
        self._finish(failed=kind is not None)

    def _finish(self, failed: bool) -> None:
        try:
            if failed and self.x_server.process is not None:
                try:
                    self.screenshot("failure")
                except Exception as error:  # the failure itself matters more
                    print(f"no failure screenshot: {error}", file=sys.stderr)
        finally:
            if self.process is not None and self.process.poll() is None:
                stop_wine(self.config)
                stop_process(self.process)
            stop_wine(self.config)
            self.x_server.stop()
            signal.signal(signal.SIGTERM, self._previous_sigterm or signal.SIG_DFL)
            if failed:
                print(f"screenshots: {self.shot_dir}\nlogs: {self.log_dir}", file=sys.stderr)

    # -- the game process

    @property
    def running(self) -> bool:
        return self.process is not None and self.process.poll() is None

    def wait_for_exit(self, timeout: float) -> int:
        """The game's exit code; fails when it still runs after timeout seconds."""
        try:
            self.exit_code = self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError(f"the game still runs {timeout:.1f} s later") from None
        return self.exit_code

    # -- windows

    def windows(self) -> list:
        """Every visible top-level window of the session."""
        result = run(["wine", str(self.config.probe)], env=self.env, timeout=30,
                     what="window_probe.exe")
        return [Window.from_json(entry) for entry in json.loads(result.stdout.decode("utf-8"))]

    def find_windows(self, title: str, class_name: Optional[str] = None) -> list:
        return [w for w in self.windows()
                if w.title == title and (class_name is None or w.class_name == class_name)]

    def wait_for(self, condition: Callable[[], object], timeout: float, what: str):
        """Polls condition until it gives a true value, which is returned."""
        deadline = time.monotonic() + timeout
        while True:
            value = condition()
            if value:
                return value
            if time.monotonic() > deadline:
                raise AssertionError(f"{what}: not so within {timeout:.0f} s")
            if self.process is not None and self.process.poll() is not None:
                raise AssertionError(f"{what}: the game ended with exit code "
                                     f"{self.process.returncode} first")
            time.sleep(0.2)

    def wait_for_window(self, title: str, class_name: Optional[str] = None,
                        timeout: float = WINDOW_TIMEOUT) -> Window:
        found = self.wait_for(lambda: self.find_windows(title, class_name), timeout,
                              f"a window titled {title!r}")
        if len(found) != 1:
            raise AssertionError(f"{len(found)} windows titled {title!r}")
        return found[0]

    def wait_until_gone(self, title: str, timeout: float = 10.0) -> None:
        self.wait_for(lambda: not self.find_windows(title), timeout,
                      f"the window titled {title!r} closed")

    def refresh(self, window: Window) -> Window:
        """The window as it is now."""
        for current in self.windows():
            if current.hwnd == window.hwnd:
                return current
        raise AssertionError(f"the window titled {window.title!r} is gone")

    # -- input

    def _x_window_of(self, window: Window) -> str:
        pattern = "^" + "".join("\\" + c if c in ".^$*+?()[]{}|\\" else c
                                for c in window.title) + "$"
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", pattern],
                               env=self.env, capture_output=True, timeout=10)
        candidates = found.stdout.decode().split()
        for candidate in candidates:
            geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", candidate],
                                      env=self.env, capture_output=True, timeout=10)
            values = dict(line.split("=", 1) for line in geometry.stdout.decode().splitlines()
                          if "=" in line)
            if (int(values.get("X", -1)), int(values.get("Y", -1)),
                    int(values.get("WIDTH", -1)), int(values.get("HEIGHT", -1))) == (
                    window.rect.left, window.rect.top, window.rect.width, window.rect.height):
                return candidate
        raise AssertionError(f"no X window for {window.title!r} at {window.rect} "
                             f"(candidates {candidates})")

    def focus(self, window: Window) -> None:
        """Gives window the keyboard, as a click on it would."""
        run(["xdotool", "windowfocus", "--sync", self._x_window_of(window)], env=self.env,
            timeout=10, what="xdotool windowfocus")

    def press(self, *keys: str, window: Optional[Window] = None, delay_ms: int = 120) -> None:
        """Real key presses (XTEST) into window, the main window by default.
        Keys are xdotool names: "alt+slash", "Escape", "Return", "Left", "alt+F4"."""
        self.focus(window or self.main_window)
        run(["xdotool", "key", "--delay", str(delay_ms), *keys], env=self.env, timeout=30,
            what="xdotool key")

    def hold(self, key: str, seconds: float, window: Optional[Window] = None) -> None:
        """Holds key down for the given time, then lets it go."""
        self.focus(window or self.main_window)
        run(["xdotool", "keydown", key], env=self.env, timeout=10, what="xdotool keydown")
        try:
            time.sleep(seconds)
        finally:
            run(["xdotool", "keyup", key], env=self.env, timeout=10, what="xdotool keyup")

    def tap(self, key: str, window: Optional[Window] = None) -> None:
        """One press as the game counts one: the game polls the keyboard every 33 ms
        and sees a key that goes down and up between two polls not at all, and a key
        found down one poll after it went up as still held. So the key stays down
        for several polls and up for several more."""
        self.hold(key, 0.15, window)
        time.sleep(0.2)

    def click(self, x: int, y: int) -> None:
        """A real left click at screen position (x, y)."""
        run(["xdotool", "mousemove", "--sync", str(x), str(y), "click", "1"], env=self.env,
            timeout=10, what="xdotool click")

    # -- screenshots

    def capture(self) -> Image:
        """The whole screen now, not kept."""
        result = run(["import", "-silent", "-window", "root", "-depth", "8", "ppm:-"], env=self.env,
                     timeout=30, what="import (screenshot)")
        return Image.from_ppm(result.stdout)

    def keep(self, image: Image, label: str) -> Image:
        """Saves image as <shot dir>/<nn>-<label>.png."""
        self.shot_count += 1
        image.save_png(self.shot_dir / f"{self.shot_count:02d}-{label}.png")
        return image

    def screenshot(self, label: str, rect: Optional[Rect] = None) -> Image:
        """The whole screen, or rect of it (a window's client area, say), kept."""
        image = self.capture()
        if rect is not None:
            image = image.crop_rect(rect)
        return self.keep(image, label)

    def wait_for_game(self, label: str) -> Image:
        """The main window's client area once the game draws its frames into it."""
        return self.wait_for_picture(self.main_window.client, shows_the_game, label)

    def wait_for_picture(self, rect: Rect, condition: Callable[[Image], bool], label: str,
                         timeout: float = 20.0) -> Image:
        """Screenshots of rect until condition holds; the last one is kept and returned."""
        last: list = []

        def check():
            image = self.capture().crop_rect(rect)
            last[:] = [image]
            return condition(image)

        try:
            self.wait_for(check, timeout, f"picture {label!r}")
        finally:
            if last:
                self.keep(last[0], label)
        return last[0]


# The camera looks down on the board from above: the top of the picture is
# always sky, the bottom always board.
SKY_BAND_ROWS = 40


def shows_the_game(image: Image) -> bool:
    """True for a client-area picture of the running game: sky above, the board below."""
    sky_row = bytes(SKY) * image.width
    if any(image.row(y) != sky_row for y in range(SKY_BAND_ROWS)):
        return False
    bottom = image.crop(0, image.height - SKY_BAND_ROWS, image.width, image.height)
    return bottom.count_of(SKY) == 0


def copy_game_dir(config: Config, name: str) -> Path:
    """A fresh copy of the game folder under the work folder, to change before a run
    (for instance to remove a model file)."""
    target = config.work_dir / "game-copies" / name
    shutil.rmtree(target, ignore_errors=True)
    shutil.copytree(config.game_dir, target)
    return target


def _raise_on_terminate(signum, frame):
    raise HarnessError("terminated (test timeout?)")

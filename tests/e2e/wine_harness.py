"""Drives the real Korvane.exe under Wine and Xvfb for the end-to-end tests.

How the game runs, and why:

* Wine: the prefix is prepared by tools/wine_prefix.py, the same module that
  prepares the one tools/run_game.sh uses (Japanese locale, Wine's own window
  decorations, Wine's fonts and a Japanese font, no Mono or Gecko prompts; its
  docstring says why). The CTest fixture e2e.prepare_wine makes it once per
  test run (see wine_setup.py); the tests share it, one at a time.
* Display: every session starts its own Xvfb (1024 x 768 x 24) and no window
  manager. Wine then behaves as on Windows for what the tests check: Alt+F4,
  the Alt menu keys and the accelerators reach the program instead of a window
  manager. Each top-level window is one X window covering the whole Win32
  window rect.
* Keyboard: without a window manager nothing gives an X window the focus, so
  before typing into a window a session gives its X window the focus (as a
  click would), then waits until Wine reports the window active (its
  foreground window, which keyboard input goes to) and until the window's
  thread has handled a message sent after that, so the activation is done
  (see activate). Only then do keys go down.
* Every process a session starts (Xvfb, the game) is recorded in a pid file;
  a session stops them all (wineserver -k on its prefix, then Xvfb) when it
  ends, also on failure, and the `cleanup` fixture stops whatever a killed
  test left behind.

Windows the tests look at are listed by window_probe.exe, a small Windows
program run in the same Wine session: title, class, styles, owner,
activation, window and client rectangles (screen coordinates, which are the
X root's), controls and their texts, and the X window of each. X alone cannot
tell client rectangles or controls.

Writing a test: a module tests/e2e/test_<name>.py of unittest.TestCase
classes, listed with korvane_add_e2e_tests in tests/e2e/CMakeLists.txt; each
test method becomes one CTest test. Inside a test, `with GameSession(self) as
game:` runs the game (see GameSession and ScreenSession for what it offers).

Configuration comes from the environment that CTest sets (see
tests/e2e/CMakeLists.txt): KORVANE_GAME_DIR, KORVANE_E2E_WORK_DIR,
KORVANE_WINDOW_PROBE, KORVANE_OBJDUMP, KORVANE_VERSION, KORVANE_PACKAGE.
"""

from __future__ import annotations

import os
import shutil
import subprocess
import sys
import unittest
from dataclasses import dataclass
from pathlib import Path
from typing import Optional

from game_pictures import KNIGHT, shows_the_game
from processes import HarnessError, require_tool, stop_process
from screen_image import Image
from screen_session import DEFAULT_TIMEOUT, FRAME_POLL_INTERVAL, FRAME_TIMEOUT, ScreenSession
from win32_windows import Window, WindowProbe

REPOSITORY = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPOSITORY / "tools"))
from wine_prefix import WinePrefix  # noqa: E402  (tools/ is not a package)

MAIN_TITLE = "Korvane"
MAIN_CLASS = "KORVANE"
ABOUT_TITLE = "バージョン情報"
STARTUP_FAILURE_TITLE = "Korvane エラー"
DIALOG_CLASS = "#32770"  # dialogs and message boxes

# A cold Wine start on a loaded 2-core machine; waits end as soon as their
# condition holds.
WINDOW_TIMEOUT = 60.0
# Different knight pictures that show its animation playing.
ANIMATION_PICTURES = 3


@dataclass
class Config:
    game_dir: Path  # folder holding Korvane.exe and its data
    work_dir: Path  # build folder of the end-to-end tests
    probe: Path  # window_probe.exe
    objdump: str  # x86_64-w64-mingw32-objdump
    version: str  # the project's version, as the build gives it to the game
    package: Path  # the players' zip the package target writes

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
            version=required("KORVANE_VERSION"),
            package=Path(required("KORVANE_PACKAGE")),
        )

    @property
    def game_exe(self) -> Path:
        return self.game_dir / "Korvane.exe"

    @property
    def prefix(self) -> WinePrefix:
        """The prefix the tests share, remade by the prepare fixture for every run."""
        return WinePrefix.at(self.work_dir / "wine" / "prefix")

    @property
    def run_game_prefix(self) -> WinePrefix:
        """The prefix tools/run_game.sh prepares when a test starts the game through it."""
        return WinePrefix.at(self.work_dir / "run-game" / "prefix")

    def all_prefixes(self) -> list:
        return [self.prefix, self.run_game_prefix]

    @property
    def pid_file(self) -> Path:
        return self.work_dir / "wine" / "started-processes"

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
        if not self.prefix.is_ready():
            raise HarnessError(
                f"no prepared Wine prefix in {self.prefix.path}: the e2e.prepare_wine fixture "
                "did not run or failed (see its output)")


class GameSession(ScreenSession):
    """One run of the game under Wine on a display of its own.

        with GameSession(self) as game:       # self: the unittest.TestCase
            window = game.main_window
            game.press("alt+slash")
            about = game.wait_for_window("バージョン情報")
            shot = game.screenshot("about")

    Options: game_dir, a folder to run instead of the configured one (see
    copy_game_dir); executable, the path Wine is given (a Windows path such as
    C:\\...\\Korvane.exe; by default game_dir's Korvane.exe); extra_env for Wine
    (e.g. WINE_D3D_CONFIG); wait_for_main_window=False for runs that must not
    get as far; part, a name for each session of a test that runs several.
    A program that is no test (tools' soak run) gives test=None, its own config
    and a name for its folders of screenshots and logs.
    """

    def __init__(self, test: Optional[unittest.TestCase], game_dir: Optional[Path] = None,
                 executable: Optional[str] = None, extra_env: Optional[dict] = None,
                 wait_for_main_window: bool = True, part: str = "",
                 config: Optional[Config] = None, name: str = ""):
        self.config = config or Config.from_environment()
        super().__init__(test, self.config.work_dir, self.config.pid_file, part, name)
        self.game_dir = game_dir or self.config.game_dir
        self.executable = executable or str(self.game_dir / "Korvane.exe")
        self.extra_env = extra_env or {}
        self.wait_for_main_window = wait_for_main_window
        self.prefix = self.config.prefix
        self.window_timeout = WINDOW_TIMEOUT
        self.main_window: Optional[Window] = None
        self.env: dict = {}
        self.probe: Optional[WindowProbe] = None

    # -- start and stop

    def __enter__(self) -> "GameSession":
        self.check_ready()
        for tool, package in (("xdotool", "xdotool"), ("xwininfo", "x11-utils"),
                              ("wine", "wine"), ("wineserver", "wine")):
            require_tool(tool, package)
        if not self.config.probe.is_file():
            raise HarnessError(f"{self.config.probe} does not exist: install mingw-w64 and "
                               "build the host preset")
        return super().__enter__()

    def check_ready(self) -> None:
        """Fails at once when the prefix or the game is missing."""
        self.config.require_prefix()
        self.config.require_game()
        if not (self.game_dir / "Korvane.exe").is_file():
            raise HarnessError(f"{self.game_dir / 'Korvane.exe'} does not exist")

    def start_program(self, display: str) -> subprocess.Popen:
        self.prefix.stop()  # a wineserver left by another run would hold another display
        self.env = self.prefix.environment(display, self.extra_env)
        self.probe = WindowProbe(self.config.probe, self.env)
        with (self.log_dir / "game.log").open("wb") as log:
            return subprocess.Popen(self.command(), cwd=self.game_dir, env=self.program_env(),
                                    stdout=log, stderr=subprocess.STDOUT,
                                    start_new_session=True)

    def command(self) -> list:
        return ["wine", self.executable]

    def program_env(self) -> dict:
        return self.env

    def after_start(self) -> None:
        if self.wait_for_main_window:
            self.main_window = self.wait_for_window(MAIN_TITLE, class_name=MAIN_CLASS,
                                                    timeout=self.window_timeout)
            self.frame_rect = self.main_window.client

    def stop_program(self) -> None:
        if self.running:
            self.prefix.stop()
            stop_process(self.process)
        self.prefix.stop()

    # -- windows

    def windows(self) -> list:
        """Every visible top-level window of the session."""
        return self.probe.windows()

    def find_windows(self, title: str, class_name: Optional[str] = None) -> list:
        return [w for w in self.windows()
                if w.title == title and (class_name is None or w.class_name == class_name)]

    def wait_for_window(self, title: str, class_name: Optional[str] = None,
                        timeout: float = WINDOW_TIMEOUT) -> Window:
        found = self.wait_for(lambda: self.find_windows(title, class_name), timeout,
                              f"a window titled {title!r}")
        if len(found) != 1:
            raise AssertionError(f"{len(found)} windows titled {title!r}")
        return found[0]

    def wait_until_gone(self, title: str, timeout: float = DEFAULT_TIMEOUT) -> None:
        def gone() -> bool:
            listed = self.windows()
            if self.main_window is not None and \
                    not any(w.hwnd == self.main_window.hwnd for w in listed):
                return False  # a list without the game's own window is no look at all
            return not any(w.title == title for w in listed)

        self.wait_for(gone, timeout, f"the window titled {title!r} closed")

    def current(self, window: Window) -> Optional[Window]:
        """The window as it is now; None when it is gone."""
        return next((w for w in self.windows() if w.hwnd == window.hwnd), None)

    def refresh(self, window: Window) -> Window:
        """The window as it is now; fails when it is gone."""
        now = self.current(window)
        if now is None:
            raise AssertionError(f"the window titled {window.title!r} is gone")
        return now

    def wait_until_active(self, window: Window, timeout: float = DEFAULT_TIMEOUT) -> Window:
        """The window once Wine reports it active (foreground) and its thread has
        handled a message sent after that: the activation is then done."""
        def active():
            now = self.current(window)
            return now if now is not None and now.foreground else None

        now = self.wait_for(active, timeout, f"the window titled {window.title!r} is active")
        self._wait_until_answered(now, timeout)
        return now

    def _wait_until_answered(self, window: Window, timeout: float) -> None:
        self.wait_for(lambda: self.probe.answers(window), timeout,
                      f"the window titled {window.title!r} handles its messages")

    # -- input

    def activate(self, window: Optional[Window]) -> None:
        """Gives window (the main window by default) the keyboard, as a click on it
        would, and waits until Wine and the game have taken the activation."""
        window = window or self.main_window

        def shown_in_x():
            now = self.current(window)
            if now is None or not now.x_window:
                return None
            return now if self.screen.is_viewable(now.x_window) else None

        now = self.wait_for(shown_in_x, DEFAULT_TIMEOUT,
                            f"the X window of {window.title!r} is mapped")
        if self.screen.focused_window() == now.x_window and now.foreground:
            self._wait_until_answered(now, DEFAULT_TIMEOUT)  # already active: one look less
            return
        if self.screen.focused_window() != now.x_window:
            self.screen.focus(now.x_window)
        self.wait_until_active(now)

    # -- pictures

    def wait_for_game(self, label: str) -> Image:
        """The main window's client area once the game draws its frames into it."""
        return self.wait_for_picture(self.main_window.client, shows_the_game, label)

    def watch_the_knight(self, what: str = "the knight's animation plays",
                         pictures: int = ANIMATION_PICTURES) -> list:
        """Client-area pictures, taken until the knight's part of them has shown the given
        number of different pictures (its animation playing); all are returned."""
        taken: list = []

        def animation_seen() -> bool:
            taken.append(self.capture(self.main_window.client))
            return len({p.crop_rect(KNIGHT).data for p in taken}) >= pictures

        self.wait_for(animation_seen, FRAME_TIMEOUT, what, interval=FRAME_POLL_INTERVAL)
        return taken

    def settled(self, label: str) -> Image:
        """The main window's client area once the board stands still (the knight,
        which never stops moving, aside)."""
        return self.wait_for_still_picture(self.main_window.client, label, moving=(KNIGHT,))


def copy_game_dir(config: Config, name: str, parent: Optional[Path] = None) -> Path:
    """A fresh copy of the game folder, to change before a run (for instance to remove
    a model file): parent/name, by default under the work folder. A parent inside the
    prefix's drive_c gives the copy a C:\\ path of the name the test chooses."""
    target = (parent or config.work_dir / "game-copies") / name
    shutil.rmtree(target, ignore_errors=True)
    shutil.copytree(config.game_dir, target)
    return target


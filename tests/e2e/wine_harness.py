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
import subprocess
import sys
import unittest
from dataclasses import dataclass
from pathlib import Path
from typing import Optional

from game_session import (ABOUT_TITLE, GAME_COPIES, MAIN_TITLE, STARTUP_FAILURE_TITLE,
                          GameSessionBase, copy_game_dir as copy_folder)
from processes import (HarnessError, processes_with, require_tool, required_setting,
                       stop_process)
from screen_session import DEFAULT_TIMEOUT
from win32_windows import Window, WindowProbe

REPOSITORY = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPOSITORY / "tools"))
from wine_prefix import WinePrefix  # noqa: E402  (tools/ is not a package)

__all__ = ["ABOUT_TITLE", "MAIN_TITLE", "STARTUP_FAILURE_TITLE", "MAIN_CLASS", "DIALOG_CLASS",
           "Config", "GameSession", "copy_game_dir"]

MAIN_CLASS = "KORVANE"
DIALOG_CLASS = "#32770"  # dialogs and message boxes


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
            return required_setting(name, "e2e")

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
    def game_copies(self) -> Path:
        # Each platform's own: tests of two platforms run side by side with the same
        # copy names.
        return self.work_dir / "wine" / GAME_COPIES

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


class GameSession(GameSessionBase):
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
    """

    main_class = MAIN_CLASS
    dialog_class = DIALOG_CLASS
    config_type = Config

    def __init__(self, test: Optional[unittest.TestCase], game_dir: Optional[Path] = None,
                 executable: Optional[str] = None, extra_env: Optional[dict] = None,
                 wait_for_main_window: bool = True, part: str = "",
                 config: Optional[Config] = None, name: str = ""):
        self.config = config or Config.from_environment()
        super().__init__(test, self.config.work_dir, self.config.pid_file,
                         game_dir or self.config.game_dir, wait_for_main_window, part, name)
        self.executable = executable or str(self.game_dir / "Korvane.exe")
        self.extra_env = extra_env or {}
        self.prefix = self.config.prefix
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

    def stop_program(self) -> None:
        if self.running:
            self.prefix.stop()
            stop_process(self.process)
        self.prefix.stop()

    # -- windows

    def windows(self) -> list:
        """Every visible top-level window of the session."""
        return self.probe.windows()

    def game_process_ids(self) -> list:
        return [(pid, command) for pid, command in
                processes_with("WINEPREFIX", str(self.prefix.path))
                if "korvane.exe" in command.lower()]

    def startup_failure_text(self, box: Window) -> str:
        return "\n".join(box.static_texts())

    def readme_picture(self) -> Optional[Path]:
        return self.config.readme_screenshot

    @staticmethod
    def path_in_game(path: Path) -> str:
        # Wine's drive Z: is the root of this machine's file system.
        return "Z:" + str(path.absolute()).replace("/", "\\")

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


def copy_game_dir(config: Config, name: str, parent: Optional[Path] = None) -> Path:
    """A fresh copy of the game folder, to change before a run (for instance to remove
    a model file): parent/name, by default under the work folder. A parent inside the
    prefix's drive_c gives the copy a C:\\ path of the name the test chooses."""
    return copy_folder(config.game_dir, config.game_copies, name, parent)

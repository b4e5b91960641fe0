"""Drives the native korvane (SDL2 and OpenGL) under Xvfb for the end-to-end
tests, with everything but starting the game and finding its windows shared
with the Wine harness (game_session.py, screen_session.py).

* Display: every session starts its own Xvfb and no window manager, as under
  Wine; OpenGL is Mesa's software renderer (LIBGL_ALWAYS_SOFTWARE=1), which
  is what a machine without a graphics card has.
* Windows: the viewable children of the root window, read from X (title from
  _NET_WM_NAME, class from WM_CLASS, geometry, _NET_WM_PID). Without a window
  manager there is no frame: a window's client area is the whole X window.
  SDL's message boxes (the About box, start-up failures) are X windows of
  their own; their text is drawn with X fonts and cannot be read back, but
  the game prints every message on standard error, kept in the game's log.
* Keyboard: before typing into a window the session gives its X window the
  focus and waits until X reports it focused; for the game's window it then
  waits for two new frames, so the game has handled the focus event (it
  acquires the keyboard there) before any key goes down.
* Processes: the game is started with KORVANE_E2E_SESSION set to a token of
  the session's own; every process carrying it (the game and the helper that
  shows its message boxes) counts as the game's.

Configuration comes from the environment CTest sets: KORVANE_NATIVE_GAME_DIR
(the folder of korvane and its data), KORVANE_E2E_WORK_DIR, KORVANE_VERSION.
"""

from __future__ import annotations

import os
import subprocess
import unittest
import uuid
from dataclasses import dataclass
from pathlib import Path
from typing import Optional

from game_session import GAME_COPIES, GameSessionBase, copy_game_dir as copy_folder
from processes import (HarnessError, processes_with, require_tool, required_setting,
                       stop_process)
from screen_image import Rect
from screen_session import DEFAULT_TIMEOUT

MAIN_CLASS = "korvane"  # WM_CLASS of the game's window
SESSION_VARIABLE = "KORVANE_E2E_SESSION"
FRAMES_AFTER_FOCUS = 2


@dataclass
class NativeConfig:
    game_dir: Path  # folder holding korvane and its data
    work_dir: Path  # build folder of the end-to-end tests
    version: str  # the project's version, as the build gives it to the game

    @staticmethod
    def from_environment() -> "NativeConfig":
        def required(name: str) -> str:
            return required_setting(name, "native")

        return NativeConfig(game_dir=Path(required("KORVANE_NATIVE_GAME_DIR")),
                            work_dir=Path(required("KORVANE_E2E_WORK_DIR")),
                            version=required("KORVANE_VERSION"))

    @property
    def game(self) -> Path:
        return self.game_dir / "korvane"

    @property
    def pid_file(self) -> Path:
        return self.work_dir / "native" / "started-processes"

    @property
    def game_copies(self) -> Path:
        return self.work_dir / "native" / GAME_COPIES

    def require_game(self) -> Path:
        if not self.game.is_file():
            raise HarnessError(
                f"{self.game} does not exist. Build the native game first "
                "(cmake --preset native && cmake --build --preset native), or point the "
                "CMake cache variable KORVANE_NATIVE_GAME_DIR at its folder.")
        return self.game


class NativeGameSession(GameSessionBase):
    """One run of the native game on a display of its own; used as GameSession is:

        with NativeGameSession(self) as game:
            game.press("alt+slash")
            about = game.wait_for_window("バージョン情報")

    Options: game_dir, a folder to run instead of the configured one (see
    copy_game_dir); wait_for_main_window=False for runs that must not get as
    far; part, a name for each session of a test that runs several; config and
    name for runs outside a test (the soak); screen_size, (width, height) of the
    display's screen when not the usual one.
    """

    main_class = MAIN_CLASS
    dialog_class = None  # SDL's message boxes set no class of their own
    config_type = NativeConfig

    def __init__(self, test: Optional[unittest.TestCase], game_dir: Optional[Path] = None,
                 wait_for_main_window: bool = True, part: str = "",
                 config: Optional[NativeConfig] = None, name: str = "",
                 screen_size: Optional[tuple] = None):
        self.config = config or NativeConfig.from_environment()
        super().__init__(test, self.config.work_dir, self.config.pid_file,
                         game_dir or self.config.game_dir, wait_for_main_window, part, name)
        self.token = uuid.uuid4().hex
        if screen_size:
            self.x_server.size = screen_size

    # -- start and stop

    def __enter__(self) -> "NativeGameSession":
        self.config.require_game()
        if not (self.game_dir / "korvane").is_file():
            raise HarnessError(f"{self.game_dir / 'korvane'} does not exist")
        require_tool("xdotool", "xdotool")
        return super().__enter__()

    def command(self) -> list:
        return [str(self.game_dir / "korvane")]

    def program_env(self, display: str) -> dict:
        return {**os.environ, "DISPLAY": display, "LIBGL_ALWAYS_SOFTWARE": "1",
                SESSION_VARIABLE: self.token}

    def start_program(self, display: str) -> subprocess.Popen:
        with (self.log_dir / "game.log").open("wb") as log:
            return subprocess.Popen(self.command(), cwd=self.game_dir,
                                    env=self.program_env(display), stdin=subprocess.DEVNULL,
                                    stdout=log, stderr=subprocess.STDOUT,
                                    start_new_session=True)

    def stop_program(self) -> None:
        stop_process(self.process)

    def log_text(self) -> str:
        """What the game has printed so far."""
        path = self.log_dir / "game.log"
        return path.read_bytes().decode("utf-8", "replace") if path.exists() else ""

    # -- windows and processes

    def windows(self) -> list:
        return self.screen.top_level_windows()

    def wait_for_client(self, client: Rect, frames: Rect) -> None:
        """Waits until the game's window has the given client area (after it went to
        full screen or back), then counts frames by the part of the screen in frames."""
        def covering():
            now = self.current(self.main_window)
            return now if now is not None and now.client == client else None

        self.main_window = self.wait_for(covering, DEFAULT_TIMEOUT,
                                         f"the game's window covers {client}",
                                         explain=lambda: str(self.current(self.main_window)))
        self.frame_rect = frames

    def game_process_ids(self) -> list:
        return processes_with(SESSION_VARIABLE, self.token)

    def startup_failure_text(self, box) -> str:
        # The box's text is drawn, not kept; the same message is on standard error,
        # written before the box appears.
        return self.log_text()

    # -- input

    def activate(self, window=None) -> None:
        """Gives window (the game's by default) the keyboard focus and waits until X
        has it there and, for the game's window, until the game has drawn frames since."""
        window = window or self.main_window
        now = self.wait_for(lambda: self.current(window), DEFAULT_TIMEOUT,
                            f"the window titled {window.title!r} is shown")
        if self.screen.focused_window() == now.x_window:
            return
        self.screen.focus(now.x_window)
        self.wait_for(lambda: self.screen.focused_window() == now.x_window, DEFAULT_TIMEOUT,
                      f"the window titled {window.title!r} has the keyboard focus")
        if self.main_window is not None and now.identity == self.main_window.identity:
            self.wait_for_new_frames(FRAMES_AFTER_FOCUS)


def copy_game_dir(config: NativeConfig, name: str) -> Path:
    """A fresh copy of the native game's folder under the work folder."""
    return copy_folder(config.game_dir, config.game_copies, name)

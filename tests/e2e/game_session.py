"""What a session of the game offers whichever platform runs it: its main
window, waiting for windows by title, its processes and its pictures. Two
subclasses differ only in how the game is started and how its windows are
found: GameSession (wine_harness.py) runs Korvane.exe under Wine and lists
windows with window_probe.exe; NativeGameSession (native_harness.py) runs the
native korvane and reads the windows from X.

A window here is anything with title, class_name, rect, client (screen
coordinates) and identity (what tells two windows apart): win32_windows.Window
under Wine, x_display.TopLevelWindow natively.
"""

from __future__ import annotations

import shutil
from pathlib import Path
from typing import Optional

from game_pictures import KNIGHT, shows_the_game
from screen_image import Image
from screen_session import DEFAULT_TIMEOUT, FRAME_POLL_INTERVAL, FRAME_TIMEOUT, ScreenSession

MAIN_TITLE = "Korvane"
ABOUT_TITLE = "バージョン情報"
STARTUP_FAILURE_TITLE = "Korvane エラー"
# Folder under the work folder that holds the copies of the game's folder.
GAME_COPIES = "game-copies"
# A cold start on a loaded 2-core machine; waits end as soon as their
# condition holds.
WINDOW_TIMEOUT = 60.0
# Different knight pictures that show its animation playing.
ANIMATION_PICTURES = 3


class GameSessionBase(ScreenSession):
    """Subclasses provide windows(), game_process_ids() and activate(), and the
    platform's names: main_class (the main window's class) and dialog_class (the
    class of dialogs and message boxes, or None where it tells nothing)."""

    main_class: Optional[str] = None
    dialog_class: Optional[str] = None
    config_type = None  # its configuration, with from_environment(), game_dir and work_dir

    def __init__(self, test, work_dir: Path, pid_file: Path, game_dir: Path,
                 wait_for_main_window: bool, part: str, name: str = ""):
        super().__init__(test, work_dir, pid_file, part, name)
        self.game_dir = game_dir
        self.wait_for_main_window = wait_for_main_window
        self.window_timeout = WINDOW_TIMEOUT
        self.main_window = None

    # -- what a platform provides

    def windows(self) -> list:
        """Every visible top-level window of the session."""
        raise NotImplementedError

    def game_process_ids(self) -> list:
        """(pid, command) of each of the game's processes still running (its helpers
        included)."""
        raise NotImplementedError

    def game_processes(self) -> list:
        """The commands of the game's processes still running."""
        return [command for _, command in self.game_process_ids()]

    def startup_failure_text(self, box) -> str:
        """The message a start-up failure box shows."""
        raise NotImplementedError

    def readme_picture(self) -> Optional[Path]:
        """Where a picture of the game for the README goes; None: none from this platform."""
        return None

    @staticmethod
    def path_in_game(path: Path) -> str:
        """A path of this machine as the game writes it in its messages."""
        return str(path)

    # -- windows

    def after_start(self) -> None:
        if self.wait_for_main_window:
            self.main_window = self.wait_for_window(MAIN_TITLE, class_name=self.main_class,
                                                    timeout=self.window_timeout)
            self.frame_rect = self.main_window.client

    def find_windows(self, title: str, class_name: Optional[str] = None) -> list:
        return [w for w in self.windows()
                if w.title == title and (class_name is None or w.class_name == class_name)]

    def wait_for_window(self, title: str, class_name: Optional[str] = None,
                        timeout: float = WINDOW_TIMEOUT):
        found = self.wait_for(lambda: self.find_windows(title, class_name), timeout,
                              f"a window titled {title!r}")
        if len(found) != 1:
            raise AssertionError(f"{len(found)} windows titled {title!r}")
        return found[0]

    def wait_for_dialog(self, title: str, timeout: float = WINDOW_TIMEOUT):
        return self.wait_for_window(title, class_name=self.dialog_class, timeout=timeout)

    def wait_until_gone(self, title: str, timeout: float = DEFAULT_TIMEOUT) -> None:
        def gone() -> bool:
            listed = self.windows()
            if self.main_window is not None and \
                    not any(w.identity == self.main_window.identity for w in listed):
                return False  # a list without the game's own window is no look at all
            return not any(w.title == title for w in listed)

        self.wait_for(gone, timeout, f"the window titled {title!r} closed")

    def current(self, window):
        """The window as it is now; None when it is gone."""
        return next((w for w in self.windows() if w.identity == window.identity), None)

    def refresh(self, window):
        """The window as it is now; fails when it is gone."""
        now = self.current(window)
        if now is None:
            raise AssertionError(f"the window titled {window.title!r} is gone")
        return now

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


def copy_game_dir(game_dir: Path, copies: Path, name: str,
                  parent: Optional[Path] = None) -> Path:
    """A fresh copy of a game folder, to change before a run (for instance to remove a
    model file): parent/name, by default copies/name (the platform's game copies)."""
    target = (parent or copies) / name
    shutil.rmtree(target, ignore_errors=True)
    shutil.copytree(game_dir, target)
    return target

"""The README's run command for Wine, tools/run_game.sh --wine, shows the game
as the tests see it: the same window frame, caption buttons and menu bar."""

import os
import shutil
import unittest

from processes import HarnessError
from screen_image import Image
from wine_harness import REPOSITORY, Config, GameSession

# The script prepares a prefix of its own from nothing (wineboot, the locale)
# before the game starts: minutes on a loaded machine.
RUN_SCRIPT_TIMEOUT = 600.0


class RunScriptSession(GameSession):
    """The game started by tools/run_game.sh --wine, in a prefix the script prepares."""

    def __init__(self, test: unittest.TestCase, part: str):
        super().__init__(test, part=part)
        self.prefix = self.config.run_game_prefix
        self.window_timeout = RUN_SCRIPT_TIMEOUT

    def check_ready(self) -> None:
        self.config.require_game()  # the script makes its prefix itself

    def command(self) -> list:
        return [str(REPOSITORY / "tools" / "run_game.sh"), "--wine"]

    def windows(self) -> list:
        # Until the script has prepared its prefix there is no Wine session to look
        # into, and a probe started early would make one of its own.
        return super().windows() if self.prefix.is_ready() else []

    def program_env(self) -> dict:
        return {**os.environ, "DISPLAY": self.env["DISPLAY"],
                "KORVANE_WINE_PREFIX": str(self.prefix.path)}


def frame_of(game: GameSession, window: Image) -> Image:
    """The picture of the main window with its client area blacked out: caption,
    caption buttons, frame and menu bar."""
    return window.without(game.main_window.client.relative_to(game.main_window.rect))


class RunScriptTest(unittest.TestCase):

    def test_the_run_command_shows_the_frame_and_caption_buttons_the_tests_see(self):
        with GameSession(self, part="harness") as game:
            game.wait_for_game("start")
            game.wait_until_active(game.main_window)
            reference = game.wait_for_still_picture(game.main_window.rect, "frame",
                                                    moving=(game.main_window.client,))
            reference_rect = game.main_window.rect
            game.press("alt+F4")
            self.assertEqual(game.wait_for_exit(), 0)

        # From nothing, as on a player's first run.
        shutil.rmtree(Config.from_environment().run_game_prefix.path.parent, ignore_errors=True)
        if not os.access(REPOSITORY / "tools" / "run_game.sh", os.X_OK):
            raise HarnessError("tools/run_game.sh is not executable")
        with RunScriptSession(self, part="run-game") as game:
            self.assertEqual(game.main_window.rect, reference_rect)
            game.wait_for_game("start")
            game.wait_until_active(game.main_window)
            expected = frame_of(game, reference)

            def difference(window: Image) -> str:
                count = frame_of(game, window).differing_pixels(expected)
                return f"{count} pixels of the frame differ from the tests' game" if count else ""

            game.wait_for_right_picture(game.main_window.rect, difference, "frame")
            game.press("alt+F4")
            self.assertEqual(game.wait_for_exit(), 0)


if __name__ == "__main__":
    unittest.main()

"""Playing the page, korvane.html in headless Chromium: the scenarios of
gameplay_scenarios.py, with those that a page cannot play as a program does
made its own way."""

import shutil
import unittest
from typing import Optional

from game_session import STARTUP_FAILURE_TITLE
from gameplay_scenarios import (GameplayScenarios, box_placement_problem, deep_folder_length,
                                deep_folder_name)
from web_harness import WebConfig, WebGameSession, page_copy

KNIGHT_MODEL = "/MQA/BlueKnight.mqa"  # in the page's own file system
MODEL_FAILURE = "モデルファイル「MQA\\BlueKnight.mqa」を読み込めませんでした。"


class GameplayTest(GameplayScenarios, unittest.TestCase):
    session_class = WebGameSession

    # A page has no window of its own to close (Alt+F4 belongs to the browser),
    # no exit code and no process besides the browser's: the game ends by its
    # menu, which test_web_shell.ExitTest plays.
    test_closing_the_window_exits_with_0_and_leaves_no_process = None

    def check_missing_knight_on_the_page(self, url: Optional[str] = None):
        """Opens the page (url, by default the configured one) with the knight's model
        taken out of the page's file system before the game starts: a message box
        that fits the view says what the Windows game says, the console too, and
        once it is closed the game stays stopped, having drawn nothing."""
        with self.session(url=url or "", missing_files=(KNIGHT_MODEL,),
                          wait_for_main_window=False) as game:
            box = game.wait_for_dialog(STARTUP_FAILURE_TITLE)
            view = game.screenshot("message")
            # The box itself, without the shadow it casts.
            self.assertEqual(box_placement_problem(game.refresh(box).client, view), "")
            first, *rest = box.text.split("\n")
            self.assertEqual(first, MODEL_FAILURE)
            path = "".join(rest)
            self.assertTrue(path.startswith("ファイルが見つかりません: ")
                            and path.endswith(KNIGHT_MODEL), box.text)
            game.wait_for(lambda: any(first in line for line in game.console_lines()), 10,
                          "the message on the console", explain=lambda: str(game.console))
            game.press("Return", window=box)
            game.wait_until_gone(STARTUP_FAILURE_TITLE)
            self.assertEqual(game.page_state(), "failed")
            self.assertEqual(game.counters(), {"frames": 0, "ticks": 0})

    def test_without_the_knight_model_the_player_is_told_and_the_exit_code_is_1(self):
        """The page holds its files inside itself, so the model is taken out of the
        page's file system; a page has no exit code: it stays stopped."""
        self.check_missing_knight_on_the_page()

    def test_a_missing_model_in_a_folder_200_characters_deep_is_told_in_a_box_on_the_screen(self):
        """The page, copied alone into a folder whose path is 200 characters long or
        more, opens from there; the message names the model by the page's own file
        system."""
        config = WebConfig.from_environment()
        copies = config.game_copies
        length = deep_folder_length(copies)
        name = deep_folder_name(copies, length)
        page = page_copy(config, copies / name)
        self.assertEqual(len(str(page.parent)), length)
        try:
            self.check_missing_knight_on_the_page(page.as_uri())
        finally:
            shutil.rmtree(copies / name.split("/")[0], ignore_errors=True)


if __name__ == "__main__":
    unittest.main()

"""Playing the page, korvane.html in headless Chromium: the scenarios of
gameplay_scenarios.py, with the two that a page cannot play as a program
does made its own way."""

import unittest

from game_session import STARTUP_FAILURE_TITLE
from gameplay_scenarios import GameplayScenarios
from web_harness import WebGameSession

KNIGHT_MODEL = "/MQA/BlueKnight.mqa"  # in the page's own file system
MODEL_FAILURE = "モデルファイル「MQA\\BlueKnight.mqa」を読み込めませんでした。"


class GameplayTest(GameplayScenarios, unittest.TestCase):
    session_class = WebGameSession

    # A page has no window of its own to close (Alt+F4 belongs to the browser),
    # no exit code and no process besides the browser's: the game ends by its
    # menu, which test_web_shell.ExitTest plays.
    test_closing_the_window_exits_with_0_and_leaves_no_process = None

    def test_without_the_knight_model_the_player_is_told_and_the_exit_code_is_1(self):
        """The page holds its files inside itself, so the model is taken out of the
        page's file system before the game starts. The message is the Windows
        game's; a page has no exit code: once the message is closed the game
        stays stopped, having drawn nothing."""
        with self.session(missing_files=(KNIGHT_MODEL,), wait_for_main_window=False) as game:
            box = game.wait_for_dialog(STARTUP_FAILURE_TITLE)
            game.screenshot("message")
            first, *rest = box.text.split("\n")
            self.assertEqual(first, MODEL_FAILURE)
            self.assertEqual(len(rest), 1, box.text)
            self.assertTrue(rest[0].startswith("ファイルが見つかりません: ")
                            and rest[0].endswith(KNIGHT_MODEL), rest[0])
            game.wait_for(lambda: any(first in line for line in game.console_lines()), 10,
                          "the message on the console", explain=lambda: str(game.console))
            game.press("Return", window=box)
            game.wait_until_gone(STARTUP_FAILURE_TITLE)
            self.assertEqual(game.page_state(), "failed")
            self.assertEqual(game.counters(), {"frames": 0, "ticks": 0})


if __name__ == "__main__":
    unittest.main()

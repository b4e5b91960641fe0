"""Playing the native korvane: the scenarios of gameplay_scenarios.py, and the
game on the whole screen."""

import unittest

from frame_comparison import compare_and_keep
from game_pictures import CLIENT_SIZE, KNIGHT, letterbox_problem, sharpness_problem
from gameplay_scenarios import GameplayScenarios
from native_harness import NativeGameSession
from screen_image import Rect

# A screen wider than 4:3 whose height is twice the game's: the picture is
# drawn at twice the game's size in the middle, with bars left and right.
WIDE_SCREEN = (1600, 960)
WIDE_SCREEN_PICTURE = Rect(160, 0, 1440, 960)
# Drawn at twice the size and reduced, the frame is the window's frame but
# where the grass texture's fine detail, sampled more often, averages out.
FULL_SCREEN_TOLERANCE = 16
FULL_SCREEN_AGREEMENT = 0.95


class GameplayTest(GameplayScenarios, unittest.TestCase):
    session_class = NativeGameSession

    def test_alt_enter_shows_the_game_sharp_on_the_whole_screen_and_again_returns(self):
        with self.session(screen_size=WIDE_SCREEN) as game:
            game.wait_for_game("start")
            windowed = game.settled("windowed")
            screen = Rect(0, 0, *WIDE_SCREEN)
            box = WIDE_SCREEN_PICTURE
            knight = KNIGHT.scaled(2)

            game.press("alt+Return")
            game.wait_for_client(screen, frames=box)
            game.wait_for_right_picture(screen, lambda shot: letterbox_problem(shot, box),
                                        "full-screen")
            full = game.wait_for_still_picture(box, "full-screen-picture", moving=(knight,))
            self.assertEqual(sharpness_problem(full), "")
            start = full.reduced(2)
            folder = game.config.work_dir / "full-screen"
            result, figures = compare_and_keep("full-screen", ("windowed", windowed),
                                               ("full-screen", start), folder,
                                               FULL_SCREEN_TOLERANCE)
            self.assertGreaterEqual(result.share, FULL_SCREEN_AGREEMENT,
                                    f"{figures}; see {folder / 'difference.png'}")

            game.tap("Right")
            walked = game.wait_for_still_picture(box, "full-screen-right", moving=(knight,))
            self.assert_board_moved_one_cell(game, start, walked.reduced(2), 0, 1)

            game.press("alt+Return")
            game.wait_for_client(Rect(0, 0, *CLIENT_SIZE), frames=Rect(0, 0, *CLIENT_SIZE))
            game.wait_for_game("windowed-again")
            back = game.settled("windowed-again")
            self.assert_board_moved_one_cell(game, windowed, back, 0, 1)


if __name__ == "__main__":
    unittest.main()

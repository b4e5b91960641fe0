"""The native korvane and Korvane.exe under Wine draw the same frames: after the
same keys, outside the knight's box (its animation never stands still at the
same moment in two runs), at least 98 % of the client area's pixels agree
within 8 levels per channel.

Both pictures and a difference picture (tools/frame_agreement.py: agreeing
pixels grey, differing ones red, the knight's box dark blue) are kept under
<work>/agreement/<keys>/, with the figures in agreement.txt there."""

import sys
import unittest

from game_pictures import KNIGHT
from game_session import GameSessionBase
from native_harness import NativeGameSession
from screen_image import Image
from wine_harness import REPOSITORY, GameSession

sys.path.insert(0, str(REPOSITORY / "tools"))
from frame_agreement import (DEFAULT_MINIMUM, DEFAULT_TOLERANCE, agreement,  # noqa: E402
                             difference_picture, write_png)


def frame_after(game: GameSessionBase, keys: tuple) -> Image:
    """The client area once the board stands still after each of keys in turn."""
    game.wait_for_game("start")
    game.settled("start")
    for index, key in enumerate(keys):
        game.tap(key)
        game.settled(f"after-{index + 1}-{key.lower()}")
    return game.settled("compared")


class AgreementTest(unittest.TestCase):

    def check_agreement(self, name: str, *keys: str):
        with GameSession(self, part="wine") as game:
            wine = frame_after(game, keys)
            folder = game.config.work_dir / "agreement" / name
        with NativeGameSession(self, part="native") as game:
            native = frame_after(game, keys)
        folder.mkdir(parents=True, exist_ok=True)
        native.save_png(folder / "native.png")
        wine.save_png(folder / "wine.png")
        write_png(difference_picture(native, wine, DEFAULT_TOLERANCE, [KNIGHT]),
                  folder / "difference.png")
        result = agreement(native, wine, DEFAULT_TOLERANCE, [KNIGHT])
        figures = (f"{name}: {result.share:.2%} of {result.compared} pixels within "
                   f"{DEFAULT_TOLERANCE} levels, largest difference {result.largest}")
        (folder / "agreement.txt").write_text(figures + "\n", encoding="utf-8")
        print(figures)
        self.assertGreaterEqual(result.share, DEFAULT_MINIMUM,
                                f"{figures}; see {folder / 'difference.png'}")

    def test_the_first_frames_agree(self):
        self.check_agreement("no-keys")

    def test_the_frames_after_three_steps_right_agree(self):
        self.check_agreement("right-3", "Right", "Right", "Right")

    def test_the_frames_after_two_steps_down_agree(self):
        self.check_agreement("down-2", "Down", "Down")


if __name__ == "__main__":
    unittest.main()

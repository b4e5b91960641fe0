"""Holding two builds' frames against each other: the frame each shows after
the same keys, and their agreement outside the knight's box (its animation
never stands still at the same moment in two runs), kept with both pictures,
a difference picture (tools/frame_agreement.py: agreeing pixels grey,
differing ones red, the knight's box dark blue) and the figures."""

import sys
from pathlib import Path

from game_pictures import KNIGHT
from game_session import GameSessionBase
from screen_image import Image

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tools"))
from frame_agreement import (DEFAULT_MINIMUM, DEFAULT_TOLERANCE, Agreement,  # noqa: E402
                             agreement, difference_picture, write_png)



def frame_after(game: GameSessionBase, keys: tuple) -> Image:
    """The client area once the board stands still after each of keys in turn."""
    game.wait_for_game("start")
    game.settled("start")
    for index, key in enumerate(keys):
        game.tap(key)
        game.settled(f"after-{index + 1}-{key.lower()}")
    return game.settled("compared")


def compare_and_keep(name: str, first: tuple, second: tuple, folder: Path,
                     tolerance: int = DEFAULT_TOLERANCE) -> tuple:
    """Compares two frames, each given as (build's name, picture), outside the knight's
    box, within tolerance levels per channel; keeps <build>.png of each, difference.png
    and agreement.txt in folder. Gives the agreement and its figures in words."""
    (first_name, first_picture), (second_name, second_picture) = first, second
    folder.mkdir(parents=True, exist_ok=True)
    first_picture.save_png(folder / f"{first_name}.png")
    second_picture.save_png(folder / f"{second_name}.png")
    write_png(difference_picture(first_picture, second_picture, tolerance, [KNIGHT]),
              folder / "difference.png")
    result: Agreement = agreement(first_picture, second_picture, tolerance, [KNIGHT])
    figures = (f"{name}: {result.share:.2%} of {result.compared} pixels within "
               f"{tolerance} levels, largest difference {result.largest}")
    (folder / "agreement.txt").write_text(figures + "\n", encoding="utf-8")
    print(figures)
    return result, figures


class AgreementScenarios:
    """Three key sequences after which two builds must show the same frame. A test
    module defines

        class AgreementTest(AgreementScenarios, unittest.TestCase):
            builds = (("native", NativeGameSession), ("wine", GameSession))
            kept_in = "agreement"

    and the pictures and figures of each sequence go to <work>/<kept_in>/<keys>/."""

    builds = ()  # (name, GameSessionBase subclass) of the two builds, the first drawn grey
    kept_in = ""  # the folder under the work folder

    def check_agreement(self, name: str, *keys: str, builds: tuple = (),
                        tolerance: int = DEFAULT_TOLERANCE, minimum: float = DEFAULT_MINIMUM):
        """builds: other builds than the module's (the same form); tolerance and
        minimum: what agreeing means, when not the usual."""
        frames = []
        for build, session_class in builds or self.builds:
            with session_class(self, part=build) as game:
                frames.append((build, frame_after(game, keys)))
                folder = game.config.work_dir / self.kept_in / name
        result, figures = compare_and_keep(name, frames[0], frames[1], folder, tolerance)
        self.assertGreaterEqual(result.share, minimum,
                                f"{figures}; see {folder / 'difference.png'}")

    def test_the_first_frames_agree(self):
        self.check_agreement("no-keys")

    def test_the_frames_after_three_steps_right_agree(self):
        self.check_agreement("right-3", "Right", "Right", "Right")

    def test_the_frames_after_two_steps_down_agree(self):
        self.check_agreement("down-2", "Down", "Down")

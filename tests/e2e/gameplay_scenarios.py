"""Playing the game, the same scenarios on every platform: the knight on the
board, its animation, walking with the arrow keys, the board's edges, the
About box pausing the walk, start-up without the knight's model, and closing.

A platform's test module defines

    class GameplayTest(GameplayScenarios, unittest.TestCase):
        session_class = GameSession   # or NativeGameSession

and each scenario runs with sessions of that class (see game_session.py).
"""

import math
import shutil
from pathlib import Path

from game_pictures import (KNIGHT, SKY, armour_centre, board_move_error, facing_of,
                           stage_heights, without_knight)
from game_session import ABOUT_TITLE, STARTUP_FAILURE_TITLE, GameSessionBase, copy_game_dir
from screen_image import Image, Rect

# Every message box fits in this many pixels across, whatever it says.
MESSAGE_BOX_WIDTH_LIMIT = 640
# Characters in the path of the deep game folder: a checkout under a long build
# path, where the full path in a message is wider than the screen on one line.
DEEP_FOLDER_PATH_LENGTH = 200
# Characters the deep folder adds at least to its parent, where the parent is
# itself long: a checkout in a deep folder.
DEEP_FOLDER_LEAST_ADDED = 40


def deep_folder_length(parent: Path) -> int:
    """The length of the deep folder's path below parent."""
    return max(DEEP_FOLDER_PATH_LENGTH, len(str(parent)) + 1 + DEEP_FOLDER_LEAST_ADDED)


def deep_folder_name(parent: Path, length: int) -> str:
    """Nested folder names that make parent/name a path of length characters."""
    room = length - len(str(parent)) - 1  # the separator after parent
    if room < 2:
        raise AssertionError(f"{parent} is too long for a path of {length} characters")
    names: list = []
    while room > 0:
        name = f"{len(names) + 1:02d}-a-folder-deep-in-a-long-build-path"[:room]
        if room - len(name) == 1:
            name = name[:-1]  # a separator alone would be left
        names.append(name)
        room -= len(name) + 1
    return "/".join(names)


def box_placement_problem(box: Rect, screen: Image) -> str:
    """Why a message box at box is too wide or off the screen; "" when it fits on it."""
    if box.width > MESSAGE_BOX_WIDTH_LIMIT:
        return f"the box {box} is {box.width} pixels wide, over {MESSAGE_BOX_WIDTH_LIMIT}"
    if box.left < 0 or box.top < 0 or box.right > screen.width or box.bottom > screen.height:
        return f"the box {box} leaves the {screen.width} x {screen.height} screen"
    return ""


class GameplayScenarios:
    session_class = None  # a GameSessionBase subclass

    def session(self, **options) -> GameSessionBase:
        return self.session_class(self, **options)

    def game_copy(self, name: str) -> Path:
        """A fresh copy of the platform's game folder, to change before a run."""
        config = self.session_class.config_type.from_environment()
        return copy_game_dir(config.game_dir, config.game_copies, name)

    def assert_board_moved_one_cell(self, game: GameSessionBase, before: Image, after: Image,
                                    from_cell: int, to_cell: int):
        problem = board_move_error(before, after, stage_heights(game.game_dir), from_cell,
                                   to_cell)
        self.assertEqual(problem, "", f"walking from cell {from_cell} to {to_cell}")

    def test_the_knight_stands_on_the_board_under_the_sky(self):
        with self.session() as game:
            game.wait_for_game("start")
            picture = game.settled("settled")
            armour_centre(picture)  # blue armour in the middle of the view
            self.assertEqual(facing_of(picture), 0, "the knight starts facing the camera's side")
            board = picture.crop(0, 300, picture.width, picture.height)
            grass = sum(1 for r, g, b in board.pixels() if g > r + 20 and g > b + 20)
            earth = sum(1 for r, g, b in board.pixels() if r > g + 15 and r > b + 30)
            self.assertGreater(grass, board.width * board.height // 2, "grass on the tiles")
            self.assertGreater(earth, 1000, "earth on the tiles' sides")
            self.assertEqual(picture.crop(0, 0, picture.width, 40).count_of(SKY),
                             picture.width * 40)

    def test_the_knight_moves_in_place_while_the_board_stands_still(self):
        with self.session() as game:
            game.wait_for_game("start")
            start = game.settled("start")
            for index, picture in enumerate(game.watch_the_knight()):
                if without_knight(picture).data != without_knight(start).data:
                    game.keep(picture, "board-moved")
                    self.fail(f"picture {index + 1}: something but the knight moved")

    def test_a_right_press_walks_one_cell_and_the_camera_follows(self):
        with self.session() as game:
            game.wait_for_game("start")
            before = game.settled("before")
            game.tap("Right")
            after = game.settled("after-right")
            self.assertEqual(facing_of(after), 90)
            self.assert_board_moved_one_cell(game, before, after, 0, 1)

    def test_ten_right_presses_stop_at_the_board_edge(self):
        with self.session() as game:
            game.wait_for_game("start")
            boards = [without_knight(game.settled("press-0"))]
            for press in range(1, 11):
                game.tap("Right")
                boards.append(without_knight(game.settled(f"press-{press}")))
            for press in range(1, 10):
                self.assertNotEqual(boards[press].data, boards[press - 1].data,
                                    f"press {press} walks one cell")
            self.assertEqual(boards[10].data, boards[9].data, "the tenth press meets the edge")
            self.assertEqual(facing_of(game.settled("last")), 90)

    def test_holding_right_for_two_seconds_walks_exactly_one_cell(self):
        with self.session() as game:
            game.wait_for_game("start")
            start = game.settled("start")
            game.hold("Right", 2.0)
            held = game.settled("held")
            self.assert_board_moved_one_cell(game, start, held, 0, 1)
            # One step back to the left brings back the starting board.
            game.tap("Left")
            back = game.settled("back")
            self.assertEqual(without_knight(back).data, without_knight(start).data)
            self.assertEqual(facing_of(back), -90)

    def test_up_or_left_at_the_start_change_nothing_and_down_walks(self):
        with self.session() as game:
            game.wait_for_game("start")
            start = without_knight(game.settled("start"))
            for key in ("Up", "Left"):
                game.tap(key)
                picture = game.settled(f"after-{key.lower()}")
                self.assertEqual(without_knight(picture).data, start.data, f"{key} at the edge")
                self.assertEqual(facing_of(picture), 0, f"{key} at the edge keeps the facing")
            before = game.settled("before-down")
            game.tap("Down")
            after = game.settled("after-down")
            self.assertEqual(facing_of(after), 0)
            self.assert_board_moved_one_cell(game, before, after, 0, 10)

    def test_the_about_box_stops_the_walk_and_closing_it_gives_it_back(self):
        with self.session() as game:
            game.wait_for_game("start")
            start = game.settled("start")
            game.press("alt+slash")
            about = game.wait_for_dialog(ABOUT_TITLE)
            game.tap("Right", window=about)
            game.tap("Down", window=about)
            covered = about.rect.relative_to(game.main_window.client)
            game.screenshot("during", game.main_window.client)
            for picture in game.watch_the_knight("frames go on behind the About box"):
                self.assertEqual(picture.without(KNIGHT, covered).data,
                                 start.without(KNIGHT, covered).data,
                                 "no step while the About box is open")
            game.press("Escape", window=about)
            game.wait_until_gone(ABOUT_TITLE)
            game.tap("Right")
            after = game.settled("after-about")
            self.assert_board_moved_one_cell(game, start, after, 0, 1)

    def test_the_camera_follows_the_knight_up_and_down_the_terraces(self):
        with self.session() as game:
            game.wait_for_game("start")
            start = armour_centre(game.settled("start"))
            heights = stage_heights(game.game_dir)
            cell = 0
            for key in ("Down", "Down", "Right", "Right", "Down", "Right", "Down"):
                game.tap(key)
                cell += {"Down": 10, "Right": 1}[key]
                picture = game.settled(f"cell-{cell}")
                centre = armour_centre(picture)
                # The armour bobs with the animation by a few pixels; a camera
                # that stayed behind would leave it a cell's height or width away.
                self.assertLess(math.hypot(centre[0] - start[0], centre[1] - start[1]), 10,
                                f"the knight stays in the middle on cell {cell} "
                                f"(height {heights[cell]}): {centre} against {start}")
            # The last view, the knight among the terraces, is the README's picture.
            if game.readme_picture() is not None:
                picture.save_png(game.readme_picture())

    def check_missing_knight_is_reported(self, folder: Path, expected_path: str = "",
                                         **options):
        """Starts the game in folder without the knight's model: a message box that fits
        the screen names the missing file (by expected_path, when given, as the game
        sees its folder), and closing it ends the game with exit code 1. options go to
        the session."""
        (folder / "MQA" / "BlueKnight.mqa").unlink()
        with self.session(game_dir=folder, wait_for_main_window=False, **options) as game:
            box = game.wait_for_dialog(STARTUP_FAILURE_TITLE)
            texts = game.startup_failure_text(box)
            screen = game.screenshot("message")
            self.assertEqual(box_placement_problem(game.refresh(box).rect, screen), "")
            # A box breaks a long path into lines; the text goes on across them.
            joined = texts.replace("\n", "")
            self.assertIn("MQA\\BlueKnight.mqa", joined)
            self.assertIn("見つかりません", joined)
            if expected_path:
                self.assertIn(f"ファイルが見つかりません: {expected_path}", joined)
            self.assertNotIn("\ufffd", texts, "a character of the path was lost")
            game.press("Return", window=box)
            self.assertEqual(game.wait_for_exit(), 1)
        shutil.rmtree(folder, ignore_errors=True)

    def test_without_the_knight_model_the_player_is_told_and_the_exit_code_is_1(self):
        self.check_missing_knight_is_reported(self.game_copy("without-knight"))

    def test_a_missing_model_in_a_folder_200_characters_deep_is_told_in_a_box_on_the_screen(self):
        copies = self.session_class.config_type.from_environment().game_copies
        length = deep_folder_length(copies)
        name = deep_folder_name(copies, length)
        folder = self.game_copy(name)
        self.assertEqual(len(str(folder)), length)
        missing = self.session_class.path_in_game(folder / "MQA" / "BlueKnight.mqa")
        try:
            self.check_missing_knight_is_reported(folder, expected_path=missing)
        finally:
            shutil.rmtree(copies / name.split("/")[0], ignore_errors=True)

    def test_closing_the_window_exits_with_0_and_leaves_no_process(self):
        with self.session() as game:
            game.wait_for_game("start")
            self.assertTrue(game.game_processes(), "the running game is seen as a process")
            game.press("alt+F4")
            self.assertEqual(game.wait_for_exit(), 0)

            game.wait_for(lambda: not game.game_processes(), 30, "no process of the game is left",
                          while_running=False, explain=lambda: str(game.game_processes()))

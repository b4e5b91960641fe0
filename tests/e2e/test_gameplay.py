"""Playing the game: the knight on the board, its animation, walking with the
arrow keys, the board's edges, the About box pausing the walk, and start-up
without the knight's model."""

import math
import shutil
import subprocess
import time
import unittest

from wine_harness import (SKY, Config, GameSession, Image, Rect, copy_game_dir)

# The camera follows the knight, so the knight always stands at the middle of
# the view; everything it moves (limbs, sword, cape) stays inside this part of
# the client area, and nothing outside it moves unless the knight walks.
KNIGHT = Rect(260, 120, 380, 262)

STARTUP_FAILURE_TITLE = "Korvane エラー"

# Camera geometry of the game: it looks at the knight from (2000, 1000, 2000)
# away, 3000 units, with a vertical field of view of 10 degrees over 480 rows.
CAMERA_DISTANCE = 3000.0
PIXELS_PER_UNIT = 240.0 / (CAMERA_DISTANCE * math.tan(math.radians(5.0)))
CAMERA_RIGHT = (1 / math.sqrt(2), 0.0, -1 / math.sqrt(2))
CAMERA_UP = (-1 / (3 * math.sqrt(2)), 4 / (3 * math.sqrt(2)), -1 / (3 * math.sqrt(2)))
CELL = 100.0
UNIT_HEIGHT_PER_FACTOR = 50.0


def stage_heights() -> list:
    """The 100 height factors of the stage file the game reads."""
    text = (Config.from_environment().game_dir / "Stage1.vtm").read_text()
    return [float(value) for value in text.split()[:100]]


def expected_board_shift(from_cell: int, to_cell: int) -> tuple:
    """How far the board moves on screen, in pixels (x right, y down), when
    the knight walks from one cell to another and the camera follows it."""
    heights = stage_heights()
    dx = CELL * (to_cell % 10 - from_cell % 10)
    dz = CELL * (to_cell // 10 - from_cell // 10)
    dy = UNIT_HEIGHT_PER_FACTOR * (heights[to_cell] - heights[from_cell])
    motion = (-dx, -dy, -dz)  # the world, as seen from the following camera

    def along(axis):
        return sum(m * a for m, a in zip(motion, axis))

    return PIXELS_PER_UNIT * along(CAMERA_RIGHT), -PIXELS_PER_UNIT * along(CAMERA_UP)


def without(image: Image, *parts: Rect) -> Image:
    """The picture with the given parts blacked out (parts may reach beyond it)."""
    rows = [bytearray(image.row(y)) for y in range(image.height)]
    for part in parts:
        left, right = max(part.left, 0), min(part.right, image.width)
        for y in range(max(part.top, 0), min(part.bottom, image.height)):
            rows[y][3 * left:3 * right] = bytes(3 * max(right - left, 0))
    return Image(image.width, image.height, b"".join(bytes(row) for row in rows))


def without_knight(image: Image) -> Image:
    """The client-area picture with the knight's part blacked out."""
    return without(image, KNIGHT)


def armour_centre(image: Image) -> tuple:
    """Where the knight's blue armour is, on average, in the client area."""
    knight = image.crop_rect(KNIGHT)
    xs, ys = [], []
    for index, (r, g, b) in enumerate(knight.pixels()):
        if b > 150 and r < 100 and g < 120:
            xs.append(index % knight.width)
            ys.append(index // knight.width)
    if len(xs) < 300:
        raise AssertionError(f"only {len(xs)} pixels of blue armour where the knight stands")
    return KNIGHT.left + sum(xs) / len(xs), KNIGHT.top + sum(ys) / len(ys)


def facing_of(image: Image) -> int:
    """The knight's facing in degrees, told by what the camera sees of it: the
    white cross of its shield from the front (0), its red cape from behind
    (180) or from its left (-90), neither shield nor much cape from its
    right (90)."""
    knight = image.crop_rect(KNIGHT)
    red = sum(1 for r, g, b in knight.pixels() if r > 150 and g < 80 and b < 80)
    white = sum(1 for r, g, b in knight.pixels() if min(r, g, b) > 200)
    if white > 140:
        return 0
    if white > 40:
        return 180
    return -90 if red > 550 else 90


def skyline(image: Image) -> list:
    """For every column, the first row that is not sky: the outline of the
    board's far edges against the sky, sharp whatever the textures do."""
    sky = bytes(SKY)
    outline = []
    for x in range(image.width):
        y = 0
        while y < image.height and image.data[3 * (y * image.width + x):
                                               3 * (y * image.width + x) + 3] == sky:
            y += 1
        outline.append(y)
    return outline


def skyline_shift(before: Image, after: Image) -> tuple:
    """The shift (x right, y down, in pixels) that best carries the board's
    outline in before onto after, and the mean row error left at that shift.
    Columns of the knight are left out."""
    def outside_knight(x):
        return not KNIGHT.left <= x < KNIGHT.right

    old, new = skyline(before), skyline(after)
    best = None
    for dx in range(-150, 151):
        columns = [x for x in range(before.width)
                   if outside_knight(x) and 0 <= x + dx < after.width and outside_knight(x + dx)]
        if len(columns) < before.width // 4:
            continue
        steps = sorted(new[x + dx] - old[x] for x in columns)
        dy = steps[len(steps) // 2]
        error = sum(abs(new[x + dx] - old[x] - dy) for x in columns) / len(columns)
        if best is None or error < best[2]:
            best = (dx, dy, error)
    return best


class GameplayTest(unittest.TestCase):

    def settled(self, game: GameSession, label: str) -> Image:
        """The client area once the board stands still (the knight's part may move)."""
        previous = [None]

        def still(image: Image) -> bool:
            board = without_knight(image)
            same = previous[0] is not None and board.data == previous[0].data
            previous[0] = board
            return same

        return game.wait_for_picture(game.main_window.client, still, label, timeout=10)

    def assert_board_moved_one_cell(self, before: Image, after: Image, from_cell: int,
                                    to_cell: int):
        # The board's far edges move as the camera follows the knight: by one
        # cell as it looks at the knight's distance, a little more for the
        # parts of the edges nearer the camera.
        expected = expected_board_shift(from_cell, to_cell)
        dx, dy, error = skyline_shift(before, after)
        self.assertLess(error, 3.0, "the board's outline moved as one piece")
        self.assertLessEqual(math.hypot(dx - expected[0], dy - expected[1]),
                             0.1 * math.hypot(*expected) + 3,
                             f"the board moved by ({dx}, {dy}); one cell is about {expected}")

    def test_the_knight_stands_on_the_board_under_the_sky(self):
        with GameSession(self) as game:
            picture = game.wait_for_game("start")
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
        with GameSession(self) as game:
            game.wait_for_game("start")
            shots = [game.screenshot(f"frame-{i}", game.main_window.client) for i in range(8)]
            boards = {without_knight(shot).data for shot in shots}
            knights = {shot.crop_rect(KNIGHT).data for shot in shots}
            self.assertEqual(len(boards), 1, "nothing but the knight moves")
            self.assertGreater(len(knights), 2, "the knight's animation plays")

    def test_a_right_press_walks_one_cell_and_the_camera_follows(self):
        with GameSession(self) as game:
            game.wait_for_game("start")
            before = self.settled(game, "before")
            game.tap("Right")
            after = self.settled(game, "after-right")
            self.assertEqual(facing_of(after), 90)
            self.assert_board_moved_one_cell(before, after, 0, 1)

    def test_ten_right_presses_stop_at_the_board_edge(self):
        with GameSession(self) as game:
            game.wait_for_game("start")
            boards = [without_knight(self.settled(game, "press-0"))]
            for press in range(1, 11):
                game.tap("Right")
                boards.append(without_knight(self.settled(game, f"press-{press}")))
            for press in range(1, 10):
                self.assertNotEqual(boards[press].data, boards[press - 1].data,
                                    f"press {press} walks one cell")
            self.assertEqual(boards[10].data, boards[9].data, "the tenth press meets the edge")
            self.assertEqual(facing_of(game.screenshot("last", game.main_window.client)), 90)

    def test_holding_right_for_two_seconds_walks_exactly_one_cell(self):
        with GameSession(self) as game:
            game.wait_for_game("start")
            start = self.settled(game, "start")
            game.hold("Right", 2.0)
            held = self.settled(game, "held")
            self.assert_board_moved_one_cell(start, held, 0, 1)
            # One step back to the left brings back the starting board.
            game.tap("Left")
            back = self.settled(game, "back")
            self.assertEqual(without_knight(back).data, without_knight(start).data)
            self.assertEqual(facing_of(back), -90)

    def test_up_or_left_at_the_start_change_nothing_and_down_walks(self):
        with GameSession(self) as game:
            game.wait_for_game("start")
            start = without_knight(self.settled(game, "start"))
            for key in ("Up", "Left"):
                game.tap(key)
                picture = self.settled(game, f"after-{key.lower()}")
                self.assertEqual(without_knight(picture).data, start.data, f"{key} at the edge")
                self.assertEqual(facing_of(picture), 0, f"{key} at the edge keeps the facing")
            before = self.settled(game, "before-down")
            game.tap("Down")
            after = self.settled(game, "after-down")
            self.assertEqual(facing_of(after), 0)
            self.assert_board_moved_one_cell(before, after, 0, 10)

    def test_the_about_box_stops_the_walk_and_closing_it_gives_it_back(self):
        with GameSession(self) as game:
            game.wait_for_game("start")
            start = self.settled(game, "start")
            game.press("alt+slash")
            about = game.wait_for_window("バージョン情報", class_name="#32770")
            game.wait_for(lambda: game.refresh(about).foreground, 10, "the About box is active")
            game.tap("Right", window=about)
            game.tap("Down", window=about)
            during = [game.screenshot(f"during-{i}", game.main_window.client) for i in range(4)]
            covered = about.rect.relative_to(game.main_window.client)
            for picture in during:
                self.assertEqual(without(picture, KNIGHT, covered).data,
                                 without(start, KNIGHT, covered).data,
                                 "no step while the About box is open")
            self.assertGreater(len({p.crop_rect(KNIGHT).data for p in during}), 1,
                               "frames go on behind the About box")
            game.press("Escape", window=about)
            game.wait_until_gone("バージョン情報")
            game.wait_for(lambda: game.refresh(game.main_window).foreground, 10,
                          "the main window is active again")
            game.tap("Right")
            after = self.settled(game, "after-about")
            self.assert_board_moved_one_cell(start, after, 0, 1)

    def test_the_camera_follows_the_knight_up_and_down_the_terraces(self):
        with GameSession(self) as game:
            start = armour_centre(game.wait_for_game("start"))
            heights = stage_heights()
            cell = 0
            for key in ("Down", "Down", "Right", "Right", "Down", "Right", "Down"):
                game.tap(key)
                cell += {"Down": 10, "Right": 1}[key]
                picture = self.settled(game, f"cell-{cell}")
                centre = armour_centre(picture)
                # The armour bobs with the animation by a few pixels; a camera
                # that stayed behind would leave it a cell's height or width away.
                self.assertLess(math.hypot(centre[0] - start[0], centre[1] - start[1]), 10,
                                f"the knight stays in the middle on cell {cell} "
                                f"(height {heights[cell]}): {centre} against {start}")
            # The last view, the knight among the terraces, is the README's picture.
            picture.save_png(game.config.readme_screenshot)

    def test_without_the_knight_model_the_player_is_told_and_the_exit_code_is_1(self):
        config = Config.from_environment()
        folder = copy_game_dir(config, "without-knight")
        (folder / "MQA" / "BlueKnight.mqa").unlink()
        with GameSession(self, game_dir=folder, wait_for_main_window=False) as game:
            box = game.wait_for_window(STARTUP_FAILURE_TITLE, class_name="#32770")
            texts = "\n".join(c.text for c in box.controls if c.class_name.lower() == "static")
            self.assertIn("MQA\\BlueKnight.mqa", texts)
            self.assertIn("見つかりません", texts)
            game.screenshot("message")
            game.press("Return", window=box)
            self.assertEqual(game.wait_for_exit(timeout=5.0), 1)
        shutil.rmtree(folder, ignore_errors=True)

    def test_closing_the_window_exits_with_0_and_leaves_no_process(self):
        with GameSession(self) as game:
            game.wait_for_game("start")
            game.press("alt+F4")
            self.assertEqual(game.wait_for_exit(timeout=5.0), 0)
            deadline = time.monotonic() + 5.0
            while self.game_processes() and time.monotonic() < deadline:
                time.sleep(0.2)
            self.assertEqual(self.game_processes(), [], "no Korvane.exe process is left")

    @staticmethod
    def game_processes() -> list:
        found = subprocess.run(["pgrep", "-f", "Korvane.exe"], capture_output=True, timeout=10)
        return found.stdout.split()


if __name__ == "__main__":
    unittest.main()

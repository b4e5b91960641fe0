"""The native korvane's window, About box, exits and start-up failures,
driven as a player would."""

import unittest

from game_pictures import CLIENT_SIZE, SKY
from game_session import MAIN_TITLE, STARTUP_FAILURE_TITLE
from gameplay_scenarios import box_placement_problem
from native_harness import MAIN_CLASS, NativeConfig, NativeGameSession, copy_game_dir
from screen_image import Image, Rect
from shell_scenarios import AboutBoxScenarios

# Levels by which the text and the button of a message box stand out of its face.
CONTRAST = 60


def box_drawing_problem(box: Image) -> str:
    """Why a picture of SDL's message box is not a box with a line of text above a
    button; "" when it is. Its face is the colour of its corner."""
    face = box.pixel(2, 2)

    def standing_out(part: Image) -> int:
        return sum(1 for pixel in part.pixels()
                   if max(abs(a - b) for a, b in zip(pixel, face)) > CONTRAST)

    half = box.height // 2
    text = standing_out(box.crop(0, 0, box.width, half))
    button = standing_out(box.crop(0, half, box.width, box.height))
    if text < 30:
        return f"no line of text in the box's upper half ({text} pixels stand out)"
    if button < 100:
        return f"no button in the box's lower half ({button} pixels stand out)"
    return ""


def folder_as_shift_jis_scans_it(path: str) -> str:
    """The folder of path as a scan that takes bytes for Shift-JIS lead bytes cuts it."""
    data = path.encode()
    end, index = 0, 0
    while index < len(data):
        if data[index] == ord("/"):
            end = index + 1
        elif 0x81 <= data[index] <= 0x9F or 0xE0 <= data[index] <= 0xFC:
            index += 1
        index += 1
    return data[:end].decode(errors="replace")


class MainWindowTest(unittest.TestCase):

    def test_window_is_titled_korvane_with_a_640_by_480_client_area_drawn_to_its_edges(self):
        with NativeGameSession(self) as game:
            window = game.main_window
            self.assertEqual(window.class_name, MAIN_CLASS)
            self.assertEqual(window.pid, game.process.pid, "the window is the game's")
            self.assertEqual(window.rect, Rect(0, 0, *CLIENT_SIZE))
            game.wait_for_game("client")
            # The drawn picture and the window coincide: the sky reaches the
            # window's top, left and right edges and nothing beyond them.
            around = Rect(0, 0, CLIENT_SIZE[0] + 40, CLIENT_SIZE[1] + 40)

            def sky_fills_the_window(picture: Image) -> bool:
                box = picture.bounding_box_of(SKY)
                return box is not None and box[:3] == (0, 0, CLIENT_SIZE[0])

            picture = game.wait_for_picture(around, sky_fills_the_window, "around")
            self.assertEqual(picture.crop(0, CLIENT_SIZE[1], picture.width, picture.height)
                             .count_of(SKY), 0, "no sky below the client area")
            self.assertEqual(game.screen.windows_named(MAIN_TITLE), [window.x_window])


class AboutBoxTest(AboutBoxScenarios, unittest.TestCase):
    """The scenarios of shell_scenarios.py with SDL's message box as the About box."""
    session_class = NativeGameSession

    def check_about_box(self, game: NativeGameSession, about) -> None:
        self.assertEqual(len(game.find_windows(MAIN_TITLE)), 1, "the game stays open")
        client = game.main_window.client
        inside = about.rect.relative_to(client)
        self.assertTrue(0 <= inside.left and inside.right <= client.width
                        and 0 <= inside.top and inside.bottom <= client.height,
                        f"the box {about.rect} stands over the game {client}")
        game.wait_for_right_picture(about.rect, box_drawing_problem, "about")

    def check_game_has_the_keyboard(self, game: NativeGameSession) -> None:
        self.assertTrue(game.running)
        game.wait_for(lambda: game.screen.focused_window() == game.main_window.x_window,
                      30, "the game's window has the keyboard focus again")


class ExitTest(unittest.TestCase):

    def test_alt_f4_ends_the_game_with_code_0(self):
        with NativeGameSession(self) as game:
            game.wait_for_game("before")
            game.press("alt+F4")
            self.assertEqual(game.wait_for_exit(), 0)

    def test_a_missing_model_in_a_japanese_folder_is_reported_with_its_path(self):
        # The game in folders named in Japanese: in UTF-8 their bytes hold what
        # Shift-JIS would take for lead bytes, the last one just before a separator.
        nested = copy_game_dir(NativeConfig.from_environment(), "ゲーム/あ")
        self.assertNotEqual(folder_as_shift_jis_scans_it(str(nested) + "/korvane"),
                            str(nested) + "/", "the folder's name tests the scan")
        (nested / "MQA" / "BlueKnight.mqa").unlink()
        with NativeGameSession(self, game_dir=nested, wait_for_main_window=False) as game:
            box = game.wait_for_window(STARTUP_FAILURE_TITLE)
            message = game.startup_failure_text(box)
            expected = str(nested / "MQA" / "BlueKnight.mqa")
            self.assertIn(f"ファイルが見つかりません: {expected}", message)
            self.assertNotIn("\ufffd", message, "no character lost on the way")
            # A checkout deep in the folders makes the path long: the box still fits.
            screen = game.screenshot("screen")
            self.assertEqual(box_placement_problem(game.refresh(box).rect, screen), "")
            game.wait_for_right_picture(box.rect, box_drawing_problem, "message")
            game.press("Return", window=box)
            self.assertEqual(game.wait_for_exit(), 1)


if __name__ == "__main__":
    unittest.main()

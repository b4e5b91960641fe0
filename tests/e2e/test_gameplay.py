"""Playing Korvane.exe under Wine: the scenarios of gameplay_scenarios.py, and
start-up without the knight's model from a folder with Japanese characters."""

import unittest

from gameplay_scenarios import GameplayScenarios
from wine_harness import Config, GameSession, copy_game_dir

JAPANESE_FOLDER = "ゲーム ソフト"


class GameplayTest(GameplayScenarios, unittest.TestCase):
    session_class = GameSession

    def test_the_missing_model_is_named_with_the_japanese_folder_it_lies_in(self):
        # The game's own folder comes from the system in the ANSI code page (932 in
        # the prefix): kana, a space, and ソ, whose second byte is a backslash's.
        config = Config.from_environment()
        folder = copy_game_dir(config, JAPANESE_FOLDER, parent=config.prefix.drive_c)
        self.check_missing_knight_is_reported(
            folder, expected_path=f"C:\\{JAPANESE_FOLDER}\\MQA\\BlueKnight.mqa",
            executable=f"C:\\{JAPANESE_FOLDER}\\Korvane.exe")


if __name__ == "__main__":
    unittest.main()

"""The players' zip: what it holds, and the game it holds played from a folder
whose path has a space and Japanese characters, as a player may unpack it."""

import shutil
import unittest
import zipfile

from game_pictures import board_move_error, stage_heights
from pe_resources import PeResources
from processes import HarnessError
from wine_harness import Config, GameSession

DATA_FOLDERS = ("MQO", "MQA", "TEXTURE")
# A space, and Japanese characters: "ソ" is 0x83 0x5C in code page 932, its
# second byte a backslash's, which a path reader that walks the bytes alone
# would take for a folder's end.
UNPACKED_FOLDER = ("ゲームソフト", "Korvane 0.1")


def unpacked_files(config: Config) -> dict:
    """{name in the zip: bytes} of every file, folders left out."""
    if not config.package.is_file():
        raise HarnessError(f"{config.package} does not exist: build it first "
                           "(cmake --build --preset windows-mingw --target package)")
    with zipfile.ZipFile(config.package) as archive:
        return {info.filename: archive.read(info) for info in archive.infolist()
                if not info.is_dir()}


class PackageTest(unittest.TestCase):

    def setUp(self):
        self.config = Config.from_environment()
        self.config.require_game()

    def test_zip_holds_the_game_its_data_and_a_readme_and_nothing_else(self):
        self.assertEqual(self.config.package.name, f"Korvane-{self.config.version}-win64.zip")
        files = unpacked_files(self.config)
        game_dir = self.config.game_dir
        data = {path.relative_to(game_dir).as_posix(): path.read_bytes()
                for folder in DATA_FOLDERS for path in (game_dir / folder).rglob("*")
                if path.is_file()}
        data["Stage1.vtm"] = (game_dir / "Stage1.vtm").read_bytes()
        self.assertEqual(sorted(files), sorted(["Korvane.exe", "README.txt", *data]))
        for name, content in data.items():
            self.assertEqual(files[name], content, f"{name} is the game's own")
        # The packaged game is this build's: the same resources, version included.
        self.assertEqual(PeResources(data=files["Korvane.exe"]).entries,
                         PeResources(self.config.game_exe).entries)
        readme = files["README.txt"].decode("ascii")
        self.assertTrue(readme.startswith(f"Korvane {self.config.version}\r\n"), readme[:40])
        self.assertNotIn("\n", readme.replace("\r\n", ""), "Windows line ends throughout")
        for words in ("Korvane.exe", "nothing to install", "Arrow keys", "Alt+F4"):
            self.assertIn(words, readme)

    def test_unpacked_under_a_japanese_path_with_a_space_the_knight_walks_and_alt_f4_ends_it(self):
        files = unpacked_files(self.config)
        self.config.require_prefix()
        top = self.config.prefix.drive_c / UNPACKED_FOLDER[0]
        folder = top / UNPACKED_FOLDER[1]
        shutil.rmtree(top, ignore_errors=True)
        for name, content in files.items():
            (folder / name).parent.mkdir(parents=True, exist_ok=True)
            (folder / name).write_bytes(content)
        windows_path = "C:\\" + "\\".join(UNPACKED_FOLDER) + "\\Korvane.exe"
        with GameSession(self, game_dir=folder, executable=windows_path) as game:
            game.wait_for_game("start")
            before = game.settled("before")
            game.tap("Right")
            after = game.settled("after-right")
            self.assertEqual(board_move_error(before, after, stage_heights(folder), 0, 1), "",
                             "the knight walks one cell")
            game.press("alt+F4")
            self.assertEqual(game.wait_for_exit(), 0)
        shutil.rmtree(top, ignore_errors=True)


if __name__ == "__main__":
    unittest.main()

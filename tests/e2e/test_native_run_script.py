"""The README's run command, tools/run_game.sh, starts the native game: its
window appears, it plays, and Alt+F4 ends it, and the script, with 0."""

import os
import unittest

from game_pictures import without_knight
from native_harness import NativeGameSession
from processes import HarnessError
from wine_harness import REPOSITORY

# The script first checks the packages and brings the native build up to date:
# a minute when it has to build, on a loaded machine.
RUN_SCRIPT_TIMEOUT = 600.0


class RunScriptSession(NativeGameSession):
    """The native game started by tools/run_game.sh, which replaces itself with it."""

    def __init__(self, test: unittest.TestCase):
        super().__init__(test)
        self.window_timeout = RUN_SCRIPT_TIMEOUT

    def command(self) -> list:
        return [str(REPOSITORY / "tools" / "run_game.sh")]


class RunScriptTest(unittest.TestCase):

    def test_the_run_command_starts_the_native_game_and_alt_f4_ends_it_with_0(self):
        if not os.access(REPOSITORY / "tools" / "run_game.sh", os.X_OK):
            raise HarnessError("tools/run_game.sh is not executable")
        with RunScriptSession(self) as game:
            self.assertEqual(game.main_window.pid, game.process.pid,
                             "the script has become the game")
            game.wait_for_game("start")
            before = game.settled("before")
            game.tap("Right")
            after = game.settled("after-right")
            self.assertNotEqual(without_knight(after).data, without_knight(before).data,
                                "a press of Right walks the knight")
            game.press("alt+F4")
            self.assertEqual(game.wait_for_exit(), 0)


if __name__ == "__main__":
    unittest.main()

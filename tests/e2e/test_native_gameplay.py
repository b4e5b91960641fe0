"""Playing the native korvane: the scenarios of gameplay_scenarios.py."""

import unittest

from gameplay_scenarios import GameplayScenarios
from native_harness import NativeGameSession


class GameplayTest(GameplayScenarios, unittest.TestCase):
    session_class = NativeGameSession


if __name__ == "__main__":
    unittest.main()

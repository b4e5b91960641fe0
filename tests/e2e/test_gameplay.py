"""Playing Korvane.exe under Wine: the scenarios of gameplay_scenarios.py."""

import unittest

from gameplay_scenarios import GameplayScenarios
from wine_harness import GameSession


class GameplayTest(GameplayScenarios, unittest.TestCase):
    session_class = GameSession


if __name__ == "__main__":
    unittest.main()

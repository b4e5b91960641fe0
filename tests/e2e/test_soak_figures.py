"""The memory figures tools/soak.sh reports, from samples made up for the purpose."""

import unittest

from soak import SAMPLE_INTERVAL, MemoryLog, Sample


def log_of(values: list) -> MemoryLog:
    memory = MemoryLog(pid=0, command="")
    memory.samples = [Sample(index * SAMPLE_INTERVAL, value, index)
                      for index, value in enumerate(values)]
    return memory


class SoakFiguresTest(unittest.TestCase):

    def test_growth_counts_from_the_sample_taken_at_60_s(self):
        cases = [
            # (samples every 10 s from 0 s, growth to the last, growth to the largest)
            ([500, 400, 300, 200, 100, 50, 1000], (0, 0)),
            ([500, 400, 300, 200, 100, 50, 1000, 1200, 1100], (100, 200)),
            ([9000, 0, 0, 0, 0, 0, 1000, 900, 800], (-200, 0)),
        ]
        for values, growth in cases:
            with self.subTest(values=values):
                self.assertEqual(log_of(values).growth_kib(), growth)

    def test_no_growth_figure_before_the_first_minute_is_over(self):
        self.assertIsNone(log_of([100] * 6).growth_kib())

    def test_the_floor_compares_the_last_minute_with_the_second(self):
        second_minute = [1000, 1500, 900, 1700, 1200, 1000, 1100]  # 60 s to 120 s
        cases = [
            # (the samples from 130 s on, the floor's growth)
            ([3000, 950, 3000, 1800, 1000, 990, 2000], 50),  # passing peaks do not count
            ([1500, 1600, 1700, 1800, 1900, 2000, 2100], 600),  # a leak raises the floor
        ]
        for rest, growth in cases:
            with self.subTest(rest=rest):
                values = [5000] * 6 + second_minute + rest
                self.assertEqual(log_of(values).floor_growth_kib(), growth)

    def test_no_floor_figure_for_runs_shorter_than_three_minutes(self):
        self.assertIsNone(log_of([100] * 18).floor_growth_kib())
        self.assertEqual(log_of([100] * 19).floor_growth_kib(), 0)


if __name__ == "__main__":
    unittest.main()

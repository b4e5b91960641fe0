"""The memory figures tools/soak.sh reports, from samples made up for the purpose."""

import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tools"))

from soak import SAMPLE_INTERVAL, MemoryLog, Sample, resident_kib_in_smaps  # noqa: E402


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

    def test_each_whole_minute_has_its_floor(self):
        values = [900, 800, 700, 600, 500, 400, 450] + [350, 360, 370, 380, 390] + [340, 99]
        # 0-60 s, 60-120 s (sharing the 60 s sample); the third minute is not whole
        self.assertEqual(log_of(values).floors_by_minute_kib(), [400, 340])
        self.assertEqual(log_of(values[:6]).floors_by_minute_kib(), [])

    def test_no_floor_figure_for_runs_shorter_than_three_minutes(self):
        self.assertIsNone(log_of([100] * 18).floor_growth_kib())
        self.assertEqual(log_of([100] * 19).floor_growth_kib(), 0)


SMAPS = """\
55d0c0a00000-55d0c0a21000 rw-p 00000000 00:00 0                          [heap]
Size:                132 kB
Rss:                 120 kB
7f1e2c000000-7f1e2c021000 rw-p 00000000 00:00 0 
Size:                132 kB
Rss:                  64 kB
7f1e2d000000-7f1e2d400000 rwxp 00000000 00:00 0 
Size:               4096 kB
Rss:                 300 kB
7f1e2e000000-7f1e2e010000 r-xp 00000000 08:01 1234                       /opt/a game/lib one.so
Size:                 64 kB
Rss:                  40 kB
VmFlags: rd ex mr mw me sd
7f1e2e010000-7f1e2e012000 r--p 00010000 08:01 1234                       /opt/a game/lib one.so
Size:                  8 kB
Rss:                   8 kB
7f1e2f000000-7f1e2f001000 rw-p 00000000 00:00 0 
Rss:                   4 kB
"""


class SoakMappingsTest(unittest.TestCase):

    def test_smaps_sums_resident_memory_by_file_kernel_name_or_anonymous_permissions(self):
        self.assertEqual(resident_kib_in_smaps(SMAPS), {
            "[heap]": 120,
            "anonymous rw-p": 68,
            "anonymous rwxp": 300,
            "/opt/a game/lib one.so": 48,
        })

    def test_the_report_lists_the_mappings_that_changed_most_and_the_whole_change(self):
        memory = log_of([100] * 7)
        memory.mappings_warmed_up = {"[heap]": 1000, "anonymous rwxp": 50, "lib.so": 10,
                                     "gone.so": 30}
        memory.mappings_last = {"[heap]": 1004, "anonymous rwxp": 2050, "lib.so": 10,
                                "new.so": 70}
        report = memory.mapping_report()
        self.assertEqual(report[1].split(), ["+2,000", "KiB", "2,050", "KiB", "anonymous", "rwxp"])
        self.assertEqual(report[2].split()[-1], "new.so")
        self.assertEqual(report[3].split()[-1], "gone.so")
        self.assertEqual(report[4].split()[-1], "[heap]")
        self.assertFalse(any("lib.so" in line for line in report), "unchanged mappings are left out")
        self.assertEqual(report[-1].split()[0], "+2,044")


if __name__ == "__main__":
    unittest.main()

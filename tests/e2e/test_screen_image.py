"""The picture operations the end-to-end checks rely on."""

import struct
import unittest
import zlib
from pathlib import Path
import tempfile

from screen_image import Image, Rect

RED, SKY, WHITE = (255, 0, 0), (180, 220, 255), (255, 255, 255)


def picture(rows: list) -> Image:
    """An image from rows of colours."""
    return Image(len(rows[0]), len(rows), b"".join(bytes(c) for row in rows for c in row))


class ImageTest(unittest.TestCase):

    def test_reads_ppm_as_imagemagick_writes_it(self):
        ppm = b"P6\n3 2\n255\n" + bytes(range(18))
        image = Image.from_ppm(ppm)
        self.assertEqual((image.width, image.height), (3, 2))
        self.assertEqual(image.pixel(0, 0), (0, 1, 2))
        self.assertEqual(image.pixel(2, 1), (15, 16, 17))
        for bad in (b"P3\n1 1\n255\n0 0 0", b"P6\n1 1\n65535\n" + bytes(6), b"", b"P6\n1 1\n25",
                    b"P6\n1 1\n255", b"P6\n2 2\n255\n" + bytes(5)):
            with self.assertRaises(ValueError):
                Image.from_ppm(bad)

    def test_bounding_box_and_crop_find_a_region_exactly(self):
        image = picture([[WHITE] * 5, [WHITE, SKY, SKY, WHITE, WHITE],
                         [WHITE, SKY, SKY, WHITE, SKY], [WHITE] * 5])
        self.assertEqual(image.bounding_box_of(SKY), (1, 1, 5, 3))
        self.assertIsNone(image.bounding_box_of(RED))
        inner = image.crop_rect(Rect(1, 1, 3, 3))
        self.assertTrue(inner.is_filled_with(SKY))
        self.assertFalse(image.crop_rect(Rect(1, 1, 4, 3)).is_filled_with(SKY))
        with self.assertRaises(ValueError):
            image.crop_rect(Rect(3, 0, 6, 1))

    def test_without_blacks_out_the_parts_also_where_they_reach_beyond_it(self):
        image = picture([[RED, SKY, WHITE], [SKY, RED, SKY], [WHITE, SKY, RED]])
        black = (0, 0, 0)
        self.assertIs(image.without(), image)
        self.assertEqual(image.without(Rect(1, 1, 2, 2)).data,
                         picture([[RED, SKY, WHITE], [SKY, black, SKY], [WHITE, SKY, RED]]).data)
        self.assertEqual(image.without(Rect(-5, 2, 1, 9), Rect(2, -1, 9, 1)).data,
                         picture([[RED, SKY, black], [SKY, RED, SKY], [black, SKY, RED]]).data)
        self.assertEqual(image.without(Rect(5, 5, 9, 9)).data, image.data)
        self.assertEqual(image.data[:3], bytes(RED), "the picture itself is left as it was")

    def test_counts_and_differences_honour_the_tolerance(self):
        a = picture([[(100, 100, 100), (110, 100, 100), (200, 0, 0)]])
        b = picture([[(100, 100, 100), (100, 100, 100), (100, 0, 0)]])
        self.assertEqual(a.count_of((100, 100, 100)), 1)
        self.assertEqual(a.count_of((100, 100, 100), tolerance=10), 2)
        self.assertEqual(a.differing_pixels(b), 2)
        self.assertEqual(a.differing_pixels(b, tolerance=10), 1)

    def test_reduced_averages_each_block_rounding_to_the_nearest(self):
        image = picture([[RED, SKY, SKY, SKY], [WHITE, RED, SKY, SKY]])
        self.assertEqual(image.reduced(2).data, picture([[(236, 119, 128), SKY]]).data)
        self.assertEqual(image.reduced(1).data, image.data)
        for factor in (0, 3):
            with self.assertRaises(ValueError):
                image.reduced(factor)

    def test_png_holds_the_pixels(self):
        image = picture([[RED, SKY], [WHITE, RED], [SKY, SKY]])
        with tempfile.TemporaryDirectory() as folder:
            data = image.save_png(Path(folder) / "shot.png").read_bytes()
        self.assertEqual(data[:8], b"\x89PNG\r\n\x1a\n")
        width, height, depth, kind = struct.unpack(">IIBB", data[16:26])
        self.assertEqual((width, height, depth, kind), (2, 3, 8, 2))
        start = data.index(b"IDAT")
        length = struct.unpack(">I", data[start - 4:start])[0]
        self.assertEqual(zlib.crc32(data[start:start + 4 + length]) & 0xFFFFFFFF,
                         struct.unpack(">I", data[start + 4 + length:start + 8 + length])[0])
        raw = zlib.decompress(data[start + 4:start + 4 + length])
        rows = [raw[y * 7:(y + 1) * 7] for y in range(3)]
        self.assertEqual([row[0] for row in rows], [0, 0, 0])  # no row filter
        self.assertEqual(b"".join(row[1:] for row in rows), image.data)


if __name__ == "__main__":
    unittest.main()

"""tools/frame_agreement.py: agreement counts, the parts left out, the
difference picture, the command's verdict, and reading PNG and PPM files."""

import struct
import sys
import tempfile
import unittest
import zlib
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tools"))

import frame_agreement  # noqa: E402
from frame_agreement import Picture, agreement, difference_picture, read_picture, write_png  # noqa: E402


def filled(width, height, colour):
    return Picture(width, height, bytes(colour) * (width * height))


def with_pixel(picture, x, y, colour):
    data = bytearray(picture.data)
    offset = 3 * (y * picture.width + x)
    data[offset:offset + 3] = bytes(colour)
    return Picture(picture.width, picture.height, bytes(data))


def png_chunk(kind, body):
    return (struct.pack(">I", len(body)) + kind + body
            + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))


def paeth(left, up, corner):
    estimate = left + up - corner
    pa, pb, pc = abs(estimate - left), abs(estimate - up), abs(estimate - corner)
    return left if pa <= pb and pa <= pc else (up if pb <= pc else corner)


def encode_png(width, height, colour_type, rows, palette=None):
    """A PNG whose row k is written with filter k mod 5 (none, sub, up, average, Paeth)."""
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[colour_type]
    raw = b""
    previous = bytes(width * channels)
    for index, row in enumerate(rows):
        kind = index % 5
        encoded = bytearray()
        for i, value in enumerate(row):
            left = row[i - channels] if i >= channels else 0
            up = previous[i]
            corner = previous[i - channels] if i >= channels else 0
            predictor = [0, left, up, (left + up) // 2, paeth(left, up, corner)][kind]
            encoded.append((value - predictor) & 0xFF)
        raw += bytes([kind]) + bytes(encoded)
        previous = row
    data = b"\x89PNG\r\n\x1a\n" + png_chunk(
        b"IHDR", struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0))
    if palette is not None:
        data += png_chunk(b"PLTE", palette)
    # Split over two IDAT chunks, as encoders may.
    compressed = zlib.compress(raw)
    middle = len(compressed) // 2
    data += png_chunk(b"IDAT", compressed[:middle]) + png_chunk(b"IDAT", compressed[middle:])
    return data + png_chunk(b"IEND", b"")


class AgreementTest(unittest.TestCase):

    def test_pixels_agree_up_to_the_tolerance_in_every_channel(self):
        base = filled(4, 3, (100, 150, 200))
        cases = [
            ((100, 150, 200), True),
            ((108, 150, 200), True),
            ((100, 142, 208), True),
            ((109, 150, 200), False),
            ((100, 150, 191), False),
            ((0, 0, 0), False),
        ]
        for colour, agrees in cases:
            with self.subTest(colour=colour):
                result = agreement(base, with_pixel(base, 2, 1, colour), tolerance=8)
                self.assertEqual(result.compared, 12)
                self.assertEqual(result.agreeing, 12 if agrees else 11)
                self.assertEqual(result.largest, max(abs(a - b) for a, b in
                                                     zip(colour, (100, 150, 200))))

    def test_parts_left_out_are_not_compared(self):
        base = filled(10, 10, (0, 0, 0))
        other = with_pixel(with_pixel(base, 3, 3, (255, 0, 0)), 9, 9, (255, 0, 0))
        # A box around (3, 3), and one reaching past the picture's corner.
        result = agreement(base, other, 8, [(2, 2, 5, 5), (8, 8, 20, 20)])
        self.assertEqual(result.compared, 100 - 9 - 4)
        self.assertEqual(result.agreeing, result.compared)
        self.assertEqual(result.share, 1.0)

        class Box:  # anything with left, top, right and bottom, as the e2e Rect
            left, top, right, bottom = 2, 2, 5, 5

        self.assertEqual(agreement(base, other, 8, [Box()]).agreeing, 100 - 9 - 1)

    def test_pictures_of_different_sizes_cannot_be_compared(self):
        with self.assertRaises(ValueError):
            agreement(filled(2, 2, (0, 0, 0)), filled(2, 3, (0, 0, 0)))

    def test_the_difference_picture_marks_each_kind_of_pixel(self):
        base = filled(3, 1, (120, 120, 120))
        other = with_pixel(with_pixel(base, 1, 0, (0, 120, 120)), 2, 0, (0, 0, 0))
        picture = difference_picture(base, other, 8, [(2, 0, 3, 1)])
        agreeing, differing, left_out = (picture.data[i:i + 3] for i in (0, 3, 6))
        self.assertEqual(len(set(agreeing)), 1)  # grey
        self.assertEqual(differing, bytes((248, 0, 0)))  # red, brighter for 120 levels
        self.assertEqual(left_out, bytes((0, 0, 64)))


class FilesTest(unittest.TestCase):

    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.path = Path(self.folder.name)

    def tearDown(self):
        self.folder.cleanup()

    def test_written_pictures_read_back_unchanged(self):
        picture = Picture(3, 2, bytes(range(18)))
        read = read_picture(write_png(picture, self.path / "nested" / "p.png"))
        self.assertEqual((read.width, read.height, read.data), (3, 2, picture.data))

    def test_every_png_colour_type_and_row_filter_is_read(self):
        width, height = 3, 5
        rgb = [b"".join(bytes((17 * x + 40 * y, 200 - 30 * y, (x * y * 37) % 256))
                        for x in range(width)) for y in range(height)]
        expected = b"".join(rgb)
        rgba = [b"".join(row[3 * x:3 * x + 3] + b"\x80" for x in range(width)) for row in rgb]
        grey = [bytes(20 * x + 50 * y for x in range(width)) for y in range(height)]
        grey_expected = b"".join(bytes((v, v, v)) for row in grey for v in row)
        palette = bytes((10, 20, 30, 40, 50, 60, 70, 80, 90))
        indices = [bytes((x + y) % 3 for x in range(width)) for y in range(height)]
        palette_expected = b"".join(palette[3 * i:3 * i + 3] for row in indices for i in row)
        cases = [
            ("RGB", encode_png(width, height, 2, rgb), expected),
            ("RGBA", encode_png(width, height, 6, rgba), expected),
            ("grey", encode_png(width, height, 0, grey), grey_expected),
            ("palette", encode_png(width, height, 3, indices, palette), palette_expected),
        ]
        for name, data, pixels in cases:
            with self.subTest(name):
                (self.path / "p.png").write_bytes(data)
                picture = read_picture(self.path / "p.png")
                self.assertEqual((picture.width, picture.height), (width, height))
                self.assertEqual(picture.data, pixels)

    def test_ppm_screenshots_are_read_and_broken_files_refused(self):
        (self.path / "p.ppm").write_bytes(b"P6\n# comment-free\n2 1\n255\n" + bytes(range(6)))
        self.assertEqual(read_picture(self.path / "p.ppm").data, bytes(range(6)))
        for name, data in (("short", b"P6 2 2 255\n" + bytes(5)),
                           ("sixteen-bit", b"P6 1 1 65535\n" + bytes(6)),
                           ("cut in the header", b"P6 2"),
                           ("not a picture", b"hello")):
            with self.subTest(name):
                (self.path / "bad.ppm").write_bytes(data)
                with self.assertRaises(ValueError):
                    read_picture(self.path / "bad.ppm")
        good = encode_png(2, 2, 2, [bytes(6), bytes(6)])
        for name, data in (
                ("sixteen-bit PNG", b"\x89PNG\r\n\x1a\n"
                 + png_chunk(b"IHDR", struct.pack(">IIBBBBB", 1, 1, 16, 2, 0, 0, 0))),
                ("PNG cut short", good[:len(good) // 2]),
                ("PNG with damaged pixels", good.replace(b"IDAT", b"IDAT\xff", 1)),
                ("PNG without a header", b"\x89PNG\r\n\x1a\n")):
            with self.subTest(name):
                (self.path / "bad.png").write_bytes(data)
                with self.assertRaises(ValueError):
                    read_picture(self.path / "bad.png")

    def test_the_command_fails_below_the_minimum_and_writes_the_difference(self):
        base = filled(10, 10, (0, 0, 0))
        two_off = with_pixel(with_pixel(base, 0, 0, (50, 0, 0)), 1, 0, (50, 0, 0))
        first = write_png(base, self.path / "first.png")
        second = write_png(two_off, self.path / "second.png")
        difference = self.path / "difference.png"
        self.assertEqual(frame_agreement.main([str(first), str(second), "--minimum", "0.98",
                                               "--difference", str(difference)]), 0)
        self.assertTrue(difference.is_file())
        self.assertEqual(frame_agreement.main([str(first), str(second), "--minimum", "0.99"]), 1)
        # Leaving the two pixels out makes the pictures agree entirely.
        self.assertEqual(frame_agreement.main([str(first), str(second), "--minimum", "1",
                                               "--exclude", "0,0,2,1"]), 0)


if __name__ == "__main__":
    unittest.main()

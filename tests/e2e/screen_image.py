"""Screenshots as pictures: RGB pixels read from ImageMagick's PPM output,
cut, compared and written as PNG. Standard library only."""

from __future__ import annotations

import struct
import zlib
from dataclasses import dataclass
from pathlib import Path
from typing import Optional


@dataclass
class Rect:
    left: int
    top: int
    right: int
    bottom: int

    @property
    def width(self) -> int:
        return self.right - self.left

    @property
    def height(self) -> int:
        return self.bottom - self.top

    @property
    def centre(self) -> tuple:
        return (self.left + self.right) // 2, (self.top + self.bottom) // 2

    def inset(self, amount: int) -> "Rect":
        return Rect(self.left + amount, self.top + amount, self.right - amount,
                    self.bottom - amount)

    def scaled(self, factor: int) -> "Rect":
        """This rectangle in a picture factor times as large."""
        return Rect(self.left * factor, self.top * factor, self.right * factor,
                    self.bottom * factor)

    def relative_to(self, origin: "Rect") -> "Rect":
        """This rectangle in the coordinates of origin's top-left corner."""
        return Rect(self.left - origin.left, self.top - origin.top, self.right - origin.left,
                    self.bottom - origin.top)


class Image:
    """An RGB picture, row by row from the top."""

    def __init__(self, width: int, height: int, data: bytes):
        if len(data) != width * height * 3:
            raise ValueError("pixel data does not match the size")
        self.width = width
        self.height = height
        self.data = data

    @staticmethod
    def from_ppm(ppm: bytes) -> "Image":
        # P6 header: magic, width, height, maximum value, each followed by white space.
        fields = []
        position = 0
        while len(fields) < 4:
            while ppm[position:position + 1].isspace():
                position += 1
            start = position
            while position < len(ppm) and not ppm[position:position + 1].isspace():
                position += 1
            if position == len(ppm):  # a cut header: a tool was stopped while writing
                raise ValueError("screenshot ends inside its header")
            fields.append(ppm[start:position])
        if fields[0] != b"P6" or fields[3] != b"255":
            raise ValueError("screenshot is not an 8-bit binary PPM")
        width, height = int(fields[1]), int(fields[2])
        return Image(width, height, ppm[position + 1:position + 1 + width * height * 3])

    def pixel(self, x: int, y: int) -> tuple:
        offset = (y * self.width + x) * 3
        return tuple(self.data[offset:offset + 3])

    def row(self, y: int) -> bytes:
        return self.data[y * self.width * 3:(y + 1) * self.width * 3]

    def crop(self, left: int, top: int, right: int, bottom: int) -> "Image":
        """The pixels with left <= x < right and top <= y < bottom."""
        if not (0 <= left <= right <= self.width and 0 <= top <= bottom <= self.height):
            raise ValueError(f"crop ({left}, {top}, {right}, {bottom}) leaves the "
                             f"{self.width} x {self.height} picture")
        rows = [self.row(y)[left * 3:right * 3] for y in range(top, bottom)]
        return Image(right - left, bottom - top, b"".join(rows))

    def crop_rect(self, rect: "Rect") -> "Image":
        return self.crop(rect.left, rect.top, rect.right, rect.bottom)

    def without(self, *parts: "Rect") -> "Image":
        """The picture with the given parts blacked out (parts may reach beyond it)."""
        if not parts:
            return self
        rows = [bytearray(self.row(y)) for y in range(self.height)]
        for part in parts:
            left, right = max(part.left, 0), min(part.right, self.width)
            for y in range(max(part.top, 0), min(part.bottom, self.height)):
                rows[y][3 * left:3 * right] = bytes(3 * max(right - left, 0))
        return Image(self.width, self.height, b"".join(bytes(row) for row in rows))

    def reduced(self, factor: int) -> "Image":
        """The picture factor times smaller: each pixel the average of the factor x factor
        pixels it stands for, rounded to the nearest level."""
        if factor < 1 or self.width % factor or self.height % factor:
            raise ValueError(f"a {self.width} x {self.height} picture cannot be reduced "
                             f"{factor} times")
        width, height = self.width // factor, self.height // factor
        count = factor * factor
        data = bytearray(width * height * 3)
        for y in range(height):
            rows = [self.row(y * factor + dy) for dy in range(factor)]
            for channel in range(3):
                # Every channel value of the block, taken a whole row of blocks at a time.
                parts = [row[3 * dx + channel::3 * factor] for row in rows for dx in range(factor)]
                sums = [sum(values) for values in zip(*parts)]
                start = y * width * 3 + channel
                data[start:start + width * 3:3] = bytes((total * 2 + count) // (2 * count)
                                                        for total in sums)
        return Image(width, height, bytes(data))

    def pixels(self):
        data = self.data
        for offset in range(0, len(data), 3):
            yield data[offset], data[offset + 1], data[offset + 2]

    def count_of(self, colour: tuple, tolerance: int = 0) -> int:
        """Pixels whose channels all lie within tolerance of colour."""
        if tolerance == 0:
            wanted = bytes(colour)
            return sum(1 for offset in range(0, len(self.data), 3)
                       if self.data[offset:offset + 3] == wanted)
        r0, g0, b0 = colour
        return sum(1 for r, g, b in self.pixels()
                   if abs(r - r0) <= tolerance and abs(g - g0) <= tolerance
                   and abs(b - b0) <= tolerance)

    def is_filled_with(self, colour: tuple) -> bool:
        expected = bytes(colour) * self.width
        return all(self.row(y) == expected for y in range(self.height))

    def bounding_box_of(self, colour: tuple) -> Optional[tuple]:
        """(left, top, right, bottom) of the pixels of exactly colour; right and bottom
        are exclusive. None when no pixel has the colour."""
        wanted = bytes(colour)
        left, top, right, bottom = self.width, self.height, -1, -1
        for y in range(self.height):
            row = self.row(y)
            first = next((x for x in range(self.width) if row[x * 3:x * 3 + 3] == wanted), None)
            if first is None:
                continue
            last = next(x for x in range(self.width - 1, -1, -1) if row[x * 3:x * 3 + 3] == wanted)
            left, right = min(left, first), max(right, last)
            top, bottom = min(top, y), y
        if right < 0:
            return None
        return left, top, right + 1, bottom + 1

    def differing_pixels(self, other: "Image", tolerance: int = 0) -> int:
        """Pixels where some channel differs by more than tolerance (same sizes only)."""
        if (self.width, self.height) != (other.width, other.height):
            raise ValueError("pictures of different sizes cannot be compared")
        a, b = self.data, other.data
        return sum(1 for offset in range(0, len(a), 3)
                   if max(abs(a[offset] - b[offset]), abs(a[offset + 1] - b[offset + 1]),
                          abs(a[offset + 2] - b[offset + 2])) > tolerance)

    def save_png(self, path: Path) -> Path:
        def chunk(kind: bytes, body: bytes) -> bytes:
            return (struct.pack(">I", len(body)) + kind + body
                    + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

        raw = b"".join(b"\0" + self.row(y) for y in range(self.height))
        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                         + chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))
        return path

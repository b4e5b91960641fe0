#!/usr/bin/env python3
"""How closely two pictures of the game agree, pixel by pixel: the share of
pixels whose every channel lies within a tolerance, outside the parts left
out (the knight's box, whose animation never stands still between two runs),
and a difference picture that shows where they part.

Used to hold the native build's frames against Korvane.exe's under Wine:

    tools/frame_agreement.py native.png wine.png --exclude 260,120,380,262 \\
        --difference difference.png

prints the agreement and exits with 1 when it is below --minimum (98 % by
default). Pictures are PNG (8-bit grey, RGB, palette or with alpha) or binary
PPM, as ImageMagick's import writes them. From Python, `agreement` takes any
pictures with width, height and RGB bytes in data (the e2e harness's Image
among them). Standard library only.
"""

from __future__ import annotations

import argparse
import re
import struct
import sys
import zlib
from dataclasses import dataclass
from pathlib import Path
from typing import Iterable, Sequence

DEFAULT_TOLERANCE = 8  # levels per channel
DEFAULT_MINIMUM = 0.98  # share of the compared pixels that must agree

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


@dataclass
class Picture:
    width: int
    height: int
    data: bytes  # RGB, row by row from the top


@dataclass
class Agreement:
    compared: int  # pixels outside the parts left out
    agreeing: int  # of those, pixels within the tolerance in every channel
    largest: int  # the largest channel difference met anywhere compared

    @property
    def share(self) -> float:
        return self.agreeing / self.compared if self.compared else 1.0


# ---------------------------------------------------------------- comparing


def _bounds(part) -> tuple:
    """(left, top, right, bottom) of a tuple or of anything with those attributes."""
    if isinstance(part, Sequence):
        left, top, right, bottom = part
    else:
        left, top, right, bottom = part.left, part.top, part.right, part.bottom
    return int(left), int(top), int(right), int(bottom)


def _left_out(width: int, height: int, excluded: Iterable) -> bytearray:
    """One flag per pixel: 1 where the pixel is left out of the comparison."""
    mask = bytearray(width * height)
    for part in excluded:
        left, top, right, bottom = _bounds(part)
        left, right = max(left, 0), min(right, width)
        for y in range(max(top, 0), min(bottom, height)):
            if right > left:
                mask[y * width + left:y * width + right] = b"\x01" * (right - left)
    return mask


def _check_sizes(first, second) -> None:
    if (first.width, first.height) != (second.width, second.height):
        raise ValueError(f"pictures of different sizes: {first.width} x {first.height} and "
                         f"{second.width} x {second.height}")


def _channel_differences(first, second):
    """The largest channel difference of every pixel, in pixel order."""
    a, b = first.data, second.data
    for offset in range(0, first.width * first.height * 3, 3):
        yield max(abs(a[offset] - b[offset]), abs(a[offset + 1] - b[offset + 1]),
                  abs(a[offset + 2] - b[offset + 2]))


def agreement(first, second, tolerance: int = DEFAULT_TOLERANCE,
              excluded: Iterable = ()) -> Agreement:
    """How many pixels outside `excluded` agree within `tolerance` in every channel."""
    _check_sizes(first, second)
    mask = _left_out(first.width, first.height, excluded)
    compared = agreeing = largest = 0
    for index, difference in enumerate(_channel_differences(first, second)):
        if mask[index]:
            continue
        compared += 1
        largest = max(largest, difference)
        if difference <= tolerance:
            agreeing += 1
    return Agreement(compared, agreeing, largest)


def difference_picture(first, second, tolerance: int = DEFAULT_TOLERANCE,
                       excluded: Iterable = ()) -> Picture:
    """Agreeing pixels as a faint grey copy of `first`, differing ones in red
    (brighter for larger differences), the parts left out in dark blue."""
    _check_sizes(first, second)
    mask = _left_out(first.width, first.height, excluded)
    out = bytearray(first.width * first.height * 3)
    for index, difference in enumerate(_channel_differences(first, second)):
        offset = 3 * index
        if mask[index]:
            out[offset:offset + 3] = bytes((0, 0, 64))
        elif difference <= tolerance:
            grey = 128 + sum(first.data[offset:offset + 3]) // 12
            out[offset:offset + 3] = bytes((grey, grey, grey))
        else:
            out[offset:offset + 3] = bytes((min(255, 128 + difference), 0, 0))
    return Picture(first.width, first.height, bytes(out))


# ---------------------------------------------------------------- files


def _add_bytes(first: bytes, second: bytes) -> bytes:
    """Byte-wise sums modulo 256, all bytes at once: the low seven bits of each
    byte add without reaching the next byte, the top bit is their parity."""
    low = int.from_bytes(b"\x7f" * len(first), "big")
    a, b = int.from_bytes(first, "big"), int.from_bytes(second, "big")
    total = ((a & low) + (b & low)) ^ ((a ^ b) & ~low)
    return (total & ((1 << 8 * len(first)) - 1)).to_bytes(len(first), "big")


def _unfilter(raw: bytes, width: int, height: int, channels: int) -> bytes:
    """Undoes the per-row PNG filters of 8-bit pixels. Rows without a filter and
    rows filtered against the row above (what browsers write when asked for
    speed) take no per-byte loop: screenshots are read many times a second."""
    stride = width * channels
    rows = []
    previous = bytearray(stride)
    position = 0
    for _ in range(height):
        kind = raw[position]
        line = bytearray(raw[position + 1:position + 1 + stride])
        position += 1 + stride
        if kind in (0, 2):
            line = bytearray(_add_bytes(line, previous)) if kind == 2 else line
            rows.append(bytes(line))
            previous = line
            continue
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            corner = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                estimate = left + up - corner
                pa, pb, pc = abs(estimate - left), abs(estimate - up), abs(estimate - corner)
                predictor = left if pa <= pb and pa <= pc else (up if pb <= pc else corner)
                line[i] = (line[i] + predictor) & 0xFF
            elif kind != 0:
                raise ValueError(f"unknown PNG row filter {kind}")
        rows.append(bytes(line))
        previous = line
    return b"".join(rows)


def decode_png(data: bytes) -> Picture:
    """The picture in PNG bytes (a browser's screenshot, say); ValueError when they
    are no PNG or a damaged one."""
    if not data.startswith(PNG_SIGNATURE):
        raise ValueError("not a PNG picture")
    try:
        return _read_png(data)
    except (struct.error, zlib.error, IndexError) as error:
        raise ValueError(f"a damaged PNG picture ({error})") from None


def _read_png(data: bytes) -> Picture:
    position = len(PNG_SIGNATURE)
    header = palette = None
    compressed = bytearray()
    while position < len(data):
        length, kind = struct.unpack(">I4s", data[position:position + 8])
        body = data[position + 8:position + 8 + length]
        position += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"PLTE":
            palette = body
        elif kind == b"IDAT":
            compressed += body
        elif kind == b"IEND":
            break
    if header is None:
        raise ValueError("PNG without a header")
    width, height, depth, colour, _, _, interlace = header
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}.get(colour)
    if depth != 8 or interlace != 0 or channels is None:
        raise ValueError("only 8-bit, non-interlaced PNG pictures are read")
    pixels = _unfilter(zlib.decompress(bytes(compressed)), width, height, channels)
    if colour == 2:
        rgb = pixels
    elif colour == 6:
        rgb = b"".join(pixels[i:i + 3] for i in range(0, len(pixels), 4))
    elif colour == 3:
        if palette is None:
            raise ValueError("palette PNG without a palette")
        rgb = b"".join(palette[3 * index:3 * index + 3] for index in pixels)
    else:  # grey, with or without alpha
        rgb = b"".join(bytes((pixels[i],)) * 3 for i in range(0, len(pixels), channels))
    return Picture(width, height, rgb)


# Magic, width, height and maximum value, each after white space or comments,
# then one white-space byte before the pixels.
PPM_HEADER = re.compile(rb"(P6)((?:\s+|#[^\n]*\n)+)(\d+)((?:\s+|#[^\n]*\n)+)(\d+)"
                        rb"((?:\s+|#[^\n]*\n)+)(\d+)\s")


def _read_ppm(data: bytes) -> Picture:
    header = PPM_HEADER.match(data)
    if header is None or header.group(7) != b"255":
        raise ValueError("only binary 8-bit PPM pictures are read")
    width, height = int(header.group(3)), int(header.group(5))
    start = header.end()
    return Picture(width, height, data[start:start + width * height * 3])


def read_picture(path: Path) -> Picture:
    """The picture in a PNG or PPM file; ValueError for anything else or a damaged file."""
    data = Path(path).read_bytes()
    try:
        picture = _read_png(data) if data.startswith(PNG_SIGNATURE) else _read_ppm(data)
    except (struct.error, zlib.error, IndexError) as error:
        raise ValueError(f"{path}: a damaged picture ({error})") from None
    if len(picture.data) != picture.width * picture.height * 3:
        raise ValueError(f"{path}: the pixel data is cut short")
    return picture


def write_png(picture, path: Path) -> Path:
    def chunk(kind: bytes, body: bytes) -> bytes:
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    stride = picture.width * 3
    raw = b"".join(b"\0" + picture.data[y * stride:(y + 1) * stride]
                   for y in range(picture.height))
    header = struct.pack(">IIBBBBB", picture.width, picture.height, 8, 2, 0, 0, 0)
    path = Path(path)
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(PNG_SIGNATURE + chunk(b"IHDR", header)
                     + chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))
    return path


# ---------------------------------------------------------------- command line


def _rectangle(text: str) -> tuple:
    values = tuple(int(value) for value in text.split(","))
    if len(values) != 4:
        raise argparse.ArgumentTypeError("a part is left,top,right,bottom")
    return values


def main(arguments: list) -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("first", type=Path)
    parser.add_argument("second", type=Path)
    parser.add_argument("--tolerance", type=int, default=DEFAULT_TOLERANCE,
                        help="levels per channel a pixel may differ by (default %(default)s)")
    parser.add_argument("--minimum", type=float, default=DEFAULT_MINIMUM,
                        help="share of pixels that must agree (default %(default)s)")
    parser.add_argument("--exclude", type=_rectangle, action="append", default=[],
                        metavar="L,T,R,B", help="a part left out of the comparison")
    parser.add_argument("--difference", type=Path, help="where to write the difference picture")
    options = parser.parse_args(arguments)

    first, second = read_picture(options.first), read_picture(options.second)
    result = agreement(first, second, options.tolerance, options.exclude)
    if options.difference is not None:
        write_png(difference_picture(first, second, options.tolerance, options.exclude),
                  options.difference)
    print(f"{result.agreeing} of {result.compared} pixels agree within {options.tolerance} "
          f"levels: {100.0 * result.share:.2f} % (largest difference {result.largest})")
    return 0 if result.share >= options.minimum else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

"""What the game's pictures show: where the knight stands and which way it
faces, and how far the board moved when the knight walked. Client-area
pictures only, so this works for any build of the game that draws the same
frame into a 640 x 480 area."""

from __future__ import annotations

import math
from pathlib import Path

from screen_image import Image, Rect

SKY = (180, 220, 255)  # the clear colour the game shows behind everything
CLIENT_SIZE = (640, 480)  # the game's drawing area
BARS = (0, 0, 0)  # beside the picture where the screen is not 4:3

# The camera follows the knight, so the knight always stands at the middle of
# the view; everything it moves (limbs, sword, cape) stays inside this part of
# the client area, and nothing outside it moves unless the knight walks.
KNIGHT = Rect(260, 120, 380, 262)

# Camera geometry of the game: it looks at the knight from (2000, 1000, 2000)
# away, 3000 units, with a vertical field of view of 10 degrees over 480 rows.
CAMERA_DISTANCE = 3000.0
PIXELS_PER_UNIT = 240.0 / (CAMERA_DISTANCE * math.tan(math.radians(5.0)))
CAMERA_RIGHT = (1 / math.sqrt(2), 0.0, -1 / math.sqrt(2))
CAMERA_UP = (-1 / (3 * math.sqrt(2)), 4 / (3 * math.sqrt(2)), -1 / (3 * math.sqrt(2)))
CELL = 100.0
UNIT_HEIGHT_PER_FACTOR = 50.0


# The camera looks down on the board from above: the top of the picture is
# always sky, the bottom always board.
SKY_BAND_ROWS = 40


def shows_the_game(image: Image) -> bool:
    """True for a client-area picture of the running game: sky above, the board below."""
    sky_row = bytes(SKY) * image.width
    if any(image.row(y) != sky_row for y in range(SKY_BAND_ROWS)):
        return False
    bottom = image.crop(0, image.height - SKY_BAND_ROWS, image.width, image.height)
    return bottom.count_of(SKY) == 0


def stage_heights(game_dir: Path) -> list:
    """The 100 height factors of the stage file the game in game_dir reads."""
    text = (game_dir / "Stage1.vtm").read_text()
    return [float(value) for value in text.split()[:100]]


def expected_board_shift(heights: list, from_cell: int, to_cell: int) -> tuple:
    """How far the board moves on screen, in pixels (x right, y down), when
    the knight walks from one cell to another and the camera follows it."""
    dx = CELL * (to_cell % 10 - from_cell % 10)
    dz = CELL * (to_cell // 10 - from_cell // 10)
    dy = UNIT_HEIGHT_PER_FACTOR * (heights[to_cell] - heights[from_cell])
    motion = (-dx, -dy, -dz)  # the world, as seen from the following camera

    def along(axis):
        return sum(m * a for m, a in zip(motion, axis))

    return PIXELS_PER_UNIT * along(CAMERA_RIGHT), -PIXELS_PER_UNIT * along(CAMERA_UP)


def without_knight(image: Image) -> Image:
    """The client-area picture with the knight's part blacked out."""
    return image.without(KNIGHT)


def armour_centre(image: Image) -> tuple:
    """Where the knight's blue armour is, on average, in the client area."""
    knight = image.crop_rect(KNIGHT)
    xs, ys = [], []
    for index, (r, g, b) in enumerate(knight.pixels()):
        if b > 150 and r < 100 and g < 120:
            xs.append(index % knight.width)
            ys.append(index // knight.width)
    if len(xs) < 300:
        raise AssertionError(f"only {len(xs)} pixels of blue armour where the knight stands")
    return KNIGHT.left + sum(xs) / len(xs), KNIGHT.top + sum(ys) / len(ys)


def facing_of(image: Image) -> int:
    """The knight's facing in degrees, told by what the camera sees of it: the
    white cross of its shield from the front (0), its red cape from behind
    (180) or from its left (-90), neither shield nor much cape from its
    right (90)."""
    knight = image.crop_rect(KNIGHT)
    red = sum(1 for r, g, b in knight.pixels() if r > 150 and g < 80 and b < 80)
    white = sum(1 for r, g, b in knight.pixels() if min(r, g, b) > 200)
    if white > 140:
        return 0
    if white > 40:
        return 180
    return -90 if red > 550 else 90


def skyline(image: Image) -> list:
    """For every column, the first row that is not sky: the outline of the
    board's far edges against the sky, sharp whatever the textures do."""
    sky = bytes(SKY)
    outline = []
    for x in range(image.width):
        y = 0
        while y < image.height and image.data[3 * (y * image.width + x):
                                               3 * (y * image.width + x) + 3] == sky:
            y += 1
        outline.append(y)
    return outline


def skyline_shift(before: Image, after: Image) -> tuple:
    """The shift (x right, y down, in pixels) that best carries the board's
    outline in before onto after, and the mean row error left at that shift.
    Columns of the knight are left out."""
    def outside_knight(x):
        return not KNIGHT.left <= x < KNIGHT.right

    old, new = skyline(before), skyline(after)
    best = None
    for dx in range(-150, 151):
        columns = [x for x in range(before.width)
                   if outside_knight(x) and 0 <= x + dx < after.width and outside_knight(x + dx)]
        if len(columns) < before.width // 4:
            continue
        steps = sorted(new[x + dx] - old[x] for x in columns)
        dy = steps[len(steps) // 2]
        error = sum(abs(new[x + dx] - old[x] - dy) for x in columns) / len(columns)
        if best is None or error < best[2]:
            best = (dx, dy, error)
    return best


def board_move_error(before: Image, after: Image, heights: list, from_cell: int,
                     to_cell: int) -> str:
    """Why the board between two pictures did not move as one walk from from_cell to
    to_cell moves it; "" when it did. The board's far edges move as the camera
    follows the knight: by one cell as it looks at the knight's distance, a
    little more for the parts of the edges nearer the camera."""
    expected = expected_board_shift(heights, from_cell, to_cell)
    dx, dy, error = skyline_shift(before, after)
    if error >= 3.0:
        return f"the board's outline did not move as one piece (mean error {error:.1f} rows)"
    if math.hypot(dx - expected[0], dy - expected[1]) > 0.1 * math.hypot(*expected) + 3:
        return f"the board moved by ({dx}, {dy}); one cell is about {expected}"
    return ""


def letterbox_problem(screen: Image, box: Rect) -> str:
    """What is wrong with a whole-screen picture of the game: "" when the game fills box
    with bars of one colour around it."""
    bars = [Rect(0, 0, box.left, screen.height), Rect(box.right, 0, screen.width, screen.height),
            Rect(0, 0, screen.width, box.top), Rect(0, box.bottom, screen.width, screen.height)]
    for bar in bars:
        if bar.width > 0 and bar.height > 0 and not screen.crop_rect(bar).is_filled_with(BARS):
            return f"the bar {bar} is not all {BARS}"
    if not shows_the_game(screen.crop_rect(box)):
        return f"the game does not fill {box}"
    return ""


def sharpness_problem(picture: Image) -> str:
    """Why a picture of the game at twice its size looks stretched from one at its own
    size; "" when it is drawn at full resolution. The board's outline against the sky
    tells: drawn at full resolution it ends on odd and even rows alike; a stretched
    picture ends it on even rows only (pixels doubled) or on odd rows only (the sky
    blended into the board's first row)."""
    outline = skyline(picture)
    knight = KNIGHT.scaled(2)
    columns = [x for x in range(picture.width)
               if not knight.left <= x < knight.right and outline[x] < picture.height]
    if len(columns) < picture.width // 2:
        return f"only {len(columns)} columns show the board's outline"
    odd = sum(1 for x in columns if outline[x] % 2 == 1) / len(columns)
    if not 0.25 <= odd <= 0.75:
        return f"the board's outline ends on odd rows in {odd:.0%} of the columns: stretched"
    return ""

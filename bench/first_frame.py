#!/usr/bin/env python3
"""How soon the game shows its first frame: the web page in headless Chromium,
from navigation, next to the native korvane, from its process's start.

Both are timed the same way: screenshots of the game's drawing area, taken
one after another, until one shows the game (sky above, the board below:
game_pictures.shows_the_game); the time is when that screenshot was in hand.
A screenshot takes longer from the browser than from X, so the figures also
give each side's mean time per screenshot: the first frame came at most that
long before. The page is also timed by its own clock: a script run before
the page's own notes when, after navigation began, an animation frame first
found window.korvane.frames above zero; it is then opened again in the same
browser and timed by its clock once more, as in a browser that has made a
WebGL context before (a fresh headless one spends about a second starting
SwiftShader for its first).

With --phone the page is also timed on an emulated phone, as a player on
one opens it: a 390 x 844 portrait view at three device pixels per CSS pixel
with a touch screen (so the canvas's drawing buffer is 1164 x 873), and the
browser's processor slowed four times (Emulation.setCPUThrottlingRate).

Runs take turns (web, native, web, ...), each in a fresh browser profile or a
fresh Xvfb, so load on a shared machine falls on both alike. Prints a table
of medians:

    bench/first_frame.py                    # 5 runs each
    bench/first_frame.py --runs 9 --page build/web/bin/korvane.html \\
        --native-dir build/native/bin
    bench/first_frame.py --phone            # the phone's figures too
"""

from __future__ import annotations

import argparse
import functools
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from dataclasses import dataclass
from pathlib import Path

REPOSITORY = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPOSITORY / "tests" / "e2e"))

from browser_tab import (DESKTOP, PHONE_PORTRAIT, BrowserTab,  # noqa: E402  (no package)
                         Device)
from devtools import Chromium, DevTools, DevToolsError  # noqa: E402
from game_pictures import CLIENT_SIZE, shows_the_game  # noqa: E402
from processes import ProcessBook, stop_process  # noqa: E402
from screen_image import Rect  # noqa: E402
from x_display import XDisplay, XServer  # noqa: E402

DEADLINE = 60.0  # seconds a run may take to show the game before it counts as failed
PHONE_SLOWDOWN = 4  # how many times slower the phone's processor is emulated
# The page notes, on its own clock (from navigation), when its scripts have run
# (DOMContentLoaded) and the first animation frame after the game presented a
# frame.
PAGE_CLOCK = """(() => {
  document.addEventListener("DOMContentLoaded", () => { window.__parsedMs = performance.now(); });
  const look = now => {
    if (window.korvane && korvane.frames > 0) { window.__firstFrameMs = now; return; }
    requestAnimationFrame(look);
  };
  requestAnimationFrame(look);
})();"""


@dataclass
class Run:
    seconds: float  # to the first screenshot that shows the game
    per_shot: float  # mean seconds per screenshot meanwhile
    page_clock: float = float("nan")  # the page's own figure (web only)
    parsed: float = float("nan")  # when the page's scripts had run, by its clock (web only)
    # The page's own figure when opened again in the same browser, which has
    # then made a WebGL context before (web only).
    again_clock: float = float("nan")


def poll_until_the_game(capture) -> tuple:
    """(seconds since now, mean seconds per screenshot) when capture() first shows
    the game."""
    started = time.monotonic()
    shots = 0
    while time.monotonic() - started < DEADLINE:
        picture = capture()
        shots += 1
        if picture is not None and shows_the_game(picture):
            elapsed = time.monotonic() - started
            return elapsed, elapsed / shots
    raise RuntimeError(f"no frame of the game within {DEADLINE:.0f} s")


def poll_page_clock(tab: BrowserTab) -> float:
    """The page's own first-frame figure, in milliseconds, once it has one."""
    started = time.monotonic()
    while time.monotonic() - started < DEADLINE:
        try:
            clock = tab.evaluate("window.__firstFrameMs")
        except DevToolsError:  # between the old page and the new
            clock = None
        if clock is not None:
            return clock
        time.sleep(0.02)
    raise RuntimeError(f"no frame of the game within {DEADLINE:.0f} s")


def time_the_page(page: Path, work: Path, book: ProcessBook, device: Device = DESKTOP,
                  slowdown: float = 1) -> Run:
    browser = Chromium(work / "profile", work / "chromium.log")
    book.add(browser.start())
    devtools = DevTools(browser.endpoint())
    try:
        tab = BrowserTab.first_of(devtools, work / "console.log")
        tab.emulate(device)
        if slowdown != 1:
            tab.call("Emulation.setCPUThrottlingRate", rate=slowdown)
        tab.before_each_page(PAGE_CLOCK)

        def capture():
            # Asked anew each time: the page lays itself out anew as the game starts.
            try:
                found = tab.evaluate("(() => { const c = document.getElementById('canvas');"
                                     " if (!c) return null; const r = c.getBoundingClientRect();"
                                     " return [r.left, r.top, r.right, r.bottom]; })()")
            except DevToolsError:  # between the blank page and the game's
                found = None
            return tab.capture(Rect(*(round(value) for value in found))) if found else None

        tab.navigate(page.resolve().as_uri())
        seconds, per_shot = poll_until_the_game(capture)
        clock, parsed = tab.evaluate("[window.__firstFrameMs, window.__parsedMs]")
        tab.evaluate("delete window.__firstFrameMs")  # what the next page notes, not this one
        tab.navigate(page.resolve().as_uri())
        again = poll_page_clock(tab)
        return Run(seconds, per_shot, *(value / 1000.0 if value is not None else float("nan")
                                         for value in (clock, parsed, again)))
    finally:
        devtools.close()
        browser.stop()
        shutil.rmtree(work / "profile", ignore_errors=True)


def time_the_native_game(game_dir: Path, work: Path, book: ProcessBook) -> Run:
    game_dir = game_dir.resolve()
    x_server = XServer(book, work / "xvfb.log")
    display = x_server.start()
    screen = XDisplay(display, {**os.environ, "DISPLAY": display})
    game = None
    try:
        with (work / "game.log").open("wb") as log:
            game = subprocess.Popen([str(game_dir / "korvane")], cwd=game_dir,
                                    env={**os.environ, "DISPLAY": display,
                                         "LIBGL_ALWAYS_SOFTWARE": "1"},
                                    stdin=subprocess.DEVNULL, stdout=log,
                                    stderr=subprocess.STDOUT, start_new_session=True)
            book.add(game)
            # The window opens at the screen's corner (test_native_shell checks it).
            seconds, per_shot = poll_until_the_game(
                lambda: screen.capture(Rect(0, 0, *CLIENT_SIZE)))
        return Run(seconds, per_shot)
    finally:
        stop_process(game)
        x_server.stop()


def describe(values: list) -> str:
    return (f"{statistics.median(values):6.3f} s  ({min(values):.3f}–{max(values):.3f})")


def report(web: list, native: list, phone: list, page: Path) -> None:
    print(f"first drawn frame, median of {len(web)} runs each (fastest–slowest):")
    print(f"  web, navigation to a screenshot of the game:  {describe([r.seconds for r in web])}"
          f"   {statistics.mean(r.per_shot for r in web) * 1000:.0f} ms a screenshot")
    print(f"  web, the same by the page's own clock:        "
          f"{describe([r.page_clock for r in web])}")
    print(f"    of which until the page's scripts had run:  {describe([r.parsed for r in web])}")
    print(f"  web, opened again in the same browser (clock): "
          f"{describe([r.again_clock for r in web])}")
    if phone:
        print(f"  phone (3x, touch, processor / {PHONE_SLOWDOWN}), screenshot: "
              f"{describe([r.seconds for r in phone])}")
        ratio = (statistics.median(r.page_clock for r in phone) /
                 statistics.median(r.page_clock for r in web))
        print(f"  phone, the same by the page's own clock:      "
              f"{describe([r.page_clock for r in phone])}  ({ratio:.1f}x the desktop's)")
        print(f"  phone, opened again in the same browser:      "
              f"{describe([r.again_clock for r in phone])}")
    print(f"  native, start to a screenshot of the game:    "
          f"{describe([r.seconds for r in native])}"
          f"   {statistics.mean(r.per_shot for r in native) * 1000:.0f} ms a screenshot")
    print(f"page: {page} ({page.stat().st_size / 1e6:.2f} MB); load average now "
          f"{' '.join(f'{value:.2f}' for value in os.getloadavg())}")


def main(arguments: list) -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--runs", type=int, default=5, help="runs of each (default %(default)s)")
    parser.add_argument("--page", type=Path, default=REPOSITORY / "build/web/bin/korvane.html")
    parser.add_argument("--native-dir", type=Path, default=REPOSITORY / "build/native/bin")
    parser.add_argument("--phone", action="store_true", help="time the page on a phone too")
    options = parser.parse_args(arguments)
    for needed in (options.page, options.native_dir / "korvane"):
        if not needed.is_file():
            print(f"{needed} does not exist: build the web and native presets first",
                  file=sys.stderr)
            return 1

    web, native, phone = [], [], []
    on_a_phone = functools.partial(time_the_page, device=PHONE_PORTRAIT,
                                   slowdown=PHONE_SLOWDOWN)
    sides = [("web", time_the_page, options.page, web),
             ("native", time_the_native_game, options.native_dir, native)]
    if options.phone:
        sides.append(("phone", on_a_phone, options.page, phone))
    with tempfile.TemporaryDirectory(prefix="korvane-first-frame-") as scratch:
        book = ProcessBook(Path(scratch) / "started-processes")
        try:
            for run in range(options.runs):
                for side, timer, where, results in sides:
                    work = Path(scratch) / f"{side}-{run}"
                    work.mkdir()
                    results.append(timer(where, work, book))
                    print(f"run {run + 1} {side}: {results[-1].seconds:.3f} s", file=sys.stderr)
        finally:
            book.stop_leftovers()
    report(web, native, phone, options.page)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

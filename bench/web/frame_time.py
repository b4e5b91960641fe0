#!/usr/bin/env python3
"""What sharpness costs: the time the web game takes to draw a frame with the
canvas's drawing buffer at its size on screen, on a desktop view at one device
pixel per CSS pixel (640 x 480 pixels) against a phone's portrait view at
three (1164 x 873), in headless Chromium on SwiftShader.

A script run before the page's own times each animation frame in which the
game ticked, from the start of the frame's callback until the WebGL context
has finished drawing (gl.finish(): SwiftShader draws in the GPU process, after
the callback has returned), and keeps the figures of the ticks after the
first 30. Runs take turns between the views, each in a fresh browser, so
load on a shared machine falls on both alike. Prints medians:

    bench/web/frame_time.py                  # 3 runs of each view, 200 ticks each
    bench/web/frame_time.py --runs 5 --ticks 300
    bench/web/frame_time.py --screenshots docs/images   # also the phone's pictures

With --screenshots it also saves the page on the phone, portrait and
landscape, with the on-screen pad, as web-phone-portrait.png and
web-phone-landscape.png (one pixel per CSS pixel).
"""

from __future__ import annotations

import argparse
import statistics
import sys
import tempfile
import time
from pathlib import Path

REPOSITORY = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPOSITORY / "tests" / "e2e"))

from browser_tab import (DESKTOP, PHONE_LANDSCAPE, PHONE_PORTRAIT, BrowserTab,  # noqa: E402
                         Device)
from devtools import Chromium, DevTools  # noqa: E402
from processes import ProcessBook  # noqa: E402

WARM_UP_TICKS = 30
DEADLINE = 120.0
FRAME_TIMER = """(() => {
  window.__tickMs = [];
  const request = window.requestAnimationFrame.bind(window);
  window.requestAnimationFrame = callback => request(now => {
    const ticks = window.korvane ? korvane.ticks : 0, start = performance.now();
    callback(now);
    if (window.korvane && korvane.ticks !== ticks && korvane.ticks > %d) {
      document.getElementById("canvas").getContext("webgl2").finish();
      __tickMs.push(performance.now() - start);
    }
  });
})();""" % WARM_UP_TICKS


def wait_for(tab: BrowserTab, expression: str, what: str):
    deadline = time.monotonic() + DEADLINE
    while time.monotonic() < deadline:
        value = tab.evaluate(expression)
        if value:
            return value
        time.sleep(0.1)
    raise RuntimeError(f"{what}: not within {DEADLINE:.0f} s")


def open_page(page: Path, device: Device, work: Path, book: ProcessBook, script: str = ""):
    browser = Chromium(work / "profile", work / "chromium.log")
    book.add(browser.start())
    devtools = DevTools(browser.endpoint())
    tab = BrowserTab.first_of(devtools, work / "console.log")
    if script:
        tab.before_each_page(script)
    tab.emulate(device)
    tab.navigate(page.resolve().as_uri())
    wait_for(tab, "window.korvane && korvane.state === 'running'", "the game runs")
    return browser, devtools, tab


def time_frames(page: Path, device: Device, ticks: int, work: Path, book: ProcessBook) -> list:
    browser, devtools, tab = open_page(page, device, work, book, FRAME_TIMER)
    try:
        buffer = tab.evaluate("[canvas.width, canvas.height]")
        wait_for(tab, f"__tickMs.length >= {ticks}", f"{ticks} ticks")
        return buffer, tab.evaluate("__tickMs")
    finally:
        devtools.close()
        browser.stop()


def save_screenshots(page: Path, folder: Path, work: Path, book: ProcessBook) -> None:
    browser, devtools, tab = open_page(page, PHONE_PORTRAIT, work, book)
    try:
        tab.tap_at(PHONE_PORTRAIT.width // 2, PHONE_PORTRAIT.height // 3)  # the pad shows
        wait_for(tab, "getComputedStyle(document.getElementById('pad')).visibility"
                      " === 'visible'", "the pad")
        folder.mkdir(parents=True, exist_ok=True)
        for device, name in ((PHONE_PORTRAIT, "portrait"), (PHONE_LANDSCAPE, "landscape")):
            tab.emulate(device)
            time.sleep(1.0)  # laid out anew and a few frames drawn
            picture = tab.capture(size=(device.width, device.height))  # a pixel per CSS pixel
            picture.save_png(folder / f"web-phone-{name}.png")
            print(f"saved {folder / f'web-phone-{name}.png'}", file=sys.stderr)
    finally:
        devtools.close()
        browser.stop()


def main(arguments: list) -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--runs", type=int, default=3, help="runs of each view (%(default)s)")
    parser.add_argument("--ticks", type=int, default=200, help="ticks timed a run (%(default)s)")
    parser.add_argument("--page", type=Path, default=REPOSITORY / "build/web/bin/korvane.html")
    parser.add_argument("--screenshots", type=Path, help="folder for the phone's pictures")
    options = parser.parse_args(arguments)
    if not options.page.is_file():
        print(f"{options.page} does not exist: build the web preset first", file=sys.stderr)
        return 1
    views = (("desktop 1x", DESKTOP), ("phone portrait 3x", PHONE_PORTRAIT))
    figures = {name: [] for name, _ in views}
    buffers = {}
    with tempfile.TemporaryDirectory(prefix="korvane-frame-time-") as scratch:
        book = ProcessBook(Path(scratch) / "started-processes")
        try:
            for run in range(options.runs):
                for name, device in views:
                    work = Path(scratch) / f"{run}-{device.width}"
                    work.mkdir()
                    buffers[name], times = time_frames(options.page, device, options.ticks,
                                                       work, book)
                    figures[name].append(statistics.median(times))
                    print(f"run {run + 1} {name}: {figures[name][-1]:.2f} ms", file=sys.stderr)
            if options.screenshots:
                work = Path(scratch) / "screenshots"
                work.mkdir()
                save_screenshots(options.page, options.screenshots, work, book)
        finally:
            book.stop_leftovers()
    base = statistics.median(figures[views[0][0]])
    print(f"time to draw a frame, median of {options.runs} runs' medians "
          f"({options.ticks} ticks each):")
    for name, _ in views:
        median = statistics.median(figures[name])
        width, height = buffers[name]
        print(f"  {name:18s} {width:4d} x {height:3d} pixels: {median:6.2f} ms"
              f"  ({median / base:.2f}x)")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

#!/usr/bin/env python3
"""How many heap allocations a tick of the web game makes: a page built with
its allocations counted (the web preset with KORVANE_COUNT_PAGE_ALLOCATIONS,
into build/web-allocations; the players' page never counts) runs in headless
Chromium while the knight walks about, and the count and the ticks are read
before and after. The game's C++ heap is counted (operator new); what the
browser's WebGL and the page's script allocate lies outside it.

    bench/web/tick_allocations.py                # 20 s of walking
    bench/web/tick_allocations.py --seconds 60
"""

from __future__ import annotations

import argparse
import random
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

REPOSITORY = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPOSITORY / "tests" / "e2e"))

from browser_tab import BrowserTab  # noqa: E402  (the e2e harness is no package)
from devtools import Chromium, DevTools  # noqa: E402
from processes import ProcessBook  # noqa: E402

BUILD = REPOSITORY / "build" / "web-allocations"
STATE = "[window.korvane.state, window.korvane.ticks, Module._KorvaneAllocationCount()]"
ARROWS = ("Left", "Right", "Up", "Down")


def build_counting_page() -> Path:
    subprocess.run(["cmake", "--preset", "web", "-B", str(BUILD),
                    "-DKORVANE_COUNT_PAGE_ALLOCATIONS=ON"], cwd=REPOSITORY, check=True,
                   stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", str(BUILD), "--target", "korvane"], cwd=REPOSITORY,
                   check=True, stdout=subprocess.DEVNULL)
    return BUILD / "bin" / "korvane.html"


def wait_until_running(tab: BrowserTab, seconds: float = 60.0) -> None:
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if tab.evaluate("window.korvane && window.korvane.ticks > 30"):
            return
        time.sleep(0.1)
    raise RuntimeError("the page did not start ticking")


def walk(tab: BrowserTab, seconds: float) -> None:
    """Random arrow presses, one about every half second."""
    chooser = random.Random(1)
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        key = chooser.choice(ARROWS)
        tab.key_down(key)
        time.sleep(0.2)
        tab.key_up(key)
        time.sleep(0.3)


def main(arguments: list) -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--seconds", type=float, default=20.0)
    options = parser.parse_args(arguments)
    page = build_counting_page()
    work = Path(tempfile.mkdtemp(prefix="korvane-tick-allocations-"))
    book = ProcessBook(work / "processes")
    browser = Chromium(work / "profile", work / "chromium.log")
    book.add(browser.start())
    devtools = DevTools(browser.endpoint())
    try:
        tab = BrowserTab.first_of(devtools, work / "console.log")
        tab.navigate(page.as_uri())
        wait_until_running(tab)
        _, ticks_before, allocations_before = tab.evaluate(STATE)
        walk(tab, options.seconds)
        state, ticks_after, allocations_after = tab.evaluate(STATE)
    finally:
        devtools.close()
        browser.stop()
        shutil.rmtree(work, ignore_errors=True)
    ticks = ticks_after - ticks_before
    allocations = allocations_after - allocations_before
    print(f"{ticks} ticks while walking ({state}): {int(allocations)} heap allocations, "
          f"{allocations / max(ticks, 1):.3f} a tick")
    return 0 if state == "running" else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

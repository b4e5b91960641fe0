"""One run of a program on an X display of its own, for one test: waiting with
deadlines, screenshots, and real key presses timed by the frames the program
draws. How the program is started, which window its frames show in and how a
window is given the keyboard are left to a subclass (see game_session.py and
its Wine, native and web sessions); everything here works for any program
drawn on the display. The display is an Xvfb of the session's own unless a
subclass brings its own screen (a browser's tab, see web_harness.py): anything
with capture, key, key_down, key_up and click as XDisplay has them.

Nothing that arrives asynchronously is looked at once: a window, a title, the
focus, a frame, a dialog going away, a process ending are all waited for
(wait_for) until a deadline, and a wait that runs out keeps a screenshot of
that moment and fails with its path.

Screenshots a test takes are kept as PNG under <work>/screenshots/<test>/,
numbered in the order taken; a session that fails adds one named "failure".
Logs go to <work>/logs/<test>/. <test> is the CTest name of the test
(KORVANE_E2E_TEST_NAME), or its unittest id when run outside CTest; a test
that runs several sessions names a part for each, a subfolder of those.
"""

from __future__ import annotations

import os
import re
import shutil
import signal
import subprocess
import sys
import time
import unittest
from pathlib import Path
from typing import Callable, Optional

from processes import HarnessError, ProcessBook
from screen_image import Image, Rect
from x_display import XDisplay, XServer

# A deadline is a bound on failure, not a measure of speed: it is generous for a
# loaded 2-core machine, and every wait ends as soon as its condition holds.
DEFAULT_TIMEOUT = 30.0
FRAME_TIMEOUT = 30.0
# A key that goes down and up between two polls of a game's keyboard is never
# seen, and one found down right after it went up counts as held. So a key
# stays down, and then up, while the program draws this many new frames: its
# message loop has then taken the key from the display and polled it. (Wine
# takes pending display input between messages; when the program is late with
# every frame, timer messages come first for a few ticks. A fixed time would
# be too short whenever the machine is busy.)
FRAMES_PER_KEY_EDGE = 5
POLL_INTERVAL = 0.2
# About one frame of a 33 ms timer: pictures are looked at as often as they can
# change, without the looking taking the machine from the program.
FRAME_POLL_INTERVAL = 0.03


def session_name(test: unittest.TestCase) -> str:
    return os.environ.get("KORVANE_E2E_TEST_NAME") or test.id().split(".", 1)[-1]


class ScreenSession:
    """Use as a context manager around a test's work with the program:

        with SomeSession(self) as session:
            session.wait_for(lambda: ..., 10, "what is awaited")
            session.press("alt+F4")
            session.wait_for_exit()

    Subclasses provide start_program, stop_program and activate, and set
    frame_rect once they know where the program draws; one that brings its own
    screen overrides open_display and close_display, one whose program counts
    its frames overrides frames_shown.
    """

    def __init__(self, test: Optional[unittest.TestCase], work_dir: Path, pid_file: Path,
                 part: str = "", name: str = ""):
        self.test = test
        name = name or session_name(test)
        self.shot_dir = work_dir / "screenshots" / name / part
        self.log_dir = work_dir / "logs" / name / part
        self.book = ProcessBook(pid_file)
        self.x_server = XServer(self.book, self.log_dir / "xvfb.log")
        self.screen: Optional[XDisplay] = None
        self.process: Optional[subprocess.Popen] = None
        self.exit_code: Optional[int] = None
        self.frame_rect: Optional[Rect] = None  # where the program's frames show
        self.shot_count = 0
        self._previous_sigterm = None

    # -- what a subclass provides

    def start_program(self, display: str) -> subprocess.Popen:
        raise NotImplementedError

    def stop_program(self) -> None:
        raise NotImplementedError

    def after_start(self) -> None:
        """Waits for whatever the session offers once started (a main window, say)."""

    def activate(self, window) -> None:
        """Gives window the keyboard and waits until the program has taken it."""
        raise NotImplementedError

    def open_display(self) -> str:
        """Starts the display the program shows on, sets self.screen and returns the
        display's name for start_program: an Xvfb of the session's own."""
        display = self.x_server.start()
        self.screen = XDisplay(display, {**os.environ, "DISPLAY": display}, self.x_server.size)
        return display

    def close_display(self) -> None:
        self.x_server.stop()

    def frames_shown(self) -> Optional[int]:
        """How many frames the program has shown so far, where it tells; None: frames
        are counted by the picture changing (see wait_for_new_frames)."""
        return None

    # -- start and stop

    def __enter__(self):
        shutil.rmtree(self.shot_dir, ignore_errors=True)
        shutil.rmtree(self.log_dir, ignore_errors=True)
        self.log_dir.mkdir(parents=True)
        self._previous_sigterm = signal.signal(signal.SIGTERM, _raise_on_terminate)
        try:
            display = self.open_display()
            self.process = self.start_program(display)
            self.book.add(self.process)
            self.after_start()
        except BaseException:
            self._finish(failed=True)
            raise
        return self

    def __exit__(self, kind, value, traceback) -> None:
        self._finish(failed=kind is not None)

    def _finish(self, failed: bool) -> None:
        try:
            if failed and self.screen is not None:
                try:
                    self.screenshot("failure")
                except Exception as error:  # the failure itself matters more
                    print(f"no failure screenshot: {error}", file=sys.stderr)
        finally:
            try:
                self.stop_program()
            finally:
                self.close_display()
                signal.signal(signal.SIGTERM, self._previous_sigterm or signal.SIG_DFL)
            if failed:
                print(f"screenshots: {self.shot_dir}\nlogs: {self.log_dir}", file=sys.stderr)

    # -- the program's process

    @property
    def running(self) -> bool:
        return self.process is not None and self.process.poll() is None

    def wait_for_exit(self, timeout: float = DEFAULT_TIMEOUT) -> int:
        """The program's exit code, once it has ended."""
        self.wait_for(lambda: not self.running, timeout, "the program ended",
                      while_running=False)
        self.exit_code = self.process.returncode
        return self.exit_code

    # -- waiting

    def wait_for(self, condition: Callable[[], object], timeout: float, what: str,
                 interval: float = POLL_INTERVAL, while_running: bool = True,
                 explain: Callable[[], str] = lambda: ""):
        """Polls condition until it gives a true value, which is returned. Fails, with a
        screenshot of that moment and what explain says of the last look, when timeout
        seconds pass first or (while_running) when the program ends first."""
        deadline = time.monotonic() + timeout
        while True:
            value = condition()
            if value:
                return value
            if while_running and self.process is not None and self.process.poll() is not None:
                self._fail_waiting(what, f"{what}: the program ended with exit code "
                                   f"{self.process.returncode} first", explain())
            if time.monotonic() > deadline:
                self._fail_waiting(what, f"{what}: not so within {timeout:.0f} s", explain())
            time.sleep(interval)

    def _fail_waiting(self, what: str, message: str, detail: str) -> None:
        if detail:
            message += f"; last seen: {detail}"
        try:
            label = f"timeout-{_slug(what)}"
            path = self.shot_dir / self._shot_name(label)
            self.keep(self.capture(), label)
            message += f" (screenshot {path})"
        except Exception as error:  # the failed wait matters more
            message += f" (no screenshot: {error})"
        raise AssertionError(message)

    # -- screenshots and pictures

    def capture(self, rect: Optional[Rect] = None) -> Image:
        """The whole screen now, or rect of it; not kept."""
        return self.screen.capture(rect)

    def _shot_name(self, label: str) -> str:
        return f"{self.shot_count + 1:02d}-{label}.png"

    def keep(self, image: Image, label: str) -> Image:
        """Saves image as <shot dir>/<nn>-<label>.png."""
        image.save_png(self.shot_dir / self._shot_name(label))
        self.shot_count += 1
        return image

    def screenshot(self, label: str, rect: Optional[Rect] = None) -> Image:
        """The whole screen, or rect of it (a window's client area, say), kept."""
        return self.keep(self.capture(rect), label)

    def wait_for_picture(self, rect: Rect, condition: Callable[[Image], bool], label: str,
                         timeout: float = FRAME_TIMEOUT) -> Image:
        """Screenshots of rect until condition holds; the last one is kept and returned."""
        return self.wait_for_right_picture(rect, lambda image: "" if condition(image) else
                                           "not yet as awaited", label, timeout)

    def wait_for_right_picture(self, rect: Rect, problem_of: Callable[[Image], str], label: str,
                               timeout: float = FRAME_TIMEOUT) -> Image:
        """Screenshots of rect until problem_of finds nothing wrong with one (gives "");
        the last one is kept and returned. A failure says the last problem found."""
        last: list = []
        problem = [""]

        def right():
            image = self.capture(rect)
            last[:] = [image]
            problem[0] = problem_of(image)
            return not problem[0]

        try:
            self.wait_for(right, timeout, f"picture {label!r}", interval=FRAME_POLL_INTERVAL,
                          explain=lambda: problem[0])
        finally:
            if last:
                self.keep(last[0], label)
        return last[0]

    def wait_for_still_picture(self, rect: Rect, label: str, moving: tuple = (),
                               timeout: float = FRAME_TIMEOUT) -> Image:
        """rect once it stands still outside the given parts of it (which may move, an
        animated figure say): two pictures a few frames apart are the same there.
        The last picture is kept and returned."""
        last = [self.capture(rect)]

        def still() -> bool:
            self.wait_for_new_frames(2)
            picture = self.capture(rect)
            same = picture.without(*moving).data == last[0].without(*moving).data
            last[0] = picture
            return same

        try:
            self.wait_for(still, timeout, f"picture {label!r} standing still", interval=0.0)
        finally:
            self.keep(last[0], label)
        return last[0]

    def wait_for_new_frames(self, count: int, timeout: float = FRAME_TIMEOUT) -> None:
        """Returns once the program has shown count new frames: as it counts them, or
        told by its picture changing in frame_rect (the program animates something
        every frame)."""
        shown = self.frames_shown()
        if shown is not None:
            self.wait_for(lambda: self.frames_shown() >= shown + count, timeout,
                          f"{count} new frames drawn", interval=FRAME_POLL_INTERVAL)
            return
        if self.frame_rect is None:
            raise HarnessError("the session knows no window that shows frames")
        rect = self.frame_rect
        state = {"picture": self.capture(rect).data, "changes": 0}

        def counted() -> bool:
            picture = self.capture(rect).data
            if picture != state["picture"]:
                state["picture"] = picture
                state["changes"] += 1
            return state["changes"] >= count

        self.wait_for(counted, timeout, f"{count} new frames drawn",
                      interval=FRAME_POLL_INTERVAL)

    # -- input

    def press(self, *keys: str, window=None, delay_ms: int = 120) -> None:
        """Real key presses (XTEST) into window (see activate): each key goes down and
        up at once, as typing does, which suits windows that read key messages.
        Keys are xdotool names: "alt+slash", "Escape", "Return", "Left", "alt+F4"."""
        self.activate(window)
        self.screen.key(*keys, delay_ms=delay_ms)

    def hold(self, key: str, seconds: float, window=None, activated: bool = False) -> None:
        """Holds key down for at least the given time, and until the program has drawn
        a few frames, then lets it go and waits a few frames more: a program that polls
        the keyboard once a frame sees one press. activated: the caller knows the
        window has the keyboard (one that sends many presses checks that more cheaply)."""
        if not activated:
            self.activate(window)
        pressed = time.monotonic()
        self.screen.key_down(key)
        try:
            self.wait_for_new_frames(FRAMES_PER_KEY_EDGE)
            time.sleep(max(0.0, seconds - (time.monotonic() - pressed)))
        finally:
            self.screen.key_up(key)
        self.wait_for_new_frames(FRAMES_PER_KEY_EDGE)

    def tap(self, key: str, window=None, activated: bool = False) -> None:
        """One press as a program that polls the keyboard once a frame counts one."""
        self.hold(key, 0.0, window, activated)

    def click(self, x: int, y: int) -> None:
        """A real left click at screen position (x, y)."""
        self.screen.click(x, y)


def _slug(text: str) -> str:
    return re.sub(r"[^A-Za-z0-9]+", "-", text).strip("-")[:60].lower() or "wait"


def _raise_on_terminate(signum, frame):
    raise HarnessError("terminated (test timeout?)")

#!/usr/bin/env python3
"""A soak run of the real game under Xvfb, Korvane.exe under Wine or the native
build: a seeded stream of random arrow presses for MINUTES minutes while the
game's resident memory is sampled every 10 s; then the game must still draw and
animate the knight, and Alt+F4 must end it with exit code 0. tools/soak.sh
builds what it needs and runs this; it is not one of the end-to-end tests (it
takes as long as asked).

    soak.py MINUTES --game-dir DIR --work-dir DIR (--probe EXE | --native)
            [--seed N] [--presses-per-second R] [--max-growth-kib K]

The game runs with the end-to-end tests' harness (tests/e2e/). Under Wine (GameSession) it
runs in a prefix of the soak's own, <work dir>/wine/prefix, prepared by
tools/wine_prefix.py like every other one; with --native, NativeGameSession
runs the native build. Presses are real presses (XTEST), each held and
released for a few of the game's frames, as the tests press.

After a random walk the knight can stand anywhere, and from some cells the
terraces in front may hide part of it. So the end checks walk it home first,
to the first cell (nine presses up and nine left reach it from anywhere, the
board's edges stopping the rest): there the board must look exactly as it did
at the start, only the knight's part of the picture may change, and it must
change, frame after frame.

Memory is the VmRSS read from /proc of the game's process (under Wine, the
process whose command is Korvane.exe). The first minute is the warm-up: Wine,
the renderer and the game touch their pages, caches and heaps then. Growth
counts from the sample at 60 s: to the last sample, and to the largest one
after it. Single samples swing by a few MB (the renderer allocates and frees as
it draws), so the judgement of a leak is the floor: the smallest sample of the
last minute against the smallest of the second minute, and the floor of each
minute to show a trend. With --max-growth-kib the run fails when the floor rose
by more (no limit by default: the figures are reported).

To tell where growth lies, the resident memory of each mapping (from
/proc/PID/smaps) is kept at the end of the warm-up and at the last sample; the
report lists the mappings that grew most between the two: a library's file,
the C heap ([heap]), or anonymous memory by its permissions (rwx and r-x
anonymous memory is generated code, such as a software renderer's shaders).
"""

from __future__ import annotations

import argparse
import random
import sys
import time
from dataclasses import dataclass
from pathlib import Path

# The game runs with the end-to-end tests' harness, whose modules are not a package.
sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))
from game_pictures import without_knight  # noqa: E402
from native_harness import NativeConfig, NativeGameSession  # noqa: E402
from processes import HarnessError, ProcessBook, command_of  # noqa: E402
from screen_image import Image  # noqa: E402
from screen_session import DEFAULT_TIMEOUT  # noqa: E402
from wine_harness import Config, GameSession  # noqa: E402
from wine_setup import prepare  # noqa: E402

SAMPLE_INTERVAL = 10.0  # seconds between memory samples
WARM_UP = 60.0  # seconds: growth is counted from the sample taken then
ARROWS = ("Left", "Right", "Up", "Down")
BOARD_SIDE = 10
GROWING_MAPPINGS = 6  # how many of the mappings that grew most the report lists


@dataclass
class Sample:
    elapsed: float  # seconds since the first sample
    resident_kib: int
    presses: int  # arrow presses sent before it


def resident_kib(pid: int) -> int:
    """VmRSS of a process, in KiB; fails when the process is gone."""
    try:
        status = Path(f"/proc/{pid}/status").read_text()
    except OSError:
        raise AssertionError(f"the game's process {pid} is gone") from None
    for line in status.splitlines():
        if line.startswith("VmRSS:"):
            return int(line.split()[1])
    raise AssertionError(f"process {pid} reports no VmRSS (a zombie?)")


def resident_kib_by_mapping(pid: int) -> dict:
    """Resident KiB of a process per mapping (see resident_kib_in_smaps)."""
    try:
        text = Path(f"/proc/{pid}/smaps").read_text(errors="replace")
    except OSError:
        raise AssertionError(f"the game's process {pid} is gone") from None
    return resident_kib_in_smaps(text)


def resident_kib_in_smaps(text: str) -> dict:
    """Resident KiB per mapping in the text of /proc/PID/smaps: by file, by a kernel
    name such as [heap], or for anonymous memory by its permissions ("anonymous rw-p")."""
    resident: dict = {}
    mapping = ""
    for line in text.splitlines():
        fields = line.split(maxsplit=5)
        if fields and "-" in fields[0] and len(fields) >= 5:  # a mapping's header
            mapping = fields[5] if len(fields) == 6 else f"anonymous {fields[1]}"
        elif fields and fields[0] == "Rss:":
            resident[mapping] = resident.get(mapping, 0) + int(fields[1])
    return resident


def game_process(game) -> tuple:
    """(pid, command) of the one process that runs the game, once there is exactly one
    (under Wine: the one whose command is Korvane.exe)."""
    def found():
        games = game.game_process_ids()
        return games[0] if len(games) == 1 else None

    return game.wait_for(found, DEFAULT_TIMEOUT, "one process of the game")


class MemoryLog:
    """The samples of one run, with the figures they come to."""

    def __init__(self, pid: int, command: str):
        self.pid = pid
        self.command = command
        self.samples: list = []
        self.started = 0.0  # when the first sample was taken
        self.mappings_warmed_up: dict = {}  # resident KiB per mapping, after the warm-up
        self.mappings_last: dict = {}  # and at the last sample

    def due(self) -> bool:
        return time.monotonic() - self.started >= len(self.samples) * SAMPLE_INTERVAL

    def take(self, presses: int) -> Sample:
        if command_of(self.pid) != self.command:
            raise AssertionError(f"the game's process {self.pid} is gone")
        if not self.samples:
            self.started = time.monotonic()
        sample = Sample(time.monotonic() - self.started, resident_kib(self.pid), presses)
        self.samples.append(sample)
        if self.warmed_up() is sample:
            self.mappings_warmed_up = resident_kib_by_mapping(self.pid)
        if self.mappings_warmed_up:
            self.mappings_last = resident_kib_by_mapping(self.pid)
        print(f"  {_clock(sample.elapsed)}  {sample.resident_kib:>9,} KiB resident, "
              f"{presses} presses", flush=True)
        return sample

    def warmed_up(self):
        """The sample taken at the end of the warm-up minute (None before it)."""
        index = round(WARM_UP / SAMPLE_INTERVAL)
        return self.samples[index] if len(self.samples) > index else None

    def growth_kib(self):
        """(last minus the warm-up sample, largest after it minus it); None before."""
        base = self.warmed_up()
        if base is None:
            return None
        after = self.samples[self.samples.index(base):]
        return (self.samples[-1].resident_kib - base.resident_kib,
                max(s.resident_kib for s in after) - base.resident_kib)

    def floor_growth_kib(self):
        """The smallest sample of the last minute minus the smallest of the minute after
        the warm-up; None for runs shorter than two minutes. Single samples swing by a
        few MB with the renderer's passing allocations; a leak raises the floor."""
        per_minute = round(WARM_UP / SAMPLE_INTERVAL)
        if len(self.samples) < 3 * per_minute + 1:
            return None
        second_minute = self.samples[per_minute:2 * per_minute + 1]
        last_minute = self.samples[-per_minute - 1:]
        return (min(s.resident_kib for s in last_minute)
                - min(s.resident_kib for s in second_minute))

    def floors_by_minute_kib(self) -> list:
        """The smallest sample of each whole minute (samples from its start up to the
        next minute's first); a leak shows as a trend, a late warm-up or a one-off
        step of a library's as something else."""
        per_minute = round(WARM_UP / SAMPLE_INTERVAL)
        return [min(s.resident_kib for s in self.samples[start:start + per_minute + 1])
                for start in range(0, len(self.samples) - per_minute, per_minute)]

    def report(self) -> str:
        if not self.samples:
            return "no memory samples"
        values = [s.resident_kib for s in self.samples]
        lines = [f"{len(values)} samples of VmRSS over {_clock(self.samples[-1].elapsed)}, "
                 f"{self.samples[-1].presses} arrow presses",
                 f"first {values[0]:,} KiB, last {values[-1]:,} KiB, maximum {max(values):,} KiB"]
        growth = self.growth_kib()
        if growth is None:
            lines.append("no growth figure: the run ended within its first minute")
        else:
            lines.append(f"growth after the first minute: {growth[0]:+,} KiB to the last "
                         f"sample, {growth[1]:+,} KiB to the largest")
        floor = self.floor_growth_kib()
        if floor is not None:
            lines.append(f"growth of the floor (smallest sample of the last minute against "
                         f"the second minute's): {floor:+,} KiB")
        floors = self.floors_by_minute_kib()
        if floors:
            lines.append("floor of each minute, KiB: " + " ".join(f"{f:,}" for f in floors))
        elapsed = self.samples[-1].elapsed
        if elapsed > 0:
            lines.append(f"{self.samples[-1].presses / elapsed:.2f} presses a second")
        lines += self.mapping_report()
        return "\n".join(lines)

    def mapping_report(self) -> list:
        """The mappings whose resident memory changed most from the warm-up to the end."""
        if not self.mappings_last:
            return []
        names = set(self.mappings_warmed_up) | set(self.mappings_last)
        change = {name: self.mappings_last.get(name, 0) - self.mappings_warmed_up.get(name, 0)
                  for name in names}
        largest = sorted(names, key=lambda name: -abs(change[name]))[:GROWING_MAPPINGS]
        lines = ["resident memory by mapping, from the end of the warm-up to the last sample:"]
        lines += [f"  {change[name]:+10,} KiB  {self.mappings_last.get(name, 0):>9,} KiB  {name}"
                  for name in largest if change[name]]
        before, after = sum(self.mappings_warmed_up.values()), sum(self.mappings_last.values())
        lines.append(f"  {after - before:+10,} KiB in all ({before:,} KiB to {after:,} KiB; "
                     f"read apart from the samples, so they differ by the renderer's churn)")
        return lines


def walk_randomly(game, memory: MemoryLog, rng: random.Random, seconds: float,
                  presses_per_second: float) -> int:
    """Random arrow presses, paced, until the time is up; memory sampled as it falls due.
    Gives how often the game had to be given the keyboard again."""
    game.activate(game.main_window)
    x_window = game.refresh(game.main_window).x_window
    presses = 0
    activations = 0
    started = time.monotonic()
    memory.take(presses)
    while time.monotonic() - started < seconds:
        if memory.due():
            memory.take(presses)
        next_press = started + presses / presses_per_second
        time.sleep(max(0.0, next_press - time.monotonic()))
        # Nothing else runs on the display, so the game keeps the keyboard; should
        # anything take it, the full activation gives it back.
        activated = game.screen.focused_window() == x_window
        activations += not activated
        game.tap(rng.choice(ARROWS), activated=activated)
        presses += 1
    memory.take(presses)
    return activations


def check_still_plays(game, start: Image) -> None:
    """Walks the knight home and checks the board and the knight's animation there."""
    for key in ("Up", "Left"):
        for _ in range(BOARD_SIDE - 1):
            game.tap(key)
    home = game.settled("home")
    if without_knight(home).data != without_knight(start).data:
        raise AssertionError("back on the first cell, the board does not look as it did "
                             "at the start (see the screenshots 'start' and 'home')")
    for index, picture in enumerate(game.watch_the_knight()):
        if without_knight(picture).data != without_knight(home).data:
            game.keep(picture, "board-moved")
            raise AssertionError(f"picture {index + 1}: something but the knight moved")


def soak(session, minutes: float, seed: int, presses_per_second: float,
         max_growth_kib: int) -> int:
    rng = random.Random(seed)
    print(f"Soaking {session.command()[-1]} for {minutes:g} min: seed {seed}, "
          f"at most {presses_per_second:g} presses a second", flush=True)
    memory = None
    failure = ""
    try:
        with session as game:  # a failure inside keeps a screenshot of its moment
            game.wait_for_game("start")
            start = game.settled("start")
            memory = MemoryLog(*game_process(game))
            activations = walk_randomly(game, memory, rng, minutes * 60.0, presses_per_second)
            print(f"the game lost the keyboard {activations} times and was given it again",
                  flush=True)
            game.settled("after-walk")
            check_still_plays(game, start)
            game.press("alt+F4")
            code = game.wait_for_exit()
            if code != 0:
                failure = f"Alt+F4 ended the game with exit code {code}"
    except AssertionError as error:
        failure = str(error)
    print(memory.report() if memory else "no memory samples")
    floor = memory.floor_growth_kib() if memory else None
    if not failure and max_growth_kib and floor is not None and floor > max_growth_kib:
        failure = (f"the floor of resident memory rose by {floor:,} KiB after the first "
                   f"minutes (at most {max_growth_kib:,} KiB)")
    if failure:
        print(f"soak FAILED: {failure}\nscreenshots: {session.shot_dir}", file=sys.stderr)
        return 1
    print(f"soak passed: the knight still animates and Alt+F4 ended the game with 0 "
          f"(screenshots: {session.shot_dir})")
    return 0


def _clock(seconds: float) -> str:
    return f"{int(seconds) // 60:d}:{int(seconds) % 60:02d}"


def _positive(kind):
    def parse(text: str):
        value = kind(text)
        if value <= 0:
            raise argparse.ArgumentTypeError(f"{text} is not positive")
        return value
    return parse


def main(arguments: list) -> int:
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("minutes", type=_positive(float))
    parser.add_argument("--game-dir", type=Path, required=True,
                        help="folder holding Korvane.exe and its data")
    platform = parser.add_mutually_exclusive_group(required=True)
    platform.add_argument("--probe", type=Path,
                          help="window_probe.exe: run Korvane.exe of --game-dir under Wine")
    platform.add_argument("--native", action="store_true",
                          help="run the native build's korvane of --game-dir")
    parser.add_argument("--work-dir", type=Path, required=True,
                        help="screenshots, logs and, under Wine, the soak's prefix go here")
    parser.add_argument("--seed", type=int, default=1,
                        help="of the random presses (a run is repeatable)")
    parser.add_argument("--presses-per-second", type=_positive(float), default=2.0,
                        help="at most this many (each press is held and released for a few "
                        "of the game's frames, so a slow machine gives fewer)")
    parser.add_argument("--max-growth-kib", type=_positive(int), default=0,
                        help="fail when the floor of resident memory rises by more "
                        "(runs of at least 3 minutes; no limit by default)")
    options = parser.parse_args(arguments)
    game_dir = options.game_dir.absolute()
    work_dir = options.work_dir.absolute()
    if options.native:
        native = NativeConfig(game_dir=game_dir, work_dir=work_dir, version="")
        native.require_game()
        ProcessBook(native.pid_file).stop_leftovers()  # of a soak run that was killed
        session = NativeGameSession(None, config=native, name="soak")
    else:
        config = Config(game_dir=game_dir, work_dir=work_dir, probe=options.probe.absolute(),
                        objdump="", version="", package=Path())
        ProcessBook(config.pid_file).stop_leftovers()
        if not config.prefix.is_ready():
            prepare(config, fresh=False)
        session = GameSession(None, config=config, name="soak")
    return soak(session, options.minutes, options.seed, options.presses_per_second,
                options.max_growth_kib)


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv[1:]))
    except HarnessError as error:
        print(f"soak FAILED: {error}", file=sys.stderr)
        sys.exit(1)

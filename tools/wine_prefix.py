#!/usr/bin/env python3
"""The one way Korvane prepares and enters a Wine prefix, for players and tests alike.

    wine_prefix.py prepare PREFIX              make the prefix, or bring an older one up to date
    wine_prefix.py run PREFIX EXE [ARGUMENT...] prepare it when needed, then run EXE in its folder
    wine_prefix.py stop PREFIX                 end every Wine process of the prefix

tools/run_game.sh runs the game through `run`; the end-to-end tests import this
module (WinePrefix) and start the game with its environment. Both need a
display (DISPLAY) for `prepare` and `run`: Wine's first start opens windows.

What a prepared prefix holds, and why:

* A Japanese locale (LANG=ja_JP.UTF-8). The game is Japanese: its captions
  are, its ANSI code page is 932. When the system has no such locale, it is
  compiled once with localedef into a folder beside the prefix (LOCPATH), so
  nothing outside that folder changes.
* Wine's own window decorations ("HKCU\\Software\\Wine\\X11 Driver\\Decorated"
  = "N"): Wine draws the caption, frame and caption buttons itself, as Windows
  does, and no window manager is needed.
* Wine's fonts (Debian's fonts-wine: Tahoma, and Marlett, whose glyphs are the
  caption buttons; without it they show as the letters "0 1 r") and a Japanese
  font (IPA Gothic) copied into the prefix's Fonts folder, where this Wine
  looks for them.
* No Mono or Gecko installer prompts (WINEDLLOVERRIDES), no debug output.

A prefix records the set-up it was given (SETUP_VERSION, in a stamp file), so
a prefix made by an older version of this script is brought up to date
instead of being used as it is.
"""

from __future__ import annotations

import fcntl
import os
import shutil
import subprocess
import sys
import tempfile
from contextlib import contextmanager
from dataclasses import dataclass
from pathlib import Path
from typing import Callable, Iterator, Optional

JAPANESE_LOCALE = "ja_JP.UTF-8"
WINE_FONTS = Path("/usr/share/wine/fonts")
# fonts-ipafont-gothic: the font file itself and the alternatives link Debian adds.
JAPANESE_FONTS = (Path("/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"),
                  Path("/usr/share/fonts/truetype/fonts-japanese-gothic.ttf"))
DECORATIONS_KEY = "HKCU\\Software\\Wine\\X11 Driver"

# Raise when the set-up below changes, so prefixes made before are refreshed.
SETUP_VERSION = "3 fonts before the first start, decorations"
STAMP_NAME = ".korvane-setup"


class WineSetupError(RuntimeError):
    """The prefix cannot be made; the message says what to install or look at."""


def run_quietly(command: list, env: dict, timeout: float, what: str) -> None:
    """Runs a command to its end, failing with its output. Output goes through files:
    Wine can leave helper processes behind that hold a pipe open long after."""
    with tempfile.TemporaryFile() as output:
        try:
            result = subprocess.run(command, env=env, stdin=subprocess.DEVNULL, stdout=output,
                                    stderr=subprocess.STDOUT, timeout=timeout)
        except subprocess.TimeoutExpired:
            raise WineSetupError(f"{what} did not finish within {timeout:.0f} s") from None
        except FileNotFoundError:
            raise WineSetupError(f"{command[0]} is missing: run tools/install_dependencies.sh") \
                from None
        if result.returncode != 0:
            output.seek(0)
            raise WineSetupError(f"{what} failed with exit code {result.returncode}:\n"
                                 f"{output.read().decode(errors='replace')}")


def system_has_japanese_locale() -> bool:
    try:
        listed = subprocess.run(["locale", "-a"], capture_output=True, timeout=30)
    except (OSError, subprocess.TimeoutExpired):
        return False
    names = {name.lower().replace("-", "") for name in listed.stdout.decode().split()}
    return "ja_jp.utf8" in names


def japanese_font() -> Path:
    for font in JAPANESE_FONTS:
        if font.is_file():
            return font
    raise WineSetupError("no Japanese font found: install fonts-ipafont-gothic")


@dataclass
class WinePrefix:
    """A Wine prefix of the game's own, never the user's ~/.wine."""

    path: Path
    # Where ja_JP.UTF-8 is compiled when the system has no such locale.
    locale_dir: Path

    @staticmethod
    def at(path: Path) -> "WinePrefix":
        """The prefix in path, its compiled locale (if any) beside it."""
        path = Path(path).absolute()
        return WinePrefix(path, path.parent / "locale")

    @property
    def fonts_dir(self) -> Path:
        return self.path / "drive_c" / "windows" / "Fonts"

    @property
    def drive_c(self) -> Path:
        return self.path / "drive_c"

    @property
    def stamp(self) -> Path:
        return self.path / STAMP_NAME

    def _compiled_locale(self) -> Path:
        return self.locale_dir / JAPANESE_LOCALE

    def _uses_compiled_locale(self) -> bool:
        return (self._compiled_locale() / "LC_CTYPE").is_file()

    def environment(self, display: Optional[str], extra: Optional[dict] = None) -> dict:
        """The environment every Wine command of this prefix runs in. display None
        leaves DISPLAY out (for commands that open no window)."""
        env = dict(os.environ)
        env.update({
            "WINEPREFIX": str(self.path),
            "WINEARCH": "win64",
            "WINEDEBUG": "-all",
            "WINEDLLOVERRIDES": "mscoree,mshtml=",  # no Mono or Gecko installer prompts
            "LANG": JAPANESE_LOCALE,
            "LC_ALL": JAPANESE_LOCALE,
        })
        if self._uses_compiled_locale():
            env["LOCPATH"] = str(self.locale_dir)
        else:
            env.pop("LOCPATH", None)
        if display is not None:
            env["DISPLAY"] = display
        else:
            env.pop("DISPLAY", None)
        env.update(extra or {})
        return env

    def is_ready(self) -> bool:
        try:
            return self.stamp.read_text(encoding="utf-8").strip() == SETUP_VERSION
        except OSError:
            return False

    @contextmanager
    def _locked(self) -> Iterator[None]:
        """One preparation at a time per prefix (a player's run and a script's, say)."""
        self.path.parent.mkdir(parents=True, exist_ok=True)
        lock_file = self.path.parent / f".{self.path.name}.lock"
        with lock_file.open("w") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)
            try:
                yield
            finally:
                fcntl.flock(lock, fcntl.LOCK_UN)

    def prepare(self, display: str, fresh: bool = False,
                report: Callable[[str], None] = print) -> None:
        """Makes the prefix (from nothing when fresh) and gives it everything above.
        Steps already done are not repeated."""
        if not display:
            raise WineSetupError("preparing a Wine prefix needs a display (DISPLAY is not set)")
        with self._locked():
            if fresh:
                self.stop()
                shutil.rmtree(self.path, ignore_errors=True)
            elif self.is_ready():
                return
            self._prepare_locale()
            env = self.environment(display)
            # The fonts go in before any Wine process starts: the first one to start
            # settles the window metrics and the font cache, and a font that arrives
            # while a session is alive may or may not be seen, depending on timing.
            self.stop()
            self._copy_fonts()
            if not (self.path / "system.reg").is_file():
                report(f"Preparing the Wine prefix in {self.path} (once, about a minute)...")
                run_quietly(["wineboot", "--init"], env, timeout=600, what="wineboot --init")
                run_quietly(["wineserver", "-w"], env, timeout=120, what="wineserver -w")
            run_quietly(["wine", "reg", "add", DECORATIONS_KEY, "/v", "Decorated", "/t", "REG_SZ",
                         "/d", "N", "/f"], env, timeout=300, what="setting Wine's decorations")
            # The registry reaches its files when the prefix's wineserver ends.
            run_quietly(["wineserver", "-w"], env, timeout=120, what="wineserver -w")
            self.stamp.write_text(SETUP_VERSION + "\n", encoding="utf-8")

    def _prepare_locale(self) -> None:
        if system_has_japanese_locale() or self._uses_compiled_locale():
            return
        self.locale_dir.mkdir(parents=True, exist_ok=True)
        # localedef warns about the locale's definitions but writes it all the same;
        # the file check below is what counts.
        try:
            subprocess.run(["localedef", "-i", "ja_JP", "-f", "UTF-8",
                            str(self._compiled_locale())], capture_output=True, timeout=300)
        except FileNotFoundError:
            raise WineSetupError("localedef is missing: install the locales package") from None
        if not self._uses_compiled_locale():
            raise WineSetupError("localedef could not build ja_JP.UTF-8 (is the locales "
                                 "package installed?)")

    def _copy_fonts(self) -> None:
        wine_fonts = sorted(WINE_FONTS.glob("*.ttf"))
        if not any(font.name == "marlett.ttf" for font in wine_fonts):
            raise WineSetupError(f"Wine's fonts are missing from {WINE_FONTS}: install fonts-wine")
        self.fonts_dir.mkdir(parents=True, exist_ok=True)
        for font in [*wine_fonts, japanese_font()]:
            shutil.copy2(font, self.fonts_dir / font.name)

    def stop(self) -> None:
        """Ends every Wine process of this prefix, and its wineserver."""
        if not self.path.is_dir():
            return
        env = self.environment(display=None)
        for arguments in (["-k"], ["-w"]):
            try:
                subprocess.run(["wineserver", *arguments], env=env, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
            except (subprocess.TimeoutExpired, FileNotFoundError):
                pass

    def run(self, executable: Path, arguments: list) -> None:
        """Replaces this process with Wine running executable in its own folder; the
        program's exit code becomes this process's."""
        display = os.environ.get("DISPLAY", "")
        if not self.is_ready():
            self.prepare(display)
        os.chdir(executable.parent)
        os.execvpe("wine", ["wine", str(executable), *arguments], self.environment(display))


USAGE = __doc__.split("\n\n")[1]


def main(arguments: list) -> int:
    if len(arguments) < 2 or arguments[0] not in ("prepare", "run", "stop") or \
            (arguments[0] == "run") != (len(arguments) >= 3):
        print(f"usage:\n{USAGE}", file=sys.stderr)
        return 2
    command, prefix = arguments[0], WinePrefix.at(Path(arguments[1]))
    if command == "prepare":
        prefix.prepare(os.environ.get("DISPLAY", ""))
    elif command == "stop":
        prefix.stop()
    else:
        executable = Path(arguments[2]).absolute()
        if not executable.is_file():
            raise WineSetupError(f"{executable} does not exist")
        prefix.run(executable, arguments[3:])
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv[1:]))
    except WineSetupError as error:
        print(f"error: {error}", file=sys.stderr)
        sys.exit(1)

"""The CTest fixtures of the end-to-end tests, and their test list.

    wine_setup.py prepare       the Wine prefix and Japanese locale the tests share
    wine_setup.py cleanup       stops whatever the tests of this run left running
    wine_setup.py list MODULE   the ids of the tests in MODULE, one a line
"""

from __future__ import annotations

import shutil
import subprocess
import sys
import time
import unittest
from pathlib import Path

from wine_harness import (JAPANESE_LOCALE, WINE_FONTS, Config, HarnessError, ProcessBook,
                          XServer, require_tool, run, stop_wine)


def prepare(config: Config) -> None:
    """Makes the Wine prefix and the Japanese locale the tests share."""
    for tool, package in (("wine", "wine"), ("wineboot", "wine"), ("wineserver", "wine"),
                          ("localedef", "locales"), ("Xvfb", "xvfb")):
        require_tool(tool, package)
    book = ProcessBook(config.pid_file)
    book.stop_leftovers()
    stop_wine(config)
    shutil.rmtree(config.wine_dir, ignore_errors=True)
    config.locale_dir.mkdir(parents=True)

    # localedef warns about the locale's definitions but writes it all the same; the
    # check below is what counts.
    subprocess.run(["localedef", "-i", "ja_JP", "-f", "UTF-8",
                    str(config.locale_dir / JAPANESE_LOCALE)], capture_output=True, timeout=120)
    if not (config.locale_dir / JAPANESE_LOCALE / "LC_CTYPE").exists():
        raise HarnessError("localedef could not build ja_JP.UTF-8 (is the locales package "
                           "installed?)")

    x_server = XServer(book, config.log_dir / "prepare" / "xvfb.log")
    try:
        env = config.wine_environment(x_server.start())
        started = time.monotonic()
        run(["wineboot", "--init"], env=env, timeout=300, what="wineboot --init")
        run(["wineserver", "-w"], env=env, timeout=120, what="wineserver -w")
        run(["wine", "reg", "add", "HKCU\\Software\\Wine\\X11 Driver", "/v", "Decorated",
             "/t", "REG_SZ", "/d", "N", "/f"], env=env, timeout=120,
            what="setting Wine's own window decorations")
        fonts = config.prefix / "drive_c" / "windows" / "Fonts"
        if WINE_FONTS.is_dir():
            for font in WINE_FONTS.glob("*.ttf"):
                shutil.copy2(font, fonts / font.name)
        stop_wine(config)
        print(f"Wine prefix ready in {config.prefix} ({time.monotonic() - started:.1f} s)")
    finally:
        stop_wine(config)
        x_server.stop()


def cleanup(config: Config) -> None:
    """Stops whatever the tests of this run left running."""
    stop_wine(config)
    ProcessBook(config.pid_file).stop_leftovers()


def list_tests(module_name: str) -> None:
    """Prints the ids of the tests in a module, one a line, for CTest."""
    sys.path.insert(0, str(Path(__file__).parent))
    suite = unittest.defaultTestLoader.loadTestsFromName(module_name)

    def ids(item):
        if isinstance(item, unittest.TestSuite):
            for inner in item:
                yield from ids(inner)
        else:
            yield item.id()

    for test_id in ids(suite):
        print(test_id)


def main(arguments: list) -> int:
    if arguments[:1] == ["list"] and len(arguments) == 2:
        list_tests(arguments[1])
        return 0
    if arguments in (["prepare"], ["cleanup"]):
        config = Config.from_environment()
        (prepare if arguments[0] == "prepare" else cleanup)(config)
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv[1:]))
    except HarnessError as error:
        print(f"error: {error}", file=sys.stderr)
        sys.exit(1)

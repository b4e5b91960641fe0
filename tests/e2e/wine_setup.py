"""The CTest fixtures of the end-to-end tests, and their test list.

    wine_setup.py prepare       the Wine prefix the tests share, made afresh
    wine_setup.py cleanup       stops whatever the tests of this run left running
    wine_setup.py cleanup-native  the same for the native game's tests
    wine_setup.py cleanup-web   the same for the web tests' browsers
    wine_setup.py list MODULE   the ids of the tests in MODULE, one a line
"""

from __future__ import annotations

import sys
import time
import unittest
from pathlib import Path

from processes import HarnessError, ProcessBook, require_tool
from native_harness import NativeConfig
from web_harness import WebConfig
from wine_harness import Config
from wine_prefix import WineSetupError
from x_display import XServer


def prepare(config: Config, fresh: bool = True) -> None:
    """Makes the Wine prefix the tests share (tools/wine_prefix.py), from nothing unless
    fresh is False (a soak run's prefix, say, kept from run to run)."""
    for tool, package in (("wine", "wine"), ("wineboot", "wine"), ("wineserver", "wine"),
                          ("localedef", "locales"), ("Xvfb", "xvfb")):
        require_tool(tool, package)
    book = ProcessBook(config.pid_file)
    book.stop_leftovers()
    x_server = XServer(book, config.work_dir / "logs" / "prepare" / "xvfb.log")
    started = time.monotonic()
    try:
        config.prefix.prepare(x_server.start(), fresh=fresh)
    except WineSetupError as error:
        raise HarnessError(str(error)) from None
    finally:
        config.prefix.stop()
        x_server.stop()
    print(f"Wine prefix ready in {config.prefix.path} ({time.monotonic() - started:.1f} s)")


def cleanup(config: Config) -> None:
    """Stops whatever the tests of this run left running, in every prefix they use."""
    for prefix in config.all_prefixes():
        prefix.stop()
    ProcessBook(config.pid_file).stop_leftovers()


def cleanup_native(config: NativeConfig) -> None:
    """Stops whatever the native tests of this run left running."""
    ProcessBook(config.pid_file).stop_leftovers()


def cleanup_web(config: WebConfig) -> None:
    """Stops the browsers the web tests of this run left running."""
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
    if arguments == ["cleanup-native"]:
        cleanup_native(NativeConfig.from_environment())
        return 0
    if arguments == ["cleanup-web"]:
        cleanup_web(WebConfig.from_environment())
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

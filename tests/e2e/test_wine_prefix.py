"""The shared Wine set-up's decisions that need no Wine: the environment every
Wine command runs in, when a prefix counts as prepared, and the command line."""

import tempfile
import unittest
from pathlib import Path

import wine_harness  # noqa: F401  (puts tools/ on the module path)
from wine_prefix import (JAPANESE_LOCALE, SETUP_VERSION, STAMP_NAME, WinePrefix, WineSetupError,
                         main)


class WinePrefixTest(unittest.TestCase):

    def setUp(self):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        self.root = Path(folder.name)
        self.prefix = WinePrefix.at(self.root / "prefix")

    def test_environment_names_the_prefix_the_locale_and_no_installer_prompts(self):
        env = self.prefix.environment(":7", {"WINE_D3D_CONFIG": "renderer=no3d"})
        self.assertEqual((env["WINEPREFIX"], env["WINEARCH"], env["DISPLAY"]),
                         (str(self.root / "prefix"), "win64", ":7"))
        self.assertEqual((env["LANG"], env["LC_ALL"]), (JAPANESE_LOCALE, JAPANESE_LOCALE))
        self.assertEqual((env["WINEDLLOVERRIDES"], env["WINEDEBUG"]), ("mscoree,mshtml=", "-all"))
        self.assertEqual(env["WINE_D3D_CONFIG"], "renderer=no3d")
        self.assertNotIn("DISPLAY", self.prefix.environment(None))

    def test_the_compiled_locale_is_used_only_once_it_exists(self):
        self.assertNotIn("LOCPATH", self.prefix.environment(None))
        compiled = self.root / "locale" / JAPANESE_LOCALE
        compiled.mkdir(parents=True)
        (compiled / "LC_CTYPE").write_bytes(b"")
        self.assertEqual(self.prefix.environment(None)["LOCPATH"], str(self.root / "locale"))

    def test_a_prefix_is_ready_only_with_the_stamp_of_this_set_up(self):
        stamp = self.root / "prefix" / STAMP_NAME
        cases = [(None, False), ("1 decorations\n", False), ("", False),
                 (SETUP_VERSION + "\n", True), (SETUP_VERSION, True)]
        for content, ready in cases:
            with self.subTest(content=content):
                stamp.unlink(missing_ok=True)
                if content is not None:
                    stamp.parent.mkdir(parents=True, exist_ok=True)
                    stamp.write_text(content, encoding="utf-8")
                self.assertEqual(self.prefix.is_ready(), ready)

    def test_preparing_needs_a_display(self):
        with self.assertRaises(WineSetupError):
            self.prefix.prepare("")
        self.assertFalse((self.root / "prefix").exists(), "nothing made without a display")

    def test_the_command_line_is_checked_before_anything_runs(self):
        prefix = str(self.root / "prefix")
        for arguments in ([], ["prepare"], ["run", prefix], ["start", prefix]):
            with self.subTest(arguments=arguments):
                self.assertEqual(main(arguments), 2)
        with self.assertRaises(WineSetupError):
            main(["run", prefix, str(self.root / "missing.exe")])
        self.assertFalse((self.root / "prefix").exists())


if __name__ == "__main__":
    unittest.main()

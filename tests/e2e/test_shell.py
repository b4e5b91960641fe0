"""The game's window, menu, About box and exits, driven as a player would."""

import functools
import re
import subprocess
import unittest

from game_pictures import CLIENT_SIZE, SKY
from pe_resources import (FALT, FVIRTKEY, LANG_JAPANESE_DEFAULT, PeResources,
                          read_icon_image)
from processes import HarnessError
from screen_image import Image, Rect
from shell_scenarios import MenuScenarios
from win32_windows import (BS_DEFPUSHBUTTON, BS_TYPEMASK, SS_ICON, SS_TYPEMASK, WS_CAPTION,
                           WS_DISABLED, WS_GROUP, WS_MAXIMIZEBOX, WS_MINIMIZEBOX, WS_SYSMENU,
                           WS_TABSTOP, WS_THICKFRAME)
from wine_harness import (ABOUT_TITLE, DIALOG_CLASS, MAIN_TITLE, STARTUP_FAILURE_TITLE, Config,
                          GameSession)

IDOK = 1
ABOUT_ICON_ID = 2
ICON_SIZE = 32  # the size the About box's icon control shows
VFT_APP = 1
CODE_PAGE_UTF16 = 1200


@functools.lru_cache(maxsize=4)
def expected_icon(background: tuple) -> list:
    """The 32 x 32 emblem of icon group 107 as it shows over background."""
    resources = PeResources(Config.from_environment().require_game())
    image = next(data for width, _, bits, data in resources.icon_group(107)
                 if width == ICON_SIZE and bits == 32)
    size, pixels = read_icon_image(image)
    assert size == ICON_SIZE
    return [tuple(round((c * a + k * (255 - a)) / 255) for c, k in zip((r, g, b), background))
            for r, g, b, a in pixels]


def icon_match_error(shot: Image, left: int, top: int, expected: list) -> int:
    """The largest channel difference between shot at (left, top) and the expected icon."""
    worst = 0
    for y in range(ICON_SIZE):
        row = shot.row(top + y)
        for x in range(ICON_SIZE):
            offset = (left + x) * 3
            want = expected[y * ICON_SIZE + x]
            worst = max(worst, abs(row[offset] - want[0]), abs(row[offset + 1] - want[1]),
                        abs(row[offset + 2] - want[2]))
    return worst


class MainWindowTest(unittest.TestCase):

    def test_window_is_titled_korvane_with_a_fixed_frame_and_the_menu(self):
        with GameSession(self) as game:
            window = game.main_window
            self.assertEqual(window.class_name, "KORVANE")
            self.assertEqual(window.style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX),
                             WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX)
            self.assertEqual(window.style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0,
                             "the window can be neither resized nor maximised")
            self.assertTrue(window.has_menu)
            self.assertEqual((window.rect.left, window.rect.top), (0, 0))
            # The X side agrees: the title a window list or task bar shows, on the one X
            # window Wine shows the game in, once Wine has mapped and named it.
            x_window = game.wait_for(lambda: game.refresh(window).x_window, 30,
                                     "the game window has an X window")
            game.wait_for(lambda: game.screen.windows_named(MAIN_TITLE) == [x_window], 30,
                          f"one viewable X window named {MAIN_TITLE!r}, the game's")
            game.wait_until_active(window)

    def test_client_area_is_exactly_640_by_480_drawn_over_the_sky_colour(self):
        with GameSession(self) as game:
            client = game.main_window.client
            self.assertEqual((client.width, client.height), CLIENT_SIZE)
            game.wait_for_game("client")
            # The drawn picture and the client area coincide: the sky reaches
            # the client's top, left and right edges and nothing beyond them.
            inside = client.relative_to(game.main_window.rect)

            def sky_fills_the_client_area(window: Image) -> bool:
                box = window.bounding_box_of(SKY)
                return box is not None and box[:3] == (inside.left, inside.top, inside.right)

            window = game.wait_for_picture(game.main_window.rect, sky_fills_the_client_area,
                                           "window")
            self.assertEqual(window.crop(0, inside.bottom, window.width, window.height)
                             .count_of(SKY), 0, "no sky below the client area")
            game.keep(window.crop_rect(inside), "client-area")


class ShellTest(MenuScenarios, unittest.TestCase):
    """The scenarios of shell_scenarios.py, with the dialog's own resources, and
    what only Windows has: Alt+F4, the exit code and a missing Direct3D."""
    session_class = GameSession

    def check_about_box(self, game: GameSession, about) -> None:
        """The About box is open over the game, shows the icon, the version and an OK
        button, and has the keyboard."""
        self.assertEqual(about.owner, game.main_window.hwnd)
        self.assertTrue(game.refresh(game.main_window).style & WS_DISABLED,
                        "the About box is modal: the game window waits for it")
        game.wait_until_active(about)

        icon = about.control(ABOUT_ICON_ID)
        self.assertEqual(icon.style & SS_TYPEMASK, SS_ICON)
        self.assertTrue(icon.has_icon)
        button = about.control(IDOK)
        self.assertEqual(button.text, "OK")
        self.assertEqual(button.style & BS_TYPEMASK, BS_DEFPUSHBUTTON)
        self.assertEqual(button.style & (WS_GROUP | WS_TABSTOP), WS_GROUP | WS_TABSTOP)
        self.assertEqual(about.control(-1).text, f"Korvane Version {game.config.version}")

        client = about.client.relative_to(about.rect)
        icon_area = icon.rect.relative_to(about.rect)
        button_area = button.rect.relative_to(about.rect)

        def drawing_problem(shot: Image) -> str:
            face = shot.pixel(client.left + 4, client.bottom - 4)
            # The emblem, pixel for pixel, where the icon control shows it.
            error = icon_match_error(shot, icon_area.left, icon_area.top, expected_icon(face))
            if error > 8:
                return f"the icon at {icon_area} differs by up to {error}"
            # An OK button: a frame all round, darker than the dialog, around its face
            # with the dark pixels of its caption in the middle.
            button_shot = shot.crop_rect(button_area)
            width, height = button_shot.width, button_shot.height
            ring = ([button_shot.pixel(x, y) for x in range(width) for y in (0, height - 1)]
                    + [button_shot.pixel(x, y) for y in range(height) for x in (0, width - 1)])
            if not all(max(p) < min(face) - 40 for p in ring):
                return "no frame round the button"
            inside = button_shot.crop_rect(Rect(0, 0, width, height).inset(3))
            if inside.count_of(face, tolerance=8) <= inside.width * inside.height // 2:
                return "the button's face is not the dialog's colour"
            if sum(1 for p in inside.pixels() if max(p) < 96) <= 10:
                return "no caption on the button"
            return ""

        game.wait_for_right_picture(about.rect, drawing_problem, "about")

    def check_game_has_the_keyboard(self, game: GameSession) -> None:
        self.assertTrue(game.running)
        main = game.wait_until_active(game.main_window)
        self.assertEqual(main.client.width, CLIENT_SIZE[0])

    def choose_from_menu(self, game: GameSession, menu: str, item: str) -> None:
        # The menus' access keys: ファイル(F) → アプリケーションの終了(X), ヘルプ(H) → バージョン情報(A).
        game.press("alt", menu[0], {"about": "a", "exit": "x"}[item])

    def click_ok(self, game: GameSession, about) -> None:
        game.click(*about.control(IDOK).rect.centre)

    def check_the_game_ended(self, game: GameSession) -> None:
        self.assertEqual(game.wait_for_exit(), 0)

    def test_alt_f4_ends_the_game_with_code_0(self):
        with GameSession(self) as game:
            game.wait_for_game("before")
            game.press("alt+F4")
            self.assertEqual(game.wait_for_exit(), 0)

    def test_no_graphics_device_is_reported_and_ends_with_code_1(self):
        # Wine's Direct3D without 3D support: no device can be created.
        with GameSession(self, extra_env={"WINE_D3D_CONFIG": "renderer=no3d"},
                         wait_for_main_window=False) as game:
            box = game.wait_for_window(STARTUP_FAILURE_TITLE, class_name=DIALOG_CLASS)
            texts = box.static_texts()
            self.assertTrue(any(text.startswith("Direct3D 9 のグラフィックデバイスを作成できません")
                                for text in texts), texts)
            game.screenshot("message")
            game.press("Return", window=box)
            self.assertEqual(game.wait_for_exit(), 1)


class ExecutableTest(unittest.TestCase):
    """What the built Korvane.exe carries, read from the file."""

    # DLLs every Windows since Vista has; the C++ runtime is linked in.
    SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "d3d9.dll", "dinput8.dll",
                   "dsound.dll", "msvcrt.dll", "advapi32.dll", "ole32.dll", "winmm.dll",
                   "shell32.dll"}

    def setUp(self):
        self.config = Config.from_environment()
        self.exe = self.config.require_game()

    def test_imports_only_system_dlls_and_no_d3dx9(self):
        try:
            dump = subprocess.run([self.config.objdump, "-p", str(self.exe)],
                                  capture_output=True, timeout=60, check=True)
        except (OSError, subprocess.CalledProcessError) as error:
            raise HarnessError(f"{self.config.objdump} -p failed: {error}") from error
        dlls = {name.lower() for name in
                re.findall(r"DLL Name: (\S+)", dump.stdout.decode(errors="replace"))}
        self.assertIn("d3d9.dll", dlls)
        self.assertEqual([d for d in dlls if d.startswith("d3dx")], [])
        self.assertLessEqual(dlls, self.SYSTEM_DLLS, f"not a system DLL: {dlls - self.SYSTEM_DLLS}")

    def test_resources_are_japanese_with_the_captions_of_the_game(self):
        resources = PeResources(self.exe)
        for kind_and_id, languages in resources.entries.items():
            self.assertEqual(list(languages), [LANG_JAPANESE_DEFAULT], kind_and_id)
        self.assertEqual(resources.string(103), "Korvane")
        self.assertEqual(resources.string(109), "KORVANE")
        self.assertEqual(resources.menu(109), [
            ("ファイル(&F)", [("アプリケーションの終了(&X)", 105)]),
            ("ヘルプ(&H)", [("バージョン情報(&A)...", 104)]),
        ])
        # Character accelerators with Alt: no virtual-key flag.
        self.assertEqual(resources.accelerators(109),
                         [(FALT, ord("?"), 104), (FALT, ord("/"), 104)])
        self.assertFalse(any(flags & FVIRTKEY for flags, _, _ in resources.accelerators(109)))

        about = resources.dialog(103)
        self.assertEqual(about.caption, ABOUT_TITLE)
        self.assertEqual((about.x, about.y, about.width, about.height), (22, 17, 230, 75))
        self.assertEqual((about.font_size, about.font_name), (9, "MS UI Gothic"))
        ds_modalframe, ds_setfont = 0x80, 0x40
        self.assertEqual(about.style, WS_CAPTION | WS_SYSMENU | ds_modalframe | ds_setfont)
        icon, notice, button = about.controls
        self.assertEqual((icon.id, icon.text, icon.style & SS_TYPEMASK), (2, 107, SS_ICON))
        self.assertEqual((icon.x, icon.y, icon.width, icon.height), (14, 9, 16, 16))
        self.assertEqual((notice.id, notice.class_name), (-1, 0x82))
        self.assertEqual(notice.text, f"Korvane Version {self.config.version}")
        self.assertEqual((notice.x, notice.y, notice.width, notice.height), (49, 20, 119, 8))
        self.assertTrue(notice.style & WS_GROUP)
        self.assertEqual((button.id, button.class_name, button.text), (IDOK, 0x80, "OK"))
        self.assertEqual((button.x, button.y, button.width, button.height), (195, 6, 30, 11))
        self.assertEqual(button.style & (BS_TYPEMASK | WS_GROUP | WS_TABSTOP),
                         BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP)

    def test_version_information_names_the_projects_version(self):
        info = PeResources(self.exe).version_info()
        numbers = tuple(int(part) for part in self.config.version.split("."))
        numbers += (0,) * (4 - len(numbers))
        self.assertEqual((info.file_version, info.product_version), (numbers, numbers))
        self.assertEqual(info.file_type, VFT_APP)
        self.assertEqual(info.translations, [(LANG_JAPANESE_DEFAULT, CODE_PAGE_UTF16)])
        self.assertEqual(info.strings, {f"{LANG_JAPANESE_DEFAULT:04X}{CODE_PAGE_UTF16:04X}": {
            "FileDescription": "Korvane", "FileVersion": self.config.version,
            "InternalName": "Korvane", "OriginalFilename": "Korvane.exe",
            "ProductName": "Korvane", "ProductVersion": self.config.version}})

    def test_both_icon_groups_hold_the_eight_images(self):
        resources = PeResources(self.exe)
        expected = [(32, 32, 4), (16, 16, 4), (48, 48, 8), (32, 32, 8), (16, 16, 8),
                    (48, 48, 32), (32, 32, 32), (16, 16, 32)]
        large = resources.icon_group(107)
        small = resources.icon_group(108)
        self.assertEqual([image[:3] for image in large], expected)
        self.assertEqual(small, large)


if __name__ == "__main__":
    unittest.main()

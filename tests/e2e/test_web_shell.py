"""The page around the game, korvane.html in headless Chromium: where it is
opened from, its title, icon and canvas, a browser without WebGL, a tab that
is hidden and shown again, the About box, and the end of the game, driven as a
player would."""

import time
import unittest
from pathlib import Path

from game_pictures import (CLIENT_SIZE, SKY, board_move_error, facing_of,
                           stage_heights, without_knight)
from game_session import MAIN_TITLE
from screen_image import Image, Rect
from shell_scenarios import MenuScenarios
from web_harness import (GAME_HAS_THE_KEYBOARD, WebConfig, WebGameSession, page_copy,
                         served_over_http)

JAPANESE_FOLDER = "ゲーム ソフト"  # a space and Japanese characters
WINDOW_CREATION_TITLE = "エラー"
WINDOW_CREATION_FAILURE = "ウィンドウの作成に失敗しました"
NO_WEBGL_FLAGS = ("--disable-webgl", "--disable-3d-apis")
HIDDEN_SECONDS = 3.0
# Ticks a hidden tab may gain in all: a burst would run one for every 33 ms it
# was hidden (90 for 3 s).
MOST_TICKS_ACROSS_THE_HIDDEN_TIME = 5
TICK_MILLISECONDS = 33
# Animation frames the page is watched for after the game ended: half a second
# at 60 frames a second, some fifteen ticks of the game's timer had it run on.
FRAMES_WATCHED_AFTER_THE_END = 30

# Records what the page goes through from now on: each visibilitychange and, at
# every animation frame, the time and the game's ticks.
VISIBILITY_RECORDER = """(() => {
  window.__seen = {visibility: [], samples: []};
  document.addEventListener("visibilitychange",
                            () => __seen.visibility.push(document.visibilityState));
  const sample = now => {
    __seen.samples.push([now, korvane.ticks]);
    requestAnimationFrame(sample);
  };
  requestAnimationFrame(sample);
})()"""


def places(name: str) -> Path:
    """A folder of the web tests' own under the work folder."""
    return WebConfig.from_environment().work_dir / "web-places" / name


def drawn_colours(picture: Image) -> int:
    return len({picture.data[offset:offset + 3] for offset in range(0, len(picture.data), 3)})


class PlacesTest(unittest.TestCase):
    """The one page, copied alone, plays wherever it is opened from."""

    def check_plays(self, url: str):
        with WebGameSession(self, url=url) as game:
            game.wait_for_game("start")
            before = game.settled("before")
            game.tap("Right")
            after = game.settled("after-right")
            self.assertEqual(facing_of(after), 90)
            problem = board_move_error(before, after, stage_heights(game.game_dir), 0, 1)
            self.assertEqual(problem, "", "a Right press walks one cell")

    def test_from_a_folder_named_with_a_space_and_japanese_characters(self):
        page = page_copy(WebConfig.from_environment(), places(JAPANESE_FOLDER))
        self.check_plays(page.as_uri())

    def test_over_http_from_127_0_0_1(self):
        page = page_copy(WebConfig.from_environment(), places("http"))
        with served_over_http(page.parent) as address:
            self.check_plays(address + page.name)


class PageTest(unittest.TestCase):

    def test_titled_korvane_with_the_games_icon_and_the_canvas_at_its_own_size(self):
        with WebGameSession(self) as game:
            self.assertEqual(game.tab.evaluate("document.title"), MAIN_TITLE)
            canvas = game.tab.evaluate("""(() => {
                const c = document.getElementById("canvas"), r = c.getBoundingClientRect();
                return [c.width, c.height, r.width, r.height, devicePixelRatio]; })()""")
            self.assertEqual(canvas, [*CLIENT_SIZE, *CLIENT_SIZE, 1],
                             "pixel size, CSS size and the pixel ratio")
            icon = game.tab.evaluate("""(async () => {
                const link = document.querySelector('link[rel~="icon"]');
                if (!link) return null;
                const image = new Image();
                image.src = link.href;
                await image.decode();
                return [link.href.split(":")[0], image.naturalWidth, image.naturalHeight];
            })()""", await_promise=True)
            self.assertIsNotNone(icon, "a favicon")
            # Not a file beside the page, which a copy of the page alone would lack.
            self.assertIn(icon[0], ("data", "blob"), "the icon comes from the page itself")
            self.assertGreaterEqual(min(icon[1:]), 16, "the icon is an image of the emblem")
            game.wait_for_game("canvas")
            # The game's picture and the canvas coincide: the sky reaches the canvas's
            # top, left and right edges and nothing beyond them.
            client = game.main_window.client
            around = Rect(max(client.left - 20, 0), max(client.top - 20, 0), client.right + 20,
                          client.bottom + 20)
            inside = client.relative_to(around)

            def sky_fills_the_canvas(picture: Image) -> bool:
                box = picture.bounding_box_of(SKY)
                return box is not None and box[:3] == (inside.left, inside.top, inside.right)

            picture = game.wait_for_picture(around, sky_fills_the_canvas, "around")
            self.assertEqual(picture.crop(0, inside.bottom, picture.width, picture.height)
                             .count_of(SKY), 0, "no sky below the canvas")

    def test_without_webgl_the_window_creation_failure_is_shown_never_a_blank_page(self):
        with WebGameSession(self, browser_flags=NO_WEBGL_FLAGS,
                            wait_for_main_window=False) as game:
            box = game.wait_for_dialog(WINDOW_CREATION_TITLE)
            self.assertEqual(box.text, WINDOW_CREATION_FAILURE)
            picture = game.screenshot("message").crop_rect(box.client)
            self.assertGreater(drawn_colours(picture), 2, "the dialog is drawn, with its text")
            game.wait_for(lambda: any(WINDOW_CREATION_FAILURE in line
                                      for line in game.console_lines()), 10,
                          "the message on the console", explain=lambda: str(game.console))
            self.assertEqual(game.page_state(), "failed")


class HiddenTabTest(unittest.TestCase):

    def test_a_tab_hidden_for_seconds_goes_on_with_no_burst_of_ticks_and_no_step(self):
        with WebGameSession(self) as game:
            game.wait_for_game("start")
            before = game.settled("before")
            game.tab.evaluate(VISIBILITY_RECORDER)
            game.wait_for_animation_frames(2)
            game.tab.hide()
            game.wait_for(lambda: game.tab.evaluate("document.visibilityState") == "hidden",
                          10, "the page is hidden")
            time.sleep(HIDDEN_SECONDS)
            game.tab.show()
            game.wait_for(lambda: game.tab.evaluate(GAME_HAS_THE_KEYBOARD), 10,
                          "the page is shown and focused again")
            game.wait_for_new_frames(30)
            after = game.settled("after")
            seen = game.tab.evaluate("__seen")
        self.assertEqual(seen["visibility"], ["hidden", "visible"],
                         "the page saw itself hidden, then shown")
        self.assertEqual(without_knight(after).data, without_knight(before).data, "no step")
        self.assertEqual(facing_of(after), facing_of(before))
        self.check_ticks(seen["samples"])

    def check_ticks(self, samples: list):
        """samples: (time in ms, ticks) at each animation frame before and after."""
        gaps = [(later[0] - earlier[0], later[1] - earlier[1], index)
                for index, (earlier, later) in enumerate(zip(samples, samples[1:]))]
        hidden_ms, gained, index = max(gaps)
        self.assertGreaterEqual(hidden_ms, HIDDEN_SECONDS * 1000, "the time hidden is seen")
        self.assertLessEqual(gained, MOST_TICKS_ACROSS_THE_HIDDEN_TIME,
                             f"ticks gained across {hidden_ms:.0f} ms hidden")
        shown = samples[index + 1:]
        elapsed, ticks = shown[-1][0] - shown[0][0], shown[-1][1] - shown[0][1]
        print(f"hidden {hidden_ms:.0f} ms: {gained} ticks; shown {elapsed:.0f} ms: {ticks} ticks")
        self.assertGreater(ticks, 0, "the game goes on once shown")
        self.assertLessEqual(ticks, elapsed / TICK_MILLISECONDS + 2,
                             f"one tick per {TICK_MILLISECONDS} ms once shown")


class ShellTest(MenuScenarios, unittest.TestCase):
    """The scenarios of shell_scenarios.py with the page's own About box, menu
    and end, and what only the page has: the link that starts the game again."""
    session_class = WebGameSession

    def check_about_box(self, game: WebGameSession, about) -> None:
        """The About box is open over the game with the Windows box's caption and
        notice line, the game's icon and an OK button, and has the keyboard."""
        self.assertEqual(about.text, f"Korvane Version {game.config.version}")
        parts = game.tab.evaluate("""(() => {
            const box = document.getElementById("about-box"), icon = box.querySelector("img.icon");
            const ok = box.querySelector("button.ok");
            return [icon ? icon.complete && icon.naturalWidth : 0, ok ? ok.textContent : ""];
        })()""")
        self.assertGreaterEqual(parts[0], 16, "the game's icon is shown")
        self.assertEqual(parts[1].strip(), "OK")
        game.activate(about)
        game.wait_for_right_picture(about.rect, lambda picture: "" if drawn_colours(picture) > 2
                                    else "nothing drawn", "about")

    def check_game_has_the_keyboard(self, game: WebGameSession) -> None:
        game.wait_for(lambda: game.tab.evaluate(GAME_HAS_THE_KEYBOARD), 10,
                      "the game has the keyboard again")

    def choose_from_menu(self, game: WebGameSession, menu: str, item: str) -> None:
        game.click_element(f"#menu-{menu}")
        game.click_element(f"#menu-{item}")

    def click_ok(self, game: WebGameSession, about) -> None:
        game.click_element("#about-box button.ok")

    def check_the_game_ended(self, game: WebGameSession) -> None:
        """The page says the game has ended, draws and ticks no more, and offers a
        link that starts it again."""
        game.wait_for(lambda: game.page_state() == "ended", 10, "the game ended")
        line = game.wait_for(lambda: game.element_rect("#ended"), 10, "the line shown")
        game.screenshot("ended")
        self.assertIn("ゲームは終了しました。", game.tab.evaluate(
            "document.getElementById('ended').textContent"))
        ended = game.counters()
        last = game.capture(game.main_window.client)
        game.wait_for_animation_frames(FRAMES_WATCHED_AFTER_THE_END)
        self.assertEqual(game.counters(), ended, "no frame nor tick after the end")
        self.assertEqual(game.capture(game.main_window.client).data, last.data,
                         "the canvas stands still")
        self.assertIsNotNone(game.element_rect("#restart"), f"a way to start again {line}")
        game.click_element("#restart")
        game.wait_for(lambda: game.page_state() == "running", 60, "the game runs again")
        game.wait_for_game("restarted")
        self.assertIsNone(game.element_rect("#ended"), "the line has gone")


if __name__ == "__main__":
    unittest.main()

"""The page around the game, korvane.html in headless Chromium: where it is
opened from, its title, icon and canvas, a browser without WebGL, a tab that
is hidden and shown again, the About box, the end of the game, phones (the
page fitted to a turned view, played by swipes and the on-screen pad), a
portal's iframe, and sound woken by the first gesture, driven as a player
would."""

import sys
import time
import unittest
from pathlib import Path

from browser_tab import DESKTOP, PHONE_LANDSCAPE, PHONE_PORTRAIT, SMALL_PHONE, Device
from game_pictures import (CLIENT_SIZE, SKY, board_move_error, facing_of,
                           stage_heights, without_knight)
from game_session import ABOUT_TITLE, MAIN_TITLE
from screen_image import Image, Rect
from screen_session import DEFAULT_TIMEOUT
from shell_scenarios import MenuScenarios
from web_harness import (GAME_HAS_THE_KEYBOARD, WebConfig, WebGameSession, page_copy,
                         served_over_http)

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tools"))
from frame_agreement import DEFAULT_MINIMUM, DEFAULT_TOLERANCE, agreement  # noqa: E402

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

# The smallest tap target a finger is given, in CSS pixels.
TOUCH_TARGET = 44
# What the console says once the page's sound has been woken.
AUDIO_RESUMED = "korvane: Web Audio resumed on the first gesture"
# Browsers differ in whether a page may start sound unasked; this one may not.
GESTURE_FOR_AUDIO = ("--autoplay-policy=document-user-activation-required",)
# A host page, as a portal serves one: taller than the view, with the game in
# an iframe of the given CSS size.
HOST_PAGE = """<!doctype html><meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<body style="margin: 0; height: 3000px">
<iframe id="game" src="{page}" style="width: {width}; height: {height}px; border: 0"></iframe>
</body>"""

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


def layout_problem(layout: dict, pad_shown: bool) -> str:
    """Why the page's layout does not fit its view as a phone's must; "" when it does:
    the game box wholly in the view, nothing to scroll, the canvas 4:3 and its drawing
    buffer its size in device pixels, the pad (when shown) in the view and clear of
    the game, tap targets a finger's size."""
    if not layout:
        return "no layout"
    width, height = layout["view"]
    left, top, right, bottom = layout["window"]
    canvas = layout["canvas"]
    css = (canvas[2] - canvas[0], canvas[3] - canvas[1])
    wanted = [round(side * layout["ratio"]) for side in css]
    pad = layout["pad"]
    # The room the game box may take: the view, less the pad beside it or below it
    # (and a little between them).
    free = [width - 12, height - 12]
    if pad is not None:
        free[0 if pad[0] >= canvas[2] else 1] -= (pad[2] - pad[0] if pad[0] >= canvas[2]
                                                  else pad[3] - pad[1])
    problems = [
        (left < 0 or top < 0 or right > width or bottom > height,
         f"the game box {layout['window']} leaves the {width} x {height} view"),
        (layout["scroll"][0] > width or layout["scroll"][1] > height,
         f"the page scrolls: {layout['scroll'][:2]} in {width} x {height}"),
        (abs(css[0] * 3 - css[1] * 4) > 4, f"the canvas is {css[0]} x {css[1]}, not 4:3"),
        (right - left < free[0] and bottom - top < free[1],
         f"the game box {layout['window']} is smaller than the room it has, {free}"),
        (layout["buffer"] != wanted, f"drawing buffer {layout['buffer']}, not {wanted}"),
        (pad_shown != (pad is not None), f"the pad shown: {pad is not None}"),
        (pad is not None and (pad[0] < 0 or pad[1] < 0 or pad[2] > width or pad[3] > height),
         f"the pad {pad} leaves the view"),
        (pad is not None and pad[0] < canvas[2] and canvas[0] < pad[2] and pad[1] < canvas[3]
         and canvas[1] < pad[3], f"the pad {pad} lies over the game {canvas}"),
        (layout["shortest_target"] < TOUCH_TARGET,
         f"a tap target {layout['shortest_target']} pixels high"),
    ]
    return "; ".join(text for failed, text in problems if failed)


def wait_for_fit(game: WebGameSession, pad_shown: bool, what: str,
                 targets: bool = True) -> dict:
    """The page's layout once it fits its view (layout_problem); targets=False for a
    desktop view, where no target need be a finger's size."""
    problem = [""]

    def fits():
        layout = game.layout()
        if not targets and layout:
            layout["shortest_target"] = TOUCH_TARGET
        problem[0] = layout_problem(layout, pad_shown)
        return None if problem[0] else layout

    return game.wait_for(fits, DEFAULT_TIMEOUT, f"the page fits the view: {what}",
                         explain=lambda: problem[0])


class PhoneTest(unittest.TestCase):
    """The page on a phone: fitted to the view, played by touch."""

    def test_the_game_fits_portrait_landscape_and_a_small_phone_and_turning_refits_it(self):
        with WebGameSession(self, device=PHONE_PORTRAIT) as game:
            game.wait_for_game("portrait")
            wait_for_fit(game, False, "portrait")
            game.tab.evaluate("window.__notReloaded = true")
            game.swipe("Up", distance=10)  # a touch, too short to be a swipe: the pad
            portrait = wait_for_fit(game, True, "portrait-pad")
            self.assertGreater(portrait["pad"][1], portrait["canvas"][3], "the pad below")
            for device in (PHONE_LANDSCAPE, SMALL_PHONE):
                with self.subTest(device=device):
                    game.tab.emulate(device)
                    layout = wait_for_fit(game, True, f"{device.width}x{device.height}")
                    if device.width > device.height:
                        self.assertGreater(layout["pad"][0], layout["canvas"][2], "beside")
                    game.wait_for_game(f"{device.width}x{device.height}")
            self.assertTrue(game.tab.evaluate("window.__notReloaded === true"),
                            "turned without a reload")

    def test_a_swipe_walks_one_cell_as_the_arrow_key_does_and_not_from_the_menu_bar(self):
        with WebGameSession(self, device=PHONE_PORTRAIT) as game:
            game.wait_for_game("start")
            start = game.settled("start")
            menu_bar = game.element_rect("#menu-bar")
            game.swipe("Right", start=(menu_bar.left + 20, menu_bar.centre[1]))
            game.wait_for_new_frames(10)
            self.assertEqual(game.settled("menu-bar-swipe").without(game.knight_box).data,
                             start.without(game.knight_box).data,
                             "a swipe on the menu bar walks not")
            game.swipe("Right")
            swiped = game.settled("after-swipe")
            self.assertEqual(facing_of(swiped), 90)
            problem = board_move_error(start, swiped, stage_heights(game.game_dir), 0, 1)
            self.assertEqual(problem, "", "a swipe right walks one cell")
            game.tap("Left")
            back = game.settled("back")
            self.assertGreaterEqual(agreement(back, start, DEFAULT_TOLERANCE,
                                              [game.knight_box]).share, DEFAULT_MINIMUM,
                                    "Left walks back")
            game.tap("Right")
            keyed = game.settled("after-key")
            same = agreement(swiped, keyed, DEFAULT_TOLERANCE, [game.knight_box])
            self.assertGreaterEqual(same.share, DEFAULT_MINIMUM,
                                    "the same frame after a swipe as after the key")

    def test_a_pad_arrow_walks_once_held_and_nothing_moves_while_the_about_box_is_open(self):
        with WebGameSession(self, device=PHONE_LANDSCAPE,
                            browser_flags=GESTURE_FOR_AUDIO) as game:
            game.wait_for_game("start")
            self.assertEqual(game.tab.evaluate("Module.korvaneAudio.state"), "suspended")
            game.touch("#canvas")
            right = game.pad_button("Right")
            start = game.settled("start")
            game.tab.touch_down(*right.centre)
            moved = game.settled("pad-down")
            problem = board_move_error(start, moved, stage_heights(game.game_dir), 0, 1)
            self.assertEqual(problem, "", "a pad press walks one cell")
            game.wait_for_new_frames(30)
            held = game.settled("pad-held")
            game.tab.touch_up()
            self.assertEqual(held.without(game.knight_box).data,
                             moved.without(game.knight_box).data,
                             "holding the pad walks no further")
            game.touch("#menu-help")
            game.touch("#menu-about")
            about = game.wait_for_dialog(ABOUT_TITLE)
            self.assertEqual(layout_problem(game.layout(), True), "", "the About box by touch")
            game.swipe("Down")
            game.tab.tap_at(*game.pad_button("Down").centre)
            game.wait_for_new_frames(10)
            covered = game.in_picture(about.rect)
            during = game.wait_for_still_picture(game.main_window.client, "about",
                                                 moving=(game.knight_box, covered))
            self.assertEqual(during.without(game.knight_box, covered).data,
                             held.without(game.knight_box, covered).data,
                             "no step while it is open")
            game.touch("#about-box button.ok")
            game.wait_until_gone(ABOUT_TITLE)
            lines = [line for line in game.console_lines() if AUDIO_RESUMED in line]
            self.assertEqual(len(lines), 1, "the console tells of the sound once")
            self.assertEqual(game.tab.evaluate("Module.korvaneAudio.state"), "running")


class FullScreenTest(unittest.TestCase):

    def test_the_control_fits_the_game_to_the_screen_and_back_and_a_parameter_hides_it(self):
        with WebGameSession(self) as game:
            game.wait_for_game("window")
            game.click_element("#fullscreen")
            full = wait_for_fit(game, False, "full screen", targets=False)
            self.assertGreater(full["canvas"][2] - full["canvas"][0], CLIENT_SIZE[0])
            game.wait_for_game("full-screen")
            game.click_element("#fullscreen")
            game.wait_for(lambda: game.layout().get("buffer") == list(CLIENT_SIZE),
                          DEFAULT_TIMEOUT, "the game at its own size again",
                          explain=lambda: str(game.layout()))
            game.tab.navigate(game.url + "?fullscreen=0")
            game.wait_for(lambda: game.page_state() == "running", DEFAULT_TIMEOUT,
                          "the page opened again")
            self.assertIsNone(game.element_rect("#fullscreen"), "hidden by the parameter")


class EmbeddedTest(unittest.TestCase):
    """The page in a portal's iframe, served from 127.0.0.1."""

    def host(self, name: str, width: str, height: int) -> tuple:
        page = page_copy(WebConfig.from_environment(), places(f"host-{name}"))
        (page.parent / "host.html").write_text(
            HOST_PAGE.format(page=page.name, width=width, height=height), encoding="utf-8")
        return page.parent

    def test_the_game_fits_its_iframe_and_a_click_or_a_tap_gives_it_the_keys(self):
        # A desktop portal's small iframe, and a phone's as wide as its view.
        for device, name, width, height in ((DESKTOP, "click", "400px", 300),
                                            (PHONE_PORTRAIT, "tap", "min(100%, 720px)", 600)):
            with self.subTest(gesture=name), \
                    served_over_http(self.host(name, width, height)) as address, \
                    WebGameSession(self, url=address + "host.html", frame="#game",
                                   device=device, part=name) as game:
                game.wait_for_game("start")
                wait_for_fit(game, False, f"a {width} x {height}px iframe", targets=False)
                start = game.settled("start")
                x, y = game.main_window.client.centre
                game.tab.tap_at(x, y) if device.phone else game.click(x, y)
                game.tap("Down")
                after = game.settled("after-down")
                problem = board_move_error(start, after, stage_heights(game.game_dir), 0, 10)
                self.assertEqual(problem, "", "Down walks after the " + name)
                game.tab.frame = ""
                self.assertEqual(game.tab.evaluate("[scrollX, scrollY]"), [0, 0],
                                 "the host page has not scrolled")


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

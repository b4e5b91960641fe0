"""The About box and the menu's ways in and out, as every platform's shell has
them: written once, and run by each platform's shell tests, which say how
their own box looks and how their game shows it has ended."""

from game_session import ABOUT_TITLE


class AboutBoxScenarios:
    """The About box by its accelerators, closed by Esc or Enter. A platform's
    test class sets session_class and checks its own box in check_about_box."""
    session_class = None  # a GameSessionBase subclass

    def check_about_box(self, game, about) -> None:
        """What the platform's About box shows, and that it has the keyboard."""
        raise NotImplementedError

    def check_game_has_the_keyboard(self, game) -> None:
        """The game window has the keyboard again once the box has closed."""
        raise NotImplementedError

    def open_about_box(self, game, *keys: str):
        game.press(*keys)
        about = game.wait_for_dialog(ABOUT_TITLE)
        self.check_about_box(game, about)
        return about

    def check_about_box_closed(self, game) -> None:
        game.wait_until_gone(ABOUT_TITLE)
        self.check_game_has_the_keyboard(game)
        game.wait_for_game("after-about")

    def check_about_box_by_keys(self, opening: str, closing: str) -> None:
        with self.session_class(self) as game:
            game.wait_for_game("before")
            about = self.open_about_box(game, opening)
            game.press(closing, window=about)
            self.check_about_box_closed(game)

    def test_alt_question_mark_opens_the_about_box_and_escape_closes_it(self):
        self.check_about_box_by_keys("alt+question", "Escape")

    def test_alt_slash_opens_the_about_box_and_enter_closes_it(self):
        self.check_about_box_by_keys("alt+slash", "Return")


class MenuScenarios(AboutBoxScenarios):
    """The menu bar's Help → About, closed by a click on OK, and File → Exit, on
    the platforms that have a menu bar (Windows and the page)."""

    def choose_from_menu(self, game, menu: str, item: str) -> None:
        """Opens menu ("file" or "help") and chooses item ("exit" or "about")."""
        raise NotImplementedError

    def click_ok(self, game, about) -> None:
        raise NotImplementedError

    def check_the_game_ended(self, game) -> None:
        """What the platform shows once File → Exit has ended the game."""
        raise NotImplementedError

    def test_help_menu_opens_the_about_box_and_a_click_on_ok_closes_it(self):
        with self.session_class(self) as game:
            game.wait_for_game("before")
            self.choose_from_menu(game, "help", "about")
            about = game.wait_for_dialog(ABOUT_TITLE)
            self.check_about_box(game, about)
            self.click_ok(game, about)
            self.check_about_box_closed(game)

    def test_file_menu_exit_ends_the_game(self):
        with self.session_class(self) as game:
            game.wait_for_game("before")
            self.choose_from_menu(game, "file", "exit")
            self.check_the_game_ended(game)

// The page around the canvas, as the web glue and the web shell talk to it:
// its texts, its dialogs and the line that says the game has ended. The
// page's own script (shell.html) draws them; window.korvane there shows the
// game's state, frames and ticks to whoever looks (the end-to-end tests).
#pragma once

#include <span>

// What the page shows that the game's other shells show too.
struct PageTexts {
    const char* title;    // the tab's title, the main window's caption elsewhere
    const char* fileMenu; // the menus and their items, "&" before the underlined letter
    const char* exitItem;
    const char* helpMenu;
    const char* aboutItem;
    const char* aboutCaption; // the About box
    const char* noticeLine;
};

// Gives the page its texts, the game's icon and the keys its touch controls
// press (KeyboardEvent.code of each; the page calls KorvaneTouchKey with the
// index of one in this list).
void SetUpPage(const PageTexts& texts, std::span<const char* const> touchKeyCodes);
// A message box of the page: `caption` over `utf8Text`, with OK; also
// written to the browser's console. It does not wait for OK.
void ShowPageMessage(const char* utf8Text, const char* utf8Caption);
// Opens the About box; the page calls KorvaneAboutClosed when it has closed.
void OpenPageAboutBox();
// The game has ended: the page says so and offers to start again.
void ShowGameEnded();
// "running" once the game plays, "failed" when start-up stopped.
void SetGameState(const char* state);

// Whether the page has the keyboard focus and is shown.
bool PageHasFocus();
bool PageIsVisible();

// A frame went to the canvas; a tick of the frame timer ran.
void CountPresentedFrame();
void CountTick();

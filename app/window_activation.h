// What the main window does when it gains or loses the activation: the
// keyboard is acquired while the game window is active and released otherwise.
#pragma once

// Called on every WM_ACTIVATE of the main window; active is false only for a
// plain deactivation (wParam 0). Must do nothing while the keyboard is not set up.
void OnMainWindowActivated(bool active);

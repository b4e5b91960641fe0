// The game's message boxes. Their texts are written in UTF-8 and shown through
// the wide-character API, so Japanese reads correctly on a Windows of any
// language (an ANSI string of Japanese is garbage outside code page 932).
#pragma once

// Shows an OK message box without owner. A null caption shows the system's
// default caption. Returns the button the player chose.
int ShowMessageBox(const char* utf8Text, const char* utf8Caption);

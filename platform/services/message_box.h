// A message to the player in a box with an OK button. Texts are UTF-8; the
// Windows shell shows them with the wide-character message box so Japanese
// reads right on a system of any language. Hosts link the recording version
// of the test support instead.
#pragma once

void ShowMessageBox(const char* utf8Text, const char* utf8Caption);

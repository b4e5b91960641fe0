#include "app/window_activation.h"

// The game has no keyboard device yet, so there is nothing to acquire.
void OnMainWindowActivated(bool) {}

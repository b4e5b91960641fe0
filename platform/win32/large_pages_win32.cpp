#include "platform/services/large_pages.h"

// Windows gives large pages only to a process holding the right to lock
// memory, which a game does not ask its player for: blocks stay in small pages.
void AdviseLargePages(void*, std::size_t) {}

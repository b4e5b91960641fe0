// The text encoding of the builds that are not for Windows: Linux, macOS and
// the page's file system name files in UTF-8, and the player reads messages in UTF-8.
#pragma once

// Makes the text the core takes as ANSI (the executable's path, names joined
// to it) UTF-8: no byte of a path is then taken for the first half of a
// Shift-JIS character, and messages show paths as they are.
void UseUtf8AsAnsiText();

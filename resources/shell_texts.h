// Texts every shell shows, the Windows one through its resource script and the
// others through app/shell_constants.h. Plain macros: the resource
// compiler reads this file too.
#pragma once

#include "korvane_version.h" // written by CMake from the project's version

#define KORVANE_WINDOW_TITLE "Korvane"            // the main window's caption
#define KORVANE_ABOUT_CAPTION "バージョン情報"    // the About box's caption
#define KORVANE_NOTICE_LINE KORVANE_NOTICE_TEXT  // the About box's notice line

// The main window's menu; "&" marks the letter typed with Alt to open an item.
#define KORVANE_MENU_FILE "ファイル(&F)"
#define KORVANE_MENU_EXIT "アプリケーションの終了(&X)"
#define KORVANE_MENU_HELP "ヘルプ(&H)"
#define KORVANE_MENU_ABOUT "バージョン情報(&A)..."

// The characters that, typed with Alt, open the About box.
#define KORVANE_ABOUT_ACCELERATOR "?"
#define KORVANE_ABOUT_ACCELERATOR_ALTERNATIVE "/"

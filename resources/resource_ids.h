// Identifiers of the resources in korvane.rc, shared by the resource script
// and the code that loads them.
#pragma once

#define IDS_WINDOW_TITLE 103 // string: the main window's caption
#define IDS_WINDOW_CLASS 109 // string: the main window's class name

#define IDI_LARGE_ICON 107 // icon group: the class icon, also shown in the About box
#define IDI_SMALL_ICON 108 // icon group: the small class icon (same images)

#define IDR_MAIN_MENU 109    // menu of the main window class
#define IDR_ACCELERATORS 109 // accelerators of the message loop

#define IDD_ABOUT 103      // dialog: the About box
#define IDC_ABOUT_ICON 2   // the About box's icon control
#define IDC_NOTICE_TEXT -1 // the About box's notice line (never addressed)

#define IDM_ABOUT 104 // command: open the About box
#define IDM_EXIT 105  // command: close the main window and end the game

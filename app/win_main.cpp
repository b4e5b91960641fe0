// Placeholder entry point so the Windows build links; replaced by the shell.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }

// The player program's main block.
#include <windows.h>

#include "start_up.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return zentavo::RunPlayer(); }

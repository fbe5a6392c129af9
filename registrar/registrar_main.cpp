// The registrar: registers the player control library that lies in its own folder and ends.
// It has no window, reads no command line and always ends with exit code 0.
#include <windows.h>

#include "program_folder.h"
#include "register_control.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RegisterControl(ProgramFolder() + "QuorvaneZIV.ocx");
    return 0;
}

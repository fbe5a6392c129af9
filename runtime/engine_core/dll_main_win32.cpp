// The library's entry point does nothing, at load (under the loader lock) and above all at
// process exit, when other threads are gone and may have left a lock held.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}

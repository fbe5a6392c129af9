#include "register_control.h"

#include <windows.h>

namespace {
using RegisterServerEntry = HRESULT(__stdcall*)();

// The last library handle and entry, kept as the player's start-up keeps them.
HMODULE g_controlLibrary = nullptr;
RegisterServerEntry g_registerServer = nullptr;
}  // namespace

void RegisterControl(const std::string& path) {
    g_controlLibrary = LoadLibraryA(path.c_str());
    g_registerServer = nullptr;
    if (g_controlLibrary == nullptr) return;
    g_registerServer = reinterpret_cast<RegisterServerEntry>(
        reinterpret_cast<void*>(GetProcAddress(g_controlLibrary, "DllRegisterServer")));
    if (g_registerServer != nullptr) g_registerServer();
    FreeLibrary(g_controlLibrary);
}

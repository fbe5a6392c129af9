// Registration of the player control library: load it, call its DllRegisterServer, free it.
// Shared by the player (at every start) and by the registrar program.
#pragma once

#include <string>

// Registers the COM server at `path` (ANSI path). Nothing is reported: a library that cannot
// be loaded or has no "DllRegisterServer" export is simply left unregistered, and the
// export's result is not examined.
void RegisterControl(const std::string& path);

// The default binary-property source: RCDATA resources of the program file.
#include "form_loader.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace tk {

BinaryResourceFinder ProgramResourceFinder() {
#ifdef _WIN32
    return [](const std::string& name, const uint8_t*& data, size_t& size) {
        HMODULE module = GetModuleHandleA(nullptr);
        HRSRC info = FindResourceA(module, name.c_str(), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
        if (info == nullptr) return false;
        HGLOBAL loaded = LoadResource(module, info);
        if (loaded == nullptr) return false;
        data = static_cast<const uint8_t*>(LockResource(loaded));
        size = SizeofResource(module, info);
        return data != nullptr;
    };
#else
    return [](const std::string&, const uint8_t*&, size_t&) { return false; };
#endif
}

}  // namespace tk

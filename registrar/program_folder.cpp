#include "program_folder.h"

#include <windows.h>

std::string ProgramFolder() {
    char path[MAX_PATH * 2] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) return std::string();
    std::string folder(path, length);
    size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

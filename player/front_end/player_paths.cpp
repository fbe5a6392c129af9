#include "player_paths.h"

#include <windows.h>

#include "program_folder.h"

namespace zentavo {

std::string PlayerFileA(const char* name) { return ProgramFolder() + "vororur\\" + name; }

std::wstring PlayerFileW(const wchar_t* name) {
    wchar_t path[MAX_PATH * 2] = {};
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    std::wstring folder(path, length);
    size_t slash = folder.find_last_of(L"\\/");
    folder = slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash + 1);
    return folder + L"vororur\\" + name;
}

}  // namespace zentavo

// Files of the player: all in the sub-folder "vororur" of the program folder.
#pragma once

#include <string>

namespace zentavo {

std::string PlayerFileA(const char* name);        // program folder + "vororur\" + name (ANSI)
std::wstring PlayerFileW(const wchar_t* name);    // the same, UTF-16

}  // namespace zentavo

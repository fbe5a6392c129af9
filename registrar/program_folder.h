// The folder of the running program file, with its trailing backslash (ANSI form).
#pragma once

#include <string>

std::string ProgramFolder();

// The control's log: UTF-8 lines "<tick> <text>" appended and flushed, in %ZIV_LOG% or else
// ziv.log next to the control library.
#pragma once

#include <windows.h>

#include <string>

namespace ziv {

extern HINSTANCE g_module;

std::wstring ModuleFolder();  // with its trailing backslash
std::string Utf8(const std::wstring& text);
void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace ziv

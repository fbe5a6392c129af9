// Text helpers of the skin engine: conversions and drawing that use the wide calls on the NT
// family and the ANSI ones elsewhere.
#pragma once

#include <windows.h>

#include <string>

namespace skin {

// True on the NT family (the default); tests may switch it to reach the ANSI path.
bool UnicodeSystem();
void SetUnicodeSystem(bool unicode);

// Through the system's ANSI code page.
std::wstring AnsiToWide(const std::string& text);
// The whole text when count is -1, else its first count characters (no more than it has).
std::wstring WideCopy(const std::wstring& text, int count);
// DrawTextW with the text's length, or the text converted to ANSI and DrawTextA; the call's result.
int DrawTextAuto(HDC dc, const std::wstring& text, RECT& rect, UINT format);

}  // namespace skin

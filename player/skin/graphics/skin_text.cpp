#include "skin_text.h"

#include <optional>

#include "application.h"
#include "code_page.h"

namespace skin {
namespace {

std::optional<bool>& UnicodeFlag() {
    static std::optional<bool> flag;
    return flag;
}

}  // namespace

bool UnicodeSystem() {
    if (!UnicodeFlag()) UnicodeFlag() = tk::TApplication::Win32Platform() == VER_PLATFORM_WIN32_NT;
    return *UnicodeFlag();
}

void SetUnicodeSystem(bool unicode) { UnicodeFlag() = unicode; }

std::wstring AnsiToWide(const std::string& text) { return tk::CodePageToWide(text, CP_ACP); }

std::wstring WideCopy(const std::wstring& text, int count) {
    if (count == -1) return text;
    return text.substr(0, count < 0 ? 0 : static_cast<size_t>(count));
}

int DrawTextAuto(HDC dc, const std::wstring& text, RECT& rect, UINT format) {
    if (UnicodeSystem()) return DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
    const std::string ansi = tk::WideToCodePage(text, CP_ACP);
    return DrawTextA(dc, ansi.c_str(), -1, &rect, format);
}

}  // namespace skin

#include "str_to_int.h"

#include <cstdint>

#include "exceptions.h"

namespace tk {

bool TryStrToInt(const std::wstring& text, int& value) {
    if (text.empty()) return false;
    if (text[0] == L'$') {
        if (text.size() < 2 || text.size() > 9) return false;
        uint32_t v = 0;
        for (size_t i = 1; i < text.size(); ++i) {
            wchar_t c = text[i];
            int digit = c >= L'0' && c <= L'9' ? c - L'0'
                      : c >= L'a' && c <= L'f' ? c - L'a' + 10
                      : c >= L'A' && c <= L'F' ? c - L'A' + 10 : -1;
            if (digit < 0) return false;
            v = (v << 4) | static_cast<uint32_t>(digit);
        }
        value = static_cast<int32_t>(v);
        return true;
    }
    size_t i = 0;
    bool negative = false;
    if (text[0] == L'+' || text[0] == L'-') {
        negative = text[0] == L'-';
        i = 1;
    }
    if (i == text.size()) return false;
    int64_t v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < L'0' || text[i] > L'9') return false;
        v = v * 10 + (text[i] - L'0');
        if (v > 2147483648LL) return false;
    }
    if (negative) v = -v;
    if (v > INT32_MAX || v < INT32_MIN) return false;
    value = static_cast<int>(v);
    return true;
}

int StrToInt(const std::wstring& text) {
    int value = 0;
    if (!TryStrToInt(text, value)) throw EConvertError(L"'" + text + L"' is not a valid integer value");
    return value;
}

int StrToIntDef(const std::wstring& text, int fallback) {
    int value = 0;
    return TryStrToInt(text, value) ? value : fallback;
}

}  // namespace tk

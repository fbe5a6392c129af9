#include "connection_values.h"

#include "str_to_int.h"

namespace zentavo {

int PortValue(const std::wstring& text) {
    int value = tk::StrToIntDef(text, 0);
    if (value < kLowestPort) return kLowestPort;
    if (value > kHighestPort) return kHighestPort;
    return value;
}

int LimitValue(const std::wstring& text) {
    int value = tk::StrToIntDef(text, 0);
    return value < kLowestLimit ? kLowestLimit : value;
}

int NetworkTypeOf(const std::wstring& text) {
    if (text.size() == 1 && text[0] >= L'1' && text[0] <= L'6') return text[0] - L'0';
    return 0;
}

std::wstring SwitchText(bool on) { return on ? L"1" : L"2"; }

bool SwitchIsOn(const std::wstring& text) { return text == L"1"; }

}  // namespace zentavo

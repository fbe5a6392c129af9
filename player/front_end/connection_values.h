// The value rules of the connection settings: what the dialog shows and stores for a text.
#pragma once

#include <string>

namespace zentavo {

constexpr int kLowestPort = 50;
constexpr int kHighestPort = 65535;  // a larger number is no port for the reader of the file
constexpr int kLowestLimit = 1;
constexpr int kDefaultNetworkType = 3;  // "小区宽带"

// A text that is not an integer counts as 0 before the bounds apply.
int PortValue(const std::wstring& text);
int LimitValue(const std::wstring& text);  // no upper bound

// The network type 1 to 6 a stored text names, or 0 when it names none.
int NetworkTypeOf(const std::wstring& text);

// Switches are stored as "1" (on) and "2" (off); only "1" reads as on.
std::wstring SwitchText(bool on);
bool SwitchIsOn(const std::wstring& text);

}  // namespace zentavo

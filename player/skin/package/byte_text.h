// Case folding and trimming of byte strings. Skin texts are code page 936 (GBK) or ASCII and
// stay bytes: only ASCII letters fold, and bytes above 0x7F (GBK lead and trail bytes) pass
// through unchanged, so no conversion can lose or alter them.
#pragma once

#include <string>
#include <string_view>

namespace skin {

char AsciiLower(char c);
std::string AsciiLowerCase(std::string text);
bool SameTextAscii(std::string_view a, std::string_view b);

// Drops spaces and control characters (bytes 0x00-0x20) at both ends.
std::string_view TrimControls(std::string_view text);

}  // namespace skin

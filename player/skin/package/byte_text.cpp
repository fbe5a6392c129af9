#include "byte_text.h"

#include <algorithm>

namespace skin {
namespace {

bool IsSpaceOrControl(char c) { return static_cast<unsigned char>(c) <= 0x20; }

}  // namespace

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string AsciiLowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), AsciiLower);
    return text;
}

bool SameTextAscii(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

std::string_view TrimControls(std::string_view text) {
    size_t first = 0;
    while (first < text.size() && IsSpaceOrControl(text[first])) ++first;
    size_t last = text.size();
    while (last > first && IsSpaceOrControl(text[last - 1])) --last;
    return text.substr(first, last - first);
}

}  // namespace skin

#include "accelerator.h"

#include <cwctype>

namespace tk {

wchar_t AcceleratorOf(const std::wstring& caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != L'&') continue;
        if (caption[i + 1] != L'&') return caption[i + 1];
        ++i;  // "&&": skip the literal ampersand
    }
    return 0;
}

bool IsAccel(wchar_t key, const std::wstring& caption) {
    const wchar_t marked = AcceleratorOf(caption);
    return marked != 0 && std::towupper(static_cast<wint_t>(marked)) == std::towupper(static_cast<wint_t>(key));
}

}  // namespace tk

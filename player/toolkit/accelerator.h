// Menu and label captions mark their keyboard accelerator with '&' before the letter; "&&"
// stands for a literal ampersand and marks nothing.
#pragma once

#include <string>

namespace tk {

// The marked character of caption, or 0 when it marks none.
wchar_t AcceleratorOf(const std::wstring& caption);
// Whether key is caption's accelerator, compared without regard to case.
bool IsAccel(wchar_t key, const std::wstring& caption);

}  // namespace tk

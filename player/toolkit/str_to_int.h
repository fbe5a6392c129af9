// Integer parsing as the toolkit defines it: [+-]?[0-9]+ within int32, or '$' and 1 to 8 hex
// digits (wrapping to int32). Anything else is not a number.
#pragma once

#include <string>

namespace tk {

bool TryStrToInt(const std::wstring& text, int& value);
int StrToInt(const std::wstring& text);  // throws EConvertError
int StrToIntDef(const std::wstring& text, int fallback);

}  // namespace tk

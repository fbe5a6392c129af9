// Channel GUIDs as the host writes them: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (braces
// optional), stored as GUID struct bytes (Data1..3 little-endian, Data4 in text order).
#pragma once

#include <array>
#include <cstdint>
#include <string>

using GuidBytes = std::array<uint8_t, 16>;

bool ParseGuidText(const std::string& text, GuidBytes& out);
// Upper case, in braces (38 characters).
std::string GuidBraceText(const uint8_t* guid);
// The platform's form: lower case, no braces.
std::string GuidPlatformText(const uint8_t* guid);

// The module's text form of a GUID, upper-case hex in braces, 38 characters. It names the
// channel's statistics block.
#pragma once

#include <cstdint>
#include <string>

constexpr uint32_t kGuidTextLength = 38;

// `guid` is the 16 bytes of a GUID as stored (first field and the two short ones little-endian).
// True when `out` (at least 39 bytes) got exactly 38 characters.
bool GuidToText(char* out, const uint8_t* guid);
std::string GuidToText(const uint8_t* guid);

// Identity of the player control: class, interfaces and dispatch ids.
#pragma once

#include <windows.h>

namespace ziv {

// {18226BF8-DC0B-4D81-80E9-A41AE37BB73A}
constexpr CLSID kClassId = {0x18226BF8, 0xDC0B, 0x4D81, {0x80, 0xE9, 0xA4, 0x1A, 0xE3, 0x7B, 0xB7, 0x3A}};
// {2C1093B9-347E-4FC1-BFB9-BCC29F712821}
constexpr IID kDispatchId = {0x2C1093B9, 0x347E, 0x4FC1, {0xBF, 0xB9, 0xBC, 0xC2, 0x9F, 0x71, 0x28, 0x21}};
// {F533A1A0-3978-4C90-ABA8-16FA38833461}
constexpr IID kEventsId = {0xF533A1A0, 0x3978, 0x4C90, {0xAB, 0xA8, 0x16, 0xFA, 0x38, 0x83, 0x34, 0x61}};

constexpr wchar_t kClassIdText[] = L"{18226BF8-DC0B-4D81-80E9-A41AE37BB73A}";
constexpr wchar_t kProgId[] = L"QuorvaneZIV.ZIV.1";

enum DispatchId : DISPID {
    kUrl = 2,
    kState = 6,
    kFullScreen = 7,
    kMute = 8,
    kChannelName = 17,
    kPlay = 25,
    kPause = 26,
    kStop = 27,
    kOpenMediaFile = 29,
    kShowP2PInfo = 32,
    kShowPlayControl = 35,
};

enum EventId : DISPID {
    kOnStateChange = 6,
    kOnClosePlayer = 7,
};

}  // namespace ziv

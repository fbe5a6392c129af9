// The accelerator a caption marks, as menus and the skinned menu bar read it.
#include <gtest/gtest.h>

#include "accelerator.h"

namespace tk {
namespace {

TEST(Accelerator, MarkedCharacterOfCaption) {
    struct Case {
        const wchar_t* caption;
        wchar_t marked;
    };
    const Case cases[] = {
        {L"&File", L'F'},        {L"Pl&ay", L'a'},      {L"Fish && &Chips", L'C'},
        {L"&&Literal", 0},       {L"No mark", 0},       {L"Trailing&", 0},
        {L"", 0},                {L"&A &B", L'A'},      {L"\x64ad\x653e(&P)", L'P'},
    };
    for (const Case& c : cases) EXPECT_EQ(AcceleratorOf(c.caption), c.marked) << testing::PrintToString(std::wstring(c.caption));
}

TEST(Accelerator, KeyMatchesEitherCase) {
    EXPECT_TRUE(IsAccel(L'f', L"&File"));
    EXPECT_TRUE(IsAccel(L'F', L"&file"));
    EXPECT_FALSE(IsAccel(L'i', L"&File"));
    EXPECT_FALSE(IsAccel(L'&', L"&&Literal"));
    EXPECT_FALSE(IsAccel(0, L"No mark"));
}

}  // namespace
}  // namespace tk

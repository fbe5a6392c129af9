// The text form of a GUID.
#include <gtest/gtest.h>

#include <cstring>

#include "session/guid_text.h"

TEST(GuidText, KnownGuids) {
    struct Case {
        uint8_t guid[16];
        const char* text;
    };
    const Case cases[] = {
        {{0}, "{00000000-0000-0000-0000-000000000000}"},
        // First field and the two short ones are stored little-endian, the last eight bytes in order.
        {{0x78, 0x56, 0x34, 0x12, 0xBC, 0x9A, 0xF0, 0xDE, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF},
         "{12345678-9ABC-DEF0-0123-456789ABCDEF}"},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
         "{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}"},
    };
    for (const Case& c : cases) {
        char text[39];
        std::memset(text, 'x', sizeof(text));
        ASSERT_TRUE(GuidToText(text, c.guid));
        EXPECT_STREQ(text, c.text);
        EXPECT_EQ(GuidToText(c.guid), c.text);
        EXPECT_EQ(GuidToText(c.guid).size(), 38u);
    }
}

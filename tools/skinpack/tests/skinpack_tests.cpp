// The packer's archives read back by the player's package reader, the bitmap files the lint
// reads, the hashes of the package listing and the ini's line ends.
#include <gtest/gtest.h>

#include "archive_builder.h"
#include "bmp_file.h"
#include "lzh_encoder.h"
#include "package_contents.h"
#include "sha256.h"
#include "skin_reader.h"
#include "skin_source.h"

namespace skinpack {
namespace {

std::string Text(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(SkinArchive, EveryVersionReadsBackThroughThePlayersReader) {
    const std::vector<Member> members = {{"skin.ini", "[Personality]\r\nLeft=left.bmp\r\n"},
                                         {"empty.bmp", ""},
                                         {"left.bmp", EncodeBmp24(Picture(8, 64, 0x123456))}};
    for (int32_t version : {20000, 30000, 40000}) {
        SCOPED_TRACE(version);
        ArchiveSpec spec;
        spec.version = version;
        spec.members = members;
        const std::vector<uint8_t> archive = BuildArchive(spec);
        // The list starts at the version's offset; the skipped bytes are zero.
        const size_t offset = ListOffset(version);
        EXPECT_EQ(Text(archive).substr(offset, 8), "skin.ini");
        EXPECT_EQ(Text(archive).substr(8, offset - 8), std::string(offset - 8, '\0'));

        std::optional<PackageContents> read = ReadPackage(Text(PackLzh(archive)));
        ASSERT_TRUE(read);
        EXPECT_EQ(read->version, version);
        EXPECT_EQ(read->archiveSize, archive.size());
        ASSERT_EQ(read->members.size(), members.size());
        for (size_t i = 0; i < members.size(); ++i) {
            EXPECT_EQ(read->members[i].name, members[i].name);
            EXPECT_EQ(read->members[i].bytes, members[i].bytes);
        }
    }
}

TEST(SkinArchive, PayloadIsTheSizeThenThePackage) {
    const std::vector<uint8_t> package = {1, 2, 3, 4, 5};
    EXPECT_EQ(PayloadOf(package), (std::vector<uint8_t>{5, 0, 0, 0, 1, 2, 3, 4, 5}));
}

TEST(SkinArchive, UnknownVersionIsNoPackage) {
    ArchiveSpec spec;
    spec.version = 12345;
    spec.members = {{"skin.ini", ""}};
    EXPECT_FALSE(ReadPackage(Text(BuildPackage(spec))));
}

// Rows stored bottom-up and padded to 4 bytes: an odd width and an asymmetric picture show
// both, and the decoder must return the picture as drawn.
TEST(BitmapFile, TwentyFourBitPicturesRoundTrip) {
    Picture p(5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) p.at(x, y) = Rgb(10 * x, 100 + y, 200);
    const std::string bytes = EncodeBmp24(p);
    EXPECT_EQ(bytes.size(), 14u + 40u + 3u * 16u);
    EXPECT_EQ(static_cast<uint8_t>(bytes[54]), 200);  // first stored pixel: bottom-left, blue first
    EXPECT_EQ(static_cast<uint8_t>(bytes[55]), 102);
    std::optional<Picture> back = DecodeBmp24(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, p);
}

TEST(BitmapFile, HeadersThatDoNotFitTheFileAreRefused) {
    const std::string sound = EncodeBmp24(Picture(4, 4, 0));
    struct Case {
        const char* name;
        std::string bytes;
    };
    std::string smallInfo = sound;
    smallInfo[14] = 12;
    std::string zeroWidth = sound;
    zeroWidth[18] = 0;
    const Case cases[] = {
        {"not a bitmap", "XY" + sound.substr(2)},
        {"info header of 12 bytes", smallInfo},
        {"width 0", zeroWidth},
        {"pixels cut short", sound.substr(0, sound.size() - 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string why;
        EXPECT_FALSE(ReadBmpInfo(c.bytes, why));
        EXPECT_FALSE(why.empty());
    }
    std::string why;
    std::optional<BmpInfo> info =
        ReadBmpInfo(EncodeBmpIndexed(16, 4, 4, std::vector<uint32_t>(16, 0), std::vector<uint8_t>(64, 1)), why);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->bitsPerPixel, 4);
    EXPECT_FALSE(DecodeBmp24(EncodeBmpIndexed(16, 4, 4, std::vector<uint32_t>(16, 0), std::vector<uint8_t>(64, 1))));
}

TEST(Sha256, KnownDigests) {
    EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // 56 bytes: the length no longer fits the first block.
    EXPECT_EQ(Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

TEST(SkinSource, IniLinesEndInCrLf) {
    EXPECT_EQ(WithCrLf("a\nb\r\nc\rd"), "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(WithCrLf("a\n\nb\r\r\n"), "a\r\n\r\nb\r\n\r\n");
}

}  // namespace
}  // namespace skinpack

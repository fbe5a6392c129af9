// The skin package reader: archive versions, the member list, look-ups and the refusal of
// archives that are unknown (the user is told) or corrupt (refused quietly).
#include <gtest/gtest.h>

#include "archive_fixture.h"
#include "skin_messages.h"
#include "skin_reader.h"

namespace skin {
namespace {

using fixture::ArchiveSpec;
using fixture::BuildArchive;
using fixture::BuildPackage;
using fixture::LoadStream;
using fixture::Member;
using fixture::StreamText;

ArchiveSpec TwoMembers() {
    ArchiveSpec spec;
    spec.members = {{"skin.ini", "[Personality]\r\n"}, {"a.bmp", "BM-picture"}};
    return spec;
}

std::string ManyLines(int count) {
    std::string list;
    for (int i = 0; i < count; ++i) list += (i ? "\r\n" : "") + std::string("m") + std::to_string(i) + ".bmp";
    return list;
}

class SkinReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousSink_ = SetMessageSink([this](const std::wstring& text) { messages_.push_back(text); });
    }
    void TearDown() override { SetMessageSink(std::move(previousSink_)); }

    bool Read(const ArchiveSpec& spec) {
        LoadStream(archive_, BuildArchive(spec));
        return reader_.ReadArchive(archive_);
    }
    bool Open(const std::vector<uint8_t>& package) {
        LoadStream(package_, package);
        return reader_.OpenPackage(package_);
    }

    // The member's bytes; the output must come back positioned at 0.
    std::string Extract(const std::string& name) {
        LoadStream(out_, {'s', 't', 'a', 'l', 'e'});
        reader_.ExtractByName(name, out_);
        EXPECT_EQ(out_.Position(), 0);
        return StreamText(out_);
    }

    void ExpectNoSkin() {
        EXPECT_TRUE(reader_.Names().empty());
        EXPECT_EQ(reader_.MemberCount(), 0);
        EXPECT_EQ(Extract("skin.ini"), "");
    }

    TSkinReader reader_;
    tk::TMemoryStream archive_;
    tk::TMemoryStream package_;
    tk::TMemoryStream out_;
    std::vector<std::wstring> messages_;
    MessageSink previousSink_;
};

TEST_F(SkinReaderTest, EveryKnownVersionReadsItsListAtItsOwnOffset) {
    // The fixture fills the skipped bytes before the list with 0xA5, so a list read at the
    // wrong offset yields other names.
    for (int32_t version : {20000, 30000, 40000}) {
        SCOPED_TRACE(version);
        ArchiveSpec spec = TwoMembers();
        spec.version = version;
        ASSERT_TRUE(Read(spec));
        EXPECT_EQ(reader_.Names(), (std::vector<std::string>{"skin.ini", "a.bmp"}));
        EXPECT_EQ(reader_.MemberCount(), 2);
        EXPECT_EQ(Extract("skin.ini"), "[Personality]\r\n");
        EXPECT_EQ(Extract("a.bmp"), "BM-picture");
        EXPECT_EQ(reader_.Header().version, version);
        EXPECT_EQ(reader_.Header().nameListLength, 15);
        EXPECT_EQ(reader_.Header().unread[7], 8);
    }
    EXPECT_TRUE(messages_.empty());
}

TEST_F(SkinReaderTest, NamesAreLowerCasedAndLookUpsFollowTheirCaseRules) {
    ArchiveSpec spec;
    spec.members = {{"Skin.INI", "ini"}, {"a.bmp", "first a"}, {"A.bmp", "second a"}};
    ASSERT_TRUE(Read(spec));
    EXPECT_EQ(reader_.Names(), (std::vector<std::string>{"skin.ini", "a.bmp", "a.bmp"}));
    EXPECT_EQ(Extract("A.BMP"), "first a");
    EXPECT_EQ(Extract("b.bmp"), "");

    std::string name = "unchanged";
    LoadStream(out_, {'s', 't', 'a', 'l', 'e'});
    reader_.ExtractContaining(".INI", out_, name);
    EXPECT_EQ(StreamText(out_), "");
    EXPECT_EQ(name, "unchanged");

    reader_.ExtractContaining(".ini", out_, name);
    EXPECT_EQ(StreamText(out_), "ini");
    EXPECT_EQ(out_.Position(), 0);
    EXPECT_EQ(name, "skin.ini");

    reader_.ExtractContaining(".bmp", out_, name);
    EXPECT_EQ(StreamText(out_), "first a");
}

TEST_F(SkinReaderTest, NameListLinesBreakAtCrLfCrOrLfAndAFinalBreakAddsNoLine) {
    struct Case { const char* list; std::vector<std::string> names; };
    const Case cases[] = {
        {"a\r\nb", {"a", "b"}},          {"a\rb", {"a", "b"}},
        {"a\nb", {"a", "b"}},            {"a\n\rb", {"a", "", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}},  {"a\r\n", {"a"}},
        {"a\r\n\r\n", {"a", ""}},        {"\r\n", {""}},
        {"", {}},                        {"A\xc6\xa4.BMP", {"a\xc6\xa4.bmp"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.list)));
        ArchiveSpec spec;
        spec.nameList = c.list;
        spec.sizes = std::vector<int32_t>(c.names.size(), 1);
        spec.trailing = std::string(c.names.size(), 'x');
        ASSERT_TRUE(Read(spec));
        EXPECT_EQ(reader_.Names(), c.names);
        EXPECT_EQ(reader_.MemberCount(), static_cast<int>(c.names.size()));
    }
}

TEST_F(SkinReaderTest, MemberDataStartsAtTheSumOfTheEarlierSizes) {
    ArchiveSpec spec;
    spec.members = {{"skin.ini", "[S]\r\n"}, {"empty.bmp", ""}, {"b.bmp", "BMbbbb"}, {"c.bmp", "BMc"}};
    spec.trailing = "bytes after the last member are kept but belong to no member";
    ASSERT_TRUE(Read(spec));
    EXPECT_EQ(Extract("skin.ini"), "[S]\r\n");
    EXPECT_EQ(Extract("empty.bmp"), "");
    EXPECT_EQ(Extract("b.bmp"), "BMbbbb");
    EXPECT_EQ(Extract("c.bmp"), "BMc");
}

TEST_F(SkinReaderTest, AcceptsTheFullTableOf1001Members) {
    ArchiveSpec spec;
    spec.nameList = ManyLines(TSkinReader::kMaxMembers);
    spec.sizes = std::vector<int32_t>(TSkinReader::kMaxMembers, 1);
    spec.trailing = std::string(TSkinReader::kMaxMembers - 1, '.') + "L";
    ASSERT_TRUE(Read(spec));
    EXPECT_EQ(reader_.MemberCount(), 1001);
    EXPECT_EQ(Extract("m1000.bmp"), "L");
}

TEST_F(SkinReaderTest, UnknownVersionOrTooShortArchiveTellsTheUser) {
    ArchiveSpec unknown = TwoMembers();
    unknown.version = 12345;
    ArchiveSpec empty = TwoMembers();
    empty.truncateTo = 0;  // what a package with U = 0 unpacks to
    ArchiveSpec shortHeader = TwoMembers();
    shortHeader.truncateTo = 15;
    for (const ArchiveSpec& spec : {unknown, empty, shortHeader}) {
        SCOPED_TRACE(BuildArchive(spec).size());
        ASSERT_TRUE(Read(TwoMembers()));
        messages_.clear();
        EXPECT_FALSE(Read(spec));
        EXPECT_EQ(messages_, std::vector<std::wstring>{kVersionMismatchMessage});
        ExpectNoSkin();
    }
}

TEST_F(SkinReaderTest, CorruptArchivesAreRefusedWithoutAMessage) {
    struct Case { const char* label; ArchiveSpec spec; };
    std::vector<Case> cases;
    auto add = [&](const char* label, auto change) {
        ArchiveSpec spec = TwoMembers();
        change(spec);
        cases.push_back({label, spec});
    };
    add("negative L", [](ArchiveSpec& s) { s.listLength = -1; });
    add("list beyond the archive", [](ArchiveSpec& s) { s.listLength = 4000; });
    add("list offset beyond the archive", [](ArchiveSpec& s) { s.version = 30000; s.truncateTo = 200; });
    add("1002 names", [](ArchiveSpec& s) {
        s.nameList = ManyLines(TSkinReader::kMaxMembers + 1);
        s.sizes = std::vector<int32_t>(TSkinReader::kMaxMembers + 1, 0);
    });
    add("size table cut", [](ArchiveSpec& s) { s.truncateTo = 16 + 15 + 6; });
    add("negative size", [](ArchiveSpec& s) { s.sizes = {15, -1}; });
    add("sizes beyond the data", [](ArchiveSpec& s) { s.sizes = {15, 11}; });
    add("sizes whose int32 sum wraps", [](ArchiveSpec& s) { s.sizes = {INT32_MAX, INT32_MAX}; });
    add("member data cut", [](ArchiveSpec& s) { s.truncateTo = BuildArchive(s).size() - 1; });

    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(Read(TwoMembers()));
        EXPECT_FALSE(Read(c.spec));
        ExpectNoSkin();
    }
    EXPECT_TRUE(messages_.empty());
}

TEST_F(SkinReaderTest, OpensPackedArchivesOfEveryKnownVersion) {
    for (int32_t version : {20000, 30000, 40000}) {
        SCOPED_TRACE(version);
        ArchiveSpec spec;
        spec.version = version;
        spec.members = {{"Skin.INI", "[Personality]\r\nLeft=left.bmp\r\n"},
                        {"left.bmp", std::string(300, 'L')},  // long runs decode through matches
                        {"empty.bmp", ""},
                        {"top.bmp", "BM" + std::string(40, '\0') + "top"}};
        ASSERT_TRUE(Open(BuildPackage(spec)));
        EXPECT_EQ(reader_.Names(), (std::vector<std::string>{"skin.ini", "left.bmp", "empty.bmp", "top.bmp"}));
        EXPECT_EQ(Extract("SKIN.ini"), "[Personality]\r\nLeft=left.bmp\r\n");
        EXPECT_EQ(Extract("left.bmp"), std::string(300, 'L'));
        EXPECT_EQ(Extract("empty.bmp"), "");
        EXPECT_EQ(Extract("top.bmp"), "BM" + std::string(40, '\0') + "top");
    }
    EXPECT_TRUE(messages_.empty());
}

TEST_F(SkinReaderTest, PackagesThatUnpackToNothingUsableTellTheUserOrNot) {
    ArchiveSpec unknown = TwoMembers();
    unknown.version = 12345;
    ArchiveSpec corrupt = TwoMembers();
    corrupt.sizes = {15, 11};
    struct Case { const char* label; std::vector<uint8_t> package; bool message; };
    const Case cases[] = {
        {"U = 0", {0, 0, 0, 0, 0x12, 0x34}, true},
        {"U < 0", {0xFF, 0xFF, 0xFF, 0xFF}, true},
        {"no room for U", {7, 0}, true},
        {"unknown version", BuildPackage(unknown), true},
        {"U refused by the decoder", {0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3, 4, 5, 6}, false},
        {"corrupt list", BuildPackage(corrupt), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(Open(BuildPackage(TwoMembers())));
        messages_.clear();
        EXPECT_FALSE(Open(c.package));
        EXPECT_EQ(messages_.size(), c.message ? 1u : 0u);
        ExpectNoSkin();
    }
}

}  // namespace
}  // namespace skin

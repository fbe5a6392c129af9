// The player's files under the platform: the channel database, the favourites file, the
// connection settings written by TForm4, and the JPEG pictures of the splash and about box.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

#include "channel_database.h"
#include "channel_tree_nodes.h"
#include "code_page.h"
#include "exceptions.h"
#include "favourites_file.h"
#include "gui_test_environment.h"
#include "ini_file.h"
#include "jpeg_image.h"
#include "main_form.h"
#include "settings_form.h"

namespace zentavo {
tk::TIniFile* SettingsIni = nullptr;  // the main form's, which this test does not build

namespace {
std::wstring TempFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    std::wstring path = std::wstring(folder) + L"front_end_" + name;
    DeleteFileW(path.c_str());
    return path;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream file(tk::WideToCodePage(path, CP_ACP), std::ios::binary | std::ios::trunc);
    file << bytes;
}

void WriteGbk(const std::wstring& path, const std::wstring& text) { WriteBytes(path, tk::WideToCodePage(text, 936)); }

std::string FileBytes(const std::wstring& path) {
    std::ifstream file(tk::WideToCodePage(path, CP_ACP), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

const wchar_t kDatabase[] =
    L"<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<root>\r\n"
    L"<!-- a comment is no channel -->\r\n"
    L"<channel><Catalog>新闻</Catalog><ChannelName>新闻一台</ChannelName><a><PlayLink>http://h/1</PlayLink></a></channel>\r\n"
    L"<channel><Catalog>体育</Catalog><PlayLink>http://h/no-name</PlayLink></channel>\r\n"
    L"<channel><Catalog>体育</Catalog><ChannelName>A\"B</ChannelName><PlayLink>http://h/dq</PlayLink></channel>\r\n"
    L"<channel><Catalog>新闻</Catalog><ChannelName>新闻一台</ChannelName><PlayLink>http://h/second</PlayLink></channel>\r\n"
    L"<channel><Catalog>体育</Catalog><ChannelName>a'b\"c</ChannelName><PlayLink>http://h/both</PlayLink></channel>\r\n"
    L"<channel><Catalog>体育</Catalog><ChannelName>空</ChannelName><PlayLink/></channel>\r\n"
    L"</root>\r\n";

class ChannelDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = TempFile(L"bfsjk.xml");
        WriteGbk(path_, kDatabase);
        database_.LoadFromFile(path_);
    }
    std::wstring path_;
    tk::TXMLDocument database_{nullptr};
};

TEST_F(ChannelDatabaseTest, RowsAreTheElementChildrenAndIncompleteOnesAreSkipped) {
    std::vector<ChannelRow> rows = ReadChannelRows(database_);
    ASSERT_EQ(rows.size(), 6u);  // the comment is not counted, so the gauge still ends at 100 %
    EXPECT_FALSE(rows[1].usable);
    tk::TTreeView tree(nullptr);
    for (const ChannelRow& row : rows)
        if (row.usable) AddChannelToTree(tree.Items(), row.entry.group, row.entry.name);
    std::vector<std::wstring> shown;
    for (tk::TTreeNode* group = tree.Items().GetFirstNode(); group != nullptr; group = group->getNextSibling()) {
        shown.push_back(group->Text());
        for (tk::TTreeNode* channel = group->getFirstChild(); channel != nullptr; channel = channel->getNextSibling())
            shown.push_back(L"  " + channel->Text());
    }
    // Groups in order of first appearance; a channel listed twice shows twice.
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"新闻", L"  新闻一台", L"  新闻一台", L"体育", L"  A\"B",
                                                L"  a'b\"c", L"  空"}));
}

TEST_F(ChannelDatabaseTest, PlayLinkOfTheFirstChannelOfThatNameEvenWithQuotes) {
    struct Case {
        const wchar_t* name;
        bool found;
        const wchar_t* link;
    };
    const Case cases[] = {
        {L"新闻一台", true, L"http://h/1"},  // nested below the first of two equal names
        {L"A\"B", true, L"http://h/dq"},
        {L"a'b\"c", true, L"http://h/both"},
        {L"missing", false, L""},
        {L"空", false, L""},  // a PlayLink without text plays nothing
        {L"\"] | //PlayLink | x[\"", false, L""},
    };
    for (const Case& c : cases) {
        std::wstring link;
        EXPECT_EQ(FindPlayLink(database_, c.name, link), c.found) << c.name;
        EXPECT_EQ(link, c.link) << c.name;
    }
}

TEST(ChannelDatabaseFile, OnlyAParsedDatabaseWithRootCounts) {
    struct Case {
        const char* bytes;
        bool database;
    };
    const Case cases[] = {
        {"<?xml version=\"1.0\" encoding=\"GB2312\"?><root><channel/></root>", true},
        {"<root/>", true},
        {"<?xml version=\"1.0\" encoding=\"GB2312\"?><root><channel><Catalog>A", false},  // truncated
        {"<html><body>404 Not Found</body></html>", false},                                  // an error page
        {"", false},
    };
    std::wstring path = TempFile(L"linshi.xml");
    for (const Case& c : cases) {
        WriteBytes(path, c.bytes);
        EXPECT_EQ(IsChannelDatabaseFile(path), c.database) << c.bytes;
    }
    DeleteFileW(path.c_str());
    EXPECT_FALSE(IsChannelDatabaseFile(path));
}

class FavouritesTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = TempFile(L"scjwj.xml");
        WriteBytes(path_, "<?xml version=\"1.0\" encoding=\"GB2312\"?><scj/>");
    }
    std::vector<std::pair<std::wstring, std::wstring>> Entries() {
        tk::TXMLDocument document(nullptr);
        document.LoadFromFile(path_);
        std::vector<std::pair<std::wstring, std::wstring>> entries;
        for (tk::XmlNode node = document.DocumentElement().FirstChild(); !node.IsEmpty(); node = node.NextSibling())
            entries.emplace_back(node.Attribute(L"id"), node.Text());
        return entries;
    }
    std::wstring path_;
};

TEST_F(FavouritesTest, AddingTwiceLeavesOneEntryMovedToTheEnd) {
    bool replaced = true;
    AppendFavourite(path_, L"新闻一台", L"http://h/1", replaced);
    EXPECT_FALSE(replaced);
    AppendFavourite(path_, L"体育", L"http://h/2", replaced);
    AppendFavourite(path_, L"新闻一台", L"http://h/1b", replaced);
    EXPECT_TRUE(replaced);
    using Entries = std::vector<std::pair<std::wstring, std::wstring>>;
    EXPECT_EQ(this->Entries(), (Entries{{L"体育", L"http://h/2"}, {L"新闻一台", L"http://h/1b"}}));
    // The saved file keeps its declaration and holds GBK bytes.
    std::string bytes = FileBytes(path_);
    EXPECT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"GB2312\"?>", 0), 0u) << bytes;
    EXPECT_NE(bytes.find(tk::WideToCodePage(L"新闻一台", 936)), std::string::npos) << bytes;
}

TEST_F(FavouritesTest, RemovalTakesTheFirstOfEqualNamesAndLeavesAMissingOneUnwritten) {
    bool replaced = false;
    AppendFavourite(path_, L"甲", L"http://h/a", replaced);
    AppendFavourite(path_, L"乙", L"http://h/b", replaced);
    // A second entry of the same name, as an older version of the program could leave it.
    std::string bytes = FileBytes(path_);
    std::string extra = tk::WideToCodePage(L"<pd id=\"甲\">http://h/c</pd></scj>", 936);
    bytes.replace(bytes.rfind("</scj>"), 6, extra);
    WriteBytes(path_, bytes);

    FavouriteRemoved = false;
    EXPECT_EQ(RemoveFavourite(path_, L"甲"), -1);
    EXPECT_TRUE(FavouriteRemoved);
    using Entries = std::vector<std::pair<std::wstring, std::wstring>>;
    EXPECT_EQ(this->Entries(), (Entries{{L"乙", L"http://h/b"}, {L"甲", L"http://h/c"}}));

    std::string before = FileBytes(path_);
    EXPECT_EQ(RemoveFavourite(path_, L"丙"), -1);
    EXPECT_FALSE(FavouriteRemoved);
    EXPECT_EQ(FileBytes(path_), before);

    DeleteFileW(path_.c_str());
    FavouriteRemoved = true;
    EXPECT_EQ(RemoveFavourite(path_, L"乙"), -1);  // no file: nothing, the flag keeps its value
    EXPECT_TRUE(FavouriteRemoved);
    EXPECT_FALSE(FileExistsW(path_));
}

TEST_F(FavouritesTest, AnUnreadableFileIsLeftAlone) {
    WriteBytes(path_, "<scj><pd id=\"x\">");
    bool replaced = false;
    EXPECT_THROW(AppendFavourite(path_, L"x", L"http://h/x", replaced), tk::Exception);
    EXPECT_EQ(FileBytes(path_), "<scj><pd id=\"x\">");
}

class SettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = TempFile(L"zhuce.ini");
        SettingsIni = new tk::TIniFile(path_);
    }
    void TearDown() override {
        delete SettingsIni;
        SettingsIni = nullptr;
        DeleteFileW(path_.c_str());
    }
    void Store(const wchar_t* key, const wchar_t* value) { SettingsIni->WriteString(key, key, value); }
    std::vector<std::wstring> Saved() {
        TForm4 form(nullptr);
        form.FormCreate();
        form.Button1Click();
        std::vector<std::wstring> values;
        for (const wchar_t* key : {L"udp", L"tcp", L"pdlj", L"wllj", L"wllx", L"upnp", L"pjlj"})
            values.push_back(SettingsIni->ReadString(key, key, L"?"));
        return values;
    }
    std::wstring path_;
};

TEST_F(SettingsDialogTest, MissingKeysShowTheBoundsAndSaveThem) {
    TForm4 form(nullptr);
    form.FormCreate();
    EXPECT_EQ(form.SpinEdit1->Text(), L"50");
    EXPECT_EQ(form.SpinEdit2->Text(), L"50");
    EXPECT_EQ(form.SpinEdit3->Text(), L"1");
    EXPECT_EQ(form.SpinEdit4->Text(), L"1");
    EXPECT_TRUE(form.RadioButton3->Checked());
    EXPECT_FALSE(form.CheckBox1->Checked());
    EXPECT_FALSE(form.CheckBox2->Checked());
    EXPECT_EQ(Saved(), (std::vector<std::wstring>{L"50", L"50", L"1", L"1", L"3", L"2", L"2"}));
}

TEST_F(SettingsDialogTest, StoredValuesComeBackAndPortsKeepTheirBounds) {
    const wchar_t* keys[] = {L"udp", L"tcp", L"pdlj", L"wllj", L"wllx", L"upnp", L"pjlj"};
    const wchar_t* stored[] = {L"6171", L"3040", L"30", L"30", L"5", L"1", L"1"};
    for (int i = 0; i < 7; ++i) Store(keys[i], stored[i]);
    EXPECT_EQ(Saved(), (std::vector<std::wstring>{L"6171", L"3040", L"30", L"30", L"5", L"1", L"1"}));

    Store(L"udp", L"20");
    Store(L"tcp", L"70000");
    Store(L"pdlj", L"100000");
    Store(L"wllx", L"9");  // names no button: the designer's choice stays
    Store(L"upnp", L"2");
    EXPECT_EQ(Saved(), (std::vector<std::wstring>{L"50", L"65535", L"100000", L"30", L"3", L"2", L"1"}));
}

TEST_F(SettingsDialogTest, CancelWritesNothing) {
    TForm4 form(nullptr);
    form.FormCreate();
    form.SpinEdit1->SetValue(7000);
    form.Button2Click();
    EXPECT_FALSE(SettingsIni->ValueExists(L"udp", L"udp"));
    EXPECT_EQ(form.SpinEdit1->Text(), L"7000");  // the dialog keeps the unsaved edit
}

TEST(JpegImage, DecodesTheSplashAndRejectsDamagedPictures) {
    tk::TJPEGImage picture;
    picture.LoadFromResourceName("SPLASHJPEG");
    EXPECT_EQ(picture.Width(), 600);
    EXPECT_EQ(picture.Height(), 429);
    uint32_t top = picture.Pixel(5, 5), bottom = picture.Pixel(5, 423);
    EXPECT_LT(top & 0xFF, bottom & 0xFF);  // the gradient runs from dark to light blue

    HRSRC info = FindResourceA(nullptr, "SPLASHJPEG", MAKEINTRESOURCEA(10));
    const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, info)));
    size_t size = SizeofResource(nullptr, info);
    const std::string garbage = "not a picture at all";
    EXPECT_THROW(picture.LoadFromBytes(data, 200), tk::EInvalidGraphic);  // cut inside the headers
    EXPECT_THROW(picture.LoadFromBytes(reinterpret_cast<const uint8_t*>(garbage.data()), garbage.size()),
                 tk::EInvalidGraphic);
    EXPECT_THROW(picture.LoadFromResourceName("NOSUCHPICTURE"), tk::EInvalidGraphic);
    EXPECT_EQ(picture.Width(), 600);  // a failed load leaves the picture as it was
    picture.LoadFromBytes(data, size);
    EXPECT_EQ(picture.Height(), 429);
}

}  // namespace
}  // namespace zentavo

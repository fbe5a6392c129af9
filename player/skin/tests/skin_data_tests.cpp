// The skin data component: its defaults and published properties, the SkinStream property
// through the form loader (sound, damaged, empty and wrong-version payloads), what Loaded and
// the setters ask of the skin manager, SkinFile, the form query and the application icon.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <set>

#include "application.h"
#include "exceptions.h"
#include "flat_skin_colours.h"
#include "optional_user32.h"
#include "published_properties.h"
#include "skin_data_fixture.h"
#include "skin_messages.h"

namespace skin::testing {
namespace {

using Lines = std::vector<std::string>;

class SkinDataComponent : public SkinDataTest {};

TEST_F(SkinDataComponent, CreateSetsTheDefaultsAndReadsNoSkin) {
    TSkinData d(nullptr);
    EXPECT_FALSE(d.Active());
    EXPECT_EQ(d.DisableTag(), 99);
    EXPECT_EQ(d.SkinControls(), 0x1FFFFBu);
    EXPECT_EQ(d.Options(), 72);
    EXPECT_EQ(d.SkinFormtype(), TSkinFormType::sfMainform);
    EXPECT_TRUE(d.MenuUpdate());
    EXPECT_FALSE(d.MenuMerge());
    EXPECT_TRUE(d.SkinFile().empty());
    EXPECT_TRUE(d.NoSkin);
    EXPECT_EQ(d.SkinStream.Size(), 0);
    EXPECT_TRUE(d.Left->Image.Empty());
    EXPECT_EQ(d.Left->Name, "Left");
    EXPECT_EQ(d.Title->Name, "Title");
    EXPECT_EQ(d.Buttons->Name, "Buttons");
    EXPECT_EQ(d.Progress, nullptr);
    ASSERT_NE(d.MenuImages(), nullptr);
    EXPECT_EQ(d.MenuImages()->Count(), 4);  // GLAZELMENU, 64 x 16 in glyphs 16 wide
    EXPECT_EQ(d.MenuImages()->Width(), 16);
    EXPECT_TRUE(Log().empty());  // creating asks nothing of a manager
    EXPECT_EQ(SkinManager(), nullptr);

    // The version and the store cannot be written, directly or by name.
    d.SetVersion(L"1.0");
    tk::SetPropByName(&d, L"Version", L"2.0");
    EXPECT_EQ(d.Version(), L"4.42.12.06");
    d.SetSkinStore(L"(Good)");
    EXPECT_EQ(tk::GetTextPropByName(&d, L"SkinStore"), L"(none)");
}

TEST_F(SkinDataComponent, PublishesItsPropertiesByName) {
    TSkinData d(nullptr);
    EXPECT_EQ(tk::GetOrdPropByName(&d, L"DisableTag"), 99);
    const std::wstring controls = tk::GetEnumPropByName(&d, L"SkinControls");
    EXPECT_EQ(controls.rfind(L"[xcMainMenu,xcPopupMenu,xcToolbar,", 0), 0u);  // no xcMenuItem
    EXPECT_EQ(controls.substr(controls.size() - 25), L",xcTrackBar,xcSystemMenu]");  // no xcFastReport
    EXPECT_EQ(tk::GetEnumPropByName(&d, L"Options"), L"[xoPreview,xoToolbarBK]");
    EXPECT_EQ(tk::GetEnumPropByName(&d, L"SkinFormtype"), L"sfMainform");
    EXPECT_EQ(tk::GetEnumPropByName(&d, L"MenuUpdate"), L"True");
    EXPECT_EQ(tk::GetObjectPropByName(&d, L"Skin3rd"), d.Skin3rd());
    tk::SetPropByName(&d, L"DisableTag", L"7");
    EXPECT_EQ(d.DisableTag(), 7);
}

TEST_F(SkinDataComponent, TheThirdPartyListHas124LinesNaming121Classes) {
    TSkinData d(nullptr);
    tk::TStrings& list = *d.Skin3rd();
    ASSERT_EQ(list.Count(), 124);
    EXPECT_EQ(list.Strings(0), L"TCategoryButtons=scrollbar");
    EXPECT_EQ(list.Strings(123), L"trmtoolbaraddintools=panel");
    std::set<std::wstring> classes;
    int repeated = 0;
    for (int i = 0; i < list.Count(); ++i)
        if (!classes.insert(list.Strings(i).substr(0, list.Strings(i).find(L'='))).second) ++repeated;
    EXPECT_EQ(classes.size(), 121u);
    EXPECT_EQ(repeated, 3);
    for (const wchar_t* twice : {L"TDBCheckboxEh=Checkbox", L"TLMDFontSizeCombobox=combobox", L"TWWDBCombobox=Combobox"}) {
        int count = 0;
        for (int i = 0; i < list.Count(); ++i) count += list.Strings(i) == twice;  // exact case
        EXPECT_EQ(count, 2) << std::string(twice, twice + wcslen(twice));
    }
    EXPECT_EQ(list.IndexOf(L"TLMDEDIT=Edit"), list.IndexOf(L"tlmdedit=edit"));

    // Assigning a list replaces the defaults entirely.
    tk::TStringList mine;
    mine.Add(L"TMyGrid=scrollbar");
    d.SetSkin3rd(&mine);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Strings(0), L"TMyGrid=scrollbar");
}

TEST_F(SkinDataComponent, StreamingStoresTheDesignerValuesAndLoadedStartsTheManager) {
    StreamedSkin s = StreamTestSkin("FLAT_FRAME");
    EXPECT_FALSE(s.data->NoSkin);
    EXPECT_TRUE(s.data->Active());
    EXPECT_EQ(s.data->SkinStream.Size(), static_cast<int64_t>(ResourceBytes("FLAT_FRAME").size() - 4));
    // Nothing reached the manager while the form was read; Loaded registers, installs the hook
    // and asks for the skin after 250 ms.
    EXPECT_EQ(Log(), (Lines{"RegisterSkinData", "InstallHook", "RequestAction 1 250"}));
    EXPECT_EQ(s.data->SkinControls(), 0xFFFFBu);
    Log().clear();
    s = {};
    EXPECT_EQ(Log(), (Lines{"UnregisterSkinData"}));
}

TEST_F(SkinDataComponent, LoadedAdjustsTheSkinnedControls) {
    const std::vector<uint8_t> payload = ResourceBytes("FLAT_FRAME");
    const OptionalUser32 saved = OptionalUser32Functions();
    struct Case {
        TSkinControlTypes in, out;
        bool scrollBarInfo;
    };
    const Case cases[] = {
        {0x3FFFFF, 0x3FFFFB, true},                       // with xcMainMenu: xcMenuItem goes
        {0x3FFFFE, 0x2FFFFE, true},                       // without: xcSystemMenu goes
        {0x3FFFFF, 0x3FFFFB & ~SetBit(xcScrollbar), false},  // no GetScrollBarInfo: no scroll bars
    };
    for (const Case& c : cases) {
        OptionalUser32 functions = saved;
        if (!c.scrollBarInfo) functions.getScrollBarInfo = nullptr;
        SetOptionalUser32Functions(functions);
        StreamedSkin s = StreamSkin(&payload, c.in);
        EXPECT_EQ(s.data->SkinControls(), c.out) << std::hex << c.in;
    }
    SetOptionalUser32Functions(saved);
}

TEST_F(SkinDataComponent, APayloadLongerThanItsBytesFailsTheFormWithoutAHugeAllocation) {
    const std::vector<uint8_t> fixture = ResourceBytes("PAYLOAD_LONGER_THAN_BYTES");
    ASSERT_FALSE(fixture.empty());
    std::vector<uint8_t> huge = fixture;
    huge[0] = huge[1] = huge[2] = 0xFF;
    huge[3] = 0x7F;  // 2 GiB - 1 claimed: allocating it first would fail differently
    for (const std::vector<uint8_t>* payload : {&fixture, static_cast<const std::vector<uint8_t>*>(&huge)}) {
        auto host = std::make_unique<TSkinHost>();
        TSkinData* data = nullptr;
        EXPECT_THROW(
            {
                tk::FormLoader load(*host, [payload](const std::string&, const uint8_t*& d, size_t& n) {
                    d = payload->data();
                    n = payload->size();
                    return true;
                });
                data = load.Create<TSkinData>(L"SkinData1");
                data->SetActive(true);
                load.ReadBinaryProperties();
                load.Finish();
            },
            tk::EReadError);
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(data->SkinStream.Size(), 0);
        EXPECT_TRUE(data->NoSkin);
        EXPECT_EQ(data->ComponentState() & tk::csReading, 0u);
    }
    EXPECT_TRUE(Log().empty());  // Loaded never ran
}

TEST_F(SkinDataComponent, AnEmptyOrNegativePayloadOrNoneLoadsNothingAndSwitchesActiveOff) {
    const std::vector<uint8_t> zero = ResourceBytes("PAYLOAD_ZERO");
    const std::vector<uint8_t> negative = ResourceBytes("PAYLOAD_NEGATIVE");
    ASSERT_EQ(zero.size(), 4u);
    ASSERT_FALSE(negative.empty());
    for (const std::vector<uint8_t>* payload : {&zero, &negative, static_cast<const std::vector<uint8_t>*>(nullptr)}) {
        Log().clear();
        StreamedSkin s = StreamSkin(payload);
        EXPECT_TRUE(s.data->NoSkin);
        EXPECT_EQ(s.data->SkinStream.Size(), 0);
        EXPECT_FALSE(s.data->Active());
        // The hook is installed all the same; no skin is asked for.
        EXPECT_EQ(Log(), (Lines{"RegisterSkinData", "InstallHook"}));
    }
}

TEST_F(SkinDataComponent, AWrongVersionIsToldOnceAndTheFormStaysNative) {
    std::vector<std::wstring> messages;
    MessageSink old = SetMessageSink([&](const std::wstring& text) { messages.push_back(text); });
    const std::vector<uint8_t> payload = PayloadOf(ResourceBytes("VERSION_12345"));
    StreamedSkin s = StreamSkin(&payload);
    EXPECT_EQ(messages, std::vector<std::wstring>{kVersionMismatchMessage});
    EXPECT_TRUE(s.data->NoSkin);
    EXPECT_FALSE(s.data->Active());
    EXPECT_FALSE(s.data->LoadSkin());  // each load tells it again
    EXPECT_EQ(messages.size(), 2u);
    SetMessageSink(old);
    EXPECT_EQ(Log(), (Lines{"RegisterSkinData", "InstallHook"}));
}

TEST_F(SkinDataComponent, APackageWithoutIniGivesAnEmptyModel) {
    const std::vector<uint8_t> payload = PayloadOf(ResourceBytes("NO_INI"));
    StreamedSkin s = StreamSkin(&payload);
    TSkinData& d = *s.data;
    EXPECT_FALSE(d.NoSkin);
    EXPECT_TRUE(d.Active());
    EXPECT_TRUE(d.Left->Image.Empty());
    EXPECT_EQ(d.Left->Frame, 1);
    EXPECT_EQ(d.Progress, nullptr);
    EXPECT_EQ(d.CaptionButtons.size(), 3u);  // only the MDI buttons
    EXPECT_EQ(d.Track->Image.Width(), 16);   // the resource
    EXPECT_EQ(static_cast<uint32_t>(d.BackgroundColour), 0xFF00000Fu);
}

TEST_F(SkinDataComponent, WriteSkinStreamGivesBackThePayload) {
    const std::vector<uint8_t> payload = ResourceBytes("FLAT_BUTTONS");
    StreamedSkin s = StreamSkin(&payload);
    tk::TMemoryStream out;
    s.data->WriteSkinStream(out);
    ASSERT_EQ(out.Size(), static_cast<int64_t>(payload.size()));
    EXPECT_TRUE(std::equal(payload.begin(), payload.end(), out.Memory()));

    TSkinData empty(nullptr);
    tk::TMemoryStream none;
    empty.WriteSkinStream(none);
    EXPECT_EQ(none.Size(), 4);
}

TEST_F(SkinDataComponent, ActiveAtRunTime) {
    StreamedSkin s = StreamTestSkin("FLAT_FRAME");
    Log().clear();
    s.data->SetActive(true);  // the value it has: nothing
    EXPECT_TRUE(Log().empty());
    s.data->SetActive(false);
    EXPECT_EQ(Log(), (Lines{"SetPendingSkinData", "RequestAction 2 250"}));
    Log().clear();
    s.data->SetActive(true);
    EXPECT_EQ(Log(), (Lines{"SetPendingSkinData", "RequestAction 1 250", "SetActivationState 1"}));

    // Only this form: no hook; the activation count goes up and the owner is skinned at once
    // only when it is a form.
    Log().clear();
    TSkinData only(nullptr);
    only.SetSkinFormtype(TSkinFormType::sfOnlyThisForm);
    only.Loaded();
    EXPECT_EQ(Log(), (Lines{"RegisterSkinData", "SetSkinning 1", "SetActivationState 2"}));
    Log().clear();
    only.SetActive(true);  // no skin read
    EXPECT_EQ(Log(), (Lines{"SetPendingSkinData"}));

    Log().clear();
    TSkinData dialog(nullptr);
    dialog.SetSkinFormtype(TSkinFormType::sfDialog);
    dialog.SetActive(true);
    EXPECT_TRUE(Log().empty());
    EXPECT_TRUE(dialog.Active());
}

TEST_F(SkinDataComponent, ActiveOnAComponentMadeInCodeMakesTheManagerFirst) {
    ASSERT_EQ(SkinManager(), nullptr);
    TSkinData d(nullptr);
    d.SetActive(false);  // unchanged: nothing at all
    EXPECT_EQ(SkinManager(), nullptr);
    d.SetActive(true);
    ASSERT_NE(SkinManager(), nullptr);
    EXPECT_FALSE(d.Active());  // Loaded found no skin
    EXPECT_EQ(Log(), (Lines{"RegisterSkinData", "InstallHook"}));
}

TEST_F(SkinDataComponent, SkinFile) {
    StreamedSkin s = StreamTestSkin("FLAT_FRAME");
    EXPECT_EQ(s.data->Buttons->Image.Width(), 0);
    Log().clear();
    s.data->SetSkinFile(L"no such skin.skin");
    EXPECT_TRUE(s.data->NoSkin);  // the old model stays
    EXPECT_FALSE(s.data->Left->Image.Empty());
    EXPECT_TRUE(Log().empty());

    const std::vector<uint8_t> package = ResourceBytes("FLAT_BUTTONS_PACKAGE");
    ASSERT_FALSE(package.empty());
    wchar_t dir[MAX_PATH], path[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    GetTempFileNameW(dir, L"skn", 0, path);
    {
        std::ofstream file(path, std::ios::binary);
        file.write(reinterpret_cast<const char*>(package.data()), static_cast<std::streamsize>(package.size()));
    }
    SkinManager()->SetActivationState(1);
    Log().clear();
    s.data->SetSkinFile(path);
    DeleteFileW(path);
    EXPECT_FALSE(s.data->NoSkin);
    EXPECT_EQ(s.data->SkinStream.Size(), static_cast<int64_t>(package.size()));  // the bare package
    EXPECT_EQ(s.data->Buttons->Image.Width(), flatskin::kButtons.frameWidth * flatskin::kButtons.frames);
    EXPECT_EQ(Log(), (Lines{"SetPendingSkinData", "RefreshFormsOfSkinData", "RequestAction 3 250"}));
}

TEST_F(SkinDataComponent, QueryFormSkin) {
    TSkinData d(nullptr);
    struct Case {
        const wchar_t* className;
        TSkinControlTypes controls;
        bool expected;
    };
    const Case cases[] = {
        {L"TForm1", 0x1FFFFB, true},
        {L"SysMonthCal32", 0x1FFFFB, false},
        {L"TfrPreviewForm", 0x1FFFFB, true},              // without xcFastReport
        {L"TfrPreviewForm", 0x3FFFFB, false},             // with it
        {L"TFRPreviewForm", 0x3FFFFB, true},              // the prefix is case-sensitive
    };
    for (const Case& c : cases) {
        d.SetSkinControls(c.controls);
        bool doSkin = true;
        d.QueryFormSkin(nullptr, c.className, doSkin);
        EXPECT_EQ(doSkin, c.expected);
    }
    bool doSkin = false;  // left as the caller set it
    d.QueryFormSkin(nullptr, L"TForm1", doSkin);
    EXPECT_FALSE(doSkin);

    // A handler alone decides.
    std::wstring asked;
    d.OnFormSkin = [&](tk::TObject* sender, const std::wstring& name, bool&) {
        EXPECT_EQ(sender, &d);
        asked = name;
    };
    doSkin = true;
    d.QueryFormSkin(nullptr, L"SysMonthCal32", doSkin);
    EXPECT_TRUE(doSkin);
    EXPECT_EQ(asked, L"SysMonthCal32");
}

TEST_F(SkinDataComponent, NotifySkinChangedCallsTheHandler) {
    TSkinData d(nullptr);
    d.NotifySkinChanged();  // no handler: nothing
    tk::TObject* sender = nullptr;
    d.OnSkinChanged = [&](tk::TObject* s) { sender = s; };
    d.NotifySkinChanged();
    EXPECT_EQ(sender, &d);
}

TEST_F(SkinDataComponent, TakeApplicationIconDrawsTheSmallIconOnMagenta) {
    tk::Application->Initialize();
    const int w = GetSystemMetrics(SM_CXSMICON), h = GetSystemMetrics(SM_CYSMICON);
    // An icon of one colour whose left half is transparent.
    std::vector<uint32_t> colour(static_cast<size_t>(w * h), 0x00306090);  // 0xAARRGGBB
    std::vector<uint8_t> mask(static_cast<size_t>(((w + 15) / 16) * 2 * h), 0);
    const int maskStride = ((w + 15) / 16) * 2;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w / 2; ++x) mask[static_cast<size_t>(y * maskStride + x / 8)] |= 0x80 >> (x % 8);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w / 2; ++x) colour[static_cast<size_t>(y * w + x)] = 0;
    HBITMAP colourBitmap = CreateBitmap(w, h, 1, 32, colour.data());
    HBITMAP maskBitmap = CreateBitmap(w, h, 1, 1, mask.data());
    ICONINFO info{TRUE, 0, 0, maskBitmap, colourBitmap};
    HICON icon = CreateIconIndirect(&info);
    ASSERT_NE(icon, nullptr);
    HWND app = tk::Application->Handle();
    auto oldSmall = reinterpret_cast<HICON>(SendMessageW(app, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon)));

    TSkinData d(nullptr);
    d.TakeApplicationIcon();
    ASSERT_EQ(d.AppIcon.Width(), w);
    ASSERT_EQ(d.AppIcon.Height(), h);
    EXPECT_TRUE(d.AppIcon.Transparent());
    EXPECT_EQ(static_cast<uint32_t>(d.AppIcon.TransparentColor()), 0xFF00FFu);
    EXPECT_EQ(PixelAt(d.AppIcon, 1, h / 2), 0xFF00FFu);             // transparent half
    EXPECT_EQ(PixelAt(d.AppIcon, w - 2, h / 2), 0x906030u);         // COLORREF of 0x306090

    SendMessageW(app, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(oldSmall));
    DestroyIcon(icon);
    DeleteObject(colourBitmap);
    DeleteObject(maskBitmap);
}

TEST(NullSkinManager, ForgetsAComponentEverywhereWhenItGoes) {
    NullSkinManager m;
    TSkinData first(nullptr), dialog(nullptr), second(nullptr);
    dialog.SetSkinFormtype(TSkinFormType::sfDialog);
    m.RegisterSkinData(&dialog);
    EXPECT_EQ(m.MainSkinData(), nullptr);
    m.RegisterSkinData(&first);
    m.RegisterSkinData(&second);
    EXPECT_EQ(m.MainSkinData(), &first);
    m.SetPendingSkinData(&first);
    m.UnregisterSkinData(&first);
    EXPECT_EQ(m.MainSkinData(), &second);
    EXPECT_EQ(m.PendingSkinData(), nullptr);
    m.UnregisterSkinData(&second);
    EXPECT_EQ(m.MainSkinData(), nullptr);
    m.InstallHook();
    m.InstallHook();
    EXPECT_TRUE(m.HookInstalled());
}

}  // namespace
}  // namespace skin::testing

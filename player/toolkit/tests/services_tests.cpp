// Services of the layer: ini files, worker threads with Synchronize, and the OLE container
// against the project's stand-in player control.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "code_page.h"
#include "exceptions.h"
#include "gui_test_environment.h"
#include "ini_file.h"
#include "ole_control.h"
#include "xml_text.h"
#include "panel.h"
#include "thread.h"
#include "xml_document.h"

namespace tk {
namespace {
using testing_support::Pump;
using testing_support::TempFile;
using testing_support::TTestForm;

std::string FileBytes(const std::wstring& path) {
    std::ifstream file(WideToCodePage(path, CP_ACP), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TEST(IniFile, WritesGoStraightToTheFileAndAreSharedByEveryObject) {
    std::wstring path = TempFile(L"toolkit_ini_test.ini");
    TIniFile first(path), second(path);
    EXPECT_EQ(first.ReadString(L"udp", L"udp", L"none"), L"none");  // a missing file reads as empty
    first.WriteString(L"udp", L"udp", L"4001");
    EXPECT_EQ(second.ReadString(L"udp", L"udp", L""), L"4001");
    EXPECT_EQ(second.ReadInteger(L"udp", L"udp", 0), 4001);
    EXPECT_EQ(second.ReadInteger(L"udp", L"missing", 7), 7);
    for (const wchar_t* key : {L"c", L"a", L"b"}) second.WriteString(L"\x670d\x52a1\x5668", key, L"x");  // 服务器
    EXPECT_EQ(first.ReadSection(L"\x670d\x52a1\x5668"), (std::vector<std::wstring>{L"c", L"a", L"b"}));
    EXPECT_NE(FileBytes(path).find("[\xB7\xFE\xCE\xF1\xC6\xF7]"), std::string::npos) << "section not in GBK bytes";
    first.EraseSection(L"\x670d\x52a1\x5668");
    EXPECT_FALSE(second.SectionExists(L"\x670d\x52a1\x5668"));
    EXPECT_TRUE(second.ValueExists(L"udp", L"UDP"));
    DeleteFileW(path.c_str());
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream file(WideToCodePage(path, CP_ACP), std::ios::binary);
    file << bytes;
}

// "新闻" (news) in GBK and in UTF-8.
const char kNewsGbk[] = "\xD0\xC2\xCE\xC5";
const char kNewsUtf8[] = "\xE6\x96\xB0\xE9\x97\xBB";
const wchar_t kNews[] = L"\x65b0\x95fb";

TEST(XmlDocument, LoadsEveryEncodingToTheSameText) {
    struct Case { const char* name; std::string bytes; const wchar_t* encoding; };
    const std::string body = std::string("<root><channel><ChannelName>");
    const Case cases[] = {
        {"GB2312", "<?xml version=\"1.0\" encoding=\"GB2312\"?>" + body + kNewsGbk + "</ChannelName></channel></root>", L"GB2312"},
        {"GBK", "<?xml version=\"1.0\" encoding=\"GBK\"?>" + body + kNewsGbk + "</ChannelName></channel></root>", L"GBK"},
        {"UTF-8", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + body + kNewsUtf8 + "</ChannelName></channel></root>", L"UTF-8"},
        {"BOM", "\xEF\xBB\xBF" + body + kNewsUtf8 + "</ChannelName></channel></root>", L""},
        {"no declaration", body + kNewsUtf8 + "</ChannelName></channel></root>", L""},
    };
    std::wstring path = TempFile(L"toolkit_xml_load.xml");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(path, c.bytes);
        TXMLDocument document(nullptr);
        document.LoadFromFile(path);
        EXPECT_EQ(document.Encoding(), c.encoding);
        EXPECT_EQ(document.DocumentElement().Child(L"channel").Child(L"ChannelName").Text(), kNews);
        XmlNode link = document.SelectSingleNode(L"root/channel[ChannelName=" + XPathLiteral(kNews) + L"]");
        EXPECT_FALSE(link.IsEmpty());
    }
    DeleteFileW(path.c_str());
}

TEST(XmlDocument, SavesGb2312AsGbkBytesUnderTheDeclaration) {
    std::wstring path = TempFile(L"toolkit_xml_save.xml");
    WriteBytes(path, "<?xml version=\"1.0\" encoding=\"GB2312\"?><scj/>");
    TXMLDocument document(nullptr);
    document.LoadFromFile(path);
    XmlNode added = document.DocumentElement().AddChild(L"pd");
    added.SetAttribute(L"id", kNews);
    document.SaveToFile(path);
    std::string bytes = FileBytes(path);
    EXPECT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"GB2312\"?>", 0), 0u);
    EXPECT_NE(bytes.find(kNewsGbk), std::string::npos) << bytes;
    TXMLDocument again(nullptr);
    again.LoadFromFile(path);
    EXPECT_EQ(again.SelectSingleNode(L"//pd[@id=\"" + std::wstring(kNews) + L"\"]").Attribute(L"id"), kNews);
    DeleteFileW(path.c_str());
}

TEST(XmlDocument, DeclarationKeepsTheFileEncodingAndIsWrittenOnce) {
    std::wstring path = TempFile(L"toolkit_xml_declaration.xml");
    WriteBytes(path, "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<!-- kept -->\r\n<scj/>");
    TXMLDocument document(nullptr);
    document.LoadFromFile(path);
    XmlNode declaration = document.Node().FirstChild();
    ASSERT_FALSE(declaration.IsEmpty());
    EXPECT_EQ(declaration.NodeName(), L"xml");
    BSTR xml = nullptr;
    ASSERT_EQ(declaration.Raw()->get_xml(&xml), S_OK);
    EXPECT_NE(std::wstring(xml, SysStringLen(xml)).find(L"GB2312"), std::wstring::npos);
    SysFreeString(xml);
    document.SaveToFile(path);
    std::string bytes = FileBytes(path);
    EXPECT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"GB2312\"?>", 0), 0u);
    EXPECT_EQ(bytes.find("<?xml", 1), std::string::npos) << bytes;  // one declaration only
    EXPECT_NE(bytes.find("<!-- kept -->"), std::string::npos);
    DeleteFileW(path.c_str());
}

TEST(XmlDocument, BadInputGivesErrorsNotCrashes) {
    TXMLDocument document(nullptr);
    document.LoadFromXml(L"<root><a/></root>");
    EXPECT_TRUE(document.SelectSingleNode(L"root/channel[ChannelName=\"x\"\"]").IsEmpty());  // malformed
    EXPECT_TRUE(document.SelectSingleNode(L"root/none").IsEmpty());
    XmlNode empty;
    EXPECT_THROW(empty.Text(), EXMLDocError);
    EXPECT_THROW(document.DocumentElement().Child(L"missing"), EXMLDocError);
    EXPECT_TRUE(document.DocumentElement().FindChild(L"missing").IsEmpty());
    EXPECT_THROW(document.LoadFromXml(L"<root><unclosed></root>"), EXMLDocError);
    std::wstring path = TempFile(L"toolkit_xml_bad.xml");
    WriteBytes(path, "<?xml version=\"1.0\" encoding=\"GB2312\"?><r>\xFF\xFF</r>");
    EXPECT_THROW(document.LoadFromFile(path), EXMLDocError);
    DeleteFileW(path.c_str());
}

class SyncWorker : public TThread {
public:
    SyncWorker() : TThread(true) {}
    DWORD ranOn = 0;
    bool rethrown = false;

protected:
    void Execute() override {
        Synchronize([this] { ranOn = GetCurrentThreadId(); });
        try {
            Synchronize([] { throw EConvertError(L"on the GUI thread"); });
        } catch (const EConvertError&) {
            rethrown = true;
        }
        throw EThread(L"escaped Execute");
    }
};

TEST(Threads, SynchronizeRunsOnTheGuiThreadAndRethrowsInTheWorker) {
    SyncWorker worker;
    worker.Start();
    HANDLE thread = worker.Handle();
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, 10000, QS_ALLINPUT | QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1)
        Pump();
    worker.WaitFor();
    EXPECT_EQ(worker.ranOn, GetCurrentThreadId());
    EXPECT_TRUE(worker.rethrown);
    ASSERT_TRUE(worker.FatalException() != nullptr);
    EXPECT_THROW(std::rethrow_exception(worker.FatalException()), EThread);
}

// {18226BF8-DC0B-4D81-80E9-A41AE37BB73A} and its events {F533A1A0-3978-4C90-ABA8-16FA38833461}
const CLSID kControlId = {0x18226BF8, 0xDC0B, 0x4D81, {0x80, 0xE9, 0xA4, 0x1A, 0xE3, 0x7B, 0xB7, 0x3A}};
const IID kEventsId = {0xF533A1A0, 0x3978, 0x4C90, {0xAB, 0xA8, 0x16, 0xFA, 0x38, 0x83, 0x34, 0x61}};
const CLSID kUnknownId = {0x01234567, 0x89AB, 0xCDEF, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};

class RecordingControl : public TOleControl {
public:
    explicit RecordingControl(TComponent* owner) : TOleControl(owner, kControlId, kEventsId, SIZEL{11668, 10239}) {}
    std::vector<std::pair<DISPID, int>> events;
    DWORD eventThread = 0;
    void InvokeEvent(DISPID id, DISPPARAMS* params) override {
        eventThread = GetCurrentThreadId();
        events.emplace_back(id, EventIntegerArgument(params, 0, -1));
    }
};

void RegisterStandInControl() {
    const char* location = std::getenv("KESTRAV_ZIV_OCX");
    ASSERT_NE(location, nullptr) << "KESTRAV_ZIV_OCX names the built control";
    std::string path = std::string("Z:") + location;
    for (char& c : path)
        if (c == '/') c = '\\';
    HMODULE library = LoadLibraryA(path.c_str());
    ASSERT_NE(library, nullptr);
    auto registerServer = reinterpret_cast<HRESULT(__stdcall*)()>(
        reinterpret_cast<void*>(GetProcAddress(library, "DllRegisterServer")));
    ASSERT_NE(registerServer, nullptr);
    EXPECT_EQ(registerServer(), S_OK);
    FreeLibrary(library);
}

TEST(OleContainer, HostsTheControlDrivesItByDispatchIdAndHearsItsEvents) {
    RegisterStandInControl();
    std::unique_ptr<TTestForm> form(TCustomForm::Create<TTestForm>(nullptr));
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    panel->SetAlign(TAlign::alClient);
    auto* control = new RecordingControl(form.get());
    control->SetParent(panel);
    control->SetAlign(TAlign::alClient);
    form->Show();
    HWND window = control->Handle();
    ASSERT_TRUE(IsWindow(window));
    EXPECT_TRUE(IsChild(panel->Handle(), window));
    EXPECT_EQ(ControlOfWindow(window), control);
    EXPECT_EQ(GetWindowLongPtrA(window, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL), 0);

    EXPECT_FALSE(control->GetWordBoolProp(35));
    control->SetWordBoolProp(35, true);
    EXPECT_TRUE(control->GetWordBoolProp(35));
    control->CallMethod(27);  // Stop before anything played: state stays 0, the player closes
    ASSERT_EQ(control->events.size(), 1u);
    EXPECT_EQ(control->events[0].first, 7);
    control->SetWideStringProp(2, L"http://127.0.0.1:8888/live?name=news");
    EXPECT_EQ(control->GetWideStringProp(17), L"news");
    EXPECT_EQ(control->GetIntegerProp(6), 3);
    ASSERT_EQ(control->events.size(), 2u);
    EXPECT_EQ(control->events[1], (std::pair<DISPID, int>{6, 3}));
    EXPECT_EQ(control->eventThread, GetCurrentThreadId());
    EXPECT_THROW(control->GetIntegerProp(999), EOleSysError);

    IOleObject* object = control->OleObject();
    object->AddRef();
    delete control;  // the container lets go of every reference it held
    EXPECT_EQ(object->Release(), 0u);
    EXPECT_FALSE(IsWindow(window));
}

TEST(OleContainer, AnUnregisteredClassFailsTheConstructor) {
    std::unique_ptr<TTestForm> form(TCustomForm::Create<TTestForm>(nullptr));
    EXPECT_THROW(TOleControl(form.get(), kUnknownId, kEventsId, SIZEL{100, 100}), EOleSysError);
    EXPECT_EQ(form->ComponentCount(), 0);
}

}  // namespace
}  // namespace tk

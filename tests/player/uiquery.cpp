// uiquery: looks at and pokes the windows of another process for the player's whole-program
// tests. One command per run; the answer is one JSON line on stdout.
//   find TITLE                     {"found":..,"count":..}   visible top-level windows with that exact title
//   windows TITLE                  {"windows":[{"class":..,"rect":[l,t,r,b],"visible":..}],"client":[w,h],
//                                  "origin":[x,y]}           rectangles in client coordinates, origin on screen
//   click TITLE CLASS N            posts BM_CLICK to the N-th descendant window of that class
//   press TITLE CAPTION            posts BM_CLICK to the descendant window with that text
//   openfile PATH                  fills the visible file dialog and confirms it
//   popup                          {"open":..}               whether a popup menu is showing
//   close TITLE                    posts WM_CLOSE
//   choose INDEX                   picks item INDEX of the open popup menu with the keyboard
//   clickat TITLE                  a real left click in the middle of that top-level window
//   treeclick TITLE PAGE INDEX KIND  a real click on node INDEX of the tree view on page PAGE of
//                                  the page control, after opening its parents (KIND: click = left
//                                  click, dbl = left double click, right = right click)
//   tabclick TITLE INDEX           a real click on tab INDEX of the page control
//   font FACE                      {"found":..}              whether the font is installed
//   frame TITLE                    {"skinned":..,"native_menu":..,"window":[..],"client":[..],"region":[[..]..]}
//                                  how a skin frames that window (screen rectangles; region in
//                                  window coordinates, empty without one)
// Asked of the probe inside the player (uiprobe.h), with the answers uiprobe.cpp lists:
//   menu TITLE, status TITLE, command TITLE MENU ITEM, tree TITLE PAGE
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ui_json.h"
#include "uiprobe.h"

namespace {
using ui::Utf8;

void Print(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

std::wstring WindowText(HWND window) {
    wchar_t text[1024];
    int length = GetWindowTextW(window, text, 1024);
    return std::wstring(text, static_cast<size_t>(length > 0 ? length : 0));
}

struct TitleSearch {
    const std::wstring* title;
    std::vector<HWND> found;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<TitleSearch*>(data);
    if (WindowText(window) == *search->title) search->found.push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM data) {
    reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
    return TRUE;
}

std::vector<HWND> TopLevelWithTitle(const std::wstring& title) {
    TitleSearch search{&title, {}};
    EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND MainWindow(const std::wstring& title) {
    for (HWND window : TopLevelWithTitle(title))
        if (GetMenu(window) != nullptr || GetPropW(window, L"TkMenuBar") != nullptr || IsWindowVisible(window))
            return window;
    return nullptr;
}

std::vector<HWND> Descendants(HWND root) {
    std::vector<HWND> all;
    EnumChildWindows(root, CollectWindow, reinterpret_cast<LPARAM>(&all));
    return all;
}

std::string ClassOf(HWND window) {
    char name[128] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// ---- the probe inside the player (uiprobe.h) ----

std::wstring OwnFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

// Hooks the probe onto the thread of WINDOW for the time of one probe message.
bool RunProbe(HWND window) {
    HMODULE probe = LoadLibraryW((OwnFolder() + ui::kProbeDll).c_str());
    if (probe == nullptr) return false;
    auto hookProc = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(probe, ui::kProbeHookName)));
    HHOOK hook = hookProc != nullptr ? SetWindowsHookExW(WH_CALLWNDPROC, hookProc, probe, GetWindowThreadProcessId(window, nullptr))
                                     : nullptr;
    if (hook == nullptr) return false;
    DWORD_PTR ignored = 0;
    LRESULT sent = SendMessageTimeoutW(window, RegisterWindowMessageW(ui::kProbeMessage), GetCurrentProcessId(), 0,
                                       SMTO_NORMAL, 30000, &ignored);
    UnhookWindowsHookEx(hook);
    return sent != 0;
}

// Runs one request inside the process of WINDOW, on the thread that owns it; "" when no answer came.
std::string Ask(HWND window, const std::vector<std::wstring>& words) {
    std::wstring request;
    for (const std::wstring& word : words) request += (request.empty() ? L"" : L"\n") + word;
    if (window == nullptr || request.size() >= sizeof(ui::ProbeBlock::request) / sizeof(wchar_t)) return "";
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(ui::ProbeBlock),
                                        ui::ProbeBlockName(GetCurrentProcessId()).c_str());
    if (mapping == nullptr) return "";
    std::string answer;
    if (auto* block = static_cast<ui::ProbeBlock*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0))) {
        std::memcpy(block->request, request.c_str(), (request.size() + 1) * sizeof(wchar_t));
        block->answer[0] = 0;
        if (RunProbe(window)) {
            block->answer[sizeof block->answer - 1] = 0;
            answer = block->answer;
        }
        UnmapViewOfFile(block);
    }
    CloseHandle(mapping);
    return answer;
}

int AskAndPrint(const std::wstring& title, const std::vector<std::wstring>& words) {
    std::string answer = Ask(MainWindow(title), words);
    Print(answer.empty() ? "{}" : answer);
    return answer.empty() ? 1 : 0;
}

// The screen rectangle of an answer's "rect", if it has one.
bool AnswerRect(const std::string& answer, RECT& rect) {
    size_t at = answer.find("\"rect\":[");
    if (at == std::string::npos) return false;
    long v[4];
    if (std::sscanf(answer.c_str() + at + 8, "%ld,%ld,%ld,%ld", &v[0], &v[1], &v[2], &v[3]) != 4) return false;
    rect = RECT{v[0], v[1], v[2], v[3]};
    return true;
}

// ---- real mouse input ----

// The presses come a little apart, as a hand makes them: the tree view follows a press in a loop
// of its own until the release, and presses that are all queued at once do not make a double click.
void ClickIn(HWND root, const RECT& rect, DWORD down, DWORD up, int times) {
    SetForegroundWindow(root);
    SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    for (int click = 0; click < times; ++click) {
        if (click > 0) Sleep(60);
        mouse_event(down, 0, 0, 0, 0);
        Sleep(20);
        mouse_event(up, 0, 0, 0, 0);
    }
}

int TreeClick(const std::wstring& title, const std::wstring& page, const std::wstring& index, const std::wstring& kind) {
    HWND main = MainWindow(title);
    RECT rect;
    if (!AnswerRect(Ask(main, {L"treeitem", page, index}), rect)) {
        Print("{\"clicked\":false}");
        return 1;
    }
    if (kind == L"right")
        ClickIn(main, rect, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, 1);
    else
        ClickIn(main, rect, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, kind == L"dbl" ? 2 : 1);
    Print("{\"clicked\":true}");
    return 0;
}

int TabClick(const std::wstring& title, const std::wstring& index) {
    HWND main = MainWindow(title);
    RECT rect;
    if (!AnswerRect(Ask(main, {L"tab", index}), rect)) {
        Print("{\"clicked\":false}");
        return 1;
    }
    ClickIn(main, rect, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, 1);
    Print("{\"clicked\":true}");
    return 0;
}

int Windows(const std::wstring& title) {
    HWND main = MainWindow(title);
    std::string out = "{\"windows\":[";
    bool first = true;
    for (HWND child : main != nullptr ? Descendants(main) : std::vector<HWND>{}) {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
        out += std::string(first ? "" : ",") + "{\"class\":\"" + ClassOf(child) + "\",\"rect\":" + ui::JsonRect(r) +
               ",\"visible\":" + (IsWindowVisible(child) ? "true" : "false") + "}";
        first = false;
    }
    RECT client = {};
    POINT origin = {0, 0};
    if (main != nullptr) {
        GetClientRect(main, &client);
        ClientToScreen(main, &origin);
    }
    Print(out + "],\"client\":[" + std::to_string(client.right) + "," + std::to_string(client.bottom) +
          "],\"origin\":[" + std::to_string(origin.x) + "," + std::to_string(origin.y) + "]}");
    return main != nullptr ? 0 : 1;
}

int Click(const std::wstring& title, const std::wstring& className, int index) {
    HWND main = MainWindow(title);
    int seen = 0;
    for (HWND child : main != nullptr ? Descendants(main) : std::vector<HWND>{}) {
        if (ClassOf(child) != Utf8(className)) continue;
        if (seen++ == index) {
            PostMessageW(child, BM_CLICK, 0, 0);
            Print("{\"clicked\":true}");
            return 0;
        }
    }
    Print("{\"clicked\":false}");
    return 1;
}

// By caption, where the stacking order of sibling buttons is no guide to which is which.
int Press(const std::wstring& title, const std::wstring& caption) {
    HWND main = MainWindow(title);
    for (HWND child : main != nullptr ? Descendants(main) : std::vector<HWND>{}) {
        if (WindowText(child) != caption) continue;
        PostMessageW(child, BM_CLICK, 0, 0);
        Print("{\"clicked\":true}");
        return 0;
    }
    Print("{\"clicked\":false}");
    return 1;
}

int OpenFile(const std::wstring& path) {
    for (int attempt = 0; attempt < 50; ++attempt) {
        HWND dialog = FindWindowA("#32770", nullptr);
        if (dialog != nullptr && IsWindowVisible(dialog)) {
            HWND name = GetDlgItem(dialog, 0x47C);  // the file name box of the explorer-style dialog
            if (name == nullptr) name = GetDlgItem(dialog, 0x480);
            if (name != nullptr) {
                SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
                PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
                Print("{\"confirmed\":true}");
                return 0;
            }
        }
        Sleep(100);
    }
    Print("{\"confirmed\":false}");
    return 1;
}

void Key(WORD key) {
    keybd_event(static_cast<BYTE>(key), 0, 0, 0);
    keybd_event(static_cast<BYTE>(key), 0, KEYEVENTF_KEYUP, 0);
}

int Choose(int index) {
    HWND menu = FindWindowA("#32768", nullptr);
    if (menu == nullptr || !IsWindowVisible(menu)) {
        Print("{\"chosen\":false}");
        return 1;
    }
    for (int step = 0; step <= index; ++step) Key(VK_DOWN);
    Key(VK_RETURN);
    Print("{\"chosen\":true}");
    return 0;
}

int ClickAt(const std::wstring& title) {
    std::vector<HWND> found = TopLevelWithTitle(title);
    HWND target = nullptr;
    for (HWND window : found)
        if (IsWindowVisible(window)) target = window;
    if (target == nullptr) {
        Print("{\"clicked\":false}");
        return 1;
    }
    RECT rect = {};
    GetWindowRect(target, &rect);
    ClickIn(target, rect, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, 1);
    Print("{\"clicked\":true}");
    return 0;
}

int CALLBACK NoteFont(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

int Font(const std::wstring& face) {
    LOGFONTW wanted = {};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(wanted.lfFaceName, face.c_str(), LF_FACESIZE);
    bool found = false;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &wanted, NoteFont, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    Print(std::string("{\"found\":") + (found ? "true" : "false") + "}");
    return 0;
}

// The frame of a top-level window as a skin draws it: whether a skinner answers SKIN_QUERY, whether
// the window still has its native menu, its window and client rectangles on screen and the
// rectangles of its window region (window coordinates; none without a region).
int Frame(const std::wstring& title) {
    constexpr UINT kSkinQuery = 0x3523;
    HWND main = MainWindow(title);
    if (main == nullptr) {
        Print("{\"found\":false}");
        return 1;
    }
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(main, kSkinQuery, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
    RECT window = {}, client = {};
    GetWindowRect(main, &window);
    GetClientRect(main, &client);
    MapWindowPoints(main, nullptr, reinterpret_cast<POINT*>(&client), 2);
    std::string region = "[";
    HRGN shape = CreateRectRgn(0, 0, 0, 0);
    if (GetWindowRgn(main, shape) != ERROR) {
        DWORD size = GetRegionData(shape, 0, nullptr);
        std::vector<char> data(size);
        auto* rgn = reinterpret_cast<RGNDATA*>(data.data());
        if (size != 0 && GetRegionData(shape, size, rgn) != 0) {
            const RECT* rects = reinterpret_cast<const RECT*>(rgn->Buffer);
            for (DWORD i = 0; i < rgn->rdh.nCount; ++i) region += std::string(i ? "," : "") + ui::JsonRect(rects[i]);
        }
    }
    DeleteObject(shape);
    Print(std::string("{\"found\":true,\"skinned\":") + (answer == 1 ? "true" : "false") +
          ",\"native_menu\":" + (GetMenu(main) != nullptr ? "true" : "false") + ",\"window\":" + ui::JsonRect(window) +
          ",\"client\":" + ui::JsonRect(client) + ",\"region\":" + region + "]}");
    return 0;
}

int Popup() {
    HWND menu = FindWindowA("#32768", nullptr);
    bool open = menu != nullptr && IsWindowVisible(menu);
    Print(std::string("{\"open\":") + (open ? "true" : "false") + "}");
    return 0;
}
}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> a(args, args + count);
    auto need = [&](int n) { return count >= n; };
    if (!need(2)) return 2;
    const std::wstring& command = a[1];
    if (command == L"find" && need(3)) {
        // The application's own hidden window carries the title too; only shown windows count.
        std::vector<HWND> found;
        for (HWND window : TopLevelWithTitle(a[2]))
            if (IsWindowVisible(window)) found.push_back(window);
        Print(std::string("{\"found\":") + (found.empty() ? "false" : "true") + ",\"count\":" + std::to_string(found.size()) + "}");
        return 0;
    }
    if ((command == L"status" || command == L"menu") && need(3)) return AskAndPrint(a[2], {command});
    if (command == L"windows" && need(3)) return Windows(a[2]);
    if (command == L"command" && need(5)) return AskAndPrint(a[2], {command, a[3], a[4]});
    if (command == L"click" && need(5)) return Click(a[2], a[3], _wtoi(a[4].c_str()));
    if (command == L"press" && need(4)) return Press(a[2], a[3]);
    if (command == L"openfile" && need(3)) return OpenFile(a[2]);
    if (command == L"popup") return Popup();
    if (command == L"frame" && need(3)) return Frame(a[2]);
    if (command == L"font" && need(3)) return Font(a[2]);
    if (command == L"choose" && need(3)) return Choose(_wtoi(a[2].c_str()));
    if (command == L"clickat" && need(3)) return ClickAt(a[2]);
    if (command == L"tabclick" && need(4)) return TabClick(a[2], a[3]);
    if (command == L"tree" && need(4)) return AskAndPrint(a[2], {command, a[3]});
    if (command == L"treeclick" && need(6)) return TreeClick(a[2], a[3], a[4], a[5]);
    if (command == L"close" && need(3)) {
        HWND main = MainWindow(a[2]);
        if (main != nullptr) PostMessageW(main, WM_CLOSE, 0, 0);
        Print(std::string("{\"closed\":") + (main != nullptr ? "true" : "false") + "}");
        return 0;
    }
    return 2;
}

// uiquery: looks at and pokes the windows of another process for the player's whole-program
// tests. One command per run; the answer is one JSON line on stdout.
//   find TITLE                     {"found":..,"count":..}   visible top-level windows with that exact title
//   status TITLE                   {"panels":[..]}           status bar panel texts of that window
//   menu TITLE                     {"menus":[{"text":..,"items":[{"text":..,"id":..,"grayed":..}]}]}
//   windows TITLE                  {"windows":[{"class":..,"rect":[l,t,r,b],"visible":..}],"client":[w,h],
//                                  "origin":[x,y]}           rectangles in client coordinates, origin on screen
//   command TITLE MENU ITEM        posts the command of menu bar entry MENU, item ITEM
//   click TITLE CLASS N            posts BM_CLICK to the N-th descendant window of that class
//   openfile PATH                  fills the visible file dialog and confirms it
//   popup                          {"open":..}               whether a popup menu is showing
//   close TITLE                    posts WM_CLOSE
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {
std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), length, nullptr, nullptr);
    return out;
}

std::string Json(const std::wstring& text) {
    std::string out = "\"";
    for (char c : Utf8(text)) {
        if (c == '"' || c == '\\') out += '\\';
        if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
            continue;
        }
        out += c;
    }
    return out + "\"";
}

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
        if (GetMenu(window) != nullptr || IsWindowVisible(window)) return window;
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

// Status bar texts live in the other process: read them through memory allocated there.
std::vector<std::wstring> PanelTexts(HWND bar) {
    std::vector<std::wstring> texts;
    DWORD processId = 0;
    GetWindowThreadProcessId(bar, &processId);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (process == nullptr) return texts;
    const SIZE_T size = 4096;
    void* remote = VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    int parts = static_cast<int>(SendMessageW(bar, SB_GETPARTS, 0, 0));
    for (int i = 0; i < parts && remote != nullptr; ++i) {
        SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(remote));
        wchar_t buffer[2048] = {};
        SIZE_T read = 0;
        ReadProcessMemory(process, remote, buffer, sizeof buffer - sizeof(wchar_t), &read);
        std::wstring text(buffer);
        while (!text.empty() && text[0] == L'\t') text.erase(0, 1);  // alignment tabs
        texts.push_back(text);
    }
    if (remote != nullptr) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return texts;
}

std::wstring MenuText(HMENU menu, int position) {
    wchar_t text[256] = {};
    GetMenuStringW(menu, static_cast<UINT>(position), text, 256, MF_BYPOSITION);
    return text;
}

int Status(const std::wstring& title) {
    HWND main = MainWindow(title);
    std::string out = "{\"panels\":[";
    bool first = true;
    for (HWND child : main != nullptr ? Descendants(main) : std::vector<HWND>{})
        if (ClassOf(child) == "TStatusBar")
            for (const std::wstring& text : PanelTexts(child)) {
                out += (first ? "" : ",") + Json(text);
                first = false;
            }
    Print(out + "]}");
    return main != nullptr ? 0 : 1;
}

int Menu(const std::wstring& title) {
    HWND main = MainWindow(title);
    HMENU bar = main != nullptr ? GetMenu(main) : nullptr;
    std::string out = "{\"menus\":[";
    for (int i = 0; bar != nullptr && i < GetMenuItemCount(bar); ++i) {
        HMENU sub = GetSubMenu(bar, i);
        out += std::string(i ? "," : "") + "{\"text\":" + Json(MenuText(bar, i)) + ",\"items\":[";
        for (int k = 0; sub != nullptr && k < GetMenuItemCount(sub); ++k) {
            UINT state = GetMenuState(sub, static_cast<UINT>(k), MF_BYPOSITION);
            out += std::string(k ? "," : "") + "{\"text\":" + Json(MenuText(sub, k)) +
                   ",\"id\":" + std::to_string(GetMenuItemID(sub, k)) +
                   ",\"grayed\":" + ((state & (MF_GRAYED | MF_DISABLED)) ? "true" : "false") + "}";
        }
        out += "]}";
    }
    Print(out + "]}");
    return bar != nullptr ? 0 : 1;
}

int Windows(const std::wstring& title) {
    HWND main = MainWindow(title);
    std::string out = "{\"windows\":[";
    bool first = true;
    for (HWND child : main != nullptr ? Descendants(main) : std::vector<HWND>{}) {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
        out += std::string(first ? "" : ",") + "{\"class\":\"" + ClassOf(child) + "\",\"rect\":[" +
               std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
               std::to_string(r.bottom) + "],\"visible\":" + (IsWindowVisible(child) ? "true" : "false") + "}";
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

int Command(const std::wstring& title, int menuIndex, int itemIndex) {
    HWND main = MainWindow(title);
    HMENU bar = main != nullptr ? GetMenu(main) : nullptr;
    HMENU sub = bar != nullptr ? GetSubMenu(bar, menuIndex) : nullptr;
    if (sub == nullptr) return 1;
    UINT id = GetMenuItemID(sub, itemIndex);
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    Print("{\"posted\":" + std::to_string(id) + "}");
    return 0;
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
    if (command == L"status" && need(3)) return Status(a[2]);
    if (command == L"menu" && need(3)) return Menu(a[2]);
    if (command == L"windows" && need(3)) return Windows(a[2]);
    if (command == L"command" && need(5)) return Command(a[2], _wtoi(a[3].c_str()), _wtoi(a[4].c_str()));
    if (command == L"click" && need(5)) return Click(a[2], a[3], _wtoi(a[4].c_str()));
    if (command == L"openfile" && need(3)) return OpenFile(a[2]);
    if (command == L"popup") return Popup();
    if (command == L"close" && need(3)) {
        HWND main = MainWindow(a[2]);
        if (main != nullptr) PostMessageW(main, WM_CLOSE, 0, 0);
        Print(std::string("{\"closed\":") + (main != nullptr ? "true" : "false") + "}");
        return 0;
    }
    return 2;
}

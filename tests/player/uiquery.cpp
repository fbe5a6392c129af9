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
//   tree TITLE N                   {"nodes":[{"text":..,"depth":..,"expanded":..}],"visible":..}
//                                  the N-th tree view's nodes in display order (pre-order)
//   treeclick TITLE N INDEX KIND   selects node INDEX of the N-th tree view and clicks it for real
//                                  (KIND: dbl = left double click, right = right click)
//   tabclick TITLE INDEX           a real click on tab INDEX of the page control
//   choose INDEX                   picks item INDEX of the open popup menu with the keyboard
//   clickat TITLE                  a real left click in the middle of that top-level window
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
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

HWND NthOfClass(const std::wstring& title, const char* className, int index) {
    HWND main = MainWindow(title);
    int seen = 0;
    for (HWND child : main != nullptr ? Descendants(main) : std::vector<HWND>{})
        if (ClassOf(child) == className && seen++ == index) return child;
    return nullptr;
}

struct TreeNodeInfo {
    HTREEITEM item;
    std::wstring text;
    int depth;
    bool expanded;
};

// Tree items live in the other process: their texts are read through memory allocated there.
std::vector<TreeNodeInfo> TreeNodes(HWND tree) {
    std::vector<TreeNodeInfo> nodes;
    DWORD processId = 0;
    GetWindowThreadProcessId(tree, &processId);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (process == nullptr) return nodes;
    const SIZE_T size = sizeof(TVITEMW) + 1024 * sizeof(wchar_t);
    auto* remote = static_cast<char*>(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
    std::vector<std::pair<HTREEITEM, int>> stack;
    auto push_siblings = [&](HTREEITEM first, int depth) {
        std::vector<HTREEITEM> level;
        for (HTREEITEM item = first; item != nullptr;
             item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item))))
            level.push_back(item);
        for (auto it = level.rbegin(); it != level.rend(); ++it) stack.emplace_back(*it, depth);
    };
    push_siblings(reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)), 0);
    while (!stack.empty() && remote != nullptr) {
        auto [item, depth] = stack.back();
        stack.pop_back();
        TVITEMW query = {};
        query.mask = TVIF_TEXT | TVIF_STATE | TVIF_HANDLE;
        query.hItem = item;
        query.stateMask = TVIS_EXPANDED;
        query.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(TVITEMW));
        query.cchTextMax = 1023;
        WriteProcessMemory(process, remote, &query, sizeof query, nullptr);
        SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote));
        TVITEMW answer = {};
        wchar_t text[1024] = {};
        ReadProcessMemory(process, remote, &answer, sizeof answer, nullptr);
        ReadProcessMemory(process, remote + sizeof(TVITEMW), text, sizeof text - sizeof(wchar_t), nullptr);
        nodes.push_back(TreeNodeInfo{item, text, depth, (answer.state & TVIS_EXPANDED) != 0});
        push_siblings(reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item))),
                      depth + 1);
    }
    if (remote != nullptr) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return nodes;
}

int Tree(const std::wstring& title, int index) {
    HWND tree = NthOfClass(title, "TTreeView", index);
    std::string out = "{\"nodes\":[";
    bool first = true;
    for (const TreeNodeInfo& node : tree != nullptr ? TreeNodes(tree) : std::vector<TreeNodeInfo>{}) {
        out += std::string(first ? "" : ",") + "{\"text\":" + Json(node.text) + ",\"depth\":" +
               std::to_string(node.depth) + ",\"expanded\":" + (node.expanded ? "true" : "false") + "}";
        first = false;
    }
    bool visible = tree != nullptr && IsWindowVisible(tree);
    Print(out + "],\"visible\":" + (visible ? "true" : "false") + "}");
    return tree != nullptr ? 0 : 1;
}

int TreeClick(const std::wstring& title, int index, int nodeIndex, const std::wstring& kind) {
    HWND tree = NthOfClass(title, "TTreeView", index);
    std::vector<TreeNodeInfo> nodes = tree != nullptr ? TreeNodes(tree) : std::vector<TreeNodeInfo>{};
    if (nodeIndex < 0 || nodeIndex >= static_cast<int>(nodes.size())) {
        Print("{\"clicked\":false}");
        return 1;
    }
    HTREEITEM item = nodes[static_cast<size_t>(nodeIndex)].item;
    SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    // TVM_GETITEMRECT reads and writes the RECT in the tree's process.
    DWORD processId = 0;
    GetWindowThreadProcessId(tree, &processId);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    RECT rect = {};
    void* remote = process != nullptr ? VirtualAllocEx(process, nullptr, sizeof rect, MEM_COMMIT, PAGE_READWRITE) : nullptr;
    if (remote != nullptr) {
        std::memcpy(&rect, &item, sizeof item);  // the message takes the item in the RECT's first bytes
        WriteProcessMemory(process, remote, &rect, sizeof rect, nullptr);
        SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(process, remote, &rect, sizeof rect, nullptr);
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    if (process != nullptr) CloseHandle(process);
    POINT at = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ClientToScreen(tree, &at);
    SetForegroundWindow(GetAncestor(tree, GA_ROOT));
    SetCursorPos(at.x, at.y);
    if (kind == L"right") {
        mouse_event(MOUSEEVENTF_RIGHTDOWN, 0, 0, 0, 0);
        mouse_event(MOUSEEVENTF_RIGHTUP, 0, 0, 0, 0);
    } else {
        for (int click = 0; click < 2; ++click) {
            mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
            mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
        }
    }
    Print("{\"clicked\":true}");
    return 0;
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

int TabClick(const std::wstring& title, int index) {
    HWND tabs = NthOfClass(title, "TPageControl", 0);
    DWORD processId = 0;
    if (tabs != nullptr) GetWindowThreadProcessId(tabs, &processId);
    HANDLE process = processId != 0 ? OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId) : nullptr;
    RECT rect = {};
    void* remote = process != nullptr ? VirtualAllocEx(process, nullptr, sizeof rect, MEM_COMMIT, PAGE_READWRITE) : nullptr;
    bool found = false;
    if (remote != nullptr) {
        found = SendMessageW(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(remote)) != 0;
        ReadProcessMemory(process, remote, &rect, sizeof rect, nullptr);
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    if (process != nullptr) CloseHandle(process);
    if (!found) {
        Print("{\"clicked\":false}");
        return 1;
    }
    POINT at = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ClientToScreen(tabs, &at);
    SetForegroundWindow(GetAncestor(tabs, GA_ROOT));
    SetCursorPos(at.x, at.y);
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    Print("{\"clicked\":true}");
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
    SetForegroundWindow(target);
    SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    Print("{\"clicked\":true}");
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
    if (command == L"status" && need(3)) return Status(a[2]);
    if (command == L"menu" && need(3)) return Menu(a[2]);
    if (command == L"windows" && need(3)) return Windows(a[2]);
    if (command == L"command" && need(5)) return Command(a[2], _wtoi(a[3].c_str()), _wtoi(a[4].c_str()));
    if (command == L"click" && need(5)) return Click(a[2], a[3], _wtoi(a[4].c_str()));
    if (command == L"openfile" && need(3)) return OpenFile(a[2]);
    if (command == L"popup") return Popup();
    if (command == L"choose" && need(3)) return Choose(_wtoi(a[2].c_str()));
    if (command == L"clickat" && need(3)) return ClickAt(a[2]);
    if (command == L"tabclick" && need(4)) return TabClick(a[2], _wtoi(a[3].c_str()));
    if (command == L"tree" && need(4)) return Tree(a[2], _wtoi(a[3].c_str()));
    if (command == L"treeclick" && need(6)) return TreeClick(a[2], _wtoi(a[3].c_str()), _wtoi(a[4].c_str()), a[5]);
    if (command == L"close" && need(3)) {
        HWND main = MainWindow(a[2]);
        if (main != nullptr) PostMessageW(main, WM_CLOSE, 0, 0);
        Print(std::string("{\"closed\":") + (main != nullptr ? "true" : "false") + "}");
        return 0;
    }
    return 2;
}

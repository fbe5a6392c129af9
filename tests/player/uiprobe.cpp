// uiprobe.dll: the part of uiquery that runs inside the player (see uiprobe.h for why). Its hook
// answers one request per kProbeMessage, on the GUI thread that owns the window it was sent to:
//   menu                 {"menus":[{"text":..,"items":[{"text":..,"id":..,"grayed":..}]}]}
//   command MENU ITEM    posts the command of menu bar entry MENU, item ITEM    {"posted":id}
//   status               {"panels":[..]}     status bar panel texts
//   tree PAGE            {"nodes":[{"text":..,"depth":..,"expanded":..}],"visible":..}
//                        the nodes, in display order (pre-order), of the tree view on page PAGE
//                        of the page control
//   treeitem PAGE INDEX  makes node INDEX of that tree visible     {"found":..,"rect":[l,t,r,b]}
//   tab INDEX            {"found":..,"rect":[l,t,r,b]}  tab INDEX of the page control
// Rectangles are in screen coordinates, ready for real mouse input.
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "ui_json.h"
#include "uiprobe.h"

namespace {
using ui::Json;

std::wstring WindowText(HWND window) {
    wchar_t text[1024];
    int length = GetWindowTextW(window, text, 1024);
    return std::wstring(text, static_cast<size_t>(length > 0 ? length : 0));
}

std::string ClassOf(HWND window) {
    char name[128] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM data) {
    reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
    return TRUE;
}

std::vector<HWND> Descendants(HWND root) {
    std::vector<HWND> all;
    EnumChildWindows(root, CollectWindow, reinterpret_cast<LPARAM>(&all));
    return all;
}

HWND FirstOfClass(HWND root, const char* className) {
    for (HWND child : Descendants(root))
        if (ClassOf(child) == className) return child;
    return nullptr;
}

// ---- menus ----

std::wstring MenuText(HMENU menu, int position) {
    wchar_t text[256] = {};
    GetMenuStringW(menu, static_cast<UINT>(position), text, 256, MF_BYPOSITION);
    return text;
}

// The form's menu bar. A skinned form draws its bar itself and its window has no menu, so the
// handle the toolkit publishes on the window comes first.
HMENU MenuBar(HWND main) {
    if (HANDLE published = GetPropW(main, L"TkMenuBar")) return static_cast<HMENU>(published);
    return GetMenu(main);
}

std::string Menu(HWND main) {
    HMENU bar = MenuBar(main);
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
    return out + "]}";
}

std::string Command(HWND main, int menuIndex, int itemIndex) {
    HMENU bar = MenuBar(main);
    HMENU sub = bar != nullptr ? GetSubMenu(bar, menuIndex) : nullptr;
    if (sub == nullptr) return "{\"posted\":false}";
    UINT id = GetMenuItemID(sub, itemIndex);
    // Posted, not handled here: the command may open a modal dialog, and the probe must return.
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    return "{\"posted\":" + std::to_string(id) + "}";
}

// ---- status bar ----

std::string Status(HWND main) {
    std::string out = "{\"panels\":[";
    bool first = true;
    for (HWND bar : Descendants(main)) {
        if (ClassOf(bar) != "TStatusBar") continue;
        int parts = static_cast<int>(SendMessageW(bar, SB_GETPARTS, 0, 0));
        for (int i = 0; i < parts; ++i) {
            wchar_t text[2048] = {};
            if (LOWORD(SendMessageW(bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(i), 0)) < 2048)
                SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            std::wstring panel(text);
            while (!panel.empty() && panel[0] == L'\t') panel.erase(0, 1);  // alignment tabs
            out += (first ? "" : ",") + Json(panel);
            first = false;
        }
    }
    return out + "]}";
}

// ---- page control and tree views ----

std::wstring TabCaption(HWND tabs, int index) {
    wchar_t text[256] = {};
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 255;
    if (!SendMessageW(tabs, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item))) return L"";
    return text;
}

// The sheets' stacking order says nothing about their tab order (the shown one may be anywhere),
// so a page is found by its tab's caption, which the sheet window carries as its text.
HWND TreeOnPage(HWND main, int page) {
    HWND tabs = FirstOfClass(main, "TPageControl");
    if (tabs == nullptr) return nullptr;
    std::wstring caption = TabCaption(tabs, page);
    if (caption.empty()) return nullptr;
    for (HWND sheet : Descendants(tabs))
        if (GetParent(sheet) == tabs && ClassOf(sheet) == "TTabSheet" && WindowText(sheet) == caption)
            return FirstOfClass(sheet, "TTreeView");
    return nullptr;
}

struct TreeNodeInfo {
    HTREEITEM item;
    std::wstring text;
    int depth;
    bool expanded;
};

HTREEITEM NextItem(HWND tree, UINT relation, HTREEITEM item) {
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

TreeNodeInfo ReadNode(HWND tree, HTREEITEM item, int depth) {
    wchar_t text[1024] = {};
    TVITEMW query = {};
    query.mask = TVIF_TEXT | TVIF_STATE | TVIF_HANDLE;
    query.hItem = item;
    query.stateMask = TVIS_EXPANDED;
    query.pszText = text;
    query.cchTextMax = 1023;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
    return TreeNodeInfo{item, text, depth, (query.state & TVIS_EXPANDED) != 0};
}

std::vector<TreeNodeInfo> TreeNodes(HWND tree) {
    std::vector<TreeNodeInfo> nodes;
    std::vector<std::pair<HTREEITEM, int>> stack;
    auto push_siblings = [&](HTREEITEM first, int depth) {
        std::vector<HTREEITEM> level;
        for (HTREEITEM item = first; item != nullptr; item = NextItem(tree, TVGN_NEXT, item)) level.push_back(item);
        for (auto it = level.rbegin(); it != level.rend(); ++it) stack.emplace_back(*it, depth);
    };
    push_siblings(NextItem(tree, TVGN_ROOT, nullptr), 0);
    while (!stack.empty()) {
        auto [item, depth] = stack.back();
        stack.pop_back();
        nodes.push_back(ReadNode(tree, item, depth));
        push_siblings(NextItem(tree, TVGN_CHILD, item), depth + 1);
    }
    return nodes;
}

std::string Tree(HWND main, int page) {
    HWND tree = TreeOnPage(main, page);
    std::string out = "{\"nodes\":[";
    bool first = true;
    for (const TreeNodeInfo& node : tree != nullptr ? TreeNodes(tree) : std::vector<TreeNodeInfo>{}) {
        out += std::string(first ? "" : ",") + "{\"text\":" + Json(node.text) + ",\"depth\":" +
               std::to_string(node.depth) + ",\"expanded\":" + (node.expanded ? "true" : "false") + "}";
        first = false;
    }
    bool visible = tree != nullptr && IsWindowVisible(tree);
    return out + "],\"visible\":" + (visible ? "true" : "false") + "}";
}

RECT ToScreen(HWND window, RECT r) {
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string TreeItem(HWND main, int page, int index) {
    HWND tree = TreeOnPage(main, page);
    std::vector<TreeNodeInfo> nodes = tree != nullptr ? TreeNodes(tree) : std::vector<TreeNodeInfo>{};
    if (index < 0 || index >= static_cast<int>(nodes.size())) return "{\"found\":false}";
    HTREEITEM item = nodes[static_cast<size_t>(index)].item;
    // Opens the node's parents, as a user would before clicking it. Selecting is left to the click:
    // a selection made here would run the tree's own reactions to it (auto expand) ahead of time.
    SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    RECT rect = {};
    std::memcpy(&rect, &item, sizeof item);  // the message takes the item in the RECT's first bytes
    if (!SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect))) return "{\"found\":false}";
    return "{\"found\":true,\"rect\":" + ui::JsonRect(ToScreen(tree, rect)) + "}";
}

std::string Tab(HWND main, int index) {
    HWND tabs = FirstOfClass(main, "TPageControl");
    RECT rect = {};
    if (tabs == nullptr || !SendMessageW(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect)))
        return "{\"found\":false}";
    return "{\"found\":true,\"rect\":" + ui::JsonRect(ToScreen(tabs, rect)) + "}";
}

// ---- requests ----

std::vector<std::wstring> Words(const wchar_t* request) {
    std::vector<std::wstring> words;
    std::wstring word;
    for (const wchar_t* c = request; *c != 0; ++c) {
        if (*c == L'\n') {
            words.push_back(word);
            word.clear();
        } else {
            word += *c;
        }
    }
    words.push_back(word);
    return words;
}

std::string Answer(HWND main, const std::vector<std::wstring>& a) {
    auto number = [&](size_t i) { return i < a.size() ? _wtoi(a[i].c_str()) : -1; };
    const std::wstring& command = a[0];
    if (command == L"menu") return Menu(main);
    if (command == L"command" && a.size() >= 3) return Command(main, number(1), number(2));
    if (command == L"status") return Status(main);
    if (command == L"tree" && a.size() >= 2) return Tree(main, number(1));
    if (command == L"treeitem" && a.size() >= 3) return TreeItem(main, number(1), number(2));
    if (command == L"tab" && a.size() >= 2) return Tab(main, number(1));
    return "{\"error\":\"unknown probe request\"}";
}

void Serve(HWND window, DWORD askerId) {
    HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, ui::ProbeBlockName(askerId).c_str());
    if (mapping == nullptr) return;
    auto* block = static_cast<ui::ProbeBlock*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(ui::ProbeBlock)));
    if (block != nullptr) {
        block->request[sizeof block->request / sizeof(wchar_t) - 1] = 0;
        std::string answer = Answer(window, Words(block->request));
        if (answer.size() >= sizeof block->answer) answer = "{\"error\":\"answer too long\"}";
        std::memcpy(block->answer, answer.c_str(), answer.size() + 1);
        UnmapViewOfFile(block);
    }
    CloseHandle(mapping);
}
}  // namespace

// Exported by name through uiprobe.def.
extern "C" LRESULT CALLBACK ProbeHook(int code, WPARAM wParam, LPARAM lParam) {
    static const UINT probe = RegisterWindowMessageW(ui::kProbeMessage);
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call != nullptr && call->message == probe) {
        try {
            Serve(call->hwnd, static_cast<DWORD>(call->wParam));
        } catch (...) {
            // Nothing may unwind into the player's window procedure; uiquery sees no answer.
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

#include "open_dialog.h"

#include <windows.h>
#include <commdlg.h>

#include <vector>

#include "application.h"

namespace tk {

TK_CLASS_INFO(TOpenDialog, TComponent)

bool TOpenDialog::Execute() {
    std::wstring filter = filter_;
    for (auto& c : filter)
        if (c == L'|') c = L'\0';
    filter.append(2, L'\0');
    std::vector<wchar_t> file(32768, L'\0');
    fileName_.copy(file.data(), std::min(fileName_.size(), file.size() - 1));
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = Application != nullptr ? Application->DialogOwner() : nullptr;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(filterIndex_);
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY;
    if (!GetOpenFileNameW(&ofn)) return false;
    fileName_ = file.data();
    filterIndex_ = static_cast<int>(ofn.nFilterIndex);
    return true;
}

}  // namespace tk

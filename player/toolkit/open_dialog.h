// The file-open dialog (GetOpenFileNameW). Filter is "description|pattern|..." text.
#pragma once

#include <string>

#include "component.h"

namespace tk {

class TOpenDialog : public TComponent {
    TK_CLASS(TOpenDialog)
public:
    explicit TOpenDialog(TComponent* owner) : TComponent(owner) {}
    std::wstring Filter() const { return filter_; }
    void SetFilter(const std::wstring& v) { filter_ = v; }
    int FilterIndex() const { return filterIndex_; }
    void SetFilterIndex(int v) { filterIndex_ = v; }
    std::wstring FileName() const { return fileName_; }
    void SetFileName(const std::wstring& v) { fileName_ = v; }
    bool Execute();  // true when the viewer chose a file

private:
    std::wstring filter_;
    int filterIndex_ = 1;
    std::wstring fileName_;
};

}  // namespace tk

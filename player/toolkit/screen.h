// The screen object: the forms in creation order, the active form, the desktop metrics and
// the system's menu font.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "form.h"

namespace tk {

class TScreen : public TComponent {
    TK_CLASS(TScreen)
public:
    TScreen() : TComponent(nullptr) {}
    int FormCount() const { return static_cast<int>(forms_.size()); }
    TCustomForm* Forms(int index) const { return forms_.at(static_cast<size_t>(index)); }
    TCustomForm* ActiveForm() const;
    int Width() const { return GetSystemMetrics(SM_CXSCREEN); }
    int Height() const { return GetSystemMetrics(SM_CYSCREEN); }
    RECT WorkAreaRect() const;
    // The font menus are drawn with (the non-client metrics' menu font), read on first use.
    TFont& MenuFont();
    void AddForm(TCustomForm* form) { forms_.push_back(form); }
    void RemoveForm(TCustomForm* form);

private:
    std::vector<TCustomForm*> forms_;
    std::unique_ptr<TFont> menuFont_;
};

extern TScreen* Screen;

}  // namespace tk

// The screen object: the forms in creation order, the active form and the desktop metrics.
#pragma once

#include <windows.h>

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
    void AddForm(TCustomForm* form) { forms_.push_back(form); }
    void RemoveForm(TCustomForm* form);

private:
    std::vector<TCustomForm*> forms_;
};

extern TScreen* Screen;

}  // namespace tk

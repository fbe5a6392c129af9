#include "screen.h"

#include <algorithm>

namespace tk {

TScreen* Screen = new TScreen();  // never freed, like the application object

TK_CLASS_INFO(TScreen, TComponent)

TCustomForm* TScreen::ActiveForm() const {
    HWND active = GetActiveWindow();
    for (TCustomForm* form : forms_)
        if (form->HandleAllocated() && form->Handle() == active) return form;
    return nullptr;
}

RECT TScreen::WorkAreaRect() const {
    RECT r{0, 0, Width(), Height()};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
    return r;
}

TFont& TScreen::MenuFont() {
    if (menuFont_ == nullptr) {
        menuFont_ = std::make_unique<TFont>();
        NONCLIENTMETRICSW metrics = {};
        metrics.cbSize = sizeof metrics;
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
            menuFont_->SetLogFont(metrics.lfMenuFont);
    }
    return *menuFont_;
}

void TScreen::RemoveForm(TCustomForm* form) { forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end()); }

}  // namespace tk

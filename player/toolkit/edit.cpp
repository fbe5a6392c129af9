#include "edit.h"

#include "published_properties.h"

namespace tk {

TK_CLASS_INFO(TCustomEdit, TWinControl)
TK_CLASS_INFO(TEdit, TCustomEdit, {
    PublishString<Self>(c, L"Text", &Self::Text, &Self::SetText);
})

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 121, 21);
    SetTabStop(true);
    SetColor(clWindow);
}

void TCustomEdit::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.SystemClass = "Edit";
    params.Style &= ~WS_CLIPCHILDREN;
    params.Style |= ES_AUTOHSCROLL | (readOnly_ ? ES_READONLY : 0);
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

std::wstring TCustomEdit::Text() const {
    if (!HandleAllocated()) return Caption();
    HWND window = const_cast<TCustomEdit*>(this)->Handle();
    int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    length = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(length > 0 ? length : 0));
    return text;
}

void TCustomEdit::SetText(const std::wstring& text) {
    if (HandleAllocated()) {
        StoreCaption(text);
        SetWindowTextW(Handle(), text.c_str());  // EN_CHANGE follows and runs Change
        return;
    }
    bool changed = text != Caption();
    TControl::SetCaption(text);
    if (changed) Change();
}

void TCustomEdit::SetReadOnly(bool v) {
    readOnly_ = v;
    if (HandleAllocated()) SendMessageW(Handle(), EM_SETREADONLY, v ? TRUE : FALSE, 0);
}

void TCustomEdit::Change() {
    if (OnChange) OnChange(this);
}

void TCustomEdit::Dispatch(TMessage& message) {
    if (message.Msg == CN_COMMAND && HIWORD(message.WParam) == EN_CHANGE) {
        Change();
        message.Result = 0;
        return;
    }
    TWinControl::Dispatch(message);
}

}  // namespace tk

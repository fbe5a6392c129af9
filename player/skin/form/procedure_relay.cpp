#include "procedure_relay.h"

#include "form.h"
#include "object_instance.h"
#include "win_skin_form.h"

namespace skin {

ProcedureRelay* ProcedureRelay::Install(TWinSkinForm* skinner, HWND window, bool unicode) {
    auto* relay = new ProcedureRelay(skinner, window, unicode);
    relay->instance_ = tk::MakeObjectInstance(relay, &ProcedureRelay::WindowEntry);
    if (relay->instance_ == nullptr) {
        delete relay;
        return nullptr;
    }
    const auto proc = reinterpret_cast<LONG_PTR>(relay->instance_);
    relay->oldWndProc_ = reinterpret_cast<WNDPROC>(unicode ? SetWindowLongPtrW(window, GWLP_WNDPROC, proc)
                                                           : SetWindowLongPtrA(window, GWLP_WNDPROC, proc));
    relay->windowInChain_ = true;
    return relay;
}

ProcedureRelay::~ProcedureRelay() {
    if (instance_ != nullptr) tk::FreeObjectInstance(instance_);
}

tk::TWndMethod ProcedureRelay::FormMethod() {
    tk::TWndMethod method;
    method.Data = this;
    method.Code = &ProcedureRelay::FormEntry;
    return method;
}

void ProcedureRelay::HookForm(tk::TCustomForm* form) {
    form_ = form;
    oldFormProc_ = form->WindowProc();
    form->SetWindowProc(FormMethod());
    formInChain_ = true;
}

void ProcedureRelay::Release() {
    skinner_ = nullptr;
    if (windowInChain_) {
        const LONG_PTR current = unicode_ ? GetWindowLongPtrW(window_, GWLP_WNDPROC)
                                          : GetWindowLongPtrA(window_, GWLP_WNDPROC);
        if (current == reinterpret_cast<LONG_PTR>(instance_)) {
            const auto old = reinterpret_cast<LONG_PTR>(oldWndProc_);
            if (unicode_) SetWindowLongPtrW(window_, GWLP_WNDPROC, old);
            else SetWindowLongPtrA(window_, GWLP_WNDPROC, old);
            windowInChain_ = false;
        } else if (!IsWindow(window_)) {
            windowInChain_ = false;
        }
    }
    if (formInChain_ && form_->WindowProc() == FormMethod()) {
        form_->SetWindowProc(oldFormProc_);
        formInChain_ = false;
    }
    form_ = nullptr;
    if (!windowInChain_ && !formInChain_) delete this;
}

LRESULT __stdcall ProcedureRelay::WindowEntry(void* self, HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    auto* relay = static_cast<ProcedureRelay*>(self);
    if (relay->skinner_ != nullptr) {
        // The skinner may release (and so free) the relay while it handles the message.
        tk::TMessage message{msg, wparam, lparam, 0};
        relay->skinner_->SkinWndProc(message);
        return message.Result;
    }
    const WNDPROC old = relay->oldWndProc_;
    const LRESULT result = CallWindowProcA(old, window, msg, wparam, lparam);
    if (msg == WM_NCDESTROY) {
        // Nobody calls this window's procedures any more. The stub only jumped here, so it
        // is not on the stack and can go.
        relay->windowInChain_ = false;
        if (!relay->formInChain_) delete relay;
    }
    return result;
}

void ProcedureRelay::FormEntry(void* self, tk::TMessage& message) {
    auto* relay = static_cast<ProcedureRelay*>(self);
    if (relay->skinner_ != nullptr) relay->skinner_->FormWindowProc(message);
    else relay->oldFormProc_(message);
}

}  // namespace skin

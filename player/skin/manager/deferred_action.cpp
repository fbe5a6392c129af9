// The skin data component's requests, carried out from the timer: skin, unskin or refresh the
// forms of one component (sfOnlyThisForm) or of the whole program.
#include <algorithm>
#include <vector>

#include "form.h"
#include "screen.h"
#include "skin_data.h"
#include "skin_manage.h"
#include "timer.h"

namespace skin {
namespace {

std::vector<tk::TCustomForm*> ScreenForms() {
    std::vector<tk::TCustomForm*> forms;
    for (int i = 0; tk::Screen != nullptr && i < tk::Screen->FormCount(); ++i) forms.push_back(tk::Screen->Forms(i));
    return forms;
}

bool StillOnScreen(tk::TCustomForm* form) {
    for (int i = 0; tk::Screen != nullptr && i < tk::Screen->FormCount(); ++i)
        if (tk::Screen->Forms(i) == form) return true;
    return false;
}

void RepaintNow(HWND window) {
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
}

}  // namespace

void TSkinManage::DoDeferredAction() {
    timer_->SetEnabled(false);
    TSkinData* data = pending_;
    if (data == nullptr) return;
    if (data->SkinFormtype() == TSkinFormType::sfOnlyThisForm)
        DeferredForOneForm(data);
    else
        DeferredForAllForms(data);
    // The walk may have freed the component (UnregisterSkinData clears pending_ then).
    if (pending_ != data) return;
    data->NotifySkinChanged();
    pending_ = nullptr;
}

void TSkinManage::UnskinAndDrop(IFormSkinner* skinner) {
    const HWND window = skinner->WindowHandle();
    skinner->Unskin();
    if (!Listed(skinner)) return;  // unskinning freed its own form, and the skinner with it
    Drop(skinner);
    if (IsWindow(window)) RepaintNow(window);
}

void TSkinManage::DeferredForOneForm(TSkinData* data) {
    switch (request_) {
    case SkinAction::Skin: {
        skinning_ = true;
        skinningAll_ = true;
        const std::vector<tk::TCustomForm*> forms = ScreenForms();
        for (auto it = forms.rbegin(); it != forms.rend(); ++it)
            if (*it == data->Owner() && StillOnScreen(*it)) {
                SkinFormIfVisible(*it);
                break;
            }
        skinningAll_ = false;
        break;
    }
    case SkinAction::Unskin: {
        skinning_ = false;
        PurgeDeadSkinners();
        auto last = std::find_if(formSkinners_.rbegin(), formSkinners_.rend(),
                                 [data](IFormSkinner* s) { return s->SkinData() == data; });
        if (last != formSkinners_.rend()) UnskinAndDrop(*last);
        break;
    }
    case SkinAction::Refresh:
        PurgeDeadSkinners();
        RefreshSkinners(data, true);
        break;
    }
}

void TSkinManage::DeferredForAllForms(TSkinData* data) {
    switch (request_) {
    case SkinAction::Skin: {
        skinning_ = true;
        skinningAll_ = true;
        PurgeDeadSkinners();
        const std::vector<tk::TCustomForm*> forms = ScreenForms();
        for (auto it = forms.rbegin(); it != forms.rend(); ++it)
            if (StillOnScreen(*it)) SkinFormIfVisible(*it);
        skinningAll_ = false;
        break;
    }
    case SkinAction::Unskin:
        skinning_ = false;
        PurgeDeadSkinners();
        // The list is read again each time round: unskinning a window may free other skinners.
        while (!formSkinners_.empty()) UnskinAndDrop(formSkinners_.front());
        break;
    case SkinAction::Refresh:
        PurgeDeadSkinners();
        RefreshSkinners(data, false);
        break;
    }
}

// Borders of all first, then colours of all: a colour pass may resize windows and so read the
// borders of others. Recolouring can activate new windows, which the hook lists meanwhile; the
// walk keeps to the skinners it started with that are still listed.
void TSkinManage::RefreshSkinners(TSkinData* data, bool firstOnly) {
    std::vector<IFormSkinner*> chosen;
    for (IFormSkinner* skinner : formSkinners_)
        if (skinner->SkinData() == data) {
            chosen.push_back(skinner);
            if (firstOnly) break;
        }
    for (IFormSkinner* skinner : chosen)
        if (Listed(skinner)) skinner->ComputeBorders();
    for (IFormSkinner* skinner : chosen)
        if (Listed(skinner)) skinner->Recolor();
}

}  // namespace skin

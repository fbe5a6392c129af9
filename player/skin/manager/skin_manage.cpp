#include "skin_manage.h"

#include <algorithm>

#include "hook_owner.h"
#include "skin_data.h"
#include "timer.h"

namespace skin {

TSkinManage::TSkinManage(FormSkinnerFactory factory)
    : factory_(std::move(factory)), timer_(std::make_unique<tk::TTimer>(nullptr)) {
    timer_->SetEnabled(false);  // a request starts it, and only once a window was activated
    timer_->SetInterval(kTimerIntervalMs);
    timer_->OnTimer = [this](tk::TObject*) { DoDeferredAction(); };
}

TSkinManage::~TSkinManage() {
    state_ = kDestroying;
    skinning_ = false;
    timer_.reset();
    // Last made first. Each skinner leaves the list before it is let go, so whatever its
    // unskinning does to other windows never meets it again.
    while (!formSkinners_.empty()) {
        IFormSkinner* skinner = formSkinners_.back();
        formSkinners_.pop_back();
        skinner->UnskinForDestroy();
        delete skinner;
    }
    // A menu window that outlives its skinner must not keep a procedure inside freed memory.
    for (auto& popup : popupSkinners_)
        if (IsWindow(popup->Window())) popup->Detach();
    popupSkinners_.clear();
    skinDatas_.clear();
    if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
    if (HookOwner() == this) SetHookOwner(nullptr);
}

void TSkinManage::RegisterSkinData(TSkinData* data) {
    if (std::find(skinDatas_.begin(), skinDatas_.end(), data) != skinDatas_.end()) return;
    skinDatas_.push_back(data);
    if (main_ == nullptr && data->SkinFormtype() == TSkinFormType::sfMainform) main_ = data;
}

void TSkinManage::UnregisterSkinData(TSkinData* data) {
    skinDatas_.erase(std::remove(skinDatas_.begin(), skinDatas_.end(), data), skinDatas_.end());
    // The component is going away: nothing may keep pointing at it.
    if (pending_ == data) {
        pending_ = nullptr;
        if (timer_) timer_->SetEnabled(false);
    }
    if (main_ != data) return;
    main_ = nullptr;
    for (TSkinData* other : skinDatas_)
        if (other->SkinFormtype() == TSkinFormType::sfMainform) {
            main_ = other;
            break;
        }
}

void TSkinManage::InstallHook() {
    if (hook_ != nullptr) return;  // a second main component must not hook the thread twice
    systemVersion_ = GetVersion();
    SetHookOwner(this);
    hook_ = SetWindowsHookExA(WH_CBT, CBTHookProc, nullptr, GetCurrentThreadId());
}

void TSkinManage::RequestAction(SkinAction action, int delayMs) {
    request_ = action;
    timer_->SetInterval(static_cast<unsigned>(delayMs));
    if (state_ != kNoActivationYet) {
        timer_->SetEnabled(true);
        return;
    }
    // Nothing is on screen yet: the first activation skins with the state set here.
    if (action == SkinAction::Skin) skinning_ = true;
    if (action == SkinAction::Unskin) skinning_ = false;
}

bool TSkinManage::TimerEnabled() const { return timer_ && timer_->Enabled(); }

void TSkinManage::RefreshFormsOfSkinData(TSkinData* data) {
    const std::vector<IFormSkinner*> snapshot = formSkinners_;
    for (IFormSkinner* skinner : snapshot)
        if (Listed(skinner) && skinner->SkinData() == data) skinner->FreeCaptionButtons();
}

IFormSkinner* TSkinManage::FindFormSkinner(HWND window) const {
    for (IFormSkinner* skinner : formSkinners_)
        if (skinner->WindowHandle() == window) return skinner;
    return nullptr;
}

void TSkinManage::ForgetForm(IFormSkinner* skinner) {
    if (state_ == kDestroying) return;
    formSkinners_.erase(std::remove(formSkinners_.begin(), formSkinners_.end(), skinner), formSkinners_.end());
}

bool TSkinManage::Listed(IFormSkinner* skinner) const {
    return std::find(formSkinners_.begin(), formSkinners_.end(), skinner) != formSkinners_.end();
}

void TSkinManage::Drop(IFormSkinner* skinner) {
    ForgetForm(skinner);
    delete skinner;
}

void TSkinManage::PurgeDeadSkinners() {
    if (state_ == kDestroying) return;
    const std::vector<IFormSkinner*> snapshot = formSkinners_;
    for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it)
        if (Listed(*it) && (*it)->SkinState() == ssDestroyed && (*it)->ManagerTag() == managerTag_) Drop(*it);
}

}  // namespace skin

#include "page_control.h"

#include <commctrl.h>

#include <algorithm>

#include "published_properties.h"

namespace tk {

TK_CLASS_INFO(TTabSheet, TWinControl, {
    PublishString<Self>(c, L"Caption", &Self::Caption, &Self::SetCaption);
})
TK_CLASS_INFO(TCustomTabControl, TWinControl)
TK_CLASS_INFO(TPageControl, TCustomTabControl, {
    PublishEnum<Self, TTabPosition>(c, L"TabPosition", {L"tpTop", L"tpBottom", L"tpLeft", L"tpRight"},
                                    &Self::TabPosition, &Self::SetTabPosition);
    PublishEnum<Self, TTabStyle>(c, L"Style", {L"tsTabs", L"tsButtons", L"tsFlatButtons"}, &Self::Style,
                                 &Self::SetStyle);
})

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) { SetVisible(false); }

TTabSheet::~TTabSheet() {
    BeginDestroy();
    if (pageControl_ != nullptr) pageControl_->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* pageControl) {
    if (pageControl == pageControl_) return;
    if (pageControl_ != nullptr) pageControl_->RemovePage(this);
    if (pageControl != nullptr) pageControl->InsertPage(this);
}

int TTabSheet::PageIndex() const {
    if (pageControl_ == nullptr) return -1;
    auto& pages = pageControl_->pages_;
    return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::TextChanged() {
    TWinControl::TextChanged();
    if (pageControl_ != nullptr) pageControl_->UpdateTab(this);
}

TPageControl::TPageControl(TComponent* owner) : TCustomTabControl(owner) {
    SetBounds(0, 0, 289, 193);
    SetTabStop(true);
}

TPageControl::~TPageControl() {
    BeginDestroy();
    for (TTabSheet* page : pages_) page->pageControl_ = nullptr;
    pages_.clear();
}

void TPageControl::CreateParams(TCreateParams& params) {
    TCustomTabControl::CreateParams(params);
    params.SystemClass = WC_TABCONTROLA;
    params.Style |= WS_CLIPCHILDREN;
    switch (tabPosition_) {
    case TTabPosition::tpBottom: params.Style |= TCS_BOTTOM; break;
    case TTabPosition::tpLeft: params.Style |= TCS_VERTICAL | TCS_MULTILINE; break;
    case TTabPosition::tpRight: params.Style |= TCS_VERTICAL | TCS_RIGHT | TCS_MULTILINE; break;
    default: break;
    }
    if (style_ == TTabStyle::tsButtons) params.Style |= TCS_BUTTONS;
    if (style_ == TTabStyle::tsFlatButtons) params.Style |= TCS_BUTTONS | TCS_FLATBUTTONS;
}

void TPageControl::InsertTab(TTabSheet* page, int index) {
    std::wstring caption = page->Caption();
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(caption.c_str());
    SendMessageW(Handle(), TCM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

void TPageControl::AfterCreateHandle() {
    for (size_t i = 0; i < pages_.size(); ++i) InsertTab(pages_[i], static_cast<int>(i));
    ShowActive();
}

void TPageControl::InsertPage(TTabSheet* page) {
    pages_.push_back(page);
    page->pageControl_ = this;
    page->SetParent(this);
    if (HandleAllocated()) InsertTab(page, PageCount() - 1);
    if (activePage_ == nullptr) activePage_ = page;
    ShowActive();
}

void TPageControl::RemovePage(TTabSheet* page) {
    int index = page->PageIndex();
    if (index < 0) return;
    pages_.erase(pages_.begin() + index);
    page->pageControl_ = nullptr;
    if (HandleAllocated()) SendMessageW(Handle(), TCM_DELETEITEM, static_cast<WPARAM>(index), 0);
    if (activePage_ == page) activePage_ = pages_.empty() ? nullptr : pages_[std::min<size_t>(index, pages_.size() - 1)];
    if (!Destroying()) ShowActive();
}

void TPageControl::UpdateTab(TTabSheet* page) {
    if (!HandleAllocated()) return;
    std::wstring caption = page->Caption();
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(caption.c_str());
    SendMessageW(Handle(), TCM_SETITEMW, static_cast<WPARAM>(page->PageIndex()), reinterpret_cast<LPARAM>(&item));
}

void TPageControl::SetActivePage(TTabSheet* page) {
    if (page != nullptr && page->pageControl_ != this) return;
    activePage_ = page;
    ShowActive();
    if (OnChange) OnChange(this);
}

void TPageControl::ShowActive() {
    if (HandleAllocated() && activePage_ != nullptr)
        SendMessageW(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(activePage_->PageIndex()), 0);
    Realign();
    if (activePage_ != nullptr) activePage_->SetVisible(true);
    for (TTabSheet* page : pages_)
        if (page != activePage_) page->SetVisible(false);
    if (activePage_ != nullptr && activePage_->HandleAllocated()) activePage_->BringToFront();
}

RECT TPageControl::AlignRect() {
    RECT r = ClientRect();
    if (HandleAllocated()) {
        SendMessageW(Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    } else {
        r.top += 24;  // an estimate until the window can tell
        InflateRect(&r, -4, -4);
    }
    return r;
}

void TPageControl::Realign() {
    TCustomTabControl::Realign();
    RECT r = AlignRect();
    for (TTabSheet* page : pages_) page->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TPageControl::Dispatch(TMessage& message) {
    if (message.Msg == CN_NOTIFY) {
        if (message.LParam < 0x10000) return;
        auto* header = reinterpret_cast<NMHDR*>(message.LParam);
        if (header->hwndFrom != Handle()) return;
        if (header->code == TCN_SELCHANGE) {
            int index = static_cast<int>(SendMessageW(Handle(), TCM_GETCURSEL, 0, 0));
            if (index >= 0 && index < PageCount()) SetActivePage(pages_[static_cast<size_t>(index)]);
        }
        message.Result = 0;
        return;
    }
    TCustomTabControl::Dispatch(message);
}

}  // namespace tk

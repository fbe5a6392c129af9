// Page controls: "TPageControl" superclasses SysTabControl32; its pages are "TTabSheet" child
// windows placed over the display rectangle, only the active one visible. Freeing a page
// removes its tab.
#pragma once

#include <vector>

#include "win_control.h"

namespace tk {

class TPageControl;

class TTabSheet : public TWinControl {
    TK_CLASS(TTabSheet)
public:
    explicit TTabSheet(TComponent* owner);
    ~TTabSheet() override;
    TPageControl* PageControl() const { return pageControl_; }
    void SetPageControl(TPageControl* pageControl);
    int PageIndex() const;

protected:
    void TextChanged() override;

private:
    friend class TPageControl;
    TPageControl* pageControl_ = nullptr;
};

enum class TTabPosition { tpTop, tpBottom, tpLeft, tpRight };
enum class TTabStyle { tsTabs, tsButtons, tsFlatButtons };

class TCustomTabControl : public TWinControl {
    TK_CLASS(TCustomTabControl)
public:
    explicit TCustomTabControl(TComponent* owner) : TWinControl(owner) {}
};

class TPageControl : public TCustomTabControl {
    TK_CLASS(TPageControl)
public:
    explicit TPageControl(TComponent* owner);
    ~TPageControl() override;
    int PageCount() const { return static_cast<int>(pages_.size()); }
    TTabSheet* Pages(int index) const { return pages_.at(static_cast<size_t>(index)); }
    TTabSheet* ActivePage() const { return activePage_; }
    void SetActivePage(TTabSheet* page);
    TTabPosition TabPosition() const { return tabPosition_; }
    void SetTabPosition(TTabPosition v) { tabPosition_ = v; }
    TTabStyle Style() const { return style_; }
    void SetStyle(TTabStyle v) { style_ = v; }
    TNotifyEvent OnChange;

    void Realign() override;

protected:
    void CreateParams(TCreateParams& params) override;
    void AfterCreateHandle() override;
    void Dispatch(TMessage& message) override;
    RECT AlignRect() override;

private:
    friend class TTabSheet;
    void InsertPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);
    void UpdateTab(TTabSheet* page);
    void InsertTab(TTabSheet* page, int index);
    void ShowActive();

    std::vector<TTabSheet*> pages_;
    TTabSheet* activePage_ = nullptr;
    TTabPosition tabPosition_ = TTabPosition::tpTop;
    TTabStyle style_ = TTabStyle::tsTabs;
};

}  // namespace tk

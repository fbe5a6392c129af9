#include "status_bar.h"

#include <commctrl.h>

#include <vector>

#include "form.h"
#include "published_properties.h"

namespace tk {

TK_CLASS_INFO(TStatusPanel, TCollectionItem, {
    PublishString<Self>(c, L"Text", &Self::Text, &Self::SetText);
    PublishInteger<Self>(c, L"Width", &Self::Width, &Self::SetWidth);
    PublishEnum<Self, TAlignment>(c, L"Alignment", {L"taLeftJustify", L"taRightJustify", L"taCenter"},
                                  &Self::Alignment, &Self::SetAlignment);
    PublishEnum<Self, TStatusPanelBevel>(c, L"Bevel", {L"pbNone", L"pbLowered", L"pbRaised"}, &Self::Bevel,
                                         &Self::SetBevel);
    PublishEnum<Self, TStatusPanelStyle>(c, L"Style", {L"psText", L"psOwnerDraw"}, &Self::Style, &Self::SetStyle);
})
TK_CLASS_INFO(TStatusPanels, TCollection)
TK_CLASS_INFO(TStatusBar, TWinControl, {
    PublishString<Self>(c, L"SimpleText", &Self::SimpleText, &Self::SetSimpleText, PropKind::WideString);
    PublishObject<Self, TFont>(c, L"Font", &Self::Font);
    PublishObject<Self, TStatusPanels>(c, L"Panels", &Self::PanelsObject);
})

void TStatusPanel::SetText(const std::wstring& v) {
    if (v == text_) return;
    text_ = v;
    Changed();
}

void TStatusPanel::SetWidth(int v) {
    width_ = v;
    Changed();
}

void TStatusPanel::SetAlignment(TAlignment v) {
    alignment_ = v;
    Changed();
}

void TStatusPanel::SetBevel(TStatusPanelBevel v) {
    bevel_ = v;
    Changed();
}

void TStatusPanel::SetStyle(TStatusPanelStyle v) {
    style_ = v;
    Changed();
}

TStatusBar::TStatusBar(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 200, 19);
    SetAlign(TAlign::alBottom);
    panels_.OnChanged = [this] { UpdatePanels(); };
}

void TStatusBar::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.SystemClass = STATUSCLASSNAMEA;
    params.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE;
    TCustomForm* form = GetParentForm(this);
    if (sizeGrip_ && form != nullptr && form->BorderStyle() == TFormBorderStyle::bsSizeable) params.Style |= SBARS_SIZEGRIP;
}

void TStatusBar::AfterCreateHandle() { UpdatePanels(); }

void TStatusBar::SetSimplePanel(bool v) {
    simplePanel_ = v;
    UpdatePanels();
}

void TStatusBar::SetSimpleText(const std::wstring& v) {
    simpleText_ = v;
    if (HandleAllocated() && simplePanel_)
        SendMessageW(Handle(), SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(simpleText_.c_str()));
}

void TStatusBar::UpdatePanels() {
    if (!HandleAllocated()) return;
    HWND window = Handle();
    SendMessageW(window, SB_SIMPLE, simplePanel_ ? TRUE : FALSE, 0);
    if (simplePanel_) {
        SendMessageW(window, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(simpleText_.c_str()));
        return;
    }
    int count = panels_.Count();
    std::vector<int> edges(static_cast<size_t>(count > 0 ? count : 1), -1);
    int position = 0;
    for (int i = 0; i < count; ++i) {
        position += panels_[i]->Width();
        edges[static_cast<size_t>(i)] = i == count - 1 ? -1 : position;
    }
    SendMessageW(window, SB_SETPARTS, static_cast<WPARAM>(count > 0 ? count : 1), reinterpret_cast<LPARAM>(edges.data()));
    for (int i = 0; i < count; ++i) {
        TStatusPanel* panel = panels_[i];
        // A leading tab centres the text, two right-align it.
        std::wstring text = panel->Alignment() == TAlignment::taCenter       ? L"\t" + panel->Text()
                          : panel->Alignment() == TAlignment::taRightJustify ? L"\t\t" + panel->Text()
                                                                             : panel->Text();
        WPARAM style = panel->Bevel() == TStatusPanelBevel::pbNone ? SBT_NOBORDERS
                     : panel->Bevel() == TStatusPanelBevel::pbRaised ? SBT_POPOUT : 0;
        if (panel->Style() == TStatusPanelStyle::psOwnerDraw) style |= SBT_OWNERDRAW;
        SendMessageW(window, SB_SETTEXTW, static_cast<WPARAM>(i) | style, reinterpret_cast<LPARAM>(text.c_str()));
    }
}

void TStatusBar::Dispatch(TMessage& message) {
    if (message.Msg == CN_DRAWITEM && message.LParam != 0 && OnDrawPanel) {
        auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam);
        if (draw->itemID < static_cast<UINT>(panels_.Count())) OnDrawPanel(this, panels_[static_cast<int>(draw->itemID)], draw->rcItem);
        message.Result = 1;
        return;
    }
    TWinControl::Dispatch(message);
}

}  // namespace tk

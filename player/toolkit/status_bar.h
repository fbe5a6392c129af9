// The status bar: "TStatusBar" superclasses msctls_statusbar32 and is aligned by the layer
// (CCS_NOPARENTALIGN | CCS_NORESIZE). Panel texts are kept by the layer and mirrored into the
// window with SB_SETTEXTW; WM_GETTEXT of the window gives panel 0's text.
#pragma once

#include <functional>

#include "collection.h"
#include "win_control.h"

namespace tk {

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TStatusPanelBevel { pbNone, pbLowered, pbRaised };
enum class TStatusPanelStyle { psText, psOwnerDraw };

class TStatusBar;

class TStatusPanel : public TCollectionItem {
    TK_CLASS(TStatusPanel)
public:
    explicit TStatusPanel(TCollection* collection) : TCollectionItem(collection) {}
    std::wstring Text() const { return text_; }
    void SetText(const std::wstring& v);
    int Width() const { return width_; }
    void SetWidth(int v);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment v);
    TStatusPanelBevel Bevel() const { return bevel_; }
    void SetBevel(TStatusPanelBevel v);
    TStatusPanelStyle Style() const { return style_; }
    void SetStyle(TStatusPanelStyle v);

private:
    std::wstring text_;
    int width_ = 50;
    TAlignment alignment_ = TAlignment::taLeftJustify;
    TStatusPanelBevel bevel_ = TStatusPanelBevel::pbLowered;
    TStatusPanelStyle style_ = TStatusPanelStyle::psText;
};

class TStatusPanels : public TCollection {
    TK_CLASS(TStatusPanels)
public:
    TStatusPanel* Add() { return AddItem<TStatusPanel>(); }
    TStatusPanel* Items(int index) const { return static_cast<TStatusPanel*>(ItemAt(index)); }
    TStatusPanel* operator[](int index) const { return Items(index); }
};

using TDrawPanelEvent = std::function<void(TStatusBar* bar, TStatusPanel* panel, RECT rect)>;

class TStatusBar : public TWinControl {
    TK_CLASS(TStatusBar)
public:
    explicit TStatusBar(TComponent* owner);
    TStatusPanels& Panels() { return panels_; }
    TStatusPanels* PanelsObject() const { return const_cast<TStatusPanels*>(&panels_); }
    bool SimplePanel() const { return simplePanel_; }
    void SetSimplePanel(bool v);
    std::wstring SimpleText() const { return simpleText_; }
    void SetSimpleText(const std::wstring& v);
    bool SizeGrip() const { return sizeGrip_; }
    void SetSizeGrip(bool v) { sizeGrip_ = v; }
    TDrawPanelEvent OnDrawPanel;

protected:
    void CreateParams(TCreateParams& params) override;
    void AfterCreateHandle() override;
    void Dispatch(TMessage& message) override;

private:
    void UpdatePanels();
    TStatusPanels panels_;
    bool simplePanel_ = false;
    std::wstring simpleText_;
    bool sizeGrip_ = true;
};

}  // namespace tk

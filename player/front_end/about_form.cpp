#include "about_form.h"

#include "form_loader.h"
#include "player_texts.h"

namespace zentavo {

TForm3* Form3 = nullptr;

TK_CLASS_INFO(TForm3, tk::TForm)

TForm3::TForm3(tk::TComponent* owner) : TForm(owner) {
    tk::FormLoader load(*this);
    SetCaption(kAboutCaption);
    SetBorderStyle(tk::TFormBorderStyle::bsNone);
    SetPosition(tk::TPosition::poMainFormCenter);
    SetClientWidth(493);
    SetClientHeight(355);

    Image1 = load.Create<tk::TImage>(L"Image1");
    Image1->SetParent(this);
    Image1->SetAlign(tk::TAlign::alClient);
    Image1->SetStretch(true);
    try {
        Image1->Picture().LoadFromResourceName("ABOUTJPEG");
    } catch (...) {
        // Without its picture the about box still shows and closes as usual.
    }

    auto label = [&](const wchar_t* name, int top, const wchar_t* caption) {
        auto* created = load.Create<tk::TLabel>(name);
        created->SetParent(this);
        created->SetBounds(20, top, 440, 13);
        created->SetTransparent(true);
        created->SetCaption(caption);
        created->OnClick = [this](tk::TObject*) { Label1Click(); };
        created->OnContextPopup = [this](tk::TObject*, POINT, bool& handled) { FormContextPopup(handled); };
        return created;
    };
    Label2 = label(L"Label2", 288, kAboutVersion);
    Label3 = label(L"Label3", 307, kAboutContact);
    Label4 = label(L"Label4", 326, kAboutNotice);

    OnClick = [this](tk::TObject*) { FormClick(); };
    OnContextPopup = [this](tk::TObject*, POINT, bool& handled) { FormContextPopup(handled); };
    Image1->OnClick = [this](tk::TObject*) { Image1Click(); };
    Image1->OnContextPopup = [this](tk::TObject*, POINT, bool& handled) { FormContextPopup(handled); };
    load.ReadBinaryProperties();
    load.Finish();
}

void TForm3::FormClick() { Close(); }
void TForm3::Image1Click() { Close(); }
void TForm3::Label1Click() { Close(); }

void TForm3::FormContextPopup(bool& handled) {
    handled = true;
    Close();
}

}  // namespace zentavo

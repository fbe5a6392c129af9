#include "about_form.h"

#include "form_loader.h"

namespace zentavo {

TForm3* Form3 = nullptr;

TK_CLASS_INFO(TForm3, tk::TForm)

TForm3::TForm3(tk::TComponent* owner) : TForm(owner) {
    tk::FormLoader load(*this);
    SetBorderStyle(tk::TFormBorderStyle::bsNone);
    SetPosition(tk::TPosition::poMainFormCenter);
    SetBounds(0, 0, 360, 240);
    // A click anywhere closes the box.
    OnClick = [this](tk::TObject*) { SetModalResult(tk::mrOk); };
    load.ReadBinaryProperties();
    load.Finish();
}

}  // namespace zentavo

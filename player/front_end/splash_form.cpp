#include "splash_form.h"

#include "form_loader.h"

namespace zentavo {

TForm6* Form6 = nullptr;

TK_CLASS_INFO(TForm6, tk::TForm)

TForm6::TForm6(tk::TComponent* owner) : TForm(owner) {
    tk::FormLoader load(*this);
    SetBorderStyle(tk::TFormBorderStyle::bsNone);
    SetPosition(tk::TPosition::poScreenCenter);
    SetBounds(0, 0, 400, 250);
    load.ReadBinaryProperties();
    load.Finish();
}

}  // namespace zentavo

#include "settings_form.h"

#include "form_loader.h"

namespace zentavo {

TForm4* Form4 = nullptr;

TK_CLASS_INFO(TForm4, tk::TForm)

TForm4::TForm4(tk::TComponent* owner) : TForm(owner) {
    tk::FormLoader load(*this);
    SetBorderStyle(tk::TFormBorderStyle::bsSingle);
    SetBorderIcons(tk::biSystemMenu);
    SetPosition(tk::TPosition::poMainFormCenter);
    SetBounds(0, 0, 320, 300);
    load.ReadBinaryProperties();
    load.Finish();
}

}  // namespace zentavo

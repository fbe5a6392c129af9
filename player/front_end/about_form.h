// TForm3: the about box, shown modally from the help menus; any mouse click on it closes it.
#pragma once

#include "form.h"
#include "image.h"
#include "label.h"

namespace zentavo {

class TForm3 : public tk::TForm {
    TK_CLASS(TForm3)
public:
    explicit TForm3(tk::TComponent* owner);

    tk::TImage* Image1;
    tk::TLabel *Label2, *Label3, *Label4;

    void FormClick();
    void Image1Click();
    void Label1Click();
    void FormContextPopup(bool& handled);
};

extern TForm3* Form3;

}  // namespace zentavo

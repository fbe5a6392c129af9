// TForm3: the about box, shown modally from the help menus.
#pragma once

#include "form.h"

namespace zentavo {

class TForm3 : public tk::TForm {
    TK_CLASS(TForm3)
public:
    explicit TForm3(tk::TComponent* owner);
};

extern TForm3* Form3;

}  // namespace zentavo

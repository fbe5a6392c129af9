// TForm4: the connection-settings dialog, shown modeless from the settings menu.
#pragma once

#include "form.h"

namespace zentavo {

class TForm4 : public tk::TForm {
    TK_CLASS(TForm4)
public:
    explicit TForm4(tk::TComponent* owner);
};

extern TForm4* Form4;

}  // namespace zentavo

// TForm6: the loading splash, shown from start-up until the main window is first shown.
#pragma once

#include "form.h"

namespace zentavo {

class TForm6 : public tk::TForm {
    TK_CLASS(TForm6)
public:
    explicit TForm6(tk::TComponent* owner);
};

extern TForm6* Form6;

}  // namespace zentavo

// Makes the program's skin manager a TSkinManage that skins windows with the given factory's
// form skinners, from the next EnsureSkinManager on.
#pragma once

#include "form_skinner_seam.h"

namespace skin {

void InstallSkinManager(FormSkinnerFactory factory);

}  // namespace skin

// The caption buttons: one object per [BUTTON...] section that survives the filter, then the
// three MDI control buttons cut from [MDICONTROLS] "Image".
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "skin_objects.h"
#include "skin_source.h"

namespace skin {

// Whether a section makes a caption button: its upper-cased name begins with "BUTTON" and is
// none of BUTTON, BUTTONS, BUTTON.RADIO, BUTTON.CHECKBOX, and it is not hidden by Action -1
// with a Visibility other than 0.
bool IsCaptionButtonSection(const TQuickIni& ini, const std::string& section);

std::vector<std::unique_ptr<TDataSkinSysButton>> ReadCaptionButtons(const SkinSource& source,
                                                                    const std::vector<std::string>& sections);

}  // namespace skin

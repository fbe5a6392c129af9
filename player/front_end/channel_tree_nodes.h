// Placing a channel in the two-level channel tree: under the first top-level node whose text is
// its group, or under a new group node added last. So groups keep the order in which they first
// appear in the database, and channels the order of the file (a channel listed twice shows twice).
#pragma once

#include <string>

#include "tree_view.h"

namespace zentavo {

void AddChannelToTree(tk::TTreeNodes& items, const std::wstring& group, const std::wstring& name);

}  // namespace zentavo

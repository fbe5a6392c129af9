#include "channel_tree_nodes.h"

namespace zentavo {

void AddChannelToTree(tk::TTreeNodes& items, const std::wstring& group, const std::wstring& name) {
    for (tk::TTreeNode* node = items.GetFirstNode(); node != nullptr; node = node->getNextSibling()) {
        if (node->Text() == group) {
            items.AddChild(node, name);
            return;
        }
    }
    items.AddChild(items.AddChild(nullptr, group), name);
}

}  // namespace zentavo

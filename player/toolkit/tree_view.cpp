#include "tree_view.h"

#include <windowsx.h>

#include <algorithm>

#include "published_properties.h"

namespace tk {

TK_CLASS_INFO(TTreeView, TWinControl, {
    PublishEnum<Self, TBorderStyle>(c, L"BorderStyle", {L"bsNone", L"bsSingle"}, &Self::BorderStyle,
                                    &Self::SetBorderStyle);
    PublishBool<Self>(c, L"ReadOnly", &Self::ReadOnly, &Self::SetReadOnly);
    PublishInteger<Self>(c, L"Indent", &Self::Indent, &Self::SetIndent);
})

void TTreeNode::SetText(const std::wstring& text) {
    text_ = text;
    TTreeView* tree = owner_->Owner();
    if (item_ == nullptr || !tree->HandleAllocated()) return;
    TVITEMW item = {};
    item.mask = TVIF_TEXT;
    item.hItem = item_;
    item.pszText = const_cast<wchar_t*>(text_.c_str());
    SendMessageW(tree->Handle(), TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

TTreeNode* TTreeNode::getNextSibling() const {
    auto& siblings = owner_->Siblings(parent_);
    return index_ + 1 < siblings.size() ? siblings[index_ + 1].get() : nullptr;
}

void TTreeNode::Delete() { owner_->Remove(this); }

void TTreeNode::Expand(bool recurse) {
    TTreeView* tree = owner_->Owner();
    if (item_ != nullptr && tree->HandleAllocated()) SendMessageW(tree->Handle(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item_));
    if (recurse)
        for (auto& child : children_) child->Expand(true);
}

void TTreeNode::Collapse(bool recurse) {
    TTreeView* tree = owner_->Owner();
    if (item_ != nullptr && tree->HandleAllocated()) SendMessageW(tree->Handle(), TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(item_));
    if (recurse)
        for (auto& child : children_) child->Collapse(true);
}

TTreeNode* TTreeNodes::Add(TTreeNode* sibling, const std::wstring& text) {
    return AddChild(sibling != nullptr ? sibling->Parent() : nullptr, text);
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* parent, const std::wstring& text) {
    auto& siblings = Siblings(parent);
    siblings.push_back(std::make_unique<TTreeNode>(this, parent, text));
    TTreeNode* node = siblings.back().get();
    node->index_ = siblings.size() - 1;
    if (tree_->HandleAllocated()) Insert(node);
    return node;
}

void TTreeNodes::Insert(TTreeNode* node) {
    TVINSERTSTRUCTW insert = {};
    insert.hParent = node->parent_ != nullptr ? node->parent_->item_ : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<wchar_t*>(node->text_.c_str());
    insert.item.lParam = reinterpret_cast<LPARAM>(node);
    node->item_ = reinterpret_cast<HTREEITEM>(
        SendMessageW(tree_->Handle(), TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    for (auto& child : node->children_) Insert(child.get());
}

void TTreeNodes::InsertAll() {
    for (auto& root : roots_) Insert(root.get());
}

void TTreeNodes::Clear() {
    if (tree_->HandleAllocated()) SendMessageW(tree_->Handle(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    roots_.clear();
}

void TTreeNodes::Remove(TTreeNode* node) {
    if (node->item_ != nullptr && tree_->HandleAllocated())
        SendMessageW(tree_->Handle(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(node->item_));
    auto& siblings = Siblings(node->parent_);
    siblings.erase(std::remove_if(siblings.begin(), siblings.end(), [node](const auto& p) { return p.get() == node; }),
                   siblings.end());
    for (size_t i = 0; i < siblings.size(); ++i) siblings[i]->index_ = i;
}

int TTreeNodes::Count() const {
    std::function<int(const std::vector<std::unique_ptr<TTreeNode>>&)> count = [&](const auto& list) {
        int n = 0;
        for (const auto& node : list) n += 1 + count(node->children_);
        return n;
    };
    return count(roots_);
}

TTreeNode* TTreeNodes::FromItem(HTREEITEM item) const {
    if (item == nullptr || !tree_->HandleAllocated()) return nullptr;
    TVITEMW data = {};
    data.mask = TVIF_PARAM;
    data.hItem = item;
    if (!SendMessageW(tree_->Handle(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data))) return nullptr;
    return reinterpret_cast<TTreeNode*>(data.lParam);
}

TTreeView::TTreeView(TComponent* owner) : TWinControl(owner), items_(this) {
    SetBounds(0, 0, 121, 97);
    SetTabStop(true);
    SetColor(clWindow);
}

TTreeView::~TTreeView() {
    BeginDestroy();
    DestroyHandle();  // the window's item data points at nodes that go with this object
}

void TTreeView::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.SystemClass = "SysTreeView32";
    params.Style &= ~WS_CLIPCHILDREN;
    params.Style |= TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
    if (hotTrack_) params.Style |= TVS_TRACKSELECT;
    if (!readOnly_) params.Style |= TVS_EDITLABELS;
    if (borderStyle_ == TBorderStyle::bsSingle) params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TTreeView::AfterCreateHandle() {
    SendMessageW(Handle(), TVM_SETBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Color())));
    SendMessageW(Handle(), TVM_SETINDENT, static_cast<WPARAM>(indent_), 0);
    items_.InsertAll();
}

void TTreeView::ColorChanged() {
    if (HandleAllocated()) SendMessageW(Handle(), TVM_SETBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Color())));
    TWinControl::ColorChanged();
}

void TTreeView::SetIndent(int v) {
    indent_ = v;
    if (HandleAllocated()) SendMessageW(Handle(), TVM_SETINDENT, static_cast<WPARAM>(v), 0);
}

TTreeNode* TTreeView::Selected() {
    if (!HandleAllocated()) return nullptr;
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(Handle(), TVM_GETNEXTITEM, TVGN_CARET, 0));
    return items_.FromItem(item);
}

void TTreeView::SetSelected(TTreeNode* node) {
    if (HandleAllocated())
        SendMessageW(Handle(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node != nullptr ? node->ItemId() : nullptr));
}

void TTreeView::FullCollapse() {
    for (TTreeNode* node = items_.GetFirstNode(); node != nullptr; node = node->getNextSibling()) node->Collapse(true);
}

TTreeNode* TTreeView::GetNodeAt(int x, int y) {
    if (!HandleAllocated()) return nullptr;
    TVHITTESTINFO hit = {};
    hit.pt = POINT{x, y};
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(Handle(), TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if ((hit.flags & (TVHT_ONITEM | TVHT_ONITEMBUTTON | TVHT_ONITEMINDENT | TVHT_ONITEMRIGHT)) == 0) return nullptr;
    return items_.FromItem(item);
}

void TTreeView::Dispatch(TMessage& message) {
    switch (message.Msg) {
    case WM_RBUTTONDOWN:
        // Select first, so the context popup that follows works on the clicked node.
        if (rightClickSelect_)
            if (TTreeNode* node = GetNodeAt(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam))) SetSelected(node);
        break;
    case CN_NOTIFY: {
        // The skin engine's SKIN_APPLIED has the same number and a small lParam: never a pointer.
        if (message.LParam < 0x10000) return;
        auto* header = reinterpret_cast<NMHDR*>(message.LParam);
        if (header->hwndFrom != Handle()) return;
        if (header->code == NM_DBLCLK) {
            if (OnDblClick) OnDblClick(this);
        } else if (header->code == NM_RCLICK) {
            // The context popup of a right click starts here: where the native control sends its
            // WM_CONTEXTMENU after an unanswered NM_RCLICK differs (wine sends it to the parent,
            // past this control's popup), so it is answered and none is sent.
            POINT at;
            GetCursorPos(&at);
            ScreenToClient(Handle(), &at);
            DoContextPopup(at);
            message.Result = 1;
            return;
        } else if (header->code == TVN_SELCHANGEDW || header->code == TVN_SELCHANGEDA) {
            TTreeNode* node = Selected();
            if (autoExpand_ && node != nullptr) node->Expand(false);
            if (OnChange) OnChange(this, node);
        }
        message.Result = 0;
        return;
    }
    default:
        break;
    }
    TWinControl::Dispatch(message);
}

}  // namespace tk

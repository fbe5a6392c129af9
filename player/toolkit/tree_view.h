// The tree view: "TTreeView" superclasses SysTreeView32. Nodes are kept by the layer and
// inserted into the window when it exists (TVM_INSERTITEMW, lParam = the node).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "win_control.h"

namespace tk {

class TTreeView;
class TTreeNodes;

class TTreeNode {
public:
    TTreeNode(TTreeNodes* owner, TTreeNode* parent, std::wstring text) : owner_(owner), parent_(parent), text_(std::move(text)) {}
    std::wstring Text() const { return text_; }
    void SetText(const std::wstring& text);
    TTreeNode* Parent() const { return parent_; }
    TTreeNode* getFirstChild() const { return children_.empty() ? nullptr : children_.front().get(); }
    TTreeNode* getNextSibling() const;
    bool HasChildren() const { return !children_.empty(); }
    int Count() const { return static_cast<int>(children_.size()); }
    TTreeNode* Item(int index) const { return children_.at(static_cast<size_t>(index)).get(); }
    void Delete();  // frees this node and its children
    void Expand(bool recurse);
    void Collapse(bool recurse);
    void* Data = nullptr;
    HTREEITEM ItemId() const { return item_; }

private:
    friend class TTreeNodes;
    TTreeNodes* owner_;
    TTreeNode* parent_;
    std::wstring text_;
    HTREEITEM item_ = nullptr;
    std::vector<std::unique_ptr<TTreeNode>> children_;
    // Its place among its siblings, kept by TTreeNodes: walking a level sibling by sibling costs
    // one step per node, not a search of the level.
    size_t index_ = 0;
};

class TTreeNodes {
public:
    explicit TTreeNodes(TTreeView* tree) : tree_(tree) {}
    TTreeNode* Add(TTreeNode* sibling, const std::wstring& text);  // last at the sibling's level
    TTreeNode* AddChild(TTreeNode* parent, const std::wstring& text);
    void Clear();
    TTreeNode* GetFirstNode() const { return roots_.empty() ? nullptr : roots_.front().get(); }
    int Count() const;  // all nodes
    TTreeView* Owner() const { return tree_; }

    TTreeNode* FromItem(HTREEITEM item) const;
    void InsertAll();  // the window was (re)created
    void Remove(TTreeNode* node);
    std::vector<std::unique_ptr<TTreeNode>>& Siblings(TTreeNode* parent) { return parent ? parent->children_ : roots_; }

private:
    void Insert(TTreeNode* node);
    TTreeView* tree_;
    std::vector<std::unique_ptr<TTreeNode>> roots_;
};

enum class TBorderStyle { bsNone, bsSingle };
enum class TBevelKind { bkNone, bkTile, bkSoft, bkFlat };

class TTreeView : public TWinControl {
    TK_CLASS(TTreeView)
public:
    explicit TTreeView(TComponent* owner);
    ~TTreeView() override;
    TTreeNodes& Items() { return items_; }
    TTreeNode* Selected();
    void SetSelected(TTreeNode* node);
    void FullCollapse();
    TTreeNode* GetNodeAt(int x, int y);

    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v) { readOnly_ = v; }
    bool RightClickSelect() const { return rightClickSelect_; }
    void SetRightClickSelect(bool v) { rightClickSelect_ = v; }
    bool HotTrack() const { return hotTrack_; }
    void SetHotTrack(bool v) { hotTrack_ = v; }
    bool AutoExpand() const { return autoExpand_; }
    void SetAutoExpand(bool v) { autoExpand_ = v; }
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle v) { borderStyle_ = v; }
    TBevelKind BevelKind() const { return bevelKind_; }
    void SetBevelKind(TBevelKind v) { bevelKind_ = v; }
    int Indent() const { return indent_; }
    void SetIndent(int v);

    std::function<void(TObject* sender, TTreeNode* node)> OnChange;

protected:
    void CreateParams(TCreateParams& params) override;
    void AfterCreateHandle() override;
    void Dispatch(TMessage& message) override;
    void ColorChanged() override;
    bool DblClickFromMouse() const override { return false; }

private:
    TTreeNodes items_;
    bool readOnly_ = false, rightClickSelect_ = false, hotTrack_ = false, autoExpand_ = false;
    TBorderStyle borderStyle_ = TBorderStyle::bsSingle;
    TBevelKind bevelKind_ = TBevelKind::bkNone;
    int indent_ = 19;
};

}  // namespace tk

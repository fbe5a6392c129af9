// The main window's channel tree: filling it from the channel database, reloading it after an
// update, and playing a channel.
#include "channel_database.h"
#include "channel_reload_thread.h"
#include "channel_tree_nodes.h"
#include "main_form.h"
#include "player_paths.h"
#include "player_texts.h"
#include "splash_form.h"

namespace zentavo {

void TForm1::OpenChannelDatabase() {
    XMLDocument1->SetActive(false);
    XMLDocument1->SetFileName(PlayerFileW(L"bfsjk.xml"));
    XMLDocument1->SetActive(true);
}

void TForm1::AddChannelNode(const std::wstring& group, const std::wstring& name) {
    AddChannelToTree(TreeView1->Items(), group, name);
}

void TForm1::xslb() {
    try {
        TreeView1->Items().Clear();
        OpenChannelDatabase();
        std::vector<ChannelRow> rows = ReadChannelRows(*XMLDocument1);
        const int count = static_cast<int>(rows.size());
        tk::TGauge* gauge = Form6 != nullptr ? Form6->Gauge1 : nullptr;
        if (gauge != nullptr) gauge->SetMaxValue(count - 1);
        for (int i = 0; i < count; ++i) {
            if (gauge != nullptr) {
                // The gauge asks for a repaint only when its picture changes; that part of the
                // splash is painted at once.
                gauge->SetProgress(i);
                Form6->Update();
            }
            const ChannelRow& row = rows[static_cast<size_t>(i)];
            if (row.usable) AddChannelNode(row.entry.group, row.entry.name);
        }
    } catch (...) {
        // A missing or broken database leaves the tree with what was added so far.
    }
    TreeView1->FullCollapse();
}

void TForm1::ReloadChannelList() {
    try {
        TreeView1->Items().Clear();
        OpenChannelDatabase();
        ChannelReloadThread = new sjhgx();
    } catch (...) {
        // No thread will uncover the tree, so it is done here.
        Panel5->Hide();
        TreeView1->Show();
    }
}

void TForm1::TreeView1Db1Click() {
    try {
        tk::TTreeNode* node = TreeView1->Selected();
        if (node == nullptr || node->HasChildren()) return;
        std::wstring playLink;
        bool found = FindPlayLink(*XMLDocument1, node->Text(), playLink);
        SetPanelText(0, kBufferingHint);
        if (found) ZIV1->SetURL(playLink);
    } catch (...) {
        // A channel that cannot be looked up or played leaves the player as it was.
    }
}

void TForm1::TreeView1ContextPopup(POINT, bool& handled) {
    handled = true;  // the menu belongs to channel nodes only
    tk::TTreeNode* node = TreeView1->Selected();
    if (node == nullptr || node->HasChildren()) return;
    POINT cursor;
    GetCursorPos(&cursor);
    PopupMenu2->Popup(cursor.x, cursor.y);
}

}  // namespace zentavo

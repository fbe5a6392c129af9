// The main window's favourites list: loading, adding from the channel tree, removing, playing.
#include "channel_database.h"
#include "favourites_file.h"
#include "main_form.h"
#include "player_paths.h"

namespace zentavo {
namespace {
std::wstring FavouritesPath() { return PlayerFileW(L"scjwj.xml"); }
}  // namespace

void TForm1::LoadFavourites() {
    XMLDocument2->SetActive(false);
    XMLDocument2->SetFileName(FavouritesPath());
    XMLDocument2->SetActive(true);
    tk::XmlNode list = XMLDocument2->DocumentElement();
    for (tk::XmlNode node = list.FirstChild(); !node.IsEmpty(); node = node.NextSibling())
        if (node.IsElement() && node.NodeName() == L"pd") TreeView2->Items().AddChild(nullptr, node.Attribute(L"id"));
}

void TForm1::N9Click() {
    try {
        tk::TTreeNode* node = TreeView1->Selected();
        if (node == nullptr || node->HasChildren()) return;
        const std::wstring name = node->Text();
        const std::wstring path = FavouritesPath();
        if (!FileExistsW(path)) return;
        // The stream address first: without one the existing favourite must stay as it is.
        OpenChannelDatabase();
        std::wstring playLink;
        if (!FindPlayLink(*XMLDocument1, name, playLink)) return;
        bool replaced = false;
        AppendFavourite(path, name, playLink, replaced);
        FavouriteRemoved = replaced;
        if (!replaced) TreeView2->Items().AddChild(nullptr, name);  // otherwise the list shows it already
    } catch (...) {
        // A favourites file that cannot be read or written leaves the list as it was.
    }
}

void TForm1::N10Click() {
    tk::TTreeNode* node = TreeView2->Selected();
    if (node == nullptr) return;
    try {
        RemoveFavourite(FavouritesPath(), node->Text());
    } catch (...) {
        // The entry leaves the list even when the file cannot be rewritten.
    }
    node->Delete();
}

void TForm1::TreeView2DblClick() {
    try {
        tk::TTreeNode* node = TreeView2->Selected();
        if (node == nullptr) return;
        const std::wstring name = node->Text();
        XMLDocument2->SetActive(false);
        XMLDocument2->SetFileName(FavouritesPath());
        XMLDocument2->SetActive(true);
        std::wstring playLink;
        if (SelectFirstChildText(*XMLDocument2, FavouritePath(name), playLink)) ZIV1->SetURL(playLink);
    } catch (...) {
        // A favourite that cannot be looked up or played leaves the player as it was.
    }
}

void TForm1::TreeView2ContextPopup(POINT mousePos, bool& handled) {
    handled = true;
    if (tk::TTreeNode* under = TreeView2->GetNodeAt(mousePos.x, mousePos.y)) TreeView2->SetSelected(under);
    if (TreeView2->Selected() == nullptr) return;
    POINT cursor;
    GetCursorPos(&cursor);
    PopupMenu3->Popup(cursor.x, cursor.y);
}

}  // namespace zentavo

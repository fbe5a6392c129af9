#include "favourites_file.h"

#include <windows.h>

#include "exceptions.h"
#include "xml_document.h"

namespace zentavo {

bool FavouriteRemoved = false;

namespace {
tk::XmlNode FindEntry(const tk::XmlNode& list, const std::wstring& name) {
    for (tk::XmlNode node = list.FirstChild(); !node.IsEmpty(); node = node.NextSibling())
        if (node.IsElement() && node.NodeName() == L"pd" && node.Attribute(L"id") == name) return node;
    return tk::XmlNode();
}

void Open(tk::TXMLDocument& document, const std::wstring& path) {
    document.LoadFromFile(path);
    document.SetVersion(L"1.0");
    document.SetEncoding(L"GB2312");
}
}  // namespace

bool FileExistsW(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

int RemoveFavourite(const std::wstring& path, const std::wstring& name) {
    if (!FileExistsW(path)) return -1;
    tk::TXMLDocument document(nullptr);
    FavouriteRemoved = false;
    Open(document, path);
    tk::XmlNode list = document.Node().Child(L"scj");
    tk::XmlNode entry = FindEntry(list, name);
    if (entry.IsEmpty()) return -1;
    list.RemoveChild(entry);
    FavouriteRemoved = true;
    document.SaveToFile(path);
    return -1;
}

void AppendFavourite(const std::wstring& path, const std::wstring& name, const std::wstring& playLink,
                     bool& replaced) {
    tk::TXMLDocument document(nullptr);
    Open(document, path);
    tk::XmlNode list = document.Node().Child(L"scj");
    tk::XmlNode old = FindEntry(list, name);
    replaced = !old.IsEmpty();
    if (replaced) list.RemoveChild(old);
    tk::XmlNode entry = list.AddChild(L"pd");
    entry.SetAttribute(L"id", name);
    entry.SetText(playLink);
    document.SaveToFile(path);  // one write: the old entry is gone only together with the new one
}

}  // namespace zentavo

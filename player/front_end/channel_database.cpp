#include "channel_database.h"

namespace zentavo {

std::vector<ChannelRow> ReadChannelRows(const tk::TXMLDocument& database) {
    std::vector<ChannelRow> rows;
    tk::XmlNode root = database.DocumentElement();
    if (root.IsEmpty()) return rows;
    for (tk::XmlNode child = root.FirstChild(); !child.IsEmpty(); child = child.NextSibling()) {
        if (!child.IsElement()) continue;
        ChannelRow row;
        tk::XmlNode group = child.FindChild(L"Catalog");
        tk::XmlNode name = child.FindChild(L"ChannelName");
        if (!group.IsEmpty() && !name.IsEmpty()) {
            row.usable = true;
            row.entry = ChannelEntry{group.Text(), name.Text()};
        }
        rows.push_back(row);
    }
    return rows;
}

bool SelectFirstChildText(const tk::TXMLDocument& document, const std::wstring& xpath, std::wstring& text) {
    tk::XmlNode found = document.SelectSingleNode(xpath);
    if (found.IsEmpty()) return false;
    tk::XmlNode first = found.FirstChild();
    if (first.IsEmpty()) return false;
    text = first.Text();
    return true;
}

bool FindPlayLink(const tk::TXMLDocument& database, const std::wstring& channelName, std::wstring& playLink) {
    return SelectFirstChildText(database, ChannelPlayLinkPath(channelName), playLink);
}

bool IsChannelDatabaseFile(const std::wstring& path) {
    try {
        tk::TXMLDocument candidate(nullptr);
        candidate.LoadFromFile(path);
        tk::XmlNode root = candidate.DocumentElement();
        return !root.IsEmpty() && root.NodeName() == L"root";
    } catch (...) {
        return false;
    }
}

}  // namespace zentavo

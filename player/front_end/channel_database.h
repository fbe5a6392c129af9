// Reading the channel database "bfsjk.xml": the channel rows under its document element and a
// channel's stream address. Only element children count as rows (a comment is no channel), and
// a row without its group or channel name adds nothing to the tree.
#pragma once

#include <string>
#include <vector>

#include "channel_queries.h"
#include "xml_document.h"

namespace zentavo {

struct ChannelRow {
    bool usable = false;  // it has both Catalog and ChannelName
    ChannelEntry entry;
};

std::vector<ChannelRow> ReadChannelRows(const tk::TXMLDocument& database);

// The text of the first PlayLink below the first channel of that name; false when there is none.
bool FindPlayLink(const tk::TXMLDocument& database, const std::wstring& channelName, std::wstring& playLink);

// The first child's text of the node the expression selects; false when nothing is selected or
// the node has no child.
bool SelectFirstChildText(const tk::TXMLDocument& document, const std::wstring& xpath, std::wstring& text);

// The file parses as XML and its document element is "root". Needs COM on the calling thread.
bool IsChannelDatabaseFile(const std::wstring& path);

}  // namespace zentavo

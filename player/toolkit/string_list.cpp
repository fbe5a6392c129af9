#include "string_list.h"

#include "exceptions.h"
#include "text_convert.h"

namespace tk {

TK_CLASS_INFO(TStrings, TPersistent)
TK_CLASS_INFO(TStringList, TStrings)

int TStrings::IndexOf(const std::wstring& text) const {
    for (int i = 0; i < Count(); ++i)
        if (SameTextAscii(Strings(i), text)) return i;
    return -1;
}

std::wstring TStrings::Text() const {
    std::wstring text;
    for (int i = 0; i < Count(); ++i) text += Strings(i) + L"\r\n";
    return text;
}

void TStrings::SetText(const std::wstring& text) {
    Clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos) end = text.size();
        Add(text.substr(start, end - start));
        start = end;
        if (start < text.size() && text[start] == L'\r') ++start;
        if (start < text.size() && text[start] == L'\n') ++start;
    }
}

void TStrings::Assign(TPersistent* source) {
    auto* other = DynamicCast<TStrings>(source);
    if (other == nullptr) return TPersistent::Assign(source);
    if (other == this) return;
    Clear();
    for (int i = 0; i < other->Count(); ++i) AddObject(other->Strings(i), other->Objects(i));
}

int TStringList::AddObject(const std::wstring& text, TObject* object) {
    items_.emplace_back(text, object);
    return Count() - 1;
}

const TStringList::Entry& TStringList::Item(int index) const {
    if (index < 0 || index >= Count())
        throw EStringListError(L"List index out of bounds (" + std::to_wstring(index) + L")");
    return items_[static_cast<size_t>(index)];
}

}  // namespace tk

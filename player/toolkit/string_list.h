// Lists of strings, each with an optional object: TStrings is what a property of list type
// holds, TStringList the list itself. Look-ups compare ASCII letters without case, as class
// names and keys are compared everywhere in the toolkit.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "component.h"

namespace tk {

class TStrings : public TPersistent {
    TK_CLASS(TStrings)
public:
    virtual int Count() const = 0;
    // EStringListError for an index outside 0 .. Count() - 1.
    virtual const std::wstring& Strings(int index) const = 0;
    virtual TObject* Objects(int index) const = 0;
    virtual void SetObjects(int index, TObject* object) = 0;
    virtual int AddObject(const std::wstring& text, TObject* object) = 0;  // the new index
    virtual void Clear() = 0;

    int Add(const std::wstring& text) { return AddObject(text, nullptr); }
    // The first line equal to text ignoring ASCII case, or -1.
    int IndexOf(const std::wstring& text) const;
    // Every line followed by CR LF.
    std::wstring Text() const;
    // Replaces the lines: breaks are CR LF, CR or LF; a break at the very end starts no line.
    void SetText(const std::wstring& text);
    // Takes the lines and objects of another list; anything else is EConvertError.
    void Assign(TPersistent* source) override;
};

class TStringList : public TStrings {
    TK_CLASS(TStringList)
public:
    int Count() const override { return static_cast<int>(items_.size()); }
    const std::wstring& Strings(int index) const override { return Item(index).first; }
    TObject* Objects(int index) const override { return Item(index).second; }
    void SetObjects(int index, TObject* object) override { Item(index).second = object; }
    int AddObject(const std::wstring& text, TObject* object) override;
    void Clear() override { items_.clear(); }

private:
    using Entry = std::pair<std::wstring, TObject*>;
    const Entry& Item(int index) const;
    Entry& Item(int index) { return const_cast<Entry&>(std::as_const(*this).Item(index)); }
    std::vector<Entry> items_;
};

}  // namespace tk

// The read-only ini reader of the skin description. It keeps the significant lines (trimmed,
// no empty or ";" comment lines) and an index of the section header lines. Texts are bytes
// (ASCII or code page 936): keys and section names fold ASCII letters only, and values come
// back byte for byte.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "class_info.h"
#include "streams.h"

namespace skin {

class TQuickIni : public tk::TObject {
    TK_CLASS(TQuickIni)
public:
    // Reads from the stream's position to its end and replaces what was loaded; nullptr
    // changes nothing. A zero byte ends the text.
    void LoadFromStream(tk::TMemoryStream* stream);

    // The value of the first line with key (any case) in the section whose header is exactly
    // "[" + section + "]" (any case); fallback when there is none or it is empty.
    std::string ReadString(const std::string& section, const std::string& key, const std::string& fallback) const;
    // The value as a decimal, "$" or "0x" hexadecimal integer; fallback when it is none.
    int ReadInteger(const std::string& section, const std::string& key, int fallback) const;
    // Replaces names by the section names, brackets removed and trimmed inside.
    void ReadSections(std::vector<std::string>& names) const;
    // The significant lines, trimmed, in text order (what the look-ups search).
    const std::vector<std::string>& Lines() const { return lines_; }

private:
    struct SectionHeader {
        std::string line;  // trimmed, brackets included
        size_t lineIndex;  // in lines_
    };

    void AddLine(std::string_view line);
    const SectionHeader* FindSection(const std::string& section) const;

    std::vector<std::string> lines_;
    std::vector<SectionHeader> sections_;
};

}  // namespace skin

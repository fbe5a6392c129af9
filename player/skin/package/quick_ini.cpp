#include "quick_ini.h"

#include <algorithm>

#include "byte_text.h"
#include "str_to_int.h"

namespace skin {

TK_CLASS_INFO(TQuickIni, tk::TObject)

namespace {

bool IsSectionHeader(std::string_view line) {
    return !line.empty() && line.front() == '[' && line.back() == ']';
}

// The trimmed, lower-cased text before the first "="; empty without one.
std::string KeyOf(std::string_view line) {
    size_t equals = line.find('=');
    if (equals == std::string_view::npos) return {};
    return AsciiLowerCase(std::string(TrimControls(line.substr(0, equals))));
}

// The trimmed text after the first "=" when the line's key is key (non-empty); else empty.
std::string ValueOf(std::string_view line, const std::string& key) {
    size_t equals = line.find('=');
    if (line.empty() || key.empty() || equals == std::string_view::npos || KeyOf(line) != key) return {};
    return std::string(TrimControls(line.substr(equals + 1)));
}

// A line ends at CR, LF or a zero byte; then one CR and one LF are skipped, so CR LF, CR and
// LF each end one line and LF CR ends two. A zero byte also ends the text.
template <class OnLine>
void CutLines(std::string_view text, OnLine onLine) {
    size_t position = 0;
    while (position < text.size() && text[position] != '\0') {
        size_t end = position;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n' && text[end] != '\0') ++end;
        onLine(text.substr(position, end - position));
        position = end;
        if (position < text.size() && text[position] == '\r') ++position;
        if (position < text.size() && text[position] == '\n') ++position;
    }
}

// The toolkit's integer conversion reads wide text; widening each byte keeps non-ASCII bytes
// non-digits, so they still fail to convert.
std::wstring WidenBytes(const std::string& text) {
    std::wstring wide;
    for (char c : text) wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return wide;
}

}  // namespace

void TQuickIni::LoadFromStream(tk::TMemoryStream* stream) {
    if (stream == nullptr) return;
    lines_.clear();
    sections_.clear();
    size_t size = static_cast<size_t>(stream->Size());
    size_t start = std::min(static_cast<size_t>(stream->Position()), size);
    if (start == size) return;
    std::string_view text(reinterpret_cast<const char*>(stream->Memory()) + start, size - start);
    CutLines(text, [this](std::string_view line) { AddLine(line); });
}

void TQuickIni::AddLine(std::string_view line) {
    std::string_view trimmed = TrimControls(line);
    if (trimmed.empty() || trimmed.front() == ';') return;
    lines_.emplace_back(trimmed);
    if (IsSectionHeader(trimmed)) sections_.push_back({lines_.back(), lines_.size() - 1});
}

const TQuickIni::SectionHeader* TQuickIni::FindSection(const std::string& section) const {
    const std::string header = "[" + section + "]";
    auto found = std::find_if(sections_.begin(), sections_.end(),
                              [&](const SectionHeader& s) { return SameTextAscii(s.line, header); });
    return found == sections_.end() ? nullptr : &*found;
}

std::string TQuickIni::ReadString(const std::string& section, const std::string& key,
                                  const std::string& fallback) const {
    const std::string wanted = AsciiLowerCase(key);
    const SectionHeader* header = lines_.empty() ? nullptr : FindSection(section);
    if (header == nullptr) return fallback;
    for (size_t i = header->lineIndex + 1; i < lines_.size() && !IsSectionHeader(lines_[i]); ++i) {
        if (KeyOf(lines_[i]) != wanted) continue;
        std::string value = ValueOf(lines_[i], wanted);
        return value.empty() ? fallback : value;
    }
    return fallback;
}

int TQuickIni::ReadInteger(const std::string& section, const std::string& key, int fallback) const {
    std::string text = ReadString(section, key, "");
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.replace(0, 2, "$");
    int value = 0;
    return tk::TryStrToInt(WidenBytes(text), value) ? value : fallback;
}

void TQuickIni::ReadSections(std::vector<std::string>& names) const {
    names.clear();
    for (const SectionHeader& section : sections_) {
        std::string_view inner(section.line);
        names.emplace_back(TrimControls(inner.substr(1, inner.size() - 2)));
    }
}

}  // namespace skin

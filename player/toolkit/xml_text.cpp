#include "xml_text.h"

#include <cctype>

namespace tk {
namespace {
std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool IsSpace(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

// The value of pseudo-attribute `name` inside the declaration text, or "" when absent.
std::string PseudoAttribute(const std::string& declaration, const std::string& name) {
    size_t at = 0;
    while ((at = declaration.find(name, at)) != std::string::npos) {
        bool boundary = at > 0 && std::isspace(static_cast<unsigned char>(declaration[at - 1]));
        size_t p = at + name.size();
        while (p < declaration.size() && std::isspace(static_cast<unsigned char>(declaration[p]))) ++p;
        if (boundary && p < declaration.size() && declaration[p] == '=') {
            ++p;
            while (p < declaration.size() && std::isspace(static_cast<unsigned char>(declaration[p]))) ++p;
            if (p < declaration.size() && (declaration[p] == '"' || declaration[p] == '\'')) {
                size_t end = declaration.find(declaration[p], p + 1);
                if (end != std::string::npos) return declaration.substr(p + 1, end - p - 1);
            }
        }
        at = p;
    }
    return std::string();
}

// [start, end) of the leading declaration "<?xml ... ?>" in text, skipping leading blanks.
template <class S>
bool FindDeclaration(const S& text, size_t& start, size_t& end) {
    start = 0;
    while (start < text.size() && (text[start] == ' ' || text[start] == '\t' || text[start] == '\r' || text[start] == '\n'))
        ++start;
    if (text.size() < start + 6) return false;
    const char prefix[] = "<?xml";
    for (size_t i = 0; i < 5; ++i)
        if (text[start + i] != static_cast<typename S::value_type>(prefix[i])) return false;
    auto next = text[start + 5];
    if (!(next == ' ' || next == '\t' || next == '\r' || next == '\n' || next == '?')) return false;
    for (size_t i = start + 5; i + 1 < text.size(); ++i)
        if (text[i] == '?' && text[i + 1] == '>') {
            end = i + 2;
            return true;
        }
    return false;
}
}  // namespace

XmlDeclaration ParseXmlDeclaration(const std::string& bytes) {
    XmlDeclaration result;
    size_t start = 0, end = 0;
    std::string text = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? bytes.substr(3) : bytes;
    if (!FindDeclaration(text, start, end)) return result;
    std::string declaration = text.substr(start, end - start);
    result.present = true;
    result.version = PseudoAttribute(declaration, "version");
    result.encoding = PseudoAttribute(declaration, "encoding");
    return result;
}

unsigned CodePageForEncoding(const std::string& name) {
    std::string n = Lower(name);
    if (n.empty() || n == "utf-8" || n == "utf8") return 65001;
    if (n == "gb2312" || n == "gbk" || n == "cp936" || n == "windows-936" || n == "x-gbk") return 936;
    if (n == "gb18030") return 54936;
    return 0;
}

std::wstring RemoveEncodingAttribute(const std::wstring& text) {
    size_t start = 0, end = 0;
    if (!FindDeclaration(text, start, end)) return text;
    std::wstring declaration = text.substr(start, end - start);
    for (size_t at = declaration.find(L"encoding"); at != std::wstring::npos; at = declaration.find(L"encoding", at + 1)) {
        if (at == 0 || !IsSpace(declaration[at - 1])) continue;
        size_t p = at + 8;
        while (p < declaration.size() && IsSpace(declaration[p])) ++p;
        if (p >= declaration.size() || declaration[p] != L'=') continue;
        ++p;
        while (p < declaration.size() && IsSpace(declaration[p])) ++p;
        if (p >= declaration.size() || (declaration[p] != L'"' && declaration[p] != L'\'')) continue;
        size_t close = declaration.find(declaration[p], p + 1);
        if (close == std::wstring::npos) break;
        size_t from = at;
        while (from > 0 && IsSpace(declaration[from - 1])) --from;
        declaration.erase(from, close + 1 - from);
        break;
    }
    return text.substr(0, start) + declaration + text.substr(end);
}

std::wstring DropXmlDeclaration(const std::wstring& text) {
    size_t start = 0, end = 0;
    if (!FindDeclaration(text, start, end)) return text;
    while (end < text.size() && (text[end] == L'\r' || text[end] == L'\n')) ++end;
    return text.substr(end);
}

std::wstring XPathLiteral(const std::wstring& text) {
    if (text.find(L'"') == std::wstring::npos) return L"\"" + text + L"\"";
    if (text.find(L'\'') == std::wstring::npos) return L"'" + text + L"'";
    // Both quote kinds: double-quoted pieces joined with '"' for each double quote.
    std::wstring result = L"concat(";
    size_t start = 0;
    bool first = true;
    for (;;) {
        size_t quote = text.find(L'"', start);
        std::wstring piece = text.substr(start, quote == std::wstring::npos ? std::wstring::npos : quote - start);
        if (!piece.empty()) {
            result += (first ? L"" : L", ") + (L"\"" + piece + L"\"");
            first = false;
        }
        if (quote == std::wstring::npos) break;
        result += (first ? L"" : L", ") + std::wstring(L"'\"'");
        first = false;
        start = quote + 1;
    }
    return result + L")";
}

}  // namespace tk

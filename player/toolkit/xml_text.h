// Text handling around XML documents that needs no parser: the declaration at the start of a
// file (version and encoding), the code page an encoding name stands for, and XPath string
// literals for any text.
#pragma once

#include <string>

namespace tk {

struct XmlDeclaration {
    bool present = false;
    std::string version;   // "" when not given
    std::string encoding;  // as written, "" when not given
};

// Reads the declaration from the first bytes of a file (after any byte-order mark).
XmlDeclaration ParseXmlDeclaration(const std::string& bytes);

// 936 for GB2312/GBK/CP936, 54936 for GB18030, 65001 for UTF-8 or no name; 0 when unknown.
unsigned CodePageForEncoding(const std::string& name);

// The text with the encoding pseudo-attribute taken out of its leading declaration.
std::wstring RemoveEncodingAttribute(const std::wstring& text);
// The text without its leading declaration (and the line break after it).
std::wstring DropXmlDeclaration(const std::wstring& text);

// A literal for `text` inside an XPath expression: "text" when it holds no double quote,
// 'text' when it holds no single quote, otherwise a concat() of pieces.
std::wstring XPathLiteral(const std::wstring& text);

}  // namespace tk

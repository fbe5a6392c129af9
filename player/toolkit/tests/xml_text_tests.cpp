// Declarations, encodings and XPath literals of the XML wrapper.
#include <gtest/gtest.h>

#include "xml_text.h"

namespace tk {
namespace {

TEST(XmlText, DeclarationAndCodePage) {
    struct Case { const char* bytes; bool present; const char* version; const char* encoding; unsigned codePage; };
    const Case cases[] = {
        {"<?xml version=\"1.0\" encoding=\"GB2312\"?><scj/>", true, "1.0", "GB2312", 936},
        {"\xEF\xBB\xBF<?xml version='1.0' encoding='utf-8'?><a/>", true, "1.0", "utf-8", 65001},
        {"  <?xml version = \"1.0\"  encoding = \"GBK\" ?>\r\n<root/>", true, "1.0", "GBK", 936},
        {"<?xml version=\"1.0\"?><root/>", true, "1.0", "", 65001},
        {"<root/>", false, "", "", 65001},
        {"<?xml-stylesheet href=\"a\"?><root/>", false, "", "", 65001},
        {"<?xml version=\"1.0\" encoding=\"GB18030\"?>", true, "1.0", "GB18030", 54936},
        {"<?xml version=\"1.0\" encoding=\"KOI8-R\"?>", true, "1.0", "KOI8-R", 0},
        {"<?xml version=\"1.0\" encoding=\"GB2312\"", false, "", "", 65001},  // unterminated
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        XmlDeclaration d = ParseXmlDeclaration(c.bytes);
        EXPECT_EQ(d.present, c.present);
        EXPECT_EQ(d.version, c.version);
        EXPECT_EQ(d.encoding, c.encoding);
        EXPECT_EQ(CodePageForEncoding(d.encoding), c.codePage);
    }
}

TEST(XmlText, EncodingAttributeRemovedAndDeclarationDropped) {
    EXPECT_EQ(RemoveEncodingAttribute(L"<?xml version=\"1.0\" encoding=\"GB2312\"?><scj/>"), L"<?xml version=\"1.0\"?><scj/>");
    EXPECT_EQ(RemoveEncodingAttribute(L"<?xml version='1.0' encoding = 'GBK' standalone='yes'?><a/>"),
              L"<?xml version='1.0' standalone='yes'?><a/>");
    EXPECT_EQ(RemoveEncodingAttribute(L"<root encoding=\"x\"/>"), L"<root encoding=\"x\"/>");  // not a declaration
    EXPECT_EQ(DropXmlDeclaration(L"<?xml version=\"1.0\"?>\r\n<root/>"), L"<root/>");
    EXPECT_EQ(DropXmlDeclaration(L"<root/>"), L"<root/>");
}

TEST(XmlText, XPathLiteralsForEveryName) {
    EXPECT_EQ(XPathLiteral(L"CCTV-1"), L"\"CCTV-1\"");
    EXPECT_EQ(XPathLiteral(L"say \"hi\""), L"'say \"hi\"'");
    EXPECT_EQ(XPathLiteral(L"it's"), L"\"it's\"");
    EXPECT_EQ(XPathLiteral(L"a\"b'c"), L"concat(\"a\", '\"', \"b'c\")");
    EXPECT_EQ(XPathLiteral(L"\"'"), L"concat('\"', \"'\")");
    EXPECT_EQ(XPathLiteral(L""), L"\"\"");
}

}  // namespace
}  // namespace tk

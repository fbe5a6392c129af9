#include "xml_document.h"

#include <vector>

#include "code_page.h"
#include "exceptions.h"
#include "text_convert.h"
#include "xml_text.h"

// Missing from mingw's import libraries (msxml2.h declares them without values).
extern "C" const IID IID_IXMLDOMDocument2 = {0x2933bf95, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};
extern "C" const CLSID CLSID_DOMDocument30 = {0xf5078f32, 0xc551, 0x11d3, {0x89, 0xb9, 0x00, 0x00, 0xf8, 0x1f, 0xe2, 0x21}};

namespace tk {
namespace {
[[noreturn]] void Fail(const std::wstring& text) { throw EXMLDocError(text); }

void Check(HRESULT result, const wchar_t* what) {
    if (FAILED(result)) Fail(std::wstring(what) + L": " + std::to_wstring(static_cast<long>(result)));
}

class Bstr {
public:
    explicit Bstr(const std::wstring& text) : value_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    Bstr() = default;
    ~Bstr() { SysFreeString(value_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR* Out() { return &value_; }
    operator BSTR() const { return value_; }
    std::wstring Text() const { return value_ != nullptr ? std::wstring(value_, SysStringLen(value_)) : std::wstring(); }

private:
    BSTR value_ = nullptr;
};

std::vector<char> ReadFileBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) Fail(L"Cannot open " + path);
    std::vector<char> bytes;
    LARGE_INTEGER size;
    if (GetFileSizeEx(file, &size) && size.QuadPart < 0x40000000) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        if (!bytes.empty() && (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                               read != bytes.size())) {
            CloseHandle(file);
            Fail(L"Cannot read " + path);
        }
    }
    CloseHandle(file);
    return bytes;
}

std::wstring Decode(const std::string& bytes, unsigned codePage) {
    if (bytes.empty()) return std::wstring();
    int length = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (length <= 0) Fail(L"The file holds bytes that are not valid in its encoding");
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), text.data(), length);
    return text;
}

std::string Encode(const std::wstring& text, unsigned codePage) {
    if (text.empty()) return std::string();
    BOOL lossy = FALSE;
    bool utf8 = codePage == CP_UTF8;
    int length = WideCharToMultiByte(codePage, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                                     nullptr, 0, nullptr, utf8 ? nullptr : &lossy);
    if (length <= 0 || lossy) Fail(L"The document holds characters its encoding cannot store");
    std::string bytes(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), bytes.data(),
                        length, nullptr, utf8 ? nullptr : &lossy);
    return bytes;
}
}  // namespace

XmlNode::XmlNode(IXMLDOMNode* node) : node_(node) {}

XmlNode::XmlNode(const XmlNode& other) : node_(other.node_) {
    if (node_ != nullptr) node_->AddRef();
}

XmlNode& XmlNode::operator=(const XmlNode& other) {
    if (other.node_ != nullptr) other.node_->AddRef();
    if (node_ != nullptr) node_->Release();
    node_ = other.node_;
    return *this;
}

XmlNode::~XmlNode() {
    if (node_ != nullptr) node_->Release();
}

IXMLDOMNode* XmlNode::Require() const {
    if (node_ == nullptr) Fail(L"Node is empty");
    return node_;
}

std::wstring XmlNode::NodeName() const {
    Bstr name;
    Check(Require()->get_nodeName(name.Out()), L"nodeName");
    return name.Text();
}

DOMNodeType XmlNode::NodeType() const {
    DOMNodeType type = NODE_INVALID;
    Check(Require()->get_nodeType(&type), L"nodeType");
    return type;
}

std::wstring XmlNode::Text() const {
    Bstr text;
    Check(Require()->get_text(text.Out()), L"text");
    return text.Text();
}

void XmlNode::SetText(const std::wstring& text) { Check(Require()->put_text(Bstr(text)), L"text"); }

std::wstring XmlNode::Attribute(const std::wstring& name) const {
    IXMLDOMElement* element = nullptr;
    if (FAILED(Require()->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void**>(&element)))) Fail(L"Not an element");
    VARIANT value;
    VariantInit(&value);
    HRESULT hr = element->getAttribute(Bstr(name), &value);
    element->Release();
    std::wstring text;
    if (hr == S_OK && value.vt == VT_BSTR && value.bstrVal != nullptr) text.assign(value.bstrVal, SysStringLen(value.bstrVal));
    VariantClear(&value);
    return text;
}

void XmlNode::SetAttribute(const std::wstring& name, const std::wstring& value) {
    IXMLDOMElement* element = nullptr;
    if (FAILED(Require()->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void**>(&element)))) Fail(L"Not an element");
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
    HRESULT hr = element->setAttribute(Bstr(name), v);
    VariantClear(&v);
    element->Release();
    Check(hr, L"setAttribute");
}

XmlNode XmlNode::FirstChild() const {
    IXMLDOMNode* child = nullptr;
    Check(Require()->get_firstChild(&child), L"firstChild");
    return XmlNode(child);
}

XmlNode XmlNode::NextSibling() const {
    IXMLDOMNode* next = nullptr;
    Check(Require()->get_nextSibling(&next), L"nextSibling");
    return XmlNode(next);
}

int XmlNode::ChildCount() const {
    IXMLDOMNodeList* children = nullptr;
    Check(Require()->get_childNodes(&children), L"childNodes");
    long count = 0;
    HRESULT hr = children->get_length(&count);
    children->Release();
    Check(hr, L"length");
    return static_cast<int>(count);
}

XmlNode XmlNode::Child(int index) const {
    IXMLDOMNodeList* children = nullptr;
    Check(Require()->get_childNodes(&children), L"childNodes");
    IXMLDOMNode* child = nullptr;
    HRESULT hr = children->get_item(index, &child);
    children->Release();
    if (hr != S_OK || child == nullptr) Fail(L"List index out of bounds (" + std::to_wstring(index) + L")");
    return XmlNode(child);
}

XmlNode XmlNode::FindChild(const std::wstring& name) const {
    for (XmlNode child = FirstChild(); !child.IsEmpty(); child = child.NextSibling())
        if (child.IsElement() && child.NodeName() == name) return child;
    return XmlNode();
}

XmlNode XmlNode::Child(const std::wstring& name) const {
    XmlNode child = FindChild(name);
    if (child.IsEmpty()) Fail(L"Node \"" + name + L"\" not found");
    return child;
}

XmlNode XmlNode::AddChild(const std::wstring& name) {
    IXMLDOMDocument* owner = nullptr;
    Check(Require()->get_ownerDocument(&owner), L"ownerDocument");
    if (owner == nullptr) {  // the node is the document itself
        if (FAILED(node_->QueryInterface(IID_IXMLDOMDocument, reinterpret_cast<void**>(&owner))) || owner == nullptr)
            Fail(L"No document");
    }
    IXMLDOMElement* element = nullptr;
    HRESULT hr = owner->createElement(Bstr(name), &element);
    owner->Release();
    Check(hr, L"createElement");
    IXMLDOMNode* added = nullptr;
    hr = node_->appendChild(element, &added);
    element->Release();
    Check(hr, L"appendChild");
    return XmlNode(added);
}

void XmlNode::RemoveChild(const XmlNode& child) {
    IXMLDOMNode* removed = nullptr;
    Check(Require()->removeChild(child.Require(), &removed), L"removeChild");
    if (removed != nullptr) removed->Release();
}

XmlNode XmlNode::SelectSingleNode(const std::wstring& xpath) const {
    IXMLDOMNode* found = nullptr;
    if (Require()->selectSingleNode(Bstr(xpath), &found) != S_OK) return XmlNode();
    return XmlNode(found);
}

TK_CLASS_INFO(TXMLDocument, TComponent)

TXMLDocument::TXMLDocument(TComponent* owner) : TComponent(owner) {}

TXMLDocument::~TXMLDocument() {
    if (document_ != nullptr) document_->Release();
}

IXMLDOMDocument2* TXMLDocument::Document() {
    if (document_ != nullptr) return document_;
    Check(CoCreateInstance(CLSID_DOMDocument30, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument2,
                           reinterpret_cast<void**>(&document_)),
          L"Cannot create the XML parser");
    document_->put_async(VARIANT_FALSE);
    document_->put_validateOnParse(VARIANT_FALSE);
    document_->put_resolveExternals(VARIANT_FALSE);
    document_->put_preserveWhiteSpace(VARIANT_FALSE);
    VARIANT language;
    VariantInit(&language);
    language.vt = VT_BSTR;
    language.bstrVal = SysAllocString(L"XPath");
    HRESULT hr = document_->setProperty(Bstr(L"SelectionLanguage"), language);
    VariantClear(&language);
    Check(hr, L"SelectionLanguage");
    return document_;
}

void TXMLDocument::Parse(const std::wstring& text) {
    VARIANT_BOOL ok = VARIANT_FALSE;
    HRESULT hr = Document()->loadXML(Bstr(RemoveEncodingAttribute(text)), &ok);
    if (hr == S_OK && ok != VARIANT_FALSE) {
        RestoreDeclaration();
        active_ = true;
        return;
    }
    std::wstring reason = L"Invalid XML";
    IXMLDOMParseError* error = nullptr;
    if (SUCCEEDED(document_->get_parseError(&error)) && error != nullptr) {
        Bstr text;
        long line = 0;
        error->get_reason(text.Out());
        error->get_line(&line);
        reason = text.Text() + L" (line " + std::to_wstring(line) + L")";
        error->Release();
    }
    active_ = false;
    Fail(reason);
}

// The parser was given the text without its encoding; the declaration node gets the encoding
// back, so the document's own declaration names the file's encoding again. Best effort: a
// parser that refuses the node keeps the plain declaration, and Encoding() is unaffected.
void TXMLDocument::RestoreDeclaration() {
    if (encoding_.empty()) return;
    IXMLDOMNode* first = nullptr;
    if (document_->get_firstChild(&first) != S_OK || first == nullptr) return;
    DOMNodeType type = NODE_INVALID;
    Bstr name;
    if (first->get_nodeType(&type) == S_OK && type == NODE_PROCESSING_INSTRUCTION &&
        first->get_nodeName(name.Out()) == S_OK && name.Text() == L"xml") {
        IXMLDOMProcessingInstruction* declaration = nullptr;
        std::wstring data = L"version=\"" + version_ + L"\" encoding=\"" + encoding_ + L"\"";
        if (document_->createProcessingInstruction(Bstr(L"xml"), Bstr(data), &declaration) == S_OK &&
            declaration != nullptr) {
            IXMLDOMNode* replaced = nullptr;
            if (document_->replaceChild(declaration, first, &replaced) == S_OK && replaced != nullptr)
                replaced->Release();
            declaration->Release();
        }
    }
    first->Release();
}

void TXMLDocument::LoadFromFile(const std::wstring& path) {
    std::vector<char> raw = ReadFileBytes(path);
    std::string bytes(raw.begin(), raw.end());
    std::wstring text;
    XmlDeclaration declaration = ParseXmlDeclaration(bytes);
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
        text.assign(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
        declaration = XmlDeclaration();
        std::wstring head = text.substr(0, 200);
        declaration = ParseXmlDeclaration(WideToUtf8(head));
    } else {
        bool bom = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
        unsigned codePage = bom ? CP_UTF8 : CodePageForEncoding(declaration.encoding);
        if (codePage == 0) Fail(L"Unsupported encoding " + Utf8ToWide(declaration.encoding));
        text = Decode(bom ? bytes.substr(3) : bytes, codePage);
    }
    encoding_ = Utf8ToWide(declaration.encoding);
    version_ = declaration.version.empty() ? L"1.0" : Utf8ToWide(declaration.version);
    fileName_ = path;
    Parse(text);
}

void TXMLDocument::LoadFromXml(const std::wstring& text) {
    XmlDeclaration declaration = ParseXmlDeclaration(WideToUtf8(text.substr(0, 200)));
    encoding_ = Utf8ToWide(declaration.encoding);
    version_ = declaration.version.empty() ? L"1.0" : Utf8ToWide(declaration.version);
    Parse(text);
}

void TXMLDocument::SetActive(bool active) {
    if (active == active_) return;
    if (active) {
        LoadFromFile(fileName_);
    } else {
        if (document_ != nullptr) document_->Release();
        document_ = nullptr;
        active_ = false;
    }
}

std::wstring TXMLDocument::Xml() const {
    if (document_ == nullptr) return std::wstring();
    Bstr xml;
    Check(document_->get_xml(xml.Out()), L"xml");
    return xml.Text();
}

// The document's text without its declaration. Taken from the document as a whole: the text
// of a single node may come with its non-ASCII attribute values as character references (wine's
// parser does so when the parsed text declared no encoding), and the file would then not hold
// those characters in its own encoding.
std::wstring TXMLDocument::BodyXml() const { return DropXmlDeclaration(Xml()); }

void TXMLDocument::SaveToFile(const std::wstring& path) {
    std::wstring encoding = encoding_.empty() ? L"UTF-8" : encoding_;
    unsigned codePage = CodePageForEncoding(WideToUtf8(encoding));
    if (codePage == 0) Fail(L"Unsupported encoding " + encoding);
    std::wstring text = L"<?xml version=\"" + version_ + L"\" encoding=\"" + encoding + L"\"?>\r\n" + BodyXml();
    std::string bytes = Encode(text, codePage);  // raises before anything is written
    std::wstring temporary = path + L".tmp";
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) Fail(L"Cannot create " + temporary);
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
    CloseHandle(file);
    if (!ok || !MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileW(temporary.c_str());
        Fail(L"Cannot write " + path);
    }
}

XmlNode TXMLDocument::Node() const {
    if (document_ == nullptr) return XmlNode();
    document_->AddRef();
    return XmlNode(document_);
}

XmlNode TXMLDocument::DocumentElement() const {
    if (document_ == nullptr) return XmlNode();
    IXMLDOMElement* root = nullptr;
    if (document_->get_documentElement(&root) != S_OK || root == nullptr) return XmlNode();
    return XmlNode(root);
}

XmlNode TXMLDocument::SelectSingleNode(const std::wstring& xpath) const {
    if (document_ == nullptr) return XmlNode();
    IXMLDOMNode* found = nullptr;
    if (document_->selectSingleNode(Bstr(xpath), &found) != S_OK) return XmlNode();
    return XmlNode(found);
}

XmlNode TXMLDocument::CreateElement(const std::wstring& name) {
    IXMLDOMElement* element = nullptr;
    Check(Document()->createElement(Bstr(name), &element), L"createElement");
    return XmlNode(element);
}

}  // namespace tk

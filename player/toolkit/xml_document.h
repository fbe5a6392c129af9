// The XML document component over MSXML 3 on the creating thread. The layer does its own byte
// handling: files are decoded by their byte-order mark or declared encoding (GB2312/GBK as code
// page 936) and handed to the parser as UTF-16 without an encoding attribute; saving writes the
// remembered declaration and encodes with the matching code page, through a temporary file.
// Every document selects with XPath, so a malformed expression fails cleanly.
// Node handles may be empty: any accessor on an empty handle raises EXMLDocError.
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <string>

#include "component.h"

namespace tk {

class XmlNode {
public:
    XmlNode() = default;
    explicit XmlNode(IXMLDOMNode* node);  // takes over one reference
    XmlNode(const XmlNode& other);
    XmlNode& operator=(const XmlNode& other);
    ~XmlNode();

    bool IsEmpty() const { return node_ == nullptr; }
    std::wstring NodeName() const;
    DOMNodeType NodeType() const;
    bool IsElement() const { return !IsEmpty() && NodeType() == NODE_ELEMENT; }
    std::wstring Text() const;
    void SetText(const std::wstring& text);
    std::wstring Attribute(const std::wstring& name) const;  // "" when the element has none
    void SetAttribute(const std::wstring& name, const std::wstring& value);
    XmlNode FirstChild() const;   // empty when there is none
    XmlNode NextSibling() const;  // empty at the end
    int ChildCount() const;
    XmlNode Child(int index) const;                 // EXMLDocError out of range
    XmlNode Child(const std::wstring& name) const;  // the first element of that name; EXMLDocError when missing
    XmlNode FindChild(const std::wstring& name) const;  // the same, empty when missing
    XmlNode AddChild(const std::wstring& name);     // appends an element
    void RemoveChild(const XmlNode& child);
    XmlNode SelectSingleNode(const std::wstring& xpath) const;  // empty when nothing or invalid
    IXMLDOMNode* Raw() const { return node_; }

private:
    IXMLDOMNode* Require() const;
    IXMLDOMNode* node_ = nullptr;
};

class TXMLDocument : public TComponent {
    TK_CLASS(TXMLDocument)
public:
    explicit TXMLDocument(TComponent* owner);
    ~TXMLDocument() override;

    std::wstring FileName() const { return fileName_; }
    void SetFileName(const std::wstring& name) { fileName_ = name; }
    bool Active() const { return active_; }
    void SetActive(bool active);  // true: loads FileName
    void LoadFromFile(const std::wstring& path);
    void LoadFromXml(const std::wstring& text);
    void SaveToFile(const std::wstring& path);
    std::wstring Xml() const;

    XmlNode DocumentElement() const;
    XmlNode Node() const;  // the document itself, for walking its top-level children
    XmlNode SelectSingleNode(const std::wstring& xpath) const;
    XmlNode CreateElement(const std::wstring& name);
    std::wstring Encoding() const { return encoding_; }
    void SetEncoding(const std::wstring& encoding) { encoding_ = encoding; }
    std::wstring Version() const { return version_; }
    void SetVersion(const std::wstring& version) { version_ = version; }

private:
    IXMLDOMDocument2* Document();
    void Parse(const std::wstring& text);
    void RestoreDeclaration();
    std::wstring BodyXml() const;

    IXMLDOMDocument2* document_ = nullptr;
    std::wstring fileName_;
    std::wstring encoding_;
    std::wstring version_ = L"1.0";
    bool active_ = false;
};

}  // namespace tk

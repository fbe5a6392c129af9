// An ini file over the profile API with no cache: every call goes to the file, so two objects
// on one file see each other's writes at once and a write is on disk when the call returns.
// Sections, keys and values are passed as GBK bytes (code page 936) whatever the process's
// code page, so the file holds the same bytes everywhere.
#pragma once

#include <string>
#include <vector>

#include "class_info.h"

namespace tk {

class TIniFile : public TObject {
    TK_CLASS(TIniFile)
public:
    explicit TIniFile(const std::wstring& fileName);
    const std::wstring& FileName() const { return fileName_; }

    std::wstring ReadString(const std::wstring& section, const std::wstring& key, const std::wstring& fallback) const;
    void WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value);  // EOSError
    int ReadInteger(const std::wstring& section, const std::wstring& key, int fallback) const;
    void WriteInteger(const std::wstring& section, const std::wstring& key, int value);
    std::vector<std::wstring> ReadSection(const std::wstring& section) const;  // key names in file order
    void EraseSection(const std::wstring& section);
    void DeleteKey(const std::wstring& section, const std::wstring& key);
    bool SectionExists(const std::wstring& section) const;
    bool ValueExists(const std::wstring& section, const std::wstring& key) const;

private:
    std::wstring fileName_;
    std::string path_;  // the file name in the process's code page, for the A calls
};

}  // namespace tk

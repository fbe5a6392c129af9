#include "ini_file.h"

#include <windows.h>

#include "code_page.h"
#include "exceptions.h"
#include "str_to_int.h"

namespace tk {
namespace {
std::string Gbk(const std::wstring& text) { return WideToCodePage(text, kGbkCodePage); }

// GetPrivateProfileStringA into a buffer that grows until the text fits.
std::string ReadRaw(const char* section, const char* key, const char* fallback, const std::string& path) {
    std::string buffer(1024, '\0');
    for (;;) {
        DWORD length = GetPrivateProfileStringA(section, key, fallback, buffer.data(), static_cast<DWORD>(buffer.size()),
                                                path.c_str());
        // A full buffer is size-1 for a value and size-2 for a list of names.
        if (length + 2 < buffer.size()) return std::string(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}
}  // namespace

TK_CLASS_INFO(TIniFile, TObject)

TIniFile::TIniFile(const std::wstring& fileName) : fileName_(fileName), path_(WideToCodePage(fileName, CP_ACP)) {}

std::wstring TIniFile::ReadString(const std::wstring& section, const std::wstring& key,
                                  const std::wstring& fallback) const {
    std::string value = ReadRaw(Gbk(section).c_str(), Gbk(key).c_str(), Gbk(fallback).c_str(), path_);
    return CodePageToWide(value, kGbkCodePage);
}

void TIniFile::WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
    if (!WritePrivateProfileStringA(Gbk(section).c_str(), Gbk(key).c_str(), Gbk(value).c_str(), path_.c_str()))
        throw EOSError(L"Unable to write to " + fileName_);
}

int TIniFile::ReadInteger(const std::wstring& section, const std::wstring& key, int fallback) const {
    return StrToIntDef(ReadString(section, key, L""), fallback);
}

void TIniFile::WriteInteger(const std::wstring& section, const std::wstring& key, int value) {
    WriteString(section, key, std::to_wstring(value));
}

std::vector<std::wstring> TIniFile::ReadSection(const std::wstring& section) const {
    std::string names = ReadRaw(Gbk(section).c_str(), nullptr, "", path_);
    std::vector<std::wstring> keys;
    for (size_t start = 0; start < names.size();) {
        size_t end = names.find('\0', start);
        if (end == std::string::npos) end = names.size();
        if (end > start) keys.push_back(CodePageToWide(names.substr(start, end - start), kGbkCodePage));
        start = end + 1;
    }
    return keys;
}

void TIniFile::EraseSection(const std::wstring& section) {
    if (!WritePrivateProfileStringA(Gbk(section).c_str(), nullptr, nullptr, path_.c_str()))
        throw EOSError(L"Unable to write to " + fileName_);
}

void TIniFile::DeleteKey(const std::wstring& section, const std::wstring& key) {
    WritePrivateProfileStringA(Gbk(section).c_str(), Gbk(key).c_str(), nullptr, path_.c_str());
}

bool TIniFile::SectionExists(const std::wstring& section) const { return !ReadSection(section).empty(); }

bool TIniFile::ValueExists(const std::wstring& section, const std::wstring& key) const {
    for (const std::wstring& name : ReadSection(section))
        if (CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, name.c_str(), -1, key.c_str(), -1) == CSTR_EQUAL)
            return true;
    return false;
}

}  // namespace tk

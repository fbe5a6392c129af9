// Arbitrary bytes as a skin package, through everything a skin load does with one before the
// model: unpack, read the member list, extract every member and read the ini member.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "quick_ini.h"
#include "skin_reader.h"
#include "streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tk::TMemoryStream package;
    if (size != 0) package.WriteBuffer(data, size);
    skin::TSkinReader reader;
    if (!reader.OpenPackage(package)) return 0;

    tk::TMemoryStream member;
    for (const std::string& name : reader.Names()) reader.ExtractByName(name, member);

    std::string iniName;
    reader.ExtractContaining(".ini", member, iniName);
    skin::TQuickIni ini;
    ini.LoadFromStream(&member);
    std::vector<std::string> sections;
    ini.ReadSections(sections);
    for (const std::string& section : sections) {
        ini.ReadString(section, "Image", "");
        ini.ReadInteger(section, "LeftWidth", 0);
    }
    return 0;
}

// Arbitrary bytes through everything a skin load does with a package before the model: unpack,
// read the member list, extract every member and read the ini member. The same bytes are also
// read as an already unpacked archive, since mutations of a compressed stream seldom leave a
// readable archive behind.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "quick_ini.h"
#include "skin_reader.h"
#include "streams.h"

namespace {

void ReadMembers(const skin::TSkinReader& reader) {
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
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tk::TMemoryStream bytes;
    if (size != 0) bytes.WriteBuffer(data, size);
    skin::TSkinReader reader;
    if (reader.OpenPackage(bytes)) ReadMembers(reader);
    bytes.SetPosition(0);
    if (reader.ReadArchive(bytes)) ReadMembers(reader);
    return 0;
}

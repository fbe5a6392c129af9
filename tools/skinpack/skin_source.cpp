#include "skin_source.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "byte_text.h"

namespace skinpack {

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string WithCrLf(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (text[i] == '\n') {
            out += "\r\n";
        } else {
            out += text[i];
        }
    }
    return out;
}

std::vector<Member> CollectSkin(const std::string& iniPath, const std::string& pictureDir) {
    std::vector<Member> pictures;
    for (const auto& entry : std::filesystem::directory_iterator(pictureDir)) {
        if (!entry.is_regular_file()) continue;
        std::string name = skin::AsciiLowerCase(entry.path().filename().string());
        if (name.size() < 4 || name.compare(name.size() - 4, 4, ".bmp") != 0) continue;
        pictures.push_back({name, ReadFileBytes(entry.path().string())});
    }
    std::sort(pictures.begin(), pictures.end(), [](const Member& a, const Member& b) { return a.name < b.name; });
    std::vector<Member> members{{"skin.ini", WithCrLf(ReadFileBytes(iniPath))}};
    members.insert(members.end(), pictures.begin(), pictures.end());
    return members;
}

}  // namespace skinpack

#include "exceptions.h"
#include "skin_source.h"

namespace skin {
namespace {

std::string FileNamePart(const std::string& value) {
    const size_t separator = value.find_last_of("\\/:");
    return separator == std::string::npos ? value : value.substr(separator + 1);
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

void LoadBitmapMember(const SkinSource& source, tk::TBitmap& bitmap, const std::string& value) {
    bitmap.Assign(nullptr);
    const std::string name = FileNamePart(value);
    if (name.empty() || !EndsWith(name, ".bmp")) return;  // the extension's case matters
    source.reader.ExtractByName(name, source.buffer);
    if (source.buffer.Size() == 0) return;
    source.buffer.SetPosition(0);
    try {
        bitmap.LoadFromStream(source.buffer);
    } catch (const tk::EInvalidGraphic&) {
        // A damaged member costs only its own picture; the rest of the skin still loads.
        bitmap.Assign(nullptr);
    }
}

}  // namespace skin

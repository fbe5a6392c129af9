#include "core_settings.h"

#include <cstdlib>

#include "core_platform.h"

namespace quib::settings {

namespace {

bool NumberValue(const char* name, unsigned long* out) {
    std::string text;
    if (!os::EnvValue(name, &text) || text.empty()) return false;
    char* end = nullptr;
    unsigned long v = std::strtoul(text.c_str(), &end, 0);  // decimal, or 0x.. hex
    if (end == text.c_str()) return false;
    *out = v;
    return true;
}

bool FlagValue(const char* name) {
    std::string text;
    return os::EnvValue(name, &text) && text == "1";
}

}  // namespace

bool AllocLimit(uint32_t* limit) {
    unsigned long v;
    if (!NumberValue("QUIB_ALLOC_LIMIT", &v)) return false;
    *limit = static_cast<uint32_t>(v);
    return true;
}

uint8_t AllocFill() {
    unsigned long v;
    return NumberValue("QUIB_ALLOC_FILL", &v) ? static_cast<uint8_t>(v) : 0;
}

bool TrapAborts() {
    return FlagValue("QUIB_TRAP");
}

bool BlockCreateFails(const std::string& name) {
    std::string part;
    return os::EnvValue("QUIB_FAIL_BLOCK", &part) && !part.empty() && name.find(part) != std::string::npos;
}

bool LogPath(std::string* path) {
    std::string value;
    if (!os::EnvValue("QUIB_LOG", &value) || value.empty()) return false;
    const std::string pid = std::to_string(os::ProcessId());
    for (size_t at = value.find("{pid}"); at != std::string::npos; at = value.find("{pid}", at + pid.size())) {
        value.replace(at, 5, pid);
    }
    *path = value;
    return true;
}

bool LogToDebugger() {
    return FlagValue("QUIB_LOG_DEBUGSTR");
}

std::string SharedBlockNamespace() {
    std::string ns;
    if (!os::EnvValue("QUIB_SHM_NS", &ns) || ns.empty()) ns = "quib";
    return ns;
}

}  // namespace quib::settings

#include "engine_tick.h"

#include <cstdlib>

#include "platform.h"

namespace {
EngineTickSource g_source = nullptr;
uint32_t g_offset = 0;
}  // namespace

uint32_t EngineTick() {
    if (g_source) return g_source();
    return platform::TickCount() + g_offset;
}

void SetEngineTickSource(EngineTickSource source) {
    g_source = source;
}

void LoadEngineTickOffset() {
    const char* text = platform::GetEnv("ENGINE_TICK_OFFSET");
    g_offset = text ? static_cast<uint32_t>(std::strtoul(text, nullptr, 16)) : 0;
}

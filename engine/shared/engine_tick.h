// The engine's clock: the platform tick count plus an offset that test builds read from
// ENGINE_TICK_OFFSET (hex), so a run can cross the 32-bit wrap. Tests and the simulator
// install their own source.
#pragma once

#include <cstdint>

uint32_t EngineTick();

using EngineTickSource = uint32_t (*)();
// nullptr restores the platform clock.
void SetEngineTickSource(EngineTickSource source);
// Reads ENGINE_TICK_OFFSET once; called at library binding.
void LoadEngineTickOffset();

// True when tick a lies before tick b on the wrapping 32-bit clock (they are less than 2^31 apart).
inline bool TickBefore(uint32_t a, uint32_t b) {
    return static_cast<int32_t>(a - b) < 0;
}
// Milliseconds elapsed from then to now on the wrapping clock.
inline uint32_t TickElapsed(uint32_t now, uint32_t then) {
    return now - then;
}

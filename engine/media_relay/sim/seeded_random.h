// The simulator's one source of chance: a splitmix64 generator, so that a seed gives the same
// numbers on every build and every run (the standard distributions may differ between library
// versions; these do not).
#pragma once

#include <cstdint>

namespace sim {

class SeededRandom {
public:
    explicit SeededRandom(uint64_t seed = 1) : m_state(seed) {}

    uint64_t Next() {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint32_t Next32() { return static_cast<uint32_t>(Next() >> 32); }
    // Uniform in [0, bound); 0 when bound is 0.
    uint64_t Below(uint64_t bound) { return bound ? Next() % bound : 0; }
    // Uniform in [0, 1).
    double Unit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
    bool Chance(double percent) { return percent > 0 && Unit() * 100.0 < percent; }
    // A generator of its own for one part of the run, so that parts draw independently.
    SeededRandom Fork() { return SeededRandom(Next()); }

private:
    uint64_t m_state;
};

}  // namespace sim

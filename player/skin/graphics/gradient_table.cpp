#include "gradient_table.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace skin {
namespace {

struct GradientCache {
    std::array<std::vector<tk::TColor>, kGradientSlots> slots;
    int next = 0;
};

GradientCache& Cache() {
    static GradientCache cache;
    return cache;
}

int Channel(tk::TColor colour, int channel) { return static_cast<int>((static_cast<uint32_t>(colour) >> (8 * channel)) & 0xFF); }

// The step of one channel at entry i; the one-entry case would divide by d = 0.
int ChannelStep(int delta, int i, int d) { return d == 0 ? delta / 2 : (d / 2 + i * delta) / d; }

}  // namespace

int FindGradient(int count, tk::TColor start, tk::TColor end) {
    const GradientCache& cache = Cache();
    for (int slot = kGradientSlots - 1; slot >= 0; --slot) {
        const std::vector<tk::TColor>& entries = cache.slots[slot];
        if (count > 0 && static_cast<int>(entries.size()) == count && entries.front() == start && entries.back() == end)
            return slot;
    }
    return -1;
}

int MakeGradient(int count, tk::TColor start, tk::TColor end) {
    GradientCache& cache = Cache();
    const int slot = cache.next;
    cache.next = (cache.next + 1) % kGradientSlots;
    std::vector<tk::TColor>& entries = cache.slots[slot];
    entries.assign(static_cast<size_t>(count > 0 ? count : 0), 0);
    const int d = count - 1;
    for (int i = 0; i < count; ++i) {
        // Each channel stays between its start and end value, so adding a (possibly negative)
        // step at the channel's place never carries into or borrows from its neighbour.
        uint32_t entry = static_cast<uint32_t>(start);
        for (int channel = 0; channel < 3; ++channel) {
            const int step = ChannelStep(Channel(end, channel) - Channel(start, channel), i, d);
            entry += static_cast<uint32_t>(step) << (8 * channel);
        }
        entries[static_cast<size_t>(i)] = static_cast<tk::TColor>(entry);
    }
    return slot;
}

int Gradient(int count, tk::TColor start, tk::TColor end) {
    const int found = FindGradient(count, start, end);
    return found >= 0 ? found : MakeGradient(count, start, end);
}

const std::vector<tk::TColor>& GradientEntries(int slot) { return Cache().slots.at(static_cast<size_t>(slot)); }

void ClearGradientCache() {
    GradientCache& cache = Cache();
    for (std::vector<tk::TColor>& entries : cache.slots) entries.clear();
    cache.next = 0;
}

}  // namespace skin

// A table of byte strings and whether a packet view accepts each, shared by the packet view
// tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "packet_test_bytes.h"

namespace packet_test {

struct ValidityCase {
    std::string name;
    Bytes bytes;
    bool valid;
};

template <class View>
void ExpectValidity(const std::vector<ValidityCase>& cases) {
    for (const ValidityCase& c : cases) {
        // An exact-size heap copy: a read past the bytes would be reported by the sanitizer.
        const Bytes exact = c.bytes;
        EXPECT_EQ(View(exact.data(), static_cast<uint32_t>(exact.size())).IsValid(), c.valid) << c.name;
    }
}

// `b` with the byte at `offset` set to `value`.
inline Bytes With(Bytes b, uint32_t offset, uint8_t value) {
    b[offset] = value;
    return b;
}

}  // namespace packet_test

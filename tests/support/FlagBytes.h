#pragma once

#include "engine/JobSettings.h"

#include <vector>

namespace ryk::test {

/// A flag block from its ten bytes, and back, so that cases read as the bytes they are.
inline OptionFlags flagsOf(const std::vector<uint8_t>& bytes) {
    OptionFlags flags;
    for (int i = 0; i < OptionFlags::kCount; ++i)
        flags[i] = bytes[static_cast<size_t>(i)];
    return flags;
}

inline std::vector<int> bytesOf(const OptionFlags& flags) {
    std::vector<int> bytes;
    for (int i = 0; i < OptionFlags::kCount; ++i)
        bytes.push_back(flags[i]);
    return bytes;
}

} // namespace ryk::test

#pragma once

#include <cstddef>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

namespace ryk::test {

/// `size` bytes that repeat only after many KiB, so that a copy which drops, doubles or moves
/// a block shows.
inline std::string patterned(size_t size) {
    std::string data(size, '\0');
    for (size_t i = 0; i < size; ++i)
        data[i] = static_cast<char>((i * 131 + i / 4096) & 0xff);
    return data;
}

/// The file, link or directory's own stat (a link is not followed); a failure fails the test.
inline struct stat statOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
    return st;
}

/// The permission bits of `path` itself (mode & 07777).
inline mode_t modeOf(const std::string& path) {
    return statOf(path).st_mode & 07777;
}

} // namespace ryk::test

#pragma once

#include <cstddef>

namespace ryk {

/// A regular file read from its start in blocks of the caller's size, through a buffer of the
/// caller's own, so a file of any size is walked in bounded memory.
class BlockReader {
public:
    virtual ~BlockReader() = default;

    /// Reads the next `size` bytes into `buffer`; `got` is less than `size` only at the end of
    /// the file (0 once it has ended). 0 or the error code, with `got` bytes read before it.
    [[nodiscard]] virtual int read(char* buffer, size_t size, size_t& got) = 0;
};

} // namespace ryk

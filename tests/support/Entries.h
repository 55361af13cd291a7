#pragma once

#include "engine/OperationEntry.h"

#include <cstdint>
#include <string>
#include <utility>

namespace ryk::test {

/// A pending line of the list with the given command, paths and sizes; nothing found yet.
inline OperationEntry makeEntry(OperationCommand command, std::string source = {},
                                uint64_t sourceSize = 0, std::string target = {},
                                uint64_t targetSize = 0) {
    OperationEntry e;
    e.setCommand(command);
    e.source.path = std::move(source);
    e.source.size = sourceSize;
    e.setTargetPath(std::move(target));
    e.editTarget().size = targetSize;
    return e;
}

} // namespace ryk::test

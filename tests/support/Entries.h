#pragma once

#include "engine/OperationEntry.h"

#include <cstdint>
#include <memory>
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

/// The same, as an OperationList takes it.
inline std::unique_ptr<OperationEntry> newEntry(OperationCommand command, std::string source = {},
                                                uint64_t sourceSize = 0, std::string target = {},
                                                uint64_t targetSize = 0) {
    return std::make_unique<OperationEntry>(
        makeEntry(command, std::move(source), sourceSize, std::move(target), targetSize));
}

} // namespace ryk::test

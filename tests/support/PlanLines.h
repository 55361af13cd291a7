#pragma once

#include "engine/ListText.h"
#include "engine/OperationEntry.h"

#include <string>
#include <vector>

namespace ryk::test {

/// The list's clipboard lines with every `root` + "/" cut away, so tests read short paths.
inline std::vector<std::string> planLines(const OperationList& list, const std::string& root) {
    std::vector<std::string> lines;
    const std::string prefix = root + "/";
    for (const auto& entry : list) {
        std::string line = clipboardLine(*entry);
        for (size_t at; (at = line.find(prefix)) != std::string::npos;)
            line.erase(at, prefix.size());
        lines.push_back(line);
    }
    return lines;
}

} // namespace ryk::test

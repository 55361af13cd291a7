#pragma once

#include <string>

namespace ryk {

/// The paths of the three external programs a job's rows can be opened in.
struct ToolPaths {
    std::string binaryEditor;
    std::string textEditor;
    std::string comparisonProgram;
};

} // namespace ryk

#include "engine/Patterns.h"

namespace ryk {

bool matchesPatternList(std::string_view, std::string_view) { return false; }
std::string makeDestinationName(std::string_view, std::string_view name) { return std::string(name); }
void joinPath(std::string&, std::string_view) {}
bool SplitPathArgument(FileSystem&, std::string_view, std::string&, std::string&) { return true; }

} // namespace ryk

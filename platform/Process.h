#pragma once

#include <string>
#include <vector>

namespace ryk {

/// Starts `program` with `arguments`, each handed over as its bytes (a file name that is not
/// UTF-8 reaches the program as the kernel holds it), without waiting for it; it runs on after
/// this process ends. A program without '/' is looked up in $PATH. 0 once it runs, else the
/// errno of why it could not start (ENOENT, EACCES, ENOEXEC, ...).
[[nodiscard]] int startDetachedProgram(const std::string& program,
                                       const std::vector<std::string>& arguments);

} // namespace ryk

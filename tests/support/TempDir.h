#pragma once

#include <set>
#include <string>
#include <string_view>

namespace ryk::test {

/// A fresh directory under the system's temporary directory, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    /// The directory's path, without a trailing '/'.
    const std::string& path() const { return m_path; }
    /// path() + "/" + relative.
    std::string operator/(std::string_view relative) const;

    /// Writes a file (parents are made), returns its path.
    std::string writeFile(std::string_view relative, std::string_view contents = {}) const;
    /// Makes a directory and its parents, returns its path.
    std::string makeDir(std::string_view relative) const;
    /// Reads a file whole; empty when it cannot be read.
    std::string readFile(std::string_view relative) const;
    /// The names in the directory (or in its subdirectory `relative`), temporaries included.
    std::set<std::string> names(std::string_view relative = {}) const;

private:
    std::string m_path;
};

} // namespace ryk::test

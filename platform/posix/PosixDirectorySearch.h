#pragma once

#include "platform/FileSystem.h"
#include "platform/posix/PosixStat.h"

#include <cstddef>
#include <cstdint>
#include <dirent.h>
#include <string>
#include <string_view>
#include <vector>

namespace ryk {

/// A directory search over readdir: one pass per search, names sorted once, files stat'ed
/// relative to the open directory only when their facts are asked for.
class PosixDirectorySearch : public DirectorySearch {
public:
    PosixDirectorySearch() = default;
    ~PosixDirectorySearch() override;
    PosixDirectorySearch(const PosixDirectorySearch&) = delete;
    PosixDirectorySearch& operator=(const PosixDirectorySearch&) = delete;

    int findFile(std::string_view pathOrPattern) override;
    int rewind() override;
    bool seek(std::string_view name) override;
    bool findNextFile() override;
    const std::string& fileName() const override { return m_name; }
    std::string filePath() const override;
    bool isDirectory() const override { return m_kind == Kind::Directory; }
    bool isDots() const override { return m_dots; }
    int status(FileStatus& out) override;
    void setReadStoredBits(bool read) override { m_readStoredBits = read; }
    void close() override;

private:
    enum class Kind : unsigned char { Other, Directory };

    /// One hit; its name lives in m_names so that a listing allocates no string per entry.
    struct Entry {
        size_t offset;
        uint32_t length;
        Kind kind;
        bool dots;
    };

    int listDirectory(std::string_view pattern);
    int describePath(std::string_view path, std::string_view name);
    std::string_view nameOf(const Entry& entry) const {
        return std::string_view(m_names).substr(entry.offset, entry.length);
    }

    /// The search directory as given, with its trailing '/'; empty for the current directory.
    std::string m_directory;
    /// Open while a listed directory's hits are read; null for a single path.
    DIR* m_dir = nullptr;
    std::string m_names;
    std::vector<Entry> m_entries;
    size_t m_next = 0;
    /// The stat a single-path search already made.
    RawStat m_pathStat;

    std::string m_name;
    Kind m_kind = Kind::Other;
    bool m_dots = false;
    bool m_haveHit = false;
    std::string m_pathBuffer;
    bool m_readStoredBits = true;
};

} // namespace ryk

#pragma once

#include "platform/FileSystem.h"
#include "platform/posix/PosixStat.h"
#include "platform/posix/UniqueFd.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace ryk {

/// Where a listing takes each entry's type from.
enum class EntryTypes {
    /// The type the directory entry carries, a stat only where the file system leaves it out.
    FromListing,
    /// A stat for every entry, as on a file system that never tells the type.
    Stat,
};

/// The buffers a file system's listings are read into, lent one per listing. A listing is read
/// whole before findFile returns, so a buffer is lent only that long, and a few serve every
/// search of the file system, however deeply a scan nests them. Usable from several threads.
class ListingBuffers {
public:
    /// Large enough that most directories come in one call, and one more call says the end.
    static constexpr size_t kBytes = 64 * 1024;

    /// A buffer of kBytes, the caller's until given back.
    std::unique_ptr<char[]> take();
    void giveBack(std::unique_ptr<char[]> buffer);

private:
    std::mutex m_mutex;
    std::vector<std::unique_ptr<char[]>> m_free;
};

/// A directory search that reads the whole directory at once (getdents64 into one large
/// buffer), sorts the names once and keeps them, so that its hits can be walked again and
/// sought by name; files are stat'ed relative to the open directory only when their facts are
/// asked for.
class PosixDirectorySearch : public DirectorySearch {
public:
    /// Reads its listings into buffers of `buffers` (may be null: then into one of its own).
    explicit PosixDirectorySearch(EntryTypes types = EntryTypes::FromListing,
                                  ListingBuffers* buffers = nullptr)
        : m_types(types), m_buffers(buffers) {}
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
        /// The name's first bytes in the order compareNames gives them, which settles most
        /// comparisons without the name itself.
        uint64_t key;
        size_t offset;
        uint32_t length;
        Kind kind;
        bool dots;
    };

    int listDirectory(std::string_view pattern);
    /// Reads the open directory's entries that match `pattern`; 0 or the errno.
    int readEntries(std::string_view pattern);
    int readEntriesInto(char* buffer, std::string_view pattern);
    int describePath(std::string_view path, std::string_view name);
    std::string_view nameOf(const Entry& entry) const {
        return std::string_view(m_names).substr(entry.offset, entry.length);
    }

    /// The search directory as given, with its trailing '/'; empty for the current directory.
    std::string m_directory;
    EntryTypes m_types;
    ListingBuffers* m_buffers;
    /// The buffer of a search without m_buffers, made at its first listing.
    std::unique_ptr<char[]> m_ownBuffer;
    /// The listed directory, open while its hits are read; none for a single path.
    UniqueFd m_fd;
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

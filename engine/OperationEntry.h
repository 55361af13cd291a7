#pragma once

#include "engine/DateTime.h"
#include "platform/FileSystem.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ryk {

/// What a planned line does when it is run.
enum class OperationCommand : int32_t {
    Copy = 0,
    Update = 1,
    Move = 2,
    UpAndMove = 3,
    Delete = 4,
    Rmdir = 5,
    Find = 6,
    Mkdir = 7,
    Error = 8,
};

/// How many commands there are (Error is the last).
inline constexpr int kCommandCount = 9;
/// The commands' names in the order of their numbers, closed by an empty text for lookups
/// that walk to the end.
inline constexpr const char* kCommandNames[kCommandCount + 1] = {
    "Copy", "Update", "Move", "Up&Move", "Delete", "Rmdir", "Find", "Mkdir", "Error", ""};

/// True for the commands whose run copies a file's data (a move may fall back to a copy).
inline bool copiesData(OperationCommand command) {
    return command == OperationCommand::Copy || command == OperationCommand::Update;
}

/// True for the commands that put a file at a destination path: copies and moves.
inline bool hasTarget(OperationCommand command) {
    return copiesData(command) || command == OperationCommand::Move ||
           command == OperationCommand::UpAndMove;
}

/// True for the commands planned over a target that exists, which their run replaces; the
/// others never replace a file that appeared since planning.
inline bool replacesTarget(OperationCommand command) {
    return command == OperationCommand::Update || command == OperationCommand::UpAndMove;
}

/// The display name of a command ("Copy", "Up&Move", ...).
const char* commandName(OperationCommand command);

/// State of an entry.
inline constexpr int32_t kStatePending = -1;
inline constexpr int32_t kStateFailed = 0;
inline constexpr int32_t kStateDone = 1;

/// An unchangeable text whose copies share one block, freed with the last of them: a name
/// that a line's source and target both end with is kept once.
class SharedText {
public:
    SharedText() = default;
    explicit SharedText(std::string_view text) {
        if (text.empty())
            return;
        void* memory = ::operator new(sizeof(Block) + text.size());
        m_block = new (memory) Block{{1}, text.size()};
        std::memcpy(reinterpret_cast<char*>(m_block + 1), text.data(), text.size());
    }
    SharedText(const SharedText& other) noexcept : m_block(other.m_block) {
        if (m_block)
            m_block->references.fetch_add(1, std::memory_order_relaxed);
    }
    SharedText(SharedText&& other) noexcept : m_block(std::exchange(other.m_block, nullptr)) {}
    SharedText& operator=(SharedText other) noexcept {
        std::swap(m_block, other.m_block);
        return *this;
    }
    ~SharedText() {
        if (m_block && m_block->references.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            m_block->~Block();
            ::operator delete(m_block);
        }
    }

    std::string_view view() const {
        return m_block ? std::string_view(reinterpret_cast<const char*>(m_block + 1), m_block->size)
                       : std::string_view();
    }

private:
    /// The text follows its block directly.
    struct Block {
        std::atomic<uint32_t> references;
        size_t size;
    };
    Block* m_block = nullptr;
};

/// A path kept as the text of its directory, which the paths of one directory share, and a
/// name of its own; or as one whole text. A plan holds two paths per line, most of them in
/// directories of many lines, and most lines' two paths end with the same name.
class SharedPath {
public:
    SharedPath() = default;
    /// A whole path of its own.
    SharedPath(std::string_view path) : m_name(path) {}
    SharedPath(const std::string& path) : m_name(path) {}
    SharedPath(const char* path) : m_name(path) {}
    /// `*directory` followed directly by `name`: the directory's text ends with its '/'.
    SharedPath(std::shared_ptr<const std::string> directory, std::string_view name)
        : m_directory(std::move(directory)), m_name(name) {}
    /// `*directory` followed directly by the name `named` ends with, shared with it.
    static SharedPath withNameOf(std::shared_ptr<const std::string> directory,
                                 const SharedPath& named) {
        SharedPath path;
        path.m_directory = std::move(directory);
        path.m_name = named.m_name;
        return path;
    }

    /// The whole path.
    std::string str() const {
        std::string text;
        text.reserve(size());
        appendTo(text);
        return text;
    }
    /// Appends the whole path to `text`.
    void appendTo(std::string& text) const {
        if (m_directory)
            text += *m_directory;
        text += m_name.view();
    }
    /// The name the path ends with: all of it for a whole path.
    std::string_view name() const { return m_name.view(); }
    size_t size() const { return (m_directory ? m_directory->size() : 0) + m_name.view().size(); }
    bool empty() const { return size() == 0; }

    friend bool operator==(const SharedPath& a, std::string_view b) {
        const std::string_view directory = a.m_directory ? *a.m_directory : std::string_view();
        return b.size() == a.size() && b.substr(0, directory.size()) == directory &&
               b.substr(directory.size()) == a.m_name.view();
    }

private:
    std::shared_ptr<const std::string> m_directory;
    SharedText m_name;
};

/// The facts of one file or directory as a directory-search hit gave them.
struct FileFacts {
    // The small fields first, side by side: a plan keeps two sets per line.
    uint32_t attributes = 0;
    /// The permission bits (mode & 07777); for a Mkdir that mirrors a source directory, that
    /// directory's, which the new one gets. 0 when not known.
    uint16_t permissions = 0;
    /// True when a search found the file under `path` (and the facts are its); false for a
    /// target that does not exist yet.
    bool found = false;

private:
    /// Bits 0-2: the times that are not valid; kAtFault: see isAtFault().
    uint8_t m_flags = 0;
    static constexpr uint8_t kAtFault = 1u << 3;

public:
    uint64_t size = 0;
    /// The path the list shows and directory commands act on.
    SharedPath path;
    /// How many leading bytes of `path` name the root of the job's tree as the user gave it;
    /// a run follows no link below it. The whole parent when not set.
    size_t rootLength = TreePath::kWholeParent;

    /// True when the problem of the line lies with this file rather than with the line's other
    /// one: the target of a copy that could not be written, or of a line planned as an Error
    /// because another line writes it too.
    bool isAtFault() const { return (m_flags & kAtFault) != 0; }
    void setAtFault(bool atFault) {
        m_flags = static_cast<uint8_t>(atFault ? m_flags | kAtFault : m_flags & ~kAtFault);
    }

    DateTime creationTime() const { return time(kCreation); }
    DateTime lastAccessTime() const { return time(kLastAccess); }
    /// The file date that every date rule uses.
    DateTime lastWriteTime() const { return time(kLastWrite); }
    void setCreationTime(const DateTime& t) { setTime(kCreation, t); }
    void setLastAccessTime(const DateTime& t) { setTime(kLastAccess, t); }
    void setLastWriteTime(const DateTime& t) { setTime(kLastWrite, t); }

    /// The full path under which the search found the file: `path`, or empty when none was
    /// found.
    std::string foundPath() const { return found ? path.str() : std::string(); }
    /// `path` and `foundPath()` as paths of their job's tree.
    TreePath treePath() const { return TreePath(path.str(), rootLength); }
    TreePath foundTreePath() const { return TreePath(foundPath(), rootLength); }

private:
    enum TimeIndex { kCreation, kLastAccess, kLastWrite };
    DateTime time(TimeIndex i) const { return {m_days[i], !(m_flags & (1u << i))}; }
    void setTime(TimeIndex i, const DateTime& t) {
        m_days[i] = t.days;
        m_flags = static_cast<uint8_t>(t.valid ? m_flags & ~(1u << i) : m_flags | (1u << i));
    }

    // The three times as day counts with their valid bits apart (m_flags): three
    // DateTime values would pad each to twice its size.
    double m_days[3] = {};
};

/// One planned action.
class OperationEntry {
public:
    OperationEntry() = default;

    /// Sets the command and makes the entry pending again.
    void setCommand(OperationCommand code) {
        command = code;
        state = kStatePending;
    }
    /// Fills `facts` (all but `path`) from a status read under `path` and marks the file found;
    /// true when all three times are valid.
    static bool fillFacts(FileFacts& facts, const FileStatus& status);
    /// The same, its times converted by `times`.
    static bool fillFacts(FileFacts& facts, const FileStatus& status, FileTimeConverter& times);

    /// Notes the exact last-write time of the target the plan found, which a run checks before
    /// it replaces that target.
    void notePlannedTarget(const FileTime& written) {
        m_targetSeconds = written.seconds;
        m_targetNanoseconds = written.nanoseconds;
    }
    /// The time notePlannedTarget noted; false when none was.
    bool plannedTargetWrite(FileTime& out) const {
        if (m_targetNanoseconds < 0)
            return false;
        out = {m_targetSeconds, m_targetNanoseconds};
        return true;
    }

    /// The file the line's problem lies with (its error or its failure): the target when that is
    /// marked at fault, the source otherwise.
    const FileFacts& faultyFile() const { return target.isAtFault() ? target : source; }

    OperationCommand command = OperationCommand::Copy;
    int32_t state = kStatePending;
    /// The error code (an errno or one of our own) of the last failure, 0 when none.
    int32_t lastError = 0;

private:
    // Apart from its seconds, the nanoseconds fill what would be padding: a plan holds many
    // entries. -1 when no time was noted (the day counts of `target` are local wall-clock
    // seconds, which cannot tell an edit within the same second, or in the hour that repeats).
    int32_t m_targetNanoseconds = -1;
    int64_t m_targetSeconds = 0;

public:
    FileFacts source;
    /// For a Mkdir that mirrors a source directory, that directory (never found: nothing
    /// stands at a Mkdir's target).
    FileFacts target;
};

/// The ordered list of planned entries of the one open job; it owns them. Positions are the
/// rows of the result list.
class OperationList {
public:
    using Storage = std::vector<std::unique_ptr<OperationEntry>>;

    /// Appends at the tail and takes ownership.
    OperationEntry& append(std::unique_ptr<OperationEntry> entry);
    /// Appends a pending entry that acts on `path` alone (Mkdir, Rmdir, Error); `rootLength`
    /// as in FileFacts.
    OperationEntry& appendLine(OperationCommand command, SharedPath path,
                               size_t rootLength = TreePath::kWholeParent);
    /// Appends an Error line for `path` with the reason `error`.
    void appendError(SharedPath path, int error);
    /// Deletes the given entry wherever it stands (searched from the tail, where the planners
    /// withdraw lines); false when the list does not hold it.
    bool remove(const OperationEntry* entry);
    /// Deletes the entry at `position`; false when there is none.
    bool removeAt(size_t position);
    /// Deletes the entries at positions [first, first + count); false when the list does not
    /// reach that far.
    bool removeRange(size_t first, size_t count) {
        if (first > m_entries.size() || count > m_entries.size() - first)
            return false;
        const auto from = m_entries.begin() + static_cast<std::ptrdiff_t>(first);
        m_entries.erase(from, from + static_cast<std::ptrdiff_t>(count));
        return true;
    }
    /// The entry at `position`, or null.
    OperationEntry* at(size_t position) const {
        return position < m_entries.size() ? m_entries[position].get() : nullptr;
    }
    /// Deletes every entry, and forgets the roots.
    void clear() {
        m_entries.clear();
        m_roots.clear();
    }
    /// The directories the plan's paths are resolved beneath, as the plan found them (see
    /// pinRoot); a run acts only beneath these same directories.
    std::vector<RootPin>& roots() { return m_roots; }

    size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    Storage::const_iterator begin() const { return m_entries.begin(); }
    Storage::const_iterator end() const { return m_entries.end(); }

private:
    Storage m_entries;
    std::vector<RootPin> m_roots;
};

/// Records the directory `directory` as the plan finds it now, as a root its paths are resolved
/// beneath (once per directory; trailing '/' do not count).
void pinRoot(OperationList& list, FileSystem& fileSystem, std::string_view directory);

} // namespace ryk

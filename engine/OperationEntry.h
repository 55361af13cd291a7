#pragma once

#include "engine/DateTime.h"
#include "engine/SharedPath.h"
#include "platform/FileSystem.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ryk {

/// What a planned line does when it is run.
enum class OperationCommand : uint8_t {
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
inline constexpr int8_t kStatePending = -1;
inline constexpr int8_t kStateFailed = 0;
inline constexpr int8_t kStateDone = 1;

/// The facts of one file or directory as a directory-search hit gave them, and its path.
struct FileFacts {
    /// The path the list shows and directory commands act on, with the root of its tree.
    SharedPath path;
    // The small fields side by side: a plan keeps one set per line, two for an update.
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
    TreePath treePath() const { return path.treePath(); }
    TreePath foundTreePath() const { return TreePath(foundPath(), path.rootLength()); }

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

/// One planned action. Most lines of a plan copy a file to where none stands yet: such a
/// target has a path and no facts, and its path most often ends with the source's name, so
/// the target keeps its facts apart and only when it has some.
class OperationEntry {
public:
    OperationEntry() = default;
    OperationEntry(const OperationEntry& other);
    OperationEntry& operator=(const OperationEntry& other);
    OperationEntry(OperationEntry&&) noexcept = default;
    OperationEntry& operator=(OperationEntry&&) noexcept = default;
    ~OperationEntry();

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

    /// The destination (used by codes 0 to 3; for a Mkdir that mirrors a source directory,
    /// that directory, never found). A copy: it is changed through setTargetPath(),
    /// setTargetToCounterpart(), editTarget() and setTargetAtFault().
    const FileFacts target() const;
    /// The destination's path alone.
    SharedPath targetPath() const;
    void setTargetPath(SharedPath path);
    /// Makes the destination the source's name in the other directory of its pair
    /// (SharedPath::counterpart), the name kept once for both.
    void setTargetToCounterpart();
    /// The destination's facts, to be filled or changed.
    FileFacts& editTarget();
    void setTargetAtFault(bool atFault);

    /// Notes the exact last-write time of the target the plan found, which a run checks before
    /// it replaces that target.
    void notePlannedTarget(const FileTime& written) {
        TargetFile& target = editTargetFile();
        target.plannedSeconds = written.seconds;
        target.plannedNanoseconds = written.nanoseconds;
    }
    /// The time notePlannedTarget noted; false when none was.
    bool plannedTargetWrite(FileTime& out) const {
        if (!m_target || m_target->plannedNanoseconds < 0)
            return false;
        out = {m_target->plannedSeconds, m_target->plannedNanoseconds};
        return true;
    }

    /// For a copy that a run makes a hard link (planHardLinks): the target of the first copy of
    /// the same file, which this line's target becomes a further name of. Empty otherwise.
    SharedPath hardLinkTo() const { return m_target ? m_target->hardLinkTo : SharedPath(); }
    void setHardLinkTo(SharedPath first) { editTargetFile().hardLinkTo = std::move(first); }

    /// True when the line's problem (its error or its failure) lies with the target.
    bool targetIsAtFault() const { return m_target && m_target->facts.isAtFault(); }
    /// The path of the file the line's problem lies with: the target's when that is marked at
    /// fault, the source's otherwise.
    SharedPath faultyPath() const { return targetIsAtFault() ? targetPath() : source.path; }

    /// The file or directory acted on (for Mkdir: the directory to create). Where
    /// setTargetToCounterpart() made it so, its path's name is the target's too.
    FileFacts source;

private:
    /// What a target has beyond a path that ends with the source's name.
    struct TargetFile {
        FileFacts facts;
        // -1 when no time was noted (the day counts of `facts` are local wall-clock seconds,
        // which cannot tell an edit within the same second, or in the hour that repeats).
        int32_t plannedNanoseconds = -1;
        int64_t plannedSeconds = 0;
        SharedPath hardLinkTo;
    };
    TargetFile& editTargetFile();

    // Beside `source` and before the smaller fields, so that nothing is padded.
    std::unique_ptr<TargetFile> m_target;

public:
    /// The error code (an errno or one of our own) of the last failure, 0 when none.
    int32_t lastError = 0;
    OperationCommand command = OperationCommand::Copy;
    int8_t state = kStatePending;

private:
    /// True while the target's path is the source's counterpart and the target has nothing
    /// else of its own.
    bool m_targetIsCounterpart = false;
};

// A plan holds one entry per line.
static_assert(sizeof(void*) != 8 || sizeof(OperationEntry) <= 64);

/// The ordered list of planned entries of the one open job; it owns them. Positions are the
/// rows of the result list. An entry stays where it is until it is removed.
class OperationList {
public:
    using Storage = std::vector<OperationEntry*>;

    OperationList() = default;
    OperationList(const OperationList&) = delete;
    OperationList& operator=(const OperationList&) = delete;
    OperationList(OperationList&&) noexcept = default;
    OperationList& operator=(OperationList&&) noexcept = default;

    /// Appends at the tail.
    OperationEntry& append(OperationEntry entry);
    /// Appends a pending entry that acts on `path` alone (Mkdir, Rmdir, Error).
    OperationEntry& appendLine(OperationCommand command, SharedPath path);
    /// Appends an Error line for `path` (not seen as part of a tree) with the reason `error`.
    void appendError(SharedPath path, int error);
    /// Deletes the given entry wherever it stands (searched from the tail, where the planners
    /// withdraw lines); false when the list does not hold it.
    bool remove(const OperationEntry* entry);
    /// Deletes the entry at `position`; false when there is none.
    bool removeAt(size_t position);
    /// Deletes the entries at positions [first, first + count); false when the list does not
    /// reach that far.
    bool removeRange(size_t first, size_t count);
    /// The entry at `position`, or null.
    OperationEntry* at(size_t position) const {
        return position < m_entries.size() ? m_entries[position] : nullptr;
    }
    /// Deletes every entry, and forgets the roots.
    void clear();
    /// Where the planners keep the names of the lines' paths (SharedDirectory::pair).
    const std::shared_ptr<NameStore>& names() {
        if (!m_names)
            m_names = std::make_shared<NameStore>();
        return m_names;
    }
    /// The directories the plan's paths are resolved beneath, as the plan found them (see
    /// pinRoot); a run acts only beneath these same directories.
    std::vector<RootPin>& roots() { return m_roots; }

    size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    Storage::const_iterator begin() const { return m_entries.begin(); }
    Storage::const_iterator end() const { return m_entries.end(); }

private:
    /// Gives a removed entry's place to the next one appended.
    void release(OperationEntry* entry);

    static constexpr size_t kBlockEntries = 256;
    // The entries themselves, in blocks that never move: a plan holds one per line, which on
    // the heap one by one would each cost a block and its bookkeeping.
    std::vector<std::unique_ptr<OperationEntry[]>> m_blocks;
    /// Places of the last block taken (a list moved from has no blocks, whatever this says).
    size_t m_usedInLastBlock = 0;
    /// Places of removed entries, reused first.
    std::vector<OperationEntry*> m_free;
    Storage m_entries;
    std::vector<RootPin> m_roots;
    std::shared_ptr<NameStore> m_names;
};

/// Records the directory `directory` as the plan finds it now, as a root its paths are resolved
/// beneath (once per directory; trailing '/' do not count).
void pinRoot(OperationList& list, FileSystem& fileSystem, std::string_view directory);

} // namespace ryk

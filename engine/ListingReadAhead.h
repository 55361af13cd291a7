#pragma once

#include "platform/FileSystem.h"

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace ryk {

/// Lists a tree ahead of the scan that plans it, on a few threads of its own, with the facts
/// of every entry the scan will ask about. Most of a plan's time is the kernel looking up
/// files, and a disk serves several such requests at once: while the scan works on one
/// directory, the directories it comes to next are being read, the nearest first.
///
/// The scan takes the listings in its own order (a directory, then each subdirectory's tree
/// in listing order); whatever lies before the one it asks for was passed over and is
/// dropped. What is read ahead is bounded, so a scan that stops early has not read the whole
/// tree.
class ListingReadAhead {
public:
    /// Which files of a listing get their facts read ahead (directories always do).
    using FileWanted = std::function<bool(std::string_view name)>;

    /// Starts reading `root` (and, with `subdirectories`, the tree below it) on `readers`
    /// threads. `listingPattern` is what the scan joins to each directory to list it;
    /// `fileWanted` is called on the reading threads.
    ListingReadAhead(FileSystem& fileSystem, std::string root, std::string listingPattern,
                     bool subdirectories, FileWanted fileWanted, int readers = 1);
    /// Stops the reading and waits for it.
    ~ListingReadAhead();
    ListingReadAhead(const ListingReadAhead&) = delete;
    ListingReadAhead& operator=(const ListingReadAhead&) = delete;

    /// The listing of `directory`, a path made as this class makes it (the root, or a listed
    /// directory's directoryPrefix and the subdirectory's name); 0 with `out` set to it, or
    /// the error its listing gave.
    /// A directory the reading does not know (passed over, never reached, or not in the tree)
    /// yields 0 with `out` null: the caller lists it itself.
    [[nodiscard]] int take(const std::string& directory, std::unique_ptr<DirectorySearch>& out);

    /// One directory as it was read.
    struct Listing;

    /// Orders paths below the root as the scan walks them: component by component, each in
    /// the order a listing gives its names; a directory before what lies below it.
    struct WalkOrder {
        bool operator()(std::string_view a, std::string_view b) const;
        using is_transparent = void;
    };

private:
    enum class Stage { Waiting, Reading, Read };
    struct Directory {
        Stage stage = Stage::Waiting;
        std::unique_ptr<Listing> listing;
    };
    using Directories = std::map<std::string, Directory, WalkOrder>;

    /// What a reading thread keeps from one directory to the next, so that a listing costs
    /// a few allocations rather than one per growth of its vectors.
    struct Scratch;

    void readOnWorker();
    /// Reads the directory at `path` below the root (unlocked).
    std::unique_ptr<Listing> read(const std::string& path, Scratch& scratch) const;
    /// Reads the directory at `path`, no longer waiting, and files it (locked; unlocked while
    /// reading).
    void readAndFile(std::unique_lock<std::mutex>& lock, const std::string& path, Scratch& scratch);
    /// Reads the first directory waiting and files it (locked).
    void readNextWaiting(std::unique_lock<std::mutex>& lock, Scratch& scratch);
    /// Files a listing that was read, its subdirectories as waiting (locked); false when the
    /// scan passed over it meanwhile.
    bool file(const std::string& path, std::unique_ptr<Listing>& listing,
              std::vector<std::string>& subdirectories);
    /// The path below the root of `directory`; false when it does not lie below the root.
    bool relativePath(const std::string& directory, std::string& path) const;

    FileSystem& m_fileSystem;
    const std::string m_root;
    const std::string m_rootPrefix;
    const std::string m_pattern;
    const bool m_subdirectories;
    const FileWanted m_fileWanted;

    std::mutex m_mutex;
    /// Readers wait here for a directory to read or for room; the scan, for the one it asked.
    std::condition_variable m_forReaders;
    std::condition_variable m_forScan;
    /// Every directory known and not yet taken, by its path below the root ("" the root).
    Directories m_directories;
    /// Those still to be read.
    std::set<std::string, WalkOrder> m_waiting;
    /// Entries held by listings read and not yet taken.
    size_t m_heldEntries = 0;
    bool m_stop = false;
    int m_readersWaiting = 0;
    /// The directory the scan waits for while a reader reads it, or null.
    const Directory* m_scanWants = nullptr;
    /// The scan's own, for the directories it reads itself.
    std::unique_ptr<Scratch> m_scanScratch;
    std::vector<std::thread> m_threads;
};

} // namespace ryk

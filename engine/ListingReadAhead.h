#pragma once

#include "platform/FileSystem.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace ryk {

/// Lists a source tree ahead of the scan that plans it, on a thread of its own and in the
/// scan's own order (a directory, then each subdirectory's tree in listing order), with the
/// facts of every entry the scan will ask about. Most of a plan's time is the kernel looking
/// up files; this way the source tree is looked up while the scan reads the destination.
///
/// The scan takes the listings in the same order; a subtree it leaves out is passed over.
/// What is read ahead is bounded, so a scan that stops early has not read the whole tree.
class ListingReadAhead {
public:
    /// Which files of a listing get their facts read ahead (directories always do).
    using FileWanted = std::function<bool(std::string_view name)>;

    /// Starts reading `root` (and, with `subdirectories`, the tree below it). `listingPattern`
    /// is what the scan joins to each directory to list it; `fileWanted` is called on the
    /// reading thread.
    ListingReadAhead(FileSystem& fileSystem, std::string root, std::string listingPattern,
                     bool subdirectories, FileWanted fileWanted);
    /// Stops the reading and waits for it.
    ~ListingReadAhead();
    ListingReadAhead(const ListingReadAhead&) = delete;
    ListingReadAhead& operator=(const ListingReadAhead&) = delete;

    /// The listing of `directory`, a path made as this class makes it (the parent's
    /// directoryPrefix and the subdirectory's name); 0 with `out` set to it, or the error its
    /// listing gave.
    /// A directory the reading never reached (the read-ahead gave up) yields 0 with `out` null:
    /// the caller lists it itself.
    [[nodiscard]] int take(const std::string& directory, std::unique_ptr<DirectorySearch>& out);

    /// One directory as it was read.
    struct Listing;

private:
    void readTree(const std::string& directory);
    /// Queues a listing, waiting while too much is queued; false once stopped.
    bool put(std::unique_ptr<Listing> listing);

    FileSystem& m_fileSystem;
    const std::string m_pattern;
    const bool m_subdirectories;
    const FileWanted m_fileWanted;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::unique_ptr<Listing>> m_queue;
    /// Entries held by the queued listings.
    size_t m_queuedEntries = 0;
    bool m_stop = false;
    /// Who waits for the other, so that only a waiting thread is woken.
    bool m_readerWaiting = false;
    bool m_scanWaiting = false;
    bool m_done = false;
    std::thread m_thread;
};

} // namespace ryk

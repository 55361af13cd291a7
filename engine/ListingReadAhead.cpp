#include "engine/ListingReadAhead.h"

#include "engine/Patterns.h"
#include "platform/ErrorCodes.h"

#include <utility>

namespace ryk {

namespace {

/// At most this many entries wait in listings the scan has not taken: a few hundred kilobytes,
/// enough to keep the reading busy while the scan looks at the other tree.
constexpr size_t kMaxQueuedEntries = 4096;

} // namespace

/// A directory listed and looked at by the reading thread, walked by the scan as a search of
/// its own.
struct ListingReadAhead::Listing final : DirectorySearch {
    struct Hit {
        size_t nameOffset;
        uint32_t nameLength;
        bool directory;
        bool dots;
        /// status() of the hit when it was read ahead: 0 or the error; -1 when not read.
        int statusError;
        FileStatus status;
    };

    FileSystem* fileSystem = nullptr;
    std::string directory;
    std::string prefix;
    int error = 0;
    std::string names;
    std::vector<Hit> hits;
    size_t next = 0;
    const Hit* current = nullptr;
    std::string name;

    int findFile(std::string_view) override { return kErrorFileNotFound; }
    int rewind() override {
        if (hits.empty())
            return kErrorFileNotFound;
        next = 0;
        current = nullptr;
        return 0;
    }
    bool findNextFile() override {
        if (next >= hits.size()) {
            current = nullptr;
            return false;
        }
        current = &hits[next++];
        name.assign(names, current->nameOffset, current->nameLength);
        return true;
    }
    const std::string& fileName() const override { return name; }
    std::string filePath() const override { return prefix + name; }
    bool isDirectory() const override { return current && current->directory; }
    bool isDots() const override { return current && current->dots; }
    int status(FileStatus& out) override {
        if (!current)
            return kErrorFileNotFound;
        if (current->statusError < 0)
            return fileSystem->status(filePath(), out, LinkMode::Describe);
        if (current->statusError == 0)
            out = current->status;
        return current->statusError;
    }
    void close() override {
        hits.clear();
        names.clear();
        current = nullptr;
        next = 0;
    }
};

ListingReadAhead::ListingReadAhead(FileSystem& fileSystem, std::string root,
                                   std::string listingPattern, bool subdirectories,
                                   FileWanted fileWanted)
    : m_fileSystem(fileSystem), m_pattern(std::move(listingPattern)),
      m_subdirectories(subdirectories), m_fileWanted(std::move(fileWanted)) {
    m_thread = std::thread([this, root = std::move(root)] {
        readTree(root);
        const std::lock_guard lock(m_mutex);
        m_done = true;
        m_changed.notify_all();
    });
}

ListingReadAhead::~ListingReadAhead() {
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
        m_changed.notify_all();
    }
    m_thread.join();
}

bool ListingReadAhead::put(std::unique_ptr<Listing> listing) {
    std::unique_lock lock(m_mutex);
    // One listing always fits, however large its directory. Once full, the reading waits
    // until half is taken, so that the two threads do not wake each other per directory.
    if (!m_queue.empty() && m_queuedEntries >= kMaxQueuedEntries) {
        m_readerWaiting = true;
        m_changed.wait(lock, [this] {
            return m_stop || m_queue.empty() || m_queuedEntries <= kMaxQueuedEntries / 2;
        });
        m_readerWaiting = false;
    }
    if (m_stop)
        return false;
    m_queuedEntries += listing->hits.size();
    m_queue.push_back(std::move(listing));
    if (m_scanWaiting)
        m_changed.notify_all();
    return true;
}

void ListingReadAhead::readTree(const std::string& directory) {
    auto listing = std::make_unique<Listing>();
    listing->fileSystem = &m_fileSystem;
    listing->directory = directory;
    listing->prefix = directoryPrefix(directory);
    std::string pattern = directory;
    joinPath(pattern, m_pattern);
    std::vector<std::string> subdirectories;
    {
        const auto search = m_fileSystem.newSearch();
        search->setReadStoredBits(false);
        listing->error = search->findFile(pattern);
        if (listing->error == 0) {
            while (search->findNextFile()) {
                const std::string& name = search->fileName();
                Listing::Hit hit{listing->names.size(),
                                 static_cast<uint32_t>(name.size()),
                                 search->isDirectory(),
                                 search->isDots(),
                                 -1,
                                 {}};
                if (!hit.dots && (hit.directory || m_fileWanted(name)))
                    hit.statusError = search->status(hit.status);
                if (hit.directory && !hit.dots && m_subdirectories)
                    subdirectories.push_back(listing->prefix + name);
                listing->names += name;
                listing->hits.push_back(hit);
            }
        }
    }
    if (!put(std::move(listing)))
        return;
    for (const std::string& subdirectory : subdirectories)
        readTree(subdirectory);
}

int ListingReadAhead::take(const std::string& directory, std::unique_ptr<DirectorySearch>& out) {
    out.reset();
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (m_queue.empty() && !m_done) {
            m_scanWaiting = true;
            m_changed.wait(lock, [this] { return !m_queue.empty() || m_done; });
            m_scanWaiting = false;
        }
        if (m_queue.empty())
            return 0;
        std::unique_ptr<Listing> listing = std::move(m_queue.front());
        m_queue.pop_front();
        m_queuedEntries -= listing->hits.size();
        if (m_readerWaiting && (m_queue.empty() || m_queuedEntries <= kMaxQueuedEntries / 2))
            m_changed.notify_all();
        // Anything before the one asked for lies in a subtree the scan left out.
        if (listing->directory != directory)
            continue;
        const int error = listing->error;
        if (error == 0)
            out = std::move(listing);
        return error;
    }
}

} // namespace ryk

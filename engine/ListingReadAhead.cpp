#include "engine/ListingReadAhead.h"

#include "engine/Patterns.h"
#include "platform/ErrorCodes.h"
#include "platform/text/NameMatch.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace ryk {

namespace {

/// At most this many entries wait in listings the scan has not taken, a few hundred kilobytes:
/// enough to keep the readers busy while the scan looks at the other tree.
constexpr size_t kMaxHeldEntries = 1024;

/// A reading thread's scratch keeps what one directory of up to this many entries needs; one
/// larger gives its room back once read.
constexpr size_t kKeptScratchEntries = 4096;

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

    /// Hits by their bytes, made on the first seek: the other tree's listing is looked up by
    /// name once per file of this side.
    std::vector<uint32_t> byName;

    std::string_view nameOf(uint32_t hit) const {
        return {names.data() + hits[hit].nameOffset, hits[hit].nameLength};
    }
    int findFile(std::string_view) override { return kErrorFileNotFound; }
    bool seek(std::string_view wanted) override {
        if (byName.size() != hits.size()) {
            byName.resize(hits.size());
            std::iota(byName.begin(), byName.end(), 0u);
            std::sort(byName.begin(), byName.end(),
                      [this](uint32_t a, uint32_t b) { return nameOf(a) < nameOf(b); });
        }
        const auto it = std::lower_bound(
            byName.begin(), byName.end(), wanted,
            [this](uint32_t hit, std::string_view name) { return nameOf(hit) < name; });
        if (it == byName.end() || nameOf(*it) != wanted)
            return false;
        next = *it;
        return findNextFile();
    }
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

struct ListingReadAhead::Scratch {
    std::unique_ptr<DirectorySearch> search;
    std::string names;
    std::vector<Listing::Hit> hits;
    std::vector<std::string> subdirectories;
};

bool ListingReadAhead::WalkOrder::operator()(std::string_view a, std::string_view b) const {
    for (;;) {
        if (a.empty() || b.empty())
            return a.empty() && !b.empty();
        const size_t aEnd = std::min(a.find('/'), a.size());
        const size_t bEnd = std::min(b.find('/'), b.size());
        if (const int order = compareNames(a.substr(0, aEnd), b.substr(0, bEnd)); order != 0)
            return order < 0;
        a.remove_prefix(std::min(aEnd + 1, a.size()));
        b.remove_prefix(std::min(bEnd + 1, b.size()));
    }
}

ListingReadAhead::ListingReadAhead(FileSystem& fileSystem, std::string root,
                                   std::string listingPattern, bool subdirectories,
                                   FileWanted fileWanted, int readers)
    : m_fileSystem(fileSystem), m_root(std::move(root)), m_rootPrefix(directoryPrefix(m_root)),
      m_pattern(std::move(listingPattern)), m_subdirectories(subdirectories),
      m_fileWanted(std::move(fileWanted)), m_scanScratch(std::make_unique<Scratch>()) {
    m_directories.emplace(std::string(), Directory{});
    m_waiting.emplace();
    for (int i = 0; i < std::max(readers, 1); ++i)
        m_threads.emplace_back([this] { readOnWorker(); });
}

ListingReadAhead::~ListingReadAhead() {
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
        m_forReaders.notify_all();
    }
    for (std::thread& thread : m_threads)
        thread.join();
}

void ListingReadAhead::readOnWorker() {
    Scratch scratch;
    std::unique_lock lock(m_mutex);
    for (;;) {
        // The nearest directory first, while what is held leaves room.
        const auto canRead = [this] {
            return m_stop || (!m_waiting.empty() && m_heldEntries < kMaxHeldEntries);
        };
        if (!canRead()) {
            ++m_readersWaiting;
            m_forReaders.wait(lock, canRead);
            --m_readersWaiting;
        }
        if (m_stop)
            return;
        readNextWaiting(lock, scratch);
    }
}

void ListingReadAhead::readNextWaiting(std::unique_lock<std::mutex>& lock, Scratch& scratch) {
    const std::string path = std::move(m_waiting.extract(m_waiting.begin()).value());
    readAndFile(lock, path, scratch);
}

void ListingReadAhead::readAndFile(std::unique_lock<std::mutex>& lock, const std::string& path,
                                   Scratch& scratch) {
    m_directories.find(path)->second.stage = Stage::Reading;
    lock.unlock();
    std::unique_ptr<Listing> listing = read(path, scratch);
    lock.lock();
    file(path, listing, scratch.subdirectories);
}

std::unique_ptr<ListingReadAhead::Listing> ListingReadAhead::read(const std::string& path,
                                                                  Scratch& scratch) const {
    auto listing = std::make_unique<Listing>();
    listing->fileSystem = &m_fileSystem;
    listing->directory = path.empty() ? m_root : m_rootPrefix + path;
    listing->prefix = directoryPrefix(listing->directory);
    std::string pattern = listing->directory;
    joinPath(pattern, m_pattern);
    if (!scratch.search)
        scratch.search = m_fileSystem.newSearch();
    DirectorySearch* search = scratch.search.get();
    search->setReadStoredBits(false);
    listing->error = search->findFile(pattern);
    if (listing->error != 0)
        return listing;
    scratch.names.clear();
    scratch.hits.clear();
    while (search->findNextFile()) {
        const std::string& name = search->fileName();
        Listing::Hit hit{scratch.names.size(),
                         static_cast<uint32_t>(name.size()),
                         search->isDirectory(),
                         search->isDots(),
                         -1,
                         {}};
        if (!hit.dots && (hit.directory || m_fileWanted(name)))
            hit.statusError = search->status(hit.status);
        scratch.names += name;
        scratch.hits.push_back(hit);
    }
    search->close();
    // Held until the scan comes to it, so of the size it needs.
    listing->names = std::string(scratch.names);
    listing->hits.assign(scratch.hits.begin(), scratch.hits.end());
    if (scratch.hits.size() > kKeptScratchEntries)
        scratch = Scratch();
    return listing;
}

bool ListingReadAhead::file(const std::string& path, std::unique_ptr<Listing>& listing,
                            std::vector<std::string>& subdirectories) {
    const auto it = m_directories.find(path);
    if (it == m_directories.end())
        return false; // passed over while it was read
    subdirectories.clear();
    if (m_subdirectories)
        for (const Listing::Hit& hit : listing->hits)
            if (hit.directory && !hit.dots) {
                std::string& subdirectory = subdirectories.emplace_back(path);
                if (!subdirectory.empty())
                    subdirectory += '/';
                subdirectory.append(listing->names, hit.nameOffset, hit.nameLength);
            }
    for (std::string& subdirectory : subdirectories) {
        m_directories.emplace(subdirectory, Directory{});
        m_waiting.insert(std::move(subdirectory));
    }
    m_heldEntries += listing->hits.size();
    it->second.listing = std::move(listing);
    it->second.stage = Stage::Read;
    if (m_scanWants == &it->second)
        m_forScan.notify_one();
    // One reader for each directory to read, as many as wait.
    for (size_t i = 0; i < subdirectories.size() && static_cast<int>(i) < m_readersWaiting; ++i)
        m_forReaders.notify_one();
    return true;
}

bool ListingReadAhead::relativePath(const std::string& directory, std::string& path) const {
    if (directory == m_root) {
        path.clear();
        return true;
    }
    if (directory.size() < m_rootPrefix.size() ||
        directory.compare(0, m_rootPrefix.size(), m_rootPrefix) != 0)
        return false;
    path.assign(directory, m_rootPrefix.size());
    return true;
}

int ListingReadAhead::take(const std::string& directory, std::unique_ptr<DirectorySearch>& out) {
    out.reset();
    std::string path;
    if (!relativePath(directory, path))
        return 0;
    std::unique_lock lock(m_mutex);
    // The scan walks in this order: whatever lies before the one asked for, it passed over.
    const size_t heldBefore = m_heldEntries;
    while (!m_directories.empty() && WalkOrder{}(m_directories.begin()->first, path)) {
        auto passed = m_directories.extract(m_directories.begin());
        if (passed.mapped().stage == Stage::Waiting)
            m_waiting.erase(passed.key());
        else if (passed.mapped().listing)
            m_heldEntries -= passed.mapped().listing->hits.size();
    }
    const auto it = m_directories.find(path);
    if (it == m_directories.end()) {
        if (m_heldEntries < heldBefore && m_readersWaiting > 0)
            m_forReaders.notify_all();
        return 0;
    }
    if (it->second.stage == Stage::Waiting) {
        // Not begun yet: the scan needs it now, so it reads it itself, by the name it is known
        // by here (the scan's may end in a slash).
        path = it->first;
        m_waiting.erase(path);
        readAndFile(lock, path, *m_scanScratch);
    } else if (it->second.stage == Stage::Reading) {
        // Rather than sleep while a reader finishes it, the scan reads the next directories
        // itself: a wait and a wake-up a directory cost more than reading one.
        while (it->second.stage != Stage::Read && !m_waiting.empty() &&
               m_heldEntries < kMaxHeldEntries)
            readNextWaiting(lock, *m_scanScratch);
        m_scanWants = &it->second;
        m_forScan.wait(lock, [&] { return it->second.stage == Stage::Read; });
        m_scanWants = nullptr;
    }
    std::unique_ptr<Listing> listing = std::move(it->second.listing);
    m_directories.erase(it);
    m_heldEntries -= listing->hits.size();
    // Readers stopped for room go on once half of it is free, not at every listing taken.
    if (m_readersWaiting > 0 && m_heldEntries <= kMaxHeldEntries / 2)
        m_forReaders.notify_all();
    const int error = listing->error;
    if (error == 0)
        out = std::move(listing);
    return error;
}

} // namespace ryk

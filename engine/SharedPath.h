#pragma once

#include "platform/FileSystem.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ryk {

/// Storage for the names of a plan's paths, freed as a whole with the last directory that
/// uses it: a plan holds one short name per line, which on the heap one by one would each
/// cost a block and its bookkeeping. Used by one thread at a time (the one planning).
class NameStore {
public:
    NameStore() = default;
    NameStore(const NameStore&) = delete;
    NameStore& operator=(const NameStore&) = delete;
    ~NameStore();

    /// `bytes` bytes, aligned for a pointer, that stay where they are until the store is freed.
    void* allocate(size_t bytes);
    /// The same for one of a run of allocations that share `key`: the key is stored once, in
    /// the pointer-size slot `back` slots before the memory returned, for as long as one
    /// allocation follows another with the same key.
    void* allocateInRun(const void* key, size_t bytes, uint16_t& back);

private:
    std::vector<char*> m_blocks;
    char* m_free = nullptr;
    size_t m_left = 0;
    /// The slot holding the key of the run allocated last, and that key.
    char* m_runSlot = nullptr;
    const void* m_runKey = nullptr;
};

namespace path_detail {
struct DirectoryPair;
struct Name;
struct Whole;
} // namespace path_detail

/// One of a pair of directories, one in each tree of a job: the directory being scanned and
/// its counterpart, whose lines' paths all begin with one or the other. The pair is kept once
/// for all of them, with the names of the paths made in it.
class SharedDirectory {
public:
    SharedDirectory() = default;
    SharedDirectory(const SharedDirectory& other) noexcept;
    SharedDirectory(SharedDirectory&& other) noexcept;
    SharedDirectory& operator=(SharedDirectory other) noexcept;
    ~SharedDirectory();

    /// The directory's text, ending with its '/'.
    std::string text() const;
    /// The other directory of the pair.
    SharedDirectory counterpart() const;

private:
    friend class SharedPath;
    friend class DirectoryPairs;
    SharedDirectory(path_detail::DirectoryPair* pair, unsigned side) noexcept;

    path_detail::DirectoryPair* m_pair = nullptr;
    unsigned m_side = 0;
};

/// Makes the directory pairs of a plan. The two directories of most pairs end alike (the same
/// path below each tree's root) and begin as the pair before did (each tree's root): each pair
/// keeps only its own ending, and the beginnings are shared while they stay the same.
class DirectoryPairs {
public:
    /// Pairs whose paths keep their names in `names`; one without a store makes none.
    explicit DirectoryPairs(std::shared_ptr<NameStore> names = {}) : m_names(std::move(names)) {}

    /// The pair of `scanned` and its `counterpart` (empty when the job has none), each the text
    /// that names are joined to (ending with its '/'), with the root length of its tree
    /// (TreePath). Returns the scanned one.
    SharedDirectory pair(std::string_view scanned, size_t scannedRoot, std::string_view counterpart,
                         size_t counterpartRoot);

private:
    std::shared_ptr<NameStore> m_names;
    /// The pair made last, whose beginnings the next one may share.
    SharedDirectory m_last;
};

/// An unchangeable path of a job's tree whose copies share their text: a name in a
/// SharedDirectory (kept once for the pair's two directories), or one whole text of its own.
/// It knows how many of its leading bytes name the root of its tree (TreePath).
class SharedPath {
public:
    SharedPath() = default;
    /// A whole path of its own, whose first `rootLength` bytes name its tree's root.
    SharedPath(std::string_view path, size_t rootLength = TreePath::kWholeParent);
    SharedPath(const std::string& path) : SharedPath(std::string_view(path)) {}
    SharedPath(const char* path) : SharedPath(std::string_view(path)) {}
    /// `name` in `directory`, with the root length of the directory's tree.
    SharedPath(const SharedDirectory& directory, std::string_view name);
    /// The name `named` ends with, in `directory`; one name for both when `named` lies in
    /// the same pair.
    static SharedPath withNameOf(const SharedDirectory& directory, const SharedPath& named);
    SharedPath(const SharedPath& other) noexcept;
    SharedPath(SharedPath&& other) noexcept;
    SharedPath& operator=(SharedPath other) noexcept;
    ~SharedPath();

    /// The whole path.
    std::string str() const;
    /// Appends the whole path to `text`.
    void appendTo(std::string& text) const;
    /// The name the path ends with: all of it for a whole path.
    std::string_view name() const;
    size_t size() const;
    bool empty() const { return size() == 0; }
    /// How many leading bytes name the root of the job's tree; TreePath::kWholeParent when the
    /// path is not seen as part of a tree.
    size_t rootLength() const;
    /// The same path, not seen as part of a tree.
    SharedPath withoutRoot() const;
    /// The same name in the other directory of its pair; empty for a whole path.
    SharedPath counterpart() const;
    /// The path as a path of its tree.
    TreePath treePath() const { return TreePath(str(), rootLength()); }

    friend bool operator==(const SharedPath& a, std::string_view b);

private:
    // The low bits of the pointer say what it points to: a Whole, or a Name on one side of
    // its pair, with or without the root length of that side's tree.
    static constexpr uintptr_t kNamed = 1;
    static constexpr uintptr_t kCounterpart = 2;
    static constexpr uintptr_t kRooted = 4;
    static constexpr uintptr_t kTags = kNamed | kCounterpart | kRooted;

    explicit SharedPath(uintptr_t bits) noexcept : m_bits(bits) { retain(); }
    /// The directory's text in its two parts: the beginning its pair shares with others, and
    /// its own ending.
    void directoryParts(std::string_view& head, std::string_view& tail) const;
    path_detail::Name* named() const {
        return m_bits & kNamed ? reinterpret_cast<path_detail::Name*>(m_bits & ~kTags) : nullptr;
    }
    path_detail::Whole* whole() const {
        return m_bits && !(m_bits & kNamed) ? reinterpret_cast<path_detail::Whole*>(m_bits)
                                            : nullptr;
    }
    void retain() const noexcept;
    void release() noexcept;

    uintptr_t m_bits = 0;
};

} // namespace ryk

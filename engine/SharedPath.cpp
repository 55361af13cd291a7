#include "engine/SharedPath.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <utility>

namespace ryk {

namespace path_detail {

/// What the two directories of pairs begin with, and the root lengths of their trees; the two
/// texts follow it directly, the scanned one's first.
struct Heads {
    std::atomic<uint32_t> references{1};
    uint32_t sizes[2] = {};
    size_t roots[2] = {};
    std::shared_ptr<NameStore> names;

    std::string_view text(unsigned side) const {
        const char* texts = reinterpret_cast<const char*>(this + 1);
        return {side == 0 ? texts : texts + sizes[0], sizes[side]};
    }
};

/// Two directories: the heads, each followed by the same tail, which follows the pair directly.
struct DirectoryPair {
    std::atomic<uint32_t> references{1};
    uint32_t tailSize = 0;
    Heads* heads = nullptr;

    std::string_view tail() const { return {reinterpret_cast<const char*>(this + 1), tailSize}; }
};

/// A name in a NameStore, in the pair it was made for; its bytes follow it directly. The
/// names of a directory are made one after another, so the pair is kept once for all of them
/// (NameStore::allocateInRun), `back` pointer-size slots before each.
struct Name {
    /// Marks a size too large for `shortSize`: the size is the uint32_t that follows.
    static constexpr uint16_t kLong = 0xFFFF;

    uint16_t back;
    uint16_t shortSize;

    static size_t bytesFor(size_t size) { return sizeof(Name) + (size < kLong ? 0 : 4) + size; }
    void setSize(size_t size) {
        shortSize = size < kLong ? static_cast<uint16_t>(size) : kLong;
        if (size >= kLong) {
            const auto wide = static_cast<uint32_t>(size);
            std::memcpy(this + 1, &wide, sizeof wide);
        }
    }
    DirectoryPair* pair() const {
        DirectoryPair* pair;
        std::memcpy(&pair, reinterpret_cast<const char*>(this) - back * sizeof(void*), sizeof pair);
        return pair;
    }
    std::string_view text() const {
        const char* after = reinterpret_cast<const char*>(this + 1);
        if (shortSize != kLong)
            return {after, shortSize};
        uint32_t size;
        std::memcpy(&size, after, sizeof size);
        return {after + sizeof size, size};
    }
};

/// A whole path of its own; its bytes follow it directly.
struct Whole {
    std::atomic<uint32_t> references{1};
    uint32_t size = 0;
    size_t rootLength = TreePath::kWholeParent;

    const char* bytes() const { return reinterpret_cast<const char*>(this + 1); }
};

namespace {

void retainPair(DirectoryPair* pair) {
    pair->references.fetch_add(1, std::memory_order_relaxed);
}

void releasePair(DirectoryPair* pair) {
    if (pair->references.fetch_sub(1, std::memory_order_acq_rel) != 1)
        return;
    Heads* heads = pair->heads;
    pair->~DirectoryPair();
    ::operator delete(pair);
    if (heads->references.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        heads->~Heads();
        ::operator delete(heads);
    }
}

} // namespace

} // namespace path_detail

using path_detail::DirectoryPair;
using path_detail::Heads;
using path_detail::Name;
using path_detail::Whole;

namespace {

/// Copies `bytes` to `to`; an empty view may have no data at all.
void copyBytes(char* to, std::string_view bytes) {
    if (!bytes.empty())
        std::memcpy(to, bytes.data(), bytes.size());
}

// Blocks grow from small (a plan of a few lines) to a size whose waste at the end is small.
constexpr size_t kFirstBlockBytes = 512;
constexpr size_t kLargestBlockBytes = 64 * 1024;

} // namespace

NameStore::~NameStore() {
    for (char* block : m_blocks)
        ::operator delete(block);
}

void* NameStore::allocate(size_t bytes) {
    bytes = (bytes + alignof(void*) - 1) & ~(alignof(void*) - 1);
    if (bytes > m_left) {
        const size_t grown =
            m_blocks.empty() ? kFirstBlockBytes : std::min(kLargestBlockBytes, 2 * m_left + bytes);
        const size_t size = std::max(bytes, std::max(grown, kFirstBlockBytes));
        m_blocks.push_back(static_cast<char*>(::operator new(size)));
        m_free = m_blocks.back();
        m_left = size;
    }
    void* memory = m_free;
    m_free += bytes;
    m_left -= bytes;
    return memory;
}

void* NameStore::allocateInRun(const void* key, size_t bytes, uint16_t& back) {
    const size_t rounded = (bytes + alignof(void*) - 1) & ~(alignof(void*) - 1);
    if (m_runSlot && key == m_runKey && rounded <= m_left) {
        const size_t slots = static_cast<size_t>(m_free - m_runSlot) / sizeof(void*);
        if (slots <= UINT16_MAX) {
            back = static_cast<uint16_t>(slots);
            return allocate(rounded);
        }
    }
    // A new run: its key, then the memory, in one block.
    m_runSlot = static_cast<char*>(allocate(sizeof(void*) + rounded));
    std::memcpy(m_runSlot, &key, sizeof key);
    m_runKey = key;
    back = 1;
    return m_runSlot + sizeof(void*);
}

SharedDirectory DirectoryPairs::pair(std::string_view scanned, size_t scannedRoot,
                                     std::string_view counterpart, size_t counterpartRoot) {
    size_t tail = 0;
    while (tail < scanned.size() && tail < counterpart.size() &&
           scanned[scanned.size() - 1 - tail] == counterpart[counterpart.size() - 1 - tail])
        ++tail;
    // Without a counterpart the whole directory is the tail: the head is the same again.
    if (counterpart.empty())
        tail = scanned.size();
    const std::string_view heads[2] = {scanned.substr(0, scanned.size() - tail),
                                       counterpart.substr(0, counterpart.size() - tail)};
    Heads* shared = m_last.m_pair ? m_last.m_pair->heads : nullptr;
    if (shared && shared->text(0) == heads[0] && shared->text(1) == heads[1] &&
        shared->roots[0] == scannedRoot && shared->roots[1] == counterpartRoot) {
        shared->references.fetch_add(1, std::memory_order_relaxed);
    } else {
        void* memory = ::operator new(sizeof(Heads) + heads[0].size() + heads[1].size());
        shared = new (memory) Heads;
        char* texts = reinterpret_cast<char*>(shared + 1);
        for (unsigned side = 0; side < 2; ++side) {
            shared->sizes[side] = static_cast<uint32_t>(heads[side].size());
            copyBytes(texts, heads[side]);
            texts += heads[side].size();
        }
        shared->roots[0] = scannedRoot;
        shared->roots[1] = counterpartRoot;
        shared->names = m_names;
    }
    void* memory = ::operator new(sizeof(DirectoryPair) + tail);
    auto* pair = new (memory) DirectoryPair;
    pair->tailSize = static_cast<uint32_t>(tail);
    pair->heads = shared;
    copyBytes(reinterpret_cast<char*>(pair + 1), scanned.substr(scanned.size() - tail));
    m_last = SharedDirectory(pair, 0);
    return m_last;
}

SharedDirectory::SharedDirectory(DirectoryPair* pair, unsigned side) noexcept
    : m_pair(pair), m_side(side) {}

SharedDirectory::SharedDirectory(const SharedDirectory& other) noexcept
    : m_pair(other.m_pair), m_side(other.m_side) {
    if (m_pair)
        path_detail::retainPair(m_pair);
}

SharedDirectory::SharedDirectory(SharedDirectory&& other) noexcept
    : m_pair(std::exchange(other.m_pair, nullptr)), m_side(other.m_side) {}

SharedDirectory& SharedDirectory::operator=(SharedDirectory other) noexcept {
    std::swap(m_pair, other.m_pair);
    std::swap(m_side, other.m_side);
    return *this;
}

SharedDirectory::~SharedDirectory() {
    if (m_pair)
        path_detail::releasePair(m_pair);
}

std::string SharedDirectory::text() const {
    if (!m_pair)
        return {};
    std::string text(m_pair->heads->text(m_side));
    text += m_pair->tail();
    return text;
}

SharedDirectory SharedDirectory::counterpart() const {
    if (!m_pair)
        return {};
    path_detail::retainPair(m_pair);
    return SharedDirectory(m_pair, 1 - m_side);
}

SharedPath::SharedPath(std::string_view path, size_t rootLength) {
    if (path.empty())
        return;
    void* memory = ::operator new(sizeof(Whole) + path.size());
    auto* whole = new (memory) Whole;
    whole->size = static_cast<uint32_t>(path.size());
    whole->rootLength = rootLength;
    copyBytes(reinterpret_cast<char*>(whole + 1), path);
    m_bits = reinterpret_cast<uintptr_t>(whole);
}

SharedPath::SharedPath(const SharedDirectory& directory, std::string_view name) {
    if (!directory.m_pair) {
        *this = SharedPath(name);
        return;
    }
    DirectoryPair* pair = directory.m_pair;
    uint16_t back = 0;
    void* memory = pair->heads->names->allocateInRun(pair, Name::bytesFor(name.size()), back);
    auto* record = new (memory) Name{back, 0};
    record->setSize(name.size());
    copyBytes(const_cast<char*>(record->text().data()), name);
    m_bits = reinterpret_cast<uintptr_t>(record) | kNamed | kRooted |
             (directory.m_side ? kCounterpart : 0);
    retain();
}

SharedPath SharedPath::withNameOf(const SharedDirectory& directory, const SharedPath& named) {
    const Name* record = named.named();
    if (!record || !directory.m_pair || record->pair() != directory.m_pair)
        return SharedPath(directory, named.name());
    return SharedPath((named.m_bits & ~kCounterpart) | kRooted |
                      (directory.m_side ? kCounterpart : 0));
}

SharedPath::SharedPath(const SharedPath& other) noexcept : m_bits(other.m_bits) {
    retain();
}

SharedPath::SharedPath(SharedPath&& other) noexcept : m_bits(std::exchange(other.m_bits, 0)) {}

SharedPath& SharedPath::operator=(SharedPath other) noexcept {
    std::swap(m_bits, other.m_bits);
    return *this;
}

SharedPath::~SharedPath() {
    release();
}

void SharedPath::retain() const noexcept {
    if (const Name* record = named())
        path_detail::retainPair(record->pair());
    else if (Whole* text = whole())
        text->references.fetch_add(1, std::memory_order_relaxed);
}

void SharedPath::release() noexcept {
    if (const Name* record = named()) {
        path_detail::releasePair(record->pair());
    } else if (Whole* text = whole()) {
        if (text->references.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            text->~Whole();
            ::operator delete(text);
        }
    }
    m_bits = 0;
}

std::string SharedPath::str() const {
    std::string text;
    text.reserve(size());
    appendTo(text);
    return text;
}

void SharedPath::appendTo(std::string& text) const {
    std::string_view head;
    std::string_view tail;
    directoryParts(head, tail);
    text += head;
    text += tail;
    text += name();
}

size_t SharedPath::size() const {
    std::string_view head;
    std::string_view tail;
    directoryParts(head, tail);
    return head.size() + tail.size() + name().size();
}

bool operator==(const SharedPath& a, std::string_view b) {
    std::string_view head;
    std::string_view tail;
    a.directoryParts(head, tail);
    const std::string_view name = a.name();
    return b.size() == head.size() + tail.size() + name.size() && b.starts_with(head) &&
           b.substr(head.size()).starts_with(tail) && b.ends_with(name);
}

void SharedPath::directoryParts(std::string_view& head, std::string_view& tail) const {
    if (const Name* record = named()) {
        const DirectoryPair* pair = record->pair();
        head = pair->heads->text(m_bits & kCounterpart ? 1 : 0);
        tail = pair->tail();
    } else {
        head = tail = {};
    }
}

std::string_view SharedPath::name() const {
    if (const Name* record = named())
        return record->text();
    if (const Whole* text = whole())
        return {text->bytes(), text->size};
    return {};
}

size_t SharedPath::rootLength() const {
    if (const Name* record = named())
        return m_bits & kRooted ? record->pair()->heads->roots[m_bits & kCounterpart ? 1 : 0]
                                : TreePath::kWholeParent;
    if (const Whole* text = whole())
        return text->rootLength;
    return TreePath::kWholeParent;
}

SharedPath SharedPath::withoutRoot() const {
    if (named())
        return SharedPath(m_bits & ~kRooted);
    if (rootLength() == TreePath::kWholeParent)
        return *this;
    return SharedPath(name());
}

SharedPath SharedPath::counterpart() const {
    return named() ? SharedPath(m_bits ^ kCounterpart) : SharedPath();
}

} // namespace ryk

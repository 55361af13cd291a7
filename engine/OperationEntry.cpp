#include "engine/OperationEntry.h"

#include "platform/FileSystem.h"

#include <algorithm>

namespace ryk {

const char* commandName(OperationCommand command) {
    const auto index = static_cast<int32_t>(command);
    return index >= 0 && index < kCommandCount ? kCommandNames[index] : "";
}

namespace {

/// Fills `facts` from `status` with `convert`, a conversion of file times to DateTime.
template <typename Convert>
bool fillFactsWith(FileFacts& facts, const FileStatus& status, Convert convert) {
    facts.attributes = status.attributes;
    // Each conversion may ask the time-zone rule; the same second converts alike (a file's
    // last access and last write often are).
    const DateTime written = convert(status.lastWriteTime);
    const auto same = [&](const FileTime& t) {
        return t.seconds == status.lastWriteTime.seconds ? written : convert(t);
    };
    facts.setCreationTime(same(status.creationTime));
    facts.setLastAccessTime(same(status.lastAccessTime));
    facts.setLastWriteTime(written);
    facts.size = status.size;
    facts.permissions = static_cast<uint16_t>(status.permissions);
    facts.found = true;
    return facts.creationTime().valid && facts.lastAccessTime().valid &&
           facts.lastWriteTime().valid;
}

} // namespace

bool OperationEntry::fillFacts(FileFacts& facts, const FileStatus& status) {
    return fillFactsWith(facts, status,
                         [](const FileTime& t) { return DateTime::fromFileTime(t); });
}

bool OperationEntry::fillFacts(FileFacts& facts, const FileStatus& status,
                               FileTimeConverter& times) {
    return fillFactsWith(facts, status,
                         [&times](const FileTime& t) { return times.fromFileTime(t); });
}

OperationEntry::OperationEntry(const OperationEntry& other)
    : source(other.source),
      m_target(other.m_target ? std::make_unique<TargetFile>(*other.m_target) : nullptr),
      lastError(other.lastError), command(other.command), state(other.state),
      m_targetIsCounterpart(other.m_targetIsCounterpart) {}

OperationEntry& OperationEntry::operator=(const OperationEntry& other) {
    if (this != &other)
        *this = OperationEntry(other);
    return *this;
}

OperationEntry::~OperationEntry() = default;

const FileFacts OperationEntry::target() const {
    if (m_target)
        return m_target->facts;
    FileFacts facts;
    facts.path = targetPath();
    return facts;
}

SharedPath OperationEntry::targetPath() const {
    if (m_target)
        return m_target->facts.path;
    return m_targetIsCounterpart ? source.path.counterpart() : SharedPath();
}

void OperationEntry::setTargetPath(SharedPath path) {
    m_targetIsCounterpart = false;
    if (m_target)
        m_target->facts.path = std::move(path);
    else if (!path.empty())
        editTargetFile().facts.path = std::move(path);
}

void OperationEntry::setTargetToCounterpart() {
    if (m_target)
        m_target->facts.path = source.path.counterpart();
    else
        m_targetIsCounterpart = true;
}

OperationEntry::TargetFile& OperationEntry::editTargetFile() {
    if (!m_target) {
        SharedPath path = targetPath();
        m_target = std::make_unique<TargetFile>();
        m_target->facts.path = std::move(path);
        m_targetIsCounterpart = false;
    }
    return *m_target;
}

FileFacts& OperationEntry::editTarget() {
    return editTargetFile().facts;
}

void OperationEntry::setTargetAtFault(bool atFault) {
    // A target without facts of its own is not at fault: only marking one needs them.
    if (atFault || m_target)
        editTarget().setAtFault(atFault);
}

OperationEntry& OperationList::appendLine(OperationCommand command, SharedPath path) {
    OperationEntry entry;
    entry.setCommand(command);
    entry.source.path = std::move(path);
    return append(std::move(entry));
}

void pinRoot(OperationList& list, FileSystem& fileSystem, std::string_view directory) {
    while (directory.size() > 1 && directory.back() == '/')
        directory.remove_suffix(1);
    if (directory.empty())
        return;
    std::vector<RootPin>& roots = list.roots();
    // A plan names its few roots again and again, mostly the one named last.
    for (auto it = roots.rbegin(); it != roots.rend(); ++it)
        if (it->path == directory)
            return;
    RootPin pin;
    pin.path = std::string(directory);
    if (const auto identity = fileSystem.identity(pin.path)) {
        pin.known = true;
        pin.device = identity->device;
        pin.inode = identity->inode;
    }
    roots.push_back(std::move(pin));
}

void OperationList::appendError(SharedPath path, int error) {
    appendLine(OperationCommand::Error, path.withoutRoot()).lastError = error;
}

OperationEntry& OperationList::append(OperationEntry entry) {
    OperationEntry* place;
    if (!m_free.empty()) {
        place = m_free.back();
        m_free.pop_back();
    } else {
        if (m_blocks.empty() || m_usedInLastBlock == kBlockEntries) {
            m_blocks.push_back(std::make_unique<OperationEntry[]>(kBlockEntries));
            m_usedInLastBlock = 0;
        }
        place = &m_blocks.back()[m_usedInLastBlock++];
    }
    *place = std::move(entry);
    m_entries.push_back(place);
    return *place;
}

void OperationList::release(OperationEntry* entry) {
    // Its paths and target go now, not when the place is taken again.
    *entry = OperationEntry();
    m_free.push_back(entry);
}

bool OperationList::remove(const OperationEntry* entry) {
    const auto it = std::find(m_entries.rbegin(), m_entries.rend(), entry);
    if (it == m_entries.rend())
        return false;
    release(*it);
    m_entries.erase(std::next(it).base());
    return true;
}

bool OperationList::removeAt(size_t position) {
    return removeRange(position, 1);
}

bool OperationList::removeRange(size_t first, size_t count) {
    if (first > m_entries.size() || count > m_entries.size() - first)
        return false;
    const auto from = m_entries.begin() + static_cast<std::ptrdiff_t>(first);
    const auto to = from + static_cast<std::ptrdiff_t>(count);
    for (auto it = from; it != to; ++it)
        release(*it);
    m_entries.erase(from, to);
    return true;
}

void OperationList::clear() {
    m_entries.clear();
    m_free.clear();
    m_blocks.clear();
    m_roots.clear();
    m_names.reset();
}

} // namespace ryk

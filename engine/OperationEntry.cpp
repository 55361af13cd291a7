#include "engine/OperationEntry.h"

#include "platform/FileSystem.h"

#include <algorithm>

namespace ryk {

const char* commandName(OperationCommand command) {
    static constexpr const char* kNames[] = {"Copy",   "Update", "Move", "Up&Move", "Delete",
                                             "Rmdir",  "Find",   "Mkdir", "Error"};
    const auto index = static_cast<int32_t>(command);
    return index >= 0 && index < 9 ? kNames[index] : "";
}

bool OperationEntry::fillFacts(FileFacts& facts, DirectorySearch& hit) {
    FileStatus status;
    if (hit.status(status) != 0) {
        // The file went between listing and stat: it was found, but has no facts.
        FileFacts bare;
        bare.path = std::move(facts.path);
        bare.foundPath = hit.filePath();
        bare.rootLength = facts.rootLength;
        facts = std::move(bare);
        return false;
    }
    if (hit.isDots())
        status.attributes |= attr::kDots;
    return fillFacts(facts, status, hit.filePath());
}

bool OperationEntry::fillFacts(FileFacts& facts, const FileStatus& status,
                               const std::string& foundPath) {
    facts.attributes = status.attributes;
    facts.creationTime = DateTime::fromFileTime(status.creationTime);
    facts.lastAccessTime = DateTime::fromFileTime(status.lastAccessTime);
    facts.lastWriteTime = DateTime::fromFileTime(status.lastWriteTime);
    facts.size = status.size;
    facts.permissions = status.permissions;
    facts.foundPath = foundPath;
    return facts.creationTime.valid && facts.lastAccessTime.valid && facts.lastWriteTime.valid;
}

OperationEntry& OperationList::append(std::unique_ptr<OperationEntry> entry) {
    m_entries.push_back(std::move(entry));
    return *m_entries.back();
}

bool OperationList::remove(const OperationEntry* entry) {
    const auto it = std::find_if(m_entries.rbegin(), m_entries.rend(),
                                 [entry](const auto& e) { return e.get() == entry; });
    if (it == m_entries.rend())
        return false;
    m_entries.erase(std::next(it).base());
    return true;
}

bool OperationList::removeAt(size_t position) {
    if (position >= m_entries.size())
        return false;
    m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(position));
    return true;
}

} // namespace ryk

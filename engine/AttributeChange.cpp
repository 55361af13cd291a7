#include "engine/AttributeChange.h"

#include "engine/FileUtility.h"
#include "engine/OperationEntry.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace ryk {

namespace {

constexpr uint32_t kBoxBits[kAttributeBoxCount] = {attr::kReadOnly, attr::kHidden, attr::kSystem,
                                                   attr::kArchive};

/// Takes what the disk says now into `facts`. The size stays as planned: the list's totals
/// were summed from it and are taken out again with it.
void refreshFacts(FileFacts& facts, const FileStatus& status) {
    facts.attributes = status.attributes;
    facts.permissions = static_cast<uint16_t>(status.permissions);
    facts.setCreationTime(DateTime::fromFileTime(status.creationTime));
    facts.setLastAccessTime(DateTime::fromFileTime(status.lastAccessTime));
    facts.setLastWriteTime(DateTime::fromFileTime(status.lastWriteTime));
}

/// What the `side` of `entry` changes: the file found there, or a directory row's directory
/// on the side of the tree it lies in, while it stands (a Rmdir's before it ran, a Mkdir's
/// once it ran; a Mkdir's source side is the directory it mirrors). Null for nothing.
FileFacts* factsToChange(OperationEntry& entry, ChangeSide side) {
    const bool source = side == ChangeSide::Source;
    if (source ? entry.source.found : entry.target().found)
        return source ? &entry.source : &entry.editTarget();
    const bool mkdir = entry.command == OperationCommand::Mkdir;
    if (mkdir && source)
        return entry.targetPath().empty() ? nullptr : &entry.editTarget();
    const bool standing =
        mkdir ? entry.state == kStateDone
              : entry.command == OperationCommand::Rmdir && source && entry.state != kStateDone;
    return standing && !entry.source.path.empty() ? &entry.source : nullptr;
}

} // namespace

uint32_t boxBit(AttributeBox box) {
    return kBoxBits[static_cast<size_t>(box)];
}

uint32_t AttributeChoice::mask() const {
    uint32_t bits = 0;
    for (size_t i = 0; i < kAttributeBoxCount; ++i)
        if (boxes[i] != TriState::Unchanged)
            bits |= kBoxBits[i];
    return bits;
}

uint32_t AttributeChoice::value() const {
    uint32_t bits = 0;
    for (size_t i = 0; i < kAttributeBoxCount; ++i)
        if (boxes[i] == TriState::Set)
            bits |= kBoxBits[i];
    return bits;
}

uint32_t AttributeChoice::apply(uint32_t word) const {
    return ((word & ~mask()) | value()) & ~attr::kDots;
}

AttributeChoice commonState(const std::vector<uint32_t>& words) {
    AttributeChoice shown;
    if (words.empty())
        return shown;
    for (size_t i = 0; i < kAttributeBoxCount; ++i) {
        const auto has = [bit = kBoxBits[i]](uint32_t word) { return (word & bit) != 0; };
        if (std::all_of(words.begin(), words.end(), has))
            shown.boxes[i] = TriState::Set;
        else if (std::none_of(words.begin(), words.end(), has))
            shown.boxes[i] = TriState::Clear;
    }
    return shown;
}

AttributeChoice changedBoxes(const AttributeChoice& shown, const AttributeChoice& chosen) {
    AttributeChoice changed;
    for (size_t i = 0; i < kAttributeBoxCount; ++i)
        if (chosen.boxes[i] != shown.boxes[i])
            changed.boxes[i] = chosen.boxes[i];
    return changed;
}

bool DateChoice::compose(const DateTime& written, LocalFields& out) const {
    LocalFields own;
    if (!(setDate && setTime) && !written.toLocalFields(own))
        return false;
    out = own;
    if (setDate) {
        out.year = date.year;
        out.month = date.month;
        out.day = date.day;
    }
    if (setTime) {
        out.hour = time.hour;
        out.minute = time.minute;
        out.second = time.second;
    }
    return true;
}

std::vector<ChangeTarget> changeTargets(OperationList& list, const std::vector<int>& rows,
                                        ChangeSide side) {
    std::vector<int> sorted(rows);
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    std::vector<ChangeTarget> targets;
    for (const int row : sorted) {
        if (row < 0)
            continue;
        OperationEntry* entry = list.at(static_cast<size_t>(row));
        if (!entry)
            continue;
        if (FileFacts* facts = factsToChange(*entry, side))
            targets.push_back(
                {static_cast<size_t>(row), facts, side == ChangeSide::Target ? entry : nullptr});
    }
    return targets;
}

std::vector<uint32_t> currentWords(FileSystem& fileSystem,
                                   const std::vector<ChangeTarget>& targets) {
    std::vector<uint32_t> words;
    words.reserve(targets.size());
    for (const ChangeTarget& target : targets) {
        FileStatus status;
        if (fileSystem.status(target.facts->path.str(), status, LinkMode::Describe) == 0)
            words.push_back(status.attributes);
    }
    return words;
}

std::string timeRefusedText(const LocalFields& f, const Translation& translation) {
    const auto twoDigits = [](int value) {
        return (value < 10 ? "0" : "") + std::to_string(value);
    };
    return fillIn(
        translation.translate("AttributeChange", "日付が書き込めません? : %1/%2/%3 %4:%5:%6"),
        {std::to_string(f.year), std::to_string(f.month), std::to_string(f.day),
         std::to_string(f.hour), twoDigits(f.minute), twoDigits(f.second)});
}

ChangeSummary applyChange(const Platform& platform, const std::vector<ChangeTarget>& targets,
                          const ChangeRequest& request, ChangeObserver* observer) {
    FileSystem& fs = platform.fileSystem;
    const FileUtility utility(platform);
    ChangeSummary summary;
    for (const ChangeTarget& target : targets) {
        if (utility.PollAbortKey() != 0) {
            summary.aborted = true;
            break;
        }
        FileFacts& facts = *target.facts;
        const std::string path = facts.path.str();
        const TreePath treePath = facts.treePath();
        // The word is taken from the disk: the scan may have left the stored bits unread, and
        // they must survive a change of the others.
        FileStatus status;
        if (const int error = fs.status(path, status, LinkMode::Describe)) {
            utility.ShowSystemError(error, path);
            ++summary.failed;
            continue;
        }
        bool accepted = false;
        bool refused = false;
        if (request.attributes.mask() != 0) {
            const uint32_t word = request.attributes.apply(status.attributes);
            if (const int error = fs.setAttributes(treePath, word)) {
                utility.ShowSystemError(error, path);
                refused = true;
            } else {
                accepted = true;
            }
        }
        if (request.dates.any()) {
            LocalFields fields;
            int64_t seconds = 0;
            int error = EINVAL;
            if (request.dates.compose(facts.lastWriteTime(), fields) &&
                fromLocalFields(fields, seconds)) {
                const FileTime written{seconds, 0};
                error = fs.setTimes(treePath, nullptr, &written);
            }
            if (error != 0) {
                utility.ShowSystemError(error, path + "\n" +
                                                   timeRefusedText(fields, platform.translation));
                refused = true;
            } else {
                accepted = true;
            }
        }
        if (fs.status(path, status, LinkMode::Describe) == 0) {
            refreshFacts(facts, status);
            FileTime noted;
            if (accepted && target.plannedTarget && target.plannedTarget->plannedTargetWrite(noted))
                target.plannedTarget->notePlannedTarget(status.lastWriteTime);
        }
        summary.changed += accepted ? 1 : 0;
        summary.failed += refused ? 1 : 0;
        if (observer)
            observer->targetDone(target.row, summary.changed);
    }
    return summary;
}

} // namespace ryk

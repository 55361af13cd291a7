#include "engine/HardLinks.h"

#include "engine/OperationEntry.h"
#include "platform/FileSystem.h"

#include <map>
#include <utility>

namespace ryk {

void planHardLinks(OperationList& list, FileSystem& fileSystem) {
    // The target of the first copying line of each file that has more than one name.
    std::map<std::pair<uint64_t, uint64_t>, SharedPath> firstCopies;
    for (const auto& entry : list) {
        if (!copiesData(entry->command) || entry->state != kStatePending)
            continue;
        // The directory search does not count names; only this option needs them.
        FileStatus status;
        if (fileSystem.status(entry->source.path.str(), status, LinkMode::Describe) != 0 ||
            status.kind != FileKind::Regular || status.linkCount < 2)
            continue;
        const auto [first, added] =
            firstCopies.emplace(std::make_pair(status.device, status.inode), entry->targetPath());
        // A link never takes the place of a file: a target there already is copied over.
        if (!added && !entry->target().found)
            entry->setHardLinkTo(first->second);
    }
}

} // namespace ryk

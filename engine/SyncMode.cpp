// Sync mode: the destination tree is planned to become equal to the source tree.

#include "engine/TransferJob.h"

namespace ryk {

int TransferJob::RunSync() {
    OptionFlags& f = m_job.flags;
    f.dateConditions = f.ignoreDates = f.onlyMissing = f.onlyExisting = f.afterDateOnly = 0;
    applyDefaults(m_job.sourceDirectory, m_job.sourcePatterns);
    applyDefaults(m_job.destinationDirectory, m_job.destinationPattern);
    // Equal trees have equal names: a renaming destination pattern has no place in a sync (its
    // copies would be deleted again as files the source does not have).
    m_job.destinationPattern = kDefaultPattern;

    // Pass 1: every selected source file that is missing or differs at the destination.
    m_syncPass = SyncPass::Copies;
    m_job.mode = TransferMode::Update;
    m_scanDepth = 0;
    const int copies = scanTree(m_job.sourceDirectory) != -1 ? 1 : 0;

    // Pass 2: the destination scanned for what the source does not have, deleted deepest
    // first, directories after their contents.
    std::swap(m_job.sourceDirectory, m_job.destinationDirectory);
    m_syncPass = SyncPass::Deletions;
    m_job.mode = TransferMode::Delete;
    m_scanDepth = 0;
    // A destination still to be made holds nothing to delete.
    const int deletions = !m_utility.isExistingDirectory(m_job.sourceDirectory) ||
                                  scanTree(m_job.sourceDirectory) != -1
                              ? 1
                              : 0;

    std::swap(m_job.sourceDirectory, m_job.destinationDirectory);
    m_syncPass = SyncPass::None;
    // The plan reads as an update of the destination, so the summary asks for its free space.
    m_job.mode = TransferMode::Update;
    return copies + deletions;
}

} // namespace ryk

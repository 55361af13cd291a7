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

    m_syncRemoved.clear();
    m_unreadable.clear();

    // Pass 1: every selected source file, Copy where it is missing and Update where it is
    // present, whatever the dates; what stands in the way of a file or directory is cleared
    // first.
    m_syncPass = SyncPass::Copies;
    m_job.mode = TransferMode::Update;
    f.dateConditions = f.ignoreDates = 1;
    m_scanDepth = 0;
    const int copies = scanTree(m_job.sourceDirectory) != -1 ? 1 : 0;
    f.dateConditions = f.ignoreDates = 0;

    // Pass 2: the destination scanned for what the source does not have, deleted deepest
    // first, directories after their contents. Nothing is deleted below a source directory
    // that could not be read.
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
    m_syncRemoved.clear();
    // The plan reads as an update of the destination, so the summary asks for its free space.
    m_job.mode = TransferMode::Update;
    return copies + deletions;
}

} // namespace ryk

// Sync mode: the destination tree is planned to become equal to the source tree.

#include "engine/TransferJob.h"
#include "engine/TreeScan.h"

namespace ryk {

int TransferJob::RunSync() {
    OptionFlags& f = m_job.flags;
    f.dateConditions = f.ignoreDates = f.onlyMissing = f.onlyExisting = f.afterDateOnly = 0;
    applyDefaults(m_job.sourceDirectory, m_job.sourcePatterns);
    applyDefaults(m_job.destinationDirectory, m_job.destinationPattern);
    // Equal trees have equal names: a renaming destination pattern has no place in a sync (its
    // copies would be deleted again as files the source does not have).
    m_job.destinationPattern = kDefaultPattern;

    // One scan for both passes: the second must know what the first cleared and could not read.
    TreeScan scan(m_platform, m_searchSink, m_list);

    // Pass 1: every selected source file, Copy where it is missing and Update where it is
    // present, whatever the dates; what stands in the way of a file or directory is cleared
    // first.
    JobSettings copies = m_job;
    copies.mode = TransferMode::Update;
    copies.flags.dateConditions = copies.flags.ignoreDates = 1;
    const int copied = scan.run(copies, SyncPass::Copies) != -1 ? 1 : 0;
    // Trees found inside each other: nothing of the plan may run.
    if (scan.refusedNesting())
        return -1;

    // Pass 2: the destination scanned for what the source does not have, deleted deepest
    // first, directories after their contents. Nothing is deleted below a source directory
    // that could not be read.
    JobSettings deletions = m_job;
    std::swap(deletions.sourceDirectory, deletions.destinationDirectory);
    deletions.mode = TransferMode::Delete;
    // A destination still to be made holds nothing to delete.
    const int deleted = !m_utility.isExistingDirectory(deletions.sourceDirectory) ||
                                scan.run(deletions, SyncPass::Deletions) != -1
                            ? 1
                            : 0;
    if (scan.refusedNesting())
        return -1;

    // The plan reads as an update of the destination, so the summary asks for its free space.
    m_job.mode = TransferMode::Update;
    return copied + deleted;
}

} // namespace ryk

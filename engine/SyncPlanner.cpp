// Sync mode: the destination tree is planned to become equal to the source tree.

#include "engine/SyncPlanner.h"

#include "engine/FileUtility.h"
#include "engine/TreeScan.h"

namespace ryk {

SyncPlanner::SyncPlanner(const Platform& platform, SearchSink* searchSink, OperationList& list)
    : m_platform(platform), m_searchSink(searchSink), m_list(list) {}

PlanOutcome SyncPlanner::RunSync(const JobSettings& job) {
    // Whatever the dates, a sync makes the trees equal.
    JobSettings sync = job;
    OptionFlags& f = sync.flags;
    f.dateConditions = f.ignoreDates = f.onlyMissing = f.onlyExisting = f.afterDateOnly = 0;
    applyDefaults(sync.sourceDirectory, sync.sourcePatterns);
    applyDefaults(sync.destinationDirectory, sync.destinationPattern);
    // Equal trees have equal names: a renaming destination pattern has no place in a sync (its
    // copies would be deleted again as files the source does not have).
    sync.destinationPattern = kDefaultPattern;
    PlanOutcome outcome{.planned = false, .shownMode = TransferMode::Update};

    // One scan for both passes: the second must know what the first cleared and could not read.
    TreeScan scan(m_platform, m_searchSink, m_list);

    // Pass 1: every selected source file, Copy where it is missing and Update where it is
    // present, whatever the dates (with skipUnchanged, a file whose copy is there already, by
    // size and write time, is left alone); what stands in the way of a file or directory is
    // cleared first.
    JobSettings copies = sync;
    copies.mode = TransferMode::Update;
    copies.flags.dateConditions = copies.flags.ignoreDates = 1;
    (void)scan.run(copies, SyncPass::Copies);
    // Trees found inside each other: nothing of the plan may run.
    if (scan.refusedNesting())
        return outcome;

    // Pass 2: the destination scanned for what the source does not have, deleted deepest
    // first, directories after their contents. Nothing is deleted below a source directory
    // that could not be read.
    JobSettings deletions = sync;
    std::swap(deletions.sourceDirectory, deletions.destinationDirectory);
    deletions.mode = TransferMode::Delete;
    // A destination still to be made holds nothing to delete.
    if (FileUtility(m_platform).isExistingDirectory(deletions.sourceDirectory))
        (void)scan.run(deletions, SyncPass::Deletions);
    outcome.planned = !scan.refusedNesting();
    return outcome;
}

} // namespace ryk

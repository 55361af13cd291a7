#pragma once

#include "engine/JobSettings.h"
#include "platform/Platform.h"

namespace ryk {

class OperationList;
class SearchSink;

/// Sync mode: plans the destination tree to become equal to the source tree, as two passes of
/// one tree scan into the one list.
class SyncPlanner {
public:
    SyncPlanner(const Platform& platform, SearchSink* searchSink, OperationList& list);

    /// Plans copies of what is missing in the destination or differs, then deletions of what
    /// the source does not have. Abandoned when the trees were found inside each other; shown
    /// as an update of the destination, so that the summary asks for its free space.
    PlanOutcome RunSync(const JobSettings& job);

private:
    Platform m_platform;
    SearchSink* m_searchSink;
    OperationList& m_list;
};

} // namespace ryk

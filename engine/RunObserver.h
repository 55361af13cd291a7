#pragma once

#include "engine/OperationEntry.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace ryk {

/// What carrying out one entry came to: done, failed, handed to a batch that carries it out
/// later (Deferred), or nothing done to it (NoAction: a line without an action, or one the run
/// stopped before it changed anything).
enum class EntryOutcome : int32_t { Done = 1, Failed = 0, Deferred = -1, NoAction = -2 };

/// The rows and status line of a run, as the result window (or a terminal) shows them.
class RunObserver {
public:
    virtual ~RunObserver() = default;
    /// The entry at `row` is about to be carried out; `statusText` is the progress line.
    virtual void entryStarting(size_t row, const OperationEntry& entry,
                               const std::string& statusText) = 0;
    /// The entry at `row` came to `outcome`; an entry handed to a batch (Deferred) is reported
    /// again with its own outcome once the batch has been carried out.
    virtual void entryFinished(size_t row, const OperationEntry& entry, EntryOutcome outcome) = 0;
};

/// How a run ended.
struct RunSummary {
    /// Failed entries, including those that failed in earlier runs, and the Error lines of the
    /// plan.
    int errors = 0;
    /// True when the run reached the end of the list (was not stopped).
    bool complete = false;
};

} // namespace ryk

#pragma once

#include "engine/OperationEntry.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace ryk {

/// What carrying out one entry came to.
enum class EntryOutcome : int32_t { Done = 1, Failed = 0, Deferred = -1, NoAction = -2 };

/// The mark a row carries for its entry's run state.
enum class RowOverlay : int32_t { None = 0, Failed = 1, Done = 2, Running = 3, Batch = 4 };

/// The rows and status line of a run, as the result window (or a terminal) shows them.
class RunObserver {
public:
    virtual ~RunObserver() = default;
    /// The entry at `row` is about to be carried out; `statusText` is the progress line.
    virtual void entryStarting(size_t row, const OperationEntry& entry,
                               const std::string& statusText) = 0;
    /// The entry at `row` has reached `overlay`; called again for an entry handed to a batch
    /// once the batch has been carried out.
    virtual void entryFinished(size_t row, const OperationEntry& entry, RowOverlay overlay) = 0;
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

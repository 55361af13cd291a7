#pragma once

#include "platform/FileCopy.h"
#include "platform/FileSystem.h"

#include <string>
#include <vector>

namespace ryk {

/// What a batch does with each pair of paths.
enum class BatchFunction { Move = 1, Copy = 2, Delete = 3 };

/// The outcome of one batch: an error code per item (0 done; kErrorCancelled for an item the
/// user's cancel kept from being tried), and whether the user cancelled.
struct BatchResult {
    std::vector<int> errors;
    bool cancelled = false;

    bool succeeded() const {
        for (const int e : errors)
            if (e != 0)
                return false;
        return !cancelled;
    }
};

/// Progress of a batch, with the user's cancel.
class BatchProgress {
public:
    virtual ~BatchProgress() = default;
    /// Called before item `index` of `count`; false when the user cancelled.
    virtual bool step(size_t index, size_t count, const std::string& source) = 0;
    /// Called once the batch has ended.
    virtual void finished() = 0;
};

/// Carries out a collected list of copies, moves or deletes in one call ("Explorer 形式"):
/// the n-th source goes to the n-th destination, which it replaces only where the n-th planned
/// target allows it.
class FileBatch {
public:
    virtual ~FileBatch() = default;
    /// `to` and `targets` are ignored for Delete.
    virtual BatchResult run(BatchFunction function, const std::vector<TreePath>& from,
                            const std::vector<TreePath>& to,
                            const std::vector<PlannedTarget>& targets) = 0;
};

} // namespace ryk

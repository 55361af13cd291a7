#pragma once

#include "engine/TransferJob.h"

namespace ryk::test {

/// A run's rows where nobody looks at them.
class NullRunObserver : public RunObserver {
public:
    void entryStarting(size_t, const OperationEntry&, const std::string&) override {}
    void entryFinished(size_t, const OperationEntry&, RowOverlay) override {}
};

} // namespace ryk::test

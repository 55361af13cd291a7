#pragma once

#include "platform/AbortKey.h"
#include "platform/FileBatch.h"

namespace ryk {

/// The batch's progress on a terminal: nothing is shown; the abort key (Ctrl+C) cancels.
class ConsoleBatchProgress : public BatchProgress {
public:
    explicit ConsoleBatchProgress(AbortKey& abortKey) : m_abortKey(abortKey) {}

    bool step(size_t, size_t, const std::string&) override {
        return m_abortKey.poll() != AbortKeyEvent::ControlDown;
    }
    void finished() override {}

private:
    AbortKey& m_abortKey;
};

} // namespace ryk

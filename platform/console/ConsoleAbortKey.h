#pragma once

#include "platform/AbortKey.h"

#include <csignal>

namespace ryk {

/// Ctrl+C on a terminal is the abort key: it stops a scan or run at the next step, at once.
class ConsoleAbortKey : public AbortKey {
public:
    /// Catches SIGINT for the life of the object.
    ConsoleAbortKey();
    ~ConsoleAbortKey() override;
    ConsoleAbortKey(const ConsoleAbortKey&) = delete;
    ConsoleAbortKey& operator=(const ConsoleAbortKey&) = delete;

    /// ControlDown once Ctrl+C was pressed, and from then on.
    AbortKeyEvent poll() override;

private:
    /// What SIGINT did before, put back with the object.
    struct sigaction m_previous {};
};

} // namespace ryk

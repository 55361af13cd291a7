#include "platform/console/ConsoleAbortKey.h"

#include <csignal>

namespace ryk {

namespace {

// A signal handler is given no object to tell: the one thing it sets is the process's own.
volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void onInterrupt(int) {
    g_interrupted = 1;
}

} // namespace

ConsoleAbortKey::ConsoleAbortKey() {
    g_interrupted = 0;
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a blocking call returns with EINTR, so a copy stops within its chunk.
    sigaction(SIGINT, &action, &m_previous);
}

ConsoleAbortKey::~ConsoleAbortKey() {
    sigaction(SIGINT, &m_previous, nullptr);
}

AbortKeyEvent ConsoleAbortKey::poll() {
    return g_interrupted ? AbortKeyEvent::ControlDown : AbortKeyEvent::None;
}

} // namespace ryk

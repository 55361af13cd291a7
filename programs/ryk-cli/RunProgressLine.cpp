#include "programs/ryk-cli/RunProgressLine.h"

#include <chrono>

namespace ryk {

namespace {

constexpr double kRedrawSeconds = 0.1;
/// Erases the terminal's current line and puts the cursor at its start.
constexpr const char* kEraseLine = "\r\x1b[K";

double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

TerminalRunProgress::TerminalRunProgress(const RunProgressCounts& totals, RunObserver& observer,
                                         CopyProgressSink& sink, std::FILE* terminal,
                                         OutcomeLines outcomeLines, Clock clock,
                                         const Translation& translation)
    : m_tally(totals), m_translation(translation), m_observer(observer), m_sink(sink),
      m_terminal(terminal), m_outcomeLines(outcomeLines),
      m_clock(clock ? std::move(clock) : Clock(steadySeconds)), m_start(m_clock()) {}

void TerminalRunProgress::entryStarting(size_t row, const OperationEntry& entry,
                                        const std::string& statusText) {
    m_observer.entryStarting(row, entry, statusText);
    m_tally.entryStarting(entry);
    update();
}

void TerminalRunProgress::entryFinished(size_t row, const OperationEntry& entry,
                                        EntryOutcome outcome) {
    m_tally.entryFinished(entry, outcome);
    if (m_outcomeLines == OutcomeLines::OnTerminal) {
        erase();
        m_observer.entryFinished(row, entry, outcome);
        restore();
    } else {
        m_observer.entryFinished(row, entry, outcome);
    }
    update();
}

void TerminalRunProgress::setPosition(uint64_t done) {
    m_sink.setPosition(done);
    m_tally.setFilePosition(done);
    update();
}

void TerminalRunProgress::erase() {
    if (!m_shown)
        return;
    write(kEraseLine);
    m_shown = false;
}

void TerminalRunProgress::restore() {
    if (m_shown || m_ended || m_text.empty())
        return;
    write(m_text);
    m_shown = true;
}

void TerminalRunProgress::end() {
    erase();
    m_ended = true;
}

void TerminalRunProgress::update() {
    // While erased for other output the line waits for restore().
    if (m_ended || (!m_shown && !m_text.empty()))
        return;
    const double now = m_clock();
    if (m_shown && now - m_lastDrawn < kRedrawSeconds)
        return;
    m_text = runProgressLine(m_tally.counts(), now - m_start, m_translation);
    m_lastDrawn = now;
    write(kEraseLine + m_text);
    m_shown = true;
}

void TerminalRunProgress::write(const std::string& text) {
    std::fputs(text.c_str(), m_terminal);
    std::fflush(m_terminal);
}

} // namespace ryk

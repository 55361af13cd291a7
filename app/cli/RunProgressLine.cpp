#include "app/cli/RunProgressLine.h"

#include "engine/ListText.h"
#include "engine/OperationEntry.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <iterator>

namespace ryk {

namespace {

constexpr double kRedrawSeconds = 0.1;
/// Erases the terminal's current line and puts the cursor at its start.
constexpr const char* kEraseLine = "\r\x1b[K";

std::string humanBytes(double bytes) {
    static constexpr const char* kUnits[] = {"KiB", "MiB", "GiB", "TiB", "PiB"};
    char text[32];
    if (bytes < 1024) {
        std::snprintf(text, sizeof text, "%.0f B", bytes);
        return text;
    }
    size_t unit = 0;
    bytes /= 1024;
    for (; bytes >= 1024 && unit + 1 < std::size(kUnits); ++unit)
        bytes /= 1024;
    std::snprintf(text, sizeof text, "%.1f %s", bytes, kUnits[unit]);
    return text;
}

/// "m:ss", or "h:mm:ss" from an hour on; "--:--" for no estimate or one beyond 99 hours.
std::string duration(double seconds) {
    if (!(seconds >= 0) || seconds >= 100.0 * 3600)
        return "--:--";
    const auto whole = static_cast<long>(std::lround(seconds));
    char text[32];
    if (whole >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60,
                      whole % 60);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool isAction(const OperationEntry& entry) {
    return entry.command != OperationCommand::Find && entry.command != OperationCommand::Error;
}

} // namespace

std::string runProgressLine(const RunProgressCounts& counts, double elapsedSeconds) {
    // A file that grew after planning must not take the line beyond its totals.
    const size_t entries = std::min(counts.entriesDone, counts.entriesTotal);
    const uint64_t bytes = std::min(counts.bytesDone, counts.bytesTotal);
    double share = 1;
    if (counts.bytesTotal > 0)
        share = static_cast<double>(bytes) / static_cast<double>(counts.bytesTotal);
    else if (counts.entriesTotal > 0)
        share = static_cast<double>(entries) / static_cast<double>(counts.entriesTotal);

    const bool timed = elapsedSeconds > 0;
    const std::string speed =
        timed ? humanBytes(static_cast<double>(bytes) / elapsedSeconds) + "/s" : "--/s";
    std::string left = "--:--";
    if (share >= 1)
        left = duration(0);
    else if (timed && share > 0)
        left = duration(elapsedSeconds * (1 - share) / share);

    const int percent = static_cast<int>(share * 100);
    return std::to_string(entries) + "/" + std::to_string(counts.entriesTotal) + " 件  " +
           humanBytes(static_cast<double>(bytes)) + "/" +
           humanBytes(static_cast<double>(counts.bytesTotal)) + "  " + std::to_string(percent) +
           "%  " + speed + "  残り " + left;
}

TerminalRunProgress::TerminalRunProgress(const RunProgressCounts& totals, RunObserver& observer,
                                         CopyProgressSink& sink, std::FILE* terminal,
                                         OutcomeLines outcomeLines, Clock clock)
    : m_counts{0, totals.entriesTotal, 0, totals.bytesTotal}, m_observer(observer), m_sink(sink),
      m_terminal(terminal), m_outcomeLines(outcomeLines),
      m_clock(clock ? std::move(clock) : Clock(steadySeconds)), m_start(m_clock()) {}

void TerminalRunProgress::entryStarting(size_t row, const OperationEntry& entry,
                                        const std::string& statusText) {
    m_observer.entryStarting(row, entry, statusText);
    m_currentBytes = 0;
    m_currentSize = entry.source.size;
    update();
}

void TerminalRunProgress::entryFinished(size_t row, const OperationEntry& entry,
                                        RowOverlay overlay) {
    // An entry handed to the batch is reported again with its outcome once the batch has run.
    if (overlay != RowOverlay::Batch) {
        PlanTotals finished;
        finished.add(entry);
        m_finishedBytes += finished.totalBytes;
        m_currentBytes = 0;
        if (isAction(entry))
            ++m_counts.entriesDone;
    }
    if (m_outcomeLines == OutcomeLines::OnTerminal) {
        erase();
        m_observer.entryFinished(row, entry, overlay);
        restore();
    } else {
        m_observer.entryFinished(row, entry, overlay);
    }
    update();
}

void TerminalRunProgress::setPosition(uint64_t done) {
    m_sink.setPosition(done);
    m_currentBytes = std::min(done, m_currentSize);
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
    m_counts.bytesDone = m_finishedBytes + m_currentBytes;
    m_text = runProgressLine(m_counts, now - m_start);
    m_lastDrawn = now;
    write(kEraseLine + m_text);
    m_shown = true;
}

void TerminalRunProgress::write(const std::string& text) {
    std::fputs(text.c_str(), m_terminal);
    std::fflush(m_terminal);
}

} // namespace ryk

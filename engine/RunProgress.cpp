#include "engine/RunProgress.h"

#include "engine/ListText.h"
#include "engine/OperationEntry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

namespace ryk {

namespace {

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

bool isAction(const OperationEntry& entry) {
    return entry.command != OperationCommand::Find && entry.command != OperationCommand::Error;
}

} // namespace

RunProgressCounts plannedRunCounts(const OperationList& list) {
    PlanTotals pending;
    for (const auto& entry : list)
        if (entry->state == kStatePending)
            pending.add(*entry);
    RunProgressCounts counts;
    counts.entriesTotal = pendingActionCount(list);
    counts.bytesTotal = pending.totalBytes;
    return counts;
}

double runProgressShare(const RunProgressCounts& counts) {
    // A file that grew after planning must not take the share beyond the whole.
    const auto work = [](uint64_t bytes, size_t entries) {
        return static_cast<double>(bytes) + static_cast<double>(entries) * kEntryWorkBytes;
    };
    const double total = work(counts.bytesTotal, counts.entriesTotal);
    if (total <= 0)
        return 1;
    return work(std::min(counts.bytesDone, counts.bytesTotal),
                std::min(counts.entriesDone, counts.entriesTotal)) /
           total;
}

std::string runProgressLine(const RunProgressCounts& counts, double elapsedSeconds,
                            const Translation& translation) {
    const size_t entries = std::min(counts.entriesDone, counts.entriesTotal);
    const uint64_t bytes = std::min(counts.bytesDone, counts.bytesTotal);
    const double share = runProgressShare(counts);

    const bool timed = elapsedSeconds > 0;
    const std::string speed =
        timed ? humanBytes(static_cast<double>(bytes) / elapsedSeconds) + "/s" : "--/s";
    std::string left = "--:--";
    if (share >= 1)
        left = duration(0);
    else if (timed && share > 0)
        left = duration(elapsedSeconds * (1 - share) / share);

    const int percent = static_cast<int>(share * 100);
    return fillIn(translation.translate("RunProgress", "%1/%2 件  %3/%4  %5%  %6  残り %7"),
                  {std::to_string(entries), std::to_string(counts.entriesTotal),
                   humanBytes(static_cast<double>(bytes)),
                   humanBytes(static_cast<double>(counts.bytesTotal)), std::to_string(percent),
                   speed, left});
}

RunProgressTally::RunProgressTally(const RunProgressCounts& totals)
    : m_counts{0, totals.entriesTotal, 0, totals.bytesTotal} {}

void RunProgressTally::entryStarting(const OperationEntry& entry) {
    m_currentSize = entry.source.size;
    m_counts.bytesDone = m_finishedBytes;
}

void RunProgressTally::entryFinished(const OperationEntry& entry, EntryOutcome outcome) {
    if (outcome == EntryOutcome::Deferred)
        return;
    PlanTotals finished;
    finished.add(entry);
    m_finishedBytes += finished.totalBytes;
    m_currentSize = 0;
    m_counts.bytesDone = m_finishedBytes;
    if (isAction(entry))
        ++m_counts.entriesDone;
}

void RunProgressTally::setFilePosition(uint64_t done) {
    m_counts.bytesDone = m_finishedBytes + std::min(done, m_currentSize);
}

} // namespace ryk

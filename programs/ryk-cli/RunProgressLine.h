#pragma once

#include "engine/RunObserver.h"
#include "engine/RunProgress.h"
#include "platform/ProgressSinks.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

namespace ryk {

/// Shows a run's overall progress as one line on a terminal while it passes every report on to
/// the observer and copy sink it wraps. The line's text changes at most ten times a second; it
/// is erased before an outcome line or a message is written to the same terminal and put back
/// below it, and erased for good by end().
class TerminalRunProgress : public RunObserver, public CopyProgressSink {
public:
    /// Where the wrapped observer writes its outcome lines.
    enum class OutcomeLines { OnTerminal, Elsewhere };
    /// Seconds from any fixed moment; a steady clock unless a test gives its own.
    using Clock = std::function<double()>;

    /// `totals` holds the entries and bytes the run has to do (the done counts are ignored).
    TerminalRunProgress(const RunProgressCounts& totals, RunObserver& observer,
                        CopyProgressSink& sink, std::FILE* terminal, OutcomeLines outcomeLines,
                        Clock clock = {}, const Translation& translation = kUntranslated);
    ~TerminalRunProgress() override { end(); }
    TerminalRunProgress(const TerminalRunProgress&) = delete;
    TerminalRunProgress& operator=(const TerminalRunProgress&) = delete;

    /// Erases the line so that other output starts on a clean line; restore() puts it back.
    void erase();
    /// Shows the last text again after erase().
    void restore();
    /// Erases the line for good, before the run's closing line.
    void end();

    void entryStarting(size_t row, const OperationEntry& entry,
                       const std::string& statusText) override;
    void entryFinished(size_t row, const OperationEntry& entry, EntryOutcome outcome) override;

    void showSourcePath(const std::string& path) override { m_sink.showSourcePath(path); }
    void showTargetPath(const std::string& path) override { m_sink.showTargetPath(path); }
    void setStatus(const std::string& text) override { m_sink.setStatus(text); }
    void setRange(uint64_t total) override { m_sink.setRange(total); }
    void setPosition(uint64_t done) override;
    bool isVisible() const override { return m_sink.isVisible(); }
    void setVisible(bool visible) override { m_sink.setVisible(visible); }
    bool showsFileProgress() const override { return m_sink.showsFileProgress(); }

private:
    /// Draws the current counts unless the last drawing is less than a tenth of a second old.
    void update();
    void write(const std::string& text);

    RunProgressTally m_tally;
    const Translation& m_translation;
    RunObserver& m_observer;
    CopyProgressSink& m_sink;
    std::FILE* m_terminal;
    OutcomeLines m_outcomeLines;
    Clock m_clock;
    double m_start = 0;
    double m_lastDrawn = 0;
    std::string m_text;
    bool m_shown = false;
    bool m_ended = false;
};

} // namespace ryk

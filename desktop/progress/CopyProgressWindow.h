#pragma once

#include "engine/RunObserver.h"
#include "engine/RunProgress.h"
#include "platform/ProgressSinks.h"

#include <QElapsedTimer>
#include <QFrame>
#include <memory>

namespace Ui {
class CopyProgressWindow;
}

namespace ryk {

/// The small window a run shows while it copies a large file: the source and target paths, a
/// status line and a bar over the bytes of the file, and below them the run's overall progress
/// (entries and bytes done of the plan's totals, speed, time left) with a bar of its own.
class CopyProgressWindow : public QFrame, public CopyProgressSink {
    Q_OBJECT
public:
    /// `owner` is the window it is centred over; it starts hidden.
    explicit CopyProgressWindow(QWidget* owner = nullptr);
    ~CopyProgressWindow() override;

    void showSourcePath(const std::string& path) override;
    void showTargetPath(const std::string& path) override;
    void setStatus(const std::string& text) override;
    /// Any 64-bit total; the bar works on a scaled-down copy when it exceeds the bar's range.
    void setRange(uint64_t total) override;
    void setPosition(uint64_t done) override;
    bool isVisible() const override { return QFrame::isVisible(); }
    void setVisible(bool visible) override;

    /// From now on the overall lines follow a run that has `totals` to do.
    void beginRun(const RunProgressCounts& totals);
    /// The run's reports, which move the overall lines on.
    void entryStarting(const OperationEntry& entry);
    void entryFinished(const OperationEntry& entry, EntryOutcome outcome);

    QString sourceText() const;
    QString targetText() const;
    QString statusText() const;
    QString overallText() const;
    /// The overall bar in thousandths of the work (drawn while the window shows).
    int overallValue() const;
    /// The bar's range and value as the bar holds them (set while the window shows).
    int barMaximum() const;
    int barValue() const;

private:
    std::unique_ptr<Ui::CopyProgressWindow> m_ui;
    QWidget* m_owner;
    uint64_t m_total = 0;
    /// Bits the byte counts are shifted right by to fit the bar's int range.
    int m_shift = 0;
    /// The file's bar as it is to be drawn once the window shows.
    int m_barMaximum = 1;
    int m_barValue = 0;

    /// Draws the file's bar, when the window shows.
    void showBar();

    /// Draws the overall lines, at most ten times a second unless `when` is Now.
    enum class Redraw { Now, WhenDue };
    void showOverall(Redraw when);

    RunProgressTally m_tally{{}};
    QElapsedTimer m_runTime;
    QElapsedTimer m_sinceOverallShown;
};

} // namespace ryk

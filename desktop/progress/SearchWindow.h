#pragma once

#include "platform/ProgressSinks.h"

#include <QElapsedTimer>
#include <QFrame>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <string>

namespace Ui {
class SearchWindow;
}

namespace ryk {

/// The small window shown during a long step of the result window: a heading, a detail line
/// (the current path or a counter) and a hint. It only displays and leaves the keyboard with
/// our window that has it, where the Escape its hint speaks of is read.
class SearchWindow : public QFrame, public SearchSink {
    Q_OBJECT
public:
    /// `owner` is the window it belongs to and is centred over; it is destroyed with it.
    explicit SearchWindow(QWidget* owner = nullptr);
    ~SearchWindow() override;

    /// Makes `owner` the window it belongs to and is centred over from the next step on; the
    /// window is hidden until then.
    void setOwner(QWidget* owner);

    /// Shows the window for a step with its heading and hint; the detail line starts empty.
    void begin(const QString& heading, const QString& hint);
    /// Replaces the heading of the current step.
    void setHeading(const QString& heading);
    /// Shows `text` on the detail line as it is, painted at once: the first text of a step
    /// always, later ones when the last was painted a moment ago (a fast step's counter
    /// changes faster than it can be read).
    void showDetail(const QString& text);
    /// Shows `path` on the detail line, compacted to the line's width, whole as its tooltip.
    /// While the window is visible, the line takes the latest path with the next look at the
    /// input (or the next detail()), which the scan makes after each directory.
    void showDetailPath(const std::string& path) override;
    /// Hides the window after a step.
    void end();

    QString heading() const;
    QString detail() const;
    QString hint() const;

private:
    /// Puts the latest path given to showDetailPath() on the detail line.
    void showPendingPath() const;

    std::unique_ptr<Ui::SearchWindow> m_ui;
    QWidget* m_owner;
    /// Our window that had the keyboard when the step began; it gets it back should the
    /// desktop have given it to this one.
    QPointer<QWidget> m_previousActive;
    /// Since the detail line was last painted by showDetail(); invalid at the start of a step.
    QElapsedTimer m_sinceDetailPainted;
    /// The path the detail line is to show next, while `m_pathPending`.
    std::string m_pendingPath;
    mutable bool m_pathPending = false;
    QTimer m_pathTimer;
};

} // namespace ryk

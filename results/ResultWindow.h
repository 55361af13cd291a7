#pragma once

#include "engine/TransferJob.h"

#include <QDialog>
#include <QFileIconProvider>
#include <QIcon>
#include <QList>
#include <QMimeDatabase>
#include <QTimer>
#include <memory>

class QLabel;
class QTableView;

namespace Ui {
class ResultWindow;
}

namespace ryk {

class OperationTableModel;
class SearchWindow;

/// The "テスト結果" window: plans its job while still hidden, lists the planned entries with a
/// summary, lets the user remove rows or copy the list, runs it, and empties the list when it
/// closes. It owns the job.
class ResultWindow : public QDialog, public RunObserver {
    Q_OBJECT
public:
    explicit ResultWindow(const Platform& platform, QWidget* parent = nullptr);
    ~ResultWindow() override;

    /// The window's job; set it up (SetJob, SetPaths, ...) before exec().
    TransferJob& job() { return m_job; }
    /// Plans the job while the window is hidden, then fills the list and the summary. False when
    /// the plan was abandoned: the list has then been emptied and the window ended.
    bool planAndFill();
    /// Plans and fills, then runs the window modally; Rejected at once when the plan was
    /// abandoned.
    int exec() override;

    /// Runs every pending entry (the execute button).
    void runList();
    /// Removes the selected rows and destroys their entries.
    void removeSelectedRows();
    /// Puts every line of the list on the clipboard and says so; an empty list puts nothing.
    void copyListToClipboard();
    /// Closing: destroys every entry and ends the window.
    void reject() override;

    OperationTableModel& model() { return *m_model; }
    QTableView* view() const;
    SearchWindow& searchWindow() { return *m_searchWindow; }
    QString statusText() const;

signals:
    /// The attribute and date change was asked for (its button or the A key).
    void attributeChangeRequested();
    /// The file information of these rows (ascending) was asked for by a double click.
    void fileInformationRequested(const QList<int>& rows);
    /// A row's context menu was asked for; `row` is -1 below the last row.
    void contextMenuRequested(int row, int column, const QPoint& globalPosition);

protected:
    /// The keys A, C and D act for the whole window, whatever control has the focus.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void entryStarting(size_t row, const OperationEntry& entry,
                       const std::string& statusText) override;
    void entryFinished(size_t row, const OperationEntry& entry, RowOverlay overlay) override;

private:
    void setUpView();
    void fillList();
    void showSummary();
    void setStatus(const QString& text, const QIcon& icon);
    void setButtonsEnabled(bool enabled);
    /// Shows the latest entry's status line and row, if not shown yet.
    void showRunProgress();
    void makeCloseDefault();
    QIcon fileIcon(const OperationEntry& entry);

    std::unique_ptr<Ui::ResultWindow> m_ui;
    Platform m_platform;
    SearchWindow* m_searchWindow;
    TransferJob m_job;
    OperationTableModel* m_model;
    QLabel* m_statusIcon;
    QLabel* m_statusText;
    QIcon m_programIcon;
    QFileIconProvider m_iconProvider;
    QMimeDatabase m_mimeTypes;
    QTimer m_progressTimer;
    size_t m_progressRow = 0;
    QString m_progressText;
    bool m_progressPending = false;
    /// Set while a step runs that the window's own controls must not interrupt.
    bool m_busy = false;
};

} // namespace ryk

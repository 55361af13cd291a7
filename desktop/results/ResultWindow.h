#pragma once

#include "desktop/results/OperationTableModel.h"
#include "desktop/results/RowImages.h"
#include "desktop/results/RunEndNotice.h"
#include "desktop/results/RunProgressThrottle.h"
#include "desktop/results/StatusLine.h"
#include "engine/RunObserver.h"

#include <QDialog>
#include <QIcon>
#include <QList>
#include <memory>

class QCloseEvent;
class QTableView;

namespace Ui {
class ResultWindow;
}

namespace ryk {

class CopyProgressWindow;
class SearchWindow;
class TransferJob;

/// The "テスト結果" window over a planned job: lists the planned entries with a summary, lets
/// the user remove rows, runs the list, and empties it when it closes. It owns the job; the
/// tools its keys and rows lead to listen to its signals. ResultWindowFactory makes it.
/// Keys beyond the letters: Delete removes like D, F8 and Shift+F8 go to the next and the
/// previous row with an error, Alt+Enter opens the file information of the selected rows (of
/// the current row when none is selected), Ctrl+/ selects every row (Ctrl+A is the attribute
/// change). While the cursor is on a row with an error, the status bar says which file it was
/// and why.
class ResultWindow : public QDialog, public RunObserver {
    Q_OBJECT
public:
    /// Takes the planned `job` and the search window it was planned with, which from now on
    /// shows this window's long steps, and fills the list and the summary. Not shown yet.
    ResultWindow(std::unique_ptr<TransferJob> job, std::unique_ptr<SearchWindow> searchWindow,
                 QWidget* parent = nullptr);
    ~ResultWindow() override;

    /// The planned job; the rows are its list.
    TransferJob& job() { return *m_job; }

    /// Runs every pending entry (the execute button).
    void runList();
    /// The notice a long run sends when it ends unwatched; off until enabled.
    RunEndNotice& runEndNotice() { return m_runEndNotice; }
    /// Removes the selected rows and destroys their entries.
    void removeSelectedRows();
    /// Makes the next (or previous) row with an error the current and only selected row; a
    /// beep when there is none that way.
    void goToErrorRow(OperationTableModel::Direction direction);
    /// Closing: destroys every entry and ends the window.
    void reject() override;

    OperationTableModel& model() { return *m_model; }
    QTableView* view() const;
    SearchWindow& searchWindow() { return *m_searchWindow; }
    QString statusText() const;
    /// What the status bar says of the current row: its problem, or empty.
    QString rowStatusText() const;

signals:
    /// The attribute and date change of these rows (ascending, maybe none) was asked for, by
    /// its button or the A key.
    void attributeChangeRequested(const QList<int>& rows);
    /// The copy of the whole list to the clipboard was asked for (the C key).
    void copyListRequested();
    /// The file information of these rows (ascending) was asked for by a double click or
    /// Alt+Enter.
    void fileInformationRequested(const QList<int>& rows);
    /// A row's context menu was asked for; `row` is -1 below the last row. The menu key and
    /// Shift+F10 ask for the current cell's, at that cell.
    void contextMenuRequested(int row, int column, const QPoint& globalPosition);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    /// A close from the window manager: while the list runs it asks to stop, as Escape does.
    void closeEvent(QCloseEvent* event) override;
    void entryStarting(size_t row, const OperationEntry& entry,
                       const std::string& statusText) override;
    void entryFinished(size_t row, const OperationEntry& entry, EntryOutcome outcome) override;

private:
    void setUpView();
    void setUpKeys();
    void fillList();
    void requestAttributeChange();
    void requestFileInformation();
    void requestMenuForCurrentRow();
    /// Asks for the row menu, which keeps the keyboard to itself while it is open.
    void openRowMenu(int row, int column, const QPoint& globalPosition);
    /// Shows the current row's problem in the status bar, or the summary again.
    void showCurrentRowProblem();
    /// The selected rows, ascending.
    QList<int> selectedRows() const;
    void showSummary();
    void setButtonsEnabled(bool enabled);
    /// Shows the run's latest entry: its status line, and its row scrolled into view.
    void showRunEntry(size_t row, const QString& statusText);
    void makeCloseDefault();

    std::unique_ptr<Ui::ResultWindow> m_ui;
    std::unique_ptr<SearchWindow> m_searchWindow;
    std::unique_ptr<TransferJob> m_job;
    OperationTableModel* m_model;
    StatusLine m_statusLine;
    QIcon m_programIcon;
    FileIcons m_fileIcons;
    RunProgressThrottle m_runProgress;
    RunEndNotice m_runEndNotice;
    /// The copy window of the run under way; null between runs.
    CopyProgressWindow* m_copyProgress = nullptr;
    /// Set while a step runs that the window's own controls must not interrupt.
    bool m_busy = false;
};

} // namespace ryk

#include "desktop/results/ResultWindow.h"

#include "desktop/progress/CopyProgressWindow.h"
#include "desktop/progress/SearchWindow.h"
#include "desktop/results/BusyScope.h"
#include "desktop/results/OperationTableModel.h"
#include "desktop/results/RowImages.h"
#include "engine/CopyFile.h"
#include "engine/ListText.h"
#include "engine/RunProgress.h"
#include "engine/TransferJob.h"
#include "platform/qt/ByteText.h"
#include "platform/qt/QtTranslation.h"
#include "ui_ResultWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <vector>

namespace ryk {

namespace {

const QSize kMinimumSize(384, 300);

/// How often the rows' marks, the status line and the scroll position follow a run.
constexpr std::chrono::milliseconds kRunProgressInterval(250);

} // namespace

ResultWindow::ResultWindow(std::unique_ptr<TransferJob> job,
                           std::unique_ptr<SearchWindow> searchWindow, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::ResultWindow>()),
      m_searchWindow(std::move(searchWindow)), m_job(std::move(job)),
      m_model(new OperationTableModel(m_job->list(), m_job->shownMode(), this)), m_statusLine(this),
      m_programIcon(RowImages::programIcon()),
      m_runProgress(
          kRunProgressInterval, [this](const auto& marks) { m_model->setOverlays(marks); },
          [this](size_t row, const QString& statusText) { showRunEntry(row, statusText); }) {
    m_ui->setupUi(this);
    // No minimise or maximise: the window ends through its own close button or Escape. The
    // close hint must stay: a window manager that is told of no function at all offers all.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(m_programIcon);
    setMinimumSize(minimumSizeHint().expandedTo(kMinimumSize));
    setUpView();
    setUpKeys();

    m_statusLine.addTo(*m_ui->statusBar);

    connect(m_ui->runButton, &QPushButton::clicked, this, &ResultWindow::runList);
    connect(m_ui->closeButton, &QPushButton::clicked, this, &ResultWindow::reject);
    connect(m_ui->removeButton, &QPushButton::clicked, this, &ResultWindow::removeSelectedRows);
    connect(m_ui->attributeButton, &QPushButton::clicked, this,
            &ResultWindow::requestAttributeChange);

    m_statusLine.show(QStringLiteral("Bar Initialized."), QIcon());
    // The search window still shows the plan: the fill follows on in it, and only then does it
    // move over to this window, which is still hidden.
    m_searchWindow->begin(QCoreApplication::translate("ResultWindow", "リストに登録中..."),
                          QCoreApplication::translate("ResultWindow", "しばらくお待ちください"));
    fillList();
    m_searchWindow->end();
    m_searchWindow->setOwner(this);
}

ResultWindow::~ResultWindow() = default;

void ResultWindow::setUpView() {
    QTableView* view = m_ui->listView;
    view->setModel(m_model);
    QHeaderView* header = view->horizontalHeader();
    header->setSectionsClickable(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // Rows of one height, like a report list; the view then never measures rows one by one.
    QHeaderView* rows = view->verticalHeader();
    const int rowHeight = std::max(view->fontMetrics().height(), RowImages::kSize) + 4;
    rows->setMinimumSectionSize(rowHeight);
    rows->setDefaultSectionSize(rowHeight);
    rows->setSectionResizeMode(QHeaderView::Fixed);

    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!m_busy)
            m_ui->removeButton->setEnabled(m_ui->listView->selectionModel()->hasSelection());
    });
    connect(view, &QTableView::doubleClicked, this, [this] {
        // A modal window's own event loop must not open inside a run's look at the input.
        if (m_busy)
            return;
        if (const QList<int> rows = selectedRows(); !rows.isEmpty())
            emit fileInformationRequested(rows);
    });
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &ResultWindow::showCurrentRowProblem);
    connect(view, &QWidget::customContextMenuRequested, this, [this](const QPoint& position) {
        // A menu's own event loop must not open inside a run's look at the input.
        if (m_busy)
            return;
        const QModelIndex index = m_ui->listView->indexAt(position);
        openRowMenu(index.row(), index.column(), m_ui->listView->viewport()->mapToGlobal(position));
    });
}

void ResultWindow::setUpKeys() {
    // A letter acts with or without Shift and whatever Ctrl says. As shortcuts rather than a
    // look at every key, they leave its letters to a control that takes text.
    for (QAction* action : {m_ui->removeAction, m_ui->attributeAction, m_ui->copyAction}) {
        const Qt::Key key = action->shortcut()[0].key();
        action->setShortcuts({QKeySequence(key), QKeySequence(Qt::ShiftModifier | key),
                              QKeySequence(Qt::ControlModifier | key),
                              QKeySequence(Qt::ControlModifier | Qt::ShiftModifier | key)});
    }
    m_ui->removeAction->setShortcuts(m_ui->removeAction->shortcuts()
                                     << QKeySequence(Qt::Key_Delete));
    const auto addKeyAction = [this](const QList<QKeySequence>& keys, auto slot) {
        auto* action = new QAction(this);
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(action);
        connect(action, &QAction::triggered, this, slot);
    };
    addKeyAction({QKeySequence(Qt::Key_F8)},
                 [this] { goToErrorRow(OperationTableModel::Direction::Down); });
    addKeyAction({QKeySequence(Qt::ShiftModifier | Qt::Key_F8)},
                 [this] { goToErrorRow(OperationTableModel::Direction::Up); });
    addKeyAction({QKeySequence(Qt::ControlModifier | Qt::Key_Slash)},
                 [this] { m_ui->listView->selectAll(); });
    // As a double click does; Enter alone stays the execute button's.
    addKeyAction({QKeySequence(Qt::AltModifier | Qt::Key_Return),
                  QKeySequence(Qt::AltModifier | Qt::KeypadModifier | Qt::Key_Enter)},
                 [this] { requestFileInformation(); });
    auto* menuAction = new QAction(this);
    menuAction->setShortcuts(
        {QKeySequence(Qt::Key_Menu), QKeySequence(Qt::ShiftModifier | Qt::Key_F10)});
    menuAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(menuAction);
    connect(menuAction, &QAction::triggered, this, &ResultWindow::requestMenuForCurrentRow);
    // Some desktops send the menu key as a context menu event too, placed at the mouse pointer
    // or the view's corner; it opens the current row's menu like the key. Whichever comes
    // second meets the open popup, so one press opens one menu.
    m_ui->listView->installEventFilter(this);
    connect(m_ui->removeAction, &QAction::triggered, this, &ResultWindow::removeSelectedRows);
    connect(m_ui->attributeAction, &QAction::triggered, this,
            &ResultWindow::requestAttributeChange);
    connect(m_ui->copyAction, &QAction::triggered, this, [this] {
        if (!m_busy)
            emit copyListRequested();
    });
}

void ResultWindow::requestAttributeChange() {
    if (!m_busy)
        emit attributeChangeRequested(selectedRows());
}

void ResultWindow::requestFileInformation() {
    if (m_busy)
        return;
    QList<int> rows = selectedRows();
    if (const QModelIndex current = m_ui->listView->currentIndex();
        rows.isEmpty() && current.isValid())
        rows << current.row();
    if (!rows.isEmpty())
        emit fileInformationRequested(rows);
}

void ResultWindow::showCurrentRowProblem() {
    if (m_busy)
        return;
    // Over the summary while the cursor is on such a row; the summary comes back after it.
    const QModelIndex current = m_ui->listView->currentIndex();
    const QString problem = current.isValid() ? m_model->problemText(current.row()) : QString();
    if (problem.isEmpty())
        m_ui->statusBar->clearMessage();
    else
        m_ui->statusBar->showMessage(problem);
}

QString ResultWindow::rowStatusText() const {
    return m_ui->statusBar->currentMessage();
}

void ResultWindow::requestMenuForCurrentRow() {
    QTableView* view = m_ui->listView;
    const QModelIndex current = view->currentIndex();
    if (m_busy || !current.isValid())
        return;
    const int column = current.column() == OperationTableModel::TargetColumn
                           ? OperationTableModel::TargetColumn
                           : OperationTableModel::SourceColumn;
    const QModelIndex cell = m_model->index(current.row(), column);
    view->scrollTo(cell);
    openRowMenu(cell.row(), cell.column(),
                view->viewport()->mapToGlobal(view->visualRect(cell).bottomLeft()));
}

void ResultWindow::openRowMenu(int row, int column, const QPoint& globalPosition) {
    // The menu runs its own event loop inside this call, and its letters are its own: the
    // window's keys would still match, since an open popup leaves the focus in the list.
    QList<QAction*> keys;
    for (QAction* key : actions()) {
        if (key->isEnabled()) {
            key->setEnabled(false);
            keys << key;
        }
    }
    emit contextMenuRequested(row, column, globalPosition);
    for (QAction* key : keys)
        key->setEnabled(true);
}

bool ResultWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_ui->listView && event->type() == QEvent::ContextMenu &&
        static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard) {
        requestMenuForCurrentRow();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void ResultWindow::goToErrorRow(OperationTableModel::Direction direction) {
    QTableView* view = m_ui->listView;
    const QModelIndex current = view->currentIndex();
    int from = current.isValid() ? current.row() : -1;
    if (!current.isValid() && direction == OperationTableModel::Direction::Up)
        from = m_model->rowCount();
    const int row = m_model->nextErrorRow(from, direction);
    if (row < 0) {
        QApplication::beep();
        return;
    }
    const QModelIndex cell = m_model->index(row, OperationTableModel::ActionColumn);
    view->selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect |
                                                      QItemSelectionModel::Rows);
    view->scrollTo(cell);
}

void ResultWindow::closeEvent(QCloseEvent* event) {
    if (!m_busy) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    // During a run a close can only come while the run looks at the input, which takes this
    // released Escape as the user's own and asks whether to stop. It goes where the keys of
    // the desktop arrive: the native window.
    QKeyEvent escape(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
    if (QWindow* native = windowHandle())
        QCoreApplication::sendEvent(native, &escape);
}

QList<int> ResultWindow::selectedRows() const {
    QList<int> rows;
    for (const QModelIndex& index : m_ui->listView->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

QTableView* ResultWindow::view() const {
    return m_ui->listView;
}

QString ResultWindow::statusText() const {
    return m_statusLine.text();
}

void ResultWindow::fillList() {
    m_model->reset([this](size_t done, size_t count) {
        m_searchWindow->showDetail(QStringLiteral("%1/%2").arg(done).arg(count));
    });

    if (m_job->job().mode == TransferMode::Search) {
        m_ui->runButton->setEnabled(false);
        makeCloseDefault();
    }
    // The list takes its width from the window's layout before its columns are fitted to it.
    if (QLayout* layout = this->layout())
        layout->activate();
    m_ui->listView->fitColumns();
    m_ui->removeButton->setEnabled(false);
    m_ui->attributeButton->setEnabled(m_model->rowCount() > 0);
    showSummary();
}

void ResultWindow::showSummary() {
    m_statusLine.show(fromBytes(summaryText(m_job->list().size(), m_model->totals(),
                                            m_job->shownMode(), m_job->summaryVolume())),
                      m_programIcon);
}

void ResultWindow::setButtonsEnabled(bool enabled) {
    for (QPushButton* button :
         {m_ui->removeButton, m_ui->attributeButton, m_ui->closeButton, m_ui->runButton})
        button->setEnabled(enabled);
}

void ResultWindow::makeCloseDefault() {
    m_ui->runButton->setDefault(false);
    m_ui->closeButton->setDefault(true);
}

void ResultWindow::runList() {
    if (m_busy)
        return;
    {
        const BusyScope busy(m_busy, BusyScope::Cursor::Wait);
        setButtonsEnabled(false);
        m_ui->statusBar->clearMessage(); // the run's own lines show
        RunSummary summary;
        {
            CopyProgressWindow progress(this);
            progress.beginRun(plannedRunCounts(m_job->list()));
            m_runEndNotice.runStarting();
            m_copyProgress = &progress;
            summary = m_job->OnOK(*this, progress);
            m_copyProgress = nullptr;
        }
        m_runProgress.showNow(); // the list ends scrolled to the last entry carried out
        setButtonsEnabled(true);
        // A stopped run says so, and how much is left, rather than that it is complete.
        const std::string result =
            summary.complete ? runFinishedText(summary.errors, qtTextTranslation())
                             : runStoppedText(summary.errors, pendingActionCount(m_job->list()),
                                              qtTextTranslation());
        m_statusLine.show(fromBytes(result), m_programIcon);
        m_runEndNotice.runEnded(fromBytes(result), !summary.complete ? RunEndNotice::Ending::Stopped
                                                   : summary.errors > 0
                                                       ? RunEndNotice::Ending::Errors
                                                       : RunEndNotice::Ending::Done);
        if (summary.complete) {
            m_ui->runButton->setEnabled(false);
            m_ui->removeButton->setEnabled(false);
            makeCloseDefault();
        }
    }
    showCurrentRowProblem(); // the row under the cursor may have failed meanwhile
}

void ResultWindow::entryStarting(size_t row, const OperationEntry& entry,
                                 const std::string& statusText) {
    if (m_copyProgress)
        m_copyProgress->entryStarting(entry);
    // A file the copy window will show is long enough for the status line to keep up with.
    const bool shownByCopyWindow = copiesData(entry.command) && entry.source.size > kCopyChunkBytes;
    m_runProgress.entryStarting(row, statusText,
                                shownByCopyWindow ? RunProgressThrottle::Show::Now
                                                  : RunProgressThrottle::Show::WhenDue);
}

void ResultWindow::showRunEntry(size_t row, const QString& statusText) {
    m_ui->listView->followRow(static_cast<int>(row));
    if (const OperationEntry* entry = m_job->list().at(row))
        m_statusLine.show(statusText, m_fileIcons.icon(*entry));
}

void ResultWindow::entryFinished(size_t row, const OperationEntry& entry, EntryOutcome outcome) {
    m_runProgress.entryFinished(row, overlayFor(outcome));
    if (m_copyProgress)
        m_copyProgress->entryFinished(entry, outcome);
}

void ResultWindow::removeSelectedRows() {
    if (m_busy)
        return;
    const QList<int> selected = selectedRows();
    if (selected.isEmpty())
        return;
    const std::vector<int> rows(selected.begin(), selected.end());

    const BusyScope busy(m_busy, BusyScope::Cursor::Wait);
    m_ui->listView->setUpdatesEnabled(false);
    m_searchWindow->begin(QCoreApplication::translate("ResultWindow", "選択アイテムを削除中..."),
                          QCoreApplication::translate("ResultWindow", "お待ちください..."));
    m_searchWindow->showDetail(
        QCoreApplication::translate("ResultWindow", "選択アイテム残り %1").arg(rows.size()));
    m_model->removeRowSet(rows);
    m_ui->listView->setUpdatesEnabled(true);
    m_searchWindow->end();
    showSummary();
}

void ResultWindow::reject() {
    // Closing waits for a run to end; Escape stops the run first.
    if (m_busy)
        return;
    {
        const BusyScope busy(m_busy, BusyScope::Cursor::Unchanged);
        hide();
        m_searchWindow->begin(QCoreApplication::translate("ResultWindow", "リストから削除中..."),
                              QCoreApplication::translate("ResultWindow", "お待ちください..."));
        m_ui->listView->setUpdatesEnabled(false);
        m_model->clear([this](size_t left, size_t) {
            m_searchWindow->showDetail(
                QCoreApplication::translate("ResultWindow", "残り %1").arg(left));
        });
        m_searchWindow->setHeading(
            QCoreApplication::translate("ResultWindow", "ポインタリストを削除中..."));
        m_searchWindow->showDetail(QString());
        m_ui->listView->setUpdatesEnabled(true);
        m_searchWindow->end();
        m_ui->statusBar->hide();
        m_job->setFocusField(JobField::None);
    }
    QDialog::reject();
}

} // namespace ryk

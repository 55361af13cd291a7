#include "desktop/results/AttributeChanger.h"

#include "desktop/progress/SearchWindow.h"
#include "desktop/results/AttributeWindow.h"
#include "desktop/results/OperationTableModel.h"
#include "desktop/results/ResultWindow.h"
#include "engine/AttributeChange.h"
#include "engine/TransferJob.h"

#include <QCoreApplication>
#include <QTableView>
#include <vector>

namespace ryk {

namespace {

/// Shows the count in the search window and tells the list which rows' facts are new.
class ChangeProgress : public ChangeObserver {
public:
    ChangeProgress(SearchWindow& searchWindow, OperationTableModel& model)
        : m_searchWindow(searchWindow), m_model(model) {}

    void targetDone(size_t row, size_t changed) override {
        m_model.factsChanged(row);
        if (changed != m_shown) {
            m_shown = changed;
            m_searchWindow.showDetail(
                QCoreApplication::translate("AttributeWindow", "%1 個属性を変更しました")
                    .arg(changed));
        }
    }

private:
    SearchWindow& m_searchWindow;
    OperationTableModel& m_model;
    size_t m_shown = 0;
};

} // namespace

AttributeChanger::AttributeChanger(const Platform& platform, ResultWindow* window)
    : QObject(window), m_platform(platform), m_window(window) {}

void AttributeChanger::changeRows(QList<int> rows) {
    ResultWindow& window = *m_window;
    if (rows.isEmpty()) {
        window.view()->selectAll();
        for (int row = 0; row < window.model().rowCount(); ++row)
            rows.append(row);
    }
    OperationList& list = window.job().list();
    const std::vector<int> asked(rows.begin(), rows.end());
    const std::vector<ChangeTarget> sides[] = {
        changeTargets(list, asked, ChangeSide::Source),
        changeTargets(list, asked, ChangeSide::Target),
    };
    FileSystem& fs = m_platform.fileSystem;
    AttributeWindow dialog(window.job().shownMode(), static_cast<int>(rows.size()),
                           commonState(currentWords(fs, sides[0])),
                           commonState(currentWords(fs, sides[1])), &window);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const ChangeRequest request = dialog.request();
    if (request.changesNothing())
        return;

    SearchWindow& searchWindow = window.searchWindow();
    searchWindow.begin(
        QCoreApplication::translate("AttributeWindow", "選択アイテムの属性を変更中..."),
        QCoreApplication::translate("AttributeWindow", "お待ちください..."));
    // The abort poll lets mouse clicks through: the list must not be run or cut meanwhile.
    // The search window, a window of its own, stays drawn as enabled.
    QWidget* focus = window.focusWidget();
    window.setEnabled(false);
    searchWindow.setEnabled(true);
    ChangeProgress progress(searchWindow, window.model());
    applyChange(m_platform, sides[request.side == ChangeSide::Source ? 0 : 1], request, &progress);
    window.setEnabled(true);
    if (focus)
        focus->setFocus();
    searchWindow.end();
}

} // namespace ryk

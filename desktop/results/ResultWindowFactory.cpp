#include "desktop/results/ResultWindowFactory.h"

#include "desktop/progress/SearchWindow.h"
#include "desktop/results/AttributeChanger.h"
#include "desktop/results/FileInfoWindow.h"
#include "desktop/results/ResultWindow.h"
#include "desktop/results/RowContextMenu.h"
#include "desktop/results/RowTools.h"
#include "engine/TransferJob.h"

#include <QCoreApplication>

namespace ryk {

ResultWindowFactory::ResultWindowFactory(const Platform& platform, QWidget* owner)
    : m_platform(platform), m_owner(owner), m_searchWindow(std::make_unique<SearchWindow>(owner)),
      m_job(std::make_unique<TransferJob>(platform, m_searchWindow.get())) {}

ResultWindowFactory::~ResultWindowFactory() = default;

std::unique_ptr<ResultWindow> ResultWindowFactory::plan() {
    m_searchWindow->begin(
        QCoreApplication::translate("ResultWindow", "検索中..."),
        QCoreApplication::translate("ResultWindow", "中断するときはESCキーを押してください"));
    if (!m_job->PlanJob()) {
        m_searchWindow->end();
        m_job->list().clear();
        m_job->setFocusField(JobField::None);
        return nullptr;
    }
    auto window =
        std::make_unique<ResultWindow>(std::move(m_job), std::move(m_searchWindow), m_owner);
    auto* tools = new RowTools(window->job().list(), m_platform.messageBox, window.get());
    QObject::connect(window.get(), &ResultWindow::copyListRequested, tools, &RowTools::copyList);
    auto* menu = new RowContextMenu(window->job().list(), window->job().tools(),
                                    m_platform.messageBox, window.get());
    QObject::connect(window.get(), &ResultWindow::contextMenuRequested, menu,
                     &RowContextMenu::open);
    QObject::connect(window.get(), &ResultWindow::fileInformationRequested, window.get(),
                     [platform = m_platform, w = window.get()](const QList<int>& rows) {
                         FileInfoWindow::showRows(platform, w->job().list(), rows, w);
                     });
    auto* changer = new AttributeChanger(m_platform, window.get());
    QObject::connect(window.get(), &ResultWindow::attributeChangeRequested, changer,
                     &AttributeChanger::changeRows);
    return window;
}

} // namespace ryk

#include "desktop/results/RowContextMenu.h"

#include "engine/OperationEntry.h"
#include "platform/MessageBox.h"
#include "platform/qt/ByteText.h"
#include "platform/qt/QtTranslation.h"

#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMenu>
#include <QUrl>
#include <filesystem>
#include <system_error>

namespace ryk {

namespace {

/// The file's own items, by their offset from the first id of their range.
enum FileItem { OpenFile = 0, OpenFolder = 1, CopyPath = 2 };

/// Where the file's own items begin: after the three tools.
constexpr int kFileItemsPosition = 3;

struct ToolItem {
    ExternalTool tool;
    const char* prompt;
};

constexpr ToolItem kToolItems[] = {
    {ExternalTool::Binary, QT_TRANSLATE_NOOP("RowContextMenu", "バイナリエディターを開きます")},
    {ExternalTool::Editor, QT_TRANSLATE_NOOP("RowContextMenu", "テキストエディターを開きます")},
    {ExternalTool::Windiff, QT_TRANSLATE_NOOP("RowContextMenu", "比較用プログラムを立ち上げます")},
};

struct FileItemText {
    FileItem item;
    const char* text;
};

constexpr FileItemText kFileItems[] = {
    {OpenFile, QT_TRANSLATE_NOOP("RowContextMenu", "開く(&O)")},
    {OpenFolder, QT_TRANSLATE_NOOP("RowContextMenu", "ファイルの場所を開く(&I)")},
    {CopyPath, QT_TRANSLATE_NOOP("RowContextMenu", "パスのコピー(&A)")},
};

/// The folder that holds `path` ("/" for a name in the root).
std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? std::string("/") : path.substr(0, slash);
}

} // namespace

RowContextMenu::RowContextMenu(const OperationList& list, const ToolPaths& tools,
                               MessageBox& messageBox, QWidget* owner)
    : QObject(owner), m_list(list), m_tools(tools), m_messageBox(messageBox),
      m_menu(new QMenu(QStringLiteral("ryk menu"), owner)) {
    for (const ToolItem& item : kToolItems) {
        QAction* action = m_menu->addAction(toolText(item.tool));
        action->setData(toolCommandId(item.tool));
        action->setStatusTip(QCoreApplication::translate("RowContextMenu", item.prompt));
    }
}

RowContextMenu::~RowContextMenu() = default;

void RowContextMenu::open(int row, int column, const QPoint& globalPosition) {
    if (row < 0)
        return;
    const MenuFiles files = menuFilesOf(m_list.at(static_cast<size_t>(row)), column);
    if (!files.any())
        return;
    const QList<QAction*> actions = m_menu->actions();
    for (int i = 0; i < kFileItemsPosition; ++i)
        actions[i]->setEnabled(toolEnabled(m_tools, kToolItems[i].tool, files));
    m_files = files;
    addFileItems();

    QAction* chosen = m_menu->exec(globalPosition);
    // The id is read before the file's items go; the command runs once the popup is plain.
    const int command = chosen ? chosen->data().toInt() : 0;
    removeFileItems();
    if (command != 0)
        run(command);
}

void RowContextMenu::addFileItems() {
    // The desktop has nothing to offer for a name without a folder, or for a file that is gone
    // (a run may have moved or deleted it since the plan).
    std::error_code error;
    const auto status = std::filesystem::symlink_status(m_files.file, error);
    if (!m_files.file.starts_with('/') || error || !std::filesystem::exists(status))
        return;
    m_menu->addSeparator();
    for (const FileItemText& item : kFileItems) {
        QAction* action =
            m_menu->addAction(QCoreApplication::translate("RowContextMenu", item.text));
        action->setData(kFirstFileCommand + item.item);
        if (item.item == OpenFile)
            m_menu->setDefaultAction(action);
    }
}

void RowContextMenu::removeFileItems() {
    m_menu->setDefaultAction(nullptr);
    const QList<QAction*> actions = m_menu->actions();
    for (qsizetype i = kFileItemsPosition; i < actions.size(); ++i) {
        m_menu->removeAction(actions[i]);
        delete actions[i];
    }
}

void RowContextMenu::run(int command) {
    for (const ToolItem& item : kToolItems) {
        if (command == toolCommandId(item.tool)) {
            (void)startTool(m_tools, item.tool, m_files, m_messageBox);
            return;
        }
    }
    if (command >= kFirstFileCommand && command <= kLastFileCommand)
        runFileItem(command - kFirstFileCommand);
}

void RowContextMenu::runFileItem(int offset) {
    const std::string& path = m_files.file;
    std::string opened;
    switch (offset) {
    case OpenFile:
        opened = path;
        break;
    case OpenFolder:
        opened = folderOf(path);
        break;
    case CopyPath:
        QGuiApplication::clipboard()->setText(fromBytes(path));
        return;
    default:
        return;
    }
    if (!QDesktopServices::openUrl(fileUrl(opened)))
        m_messageBox.tell(
            fillIn(qtTextTranslation().translate("RowContextMenu", "「%1」を開けませんでした。"),
                   {opened}));
}

} // namespace ryk

#pragma once

#include "desktop/results/ExternalTools.h"
#include "engine/ToolPaths.h"

#include <QObject>

class QAction;
class QMenu;
class QPoint;
class QWidget;

namespace ryk {

class MessageBox;
class OperationList;

/// The popup of a row's file: "Binary", "Editor" and "Windiff" start the configured programs on
/// it, and below them the file's own items, as the desktop offers them, open it with its
/// default application, open the folder that holds it or copy its path.
class RowContextMenu : public QObject {
    Q_OBJECT
public:
    /// Works on `list`, the owner's, with the programs of `tools`; `owner` is the result window,
    /// which keeps this object and the popup.
    RowContextMenu(const OperationList& list, const ToolPaths& tools, MessageBox& messageBox,
                   QWidget* owner);
    ~RowContextMenu() override;

    /// Opens the popup for the file of `column` of `row` at `globalPosition` and carries out
    /// the item chosen. Where no existing file stands behind the cell, nothing opens.
    void open(int row, int column, const QPoint& globalPosition);

private:
    /// Adds the file's own items below a separator, unless the desktop has none for it.
    void addFileItems();
    /// Takes the popup back to its own three items.
    void removeFileItems();
    /// Carries out the item with menu id `command`.
    void run(int command);
    void runFileItem(int offset);

    const OperationList& m_list;
    ToolPaths m_tools;
    MessageBox& m_messageBox;
    QMenu* m_menu;
    MenuFiles m_files;
};

} // namespace ryk

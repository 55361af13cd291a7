#pragma once

#include <QObject>

namespace ryk {

class MessageBox;
class OperationList;

/// The tools a result window's keys and rows lead to, each connected to the window's request
/// for it: for now the copy of the list to the clipboard.
class RowTools : public QObject {
    Q_OBJECT
public:
    /// Works on `list`, the window's; `parent` is the window.
    RowTools(const OperationList& list, MessageBox& messageBox, QObject* parent = nullptr);

    /// Puts every line of the list on the clipboard and says so; an empty list puts nothing.
    void copyList();

private:
    const OperationList& m_list;
    MessageBox& m_messageBox;
};

} // namespace ryk

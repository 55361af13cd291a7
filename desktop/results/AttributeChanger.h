#pragma once

#include "platform/Platform.h"

#include <QList>
#include <QObject>

namespace ryk {

class ResultWindow;

/// The attribute and date change of a result window's rows: asks in an AttributeWindow what to
/// change, then changes the files on the disk with its progress in the search window, and the
/// rows' entries with them.
class AttributeChanger : public QObject {
    Q_OBJECT
public:
    /// Works on `window`'s list; it is this object's parent.
    AttributeChanger(const Platform& platform, ResultWindow* window);

    /// Changes the files behind `rows` (ascending); none means every row, which are then
    /// selected.
    void changeRows(QList<int> rows);

private:
    Platform m_platform;
    ResultWindow* m_window;
};

} // namespace ryk

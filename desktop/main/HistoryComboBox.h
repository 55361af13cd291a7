#pragma once

#include "app/HistoryList.h"

#include <QComboBox>

namespace ryk {

/// An input box of the main window with its history in the drop-down list. Long items are
/// drawn shortened in the middle, keeping their last component; the box's whole text is its
/// tooltip. A file or folder dragged onto the box enters its name or path.
class HistoryComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit HistoryComboBox(QWidget* parent = nullptr);

    /// Only a dropped folder is taken, as its full path (the two directory boxes).
    void setAcceptsDirectories(bool on) { m_acceptsDirectories = on; }
    /// A dropped file enters its full path instead of its bare name (the response file).
    void setDropsFullPath(bool on) { m_dropsFullPath = on; }
    bool dropsFullPath() const { return m_dropsFullPath; }

    /// The list, from the top.
    HistoryList history() const;
    /// Replaces the list; the edit text stays as it was.
    void setHistory(const HistoryList& history);
    /// Adds a text as HistoryList::push does; the box selects it when it went in.
    void pushHistory(const QString& text, HistoryList::Push how);

    /// What a drop of `path` enters into the edit field; empty when the box does not take it.
    QString dropText(const QString& path) const;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    /// The local path of the first dropped name; empty when there is none.
    static QString firstDroppedPath(const QMimeData* data);

    bool m_acceptsDirectories = false;
    bool m_dropsFullPath = false;
};

} // namespace ryk

#pragma once

#include <QIcon>
#include <QString>

class QLabel;
class QStatusBar;
class QWidget;

namespace ryk {

/// The icon and the line of plain text a window's status bar shows while no message is up. A
/// long line is cut at the window's edge rather than widening the window.
class StatusLine {
public:
    /// The icon and the text, owned by `owner` until addTo() gives them to a status bar.
    explicit StatusLine(QWidget* owner);

    /// Puts the icon, then the text taking the rest of the width, into `bar`.
    void addTo(QStatusBar& bar);
    /// Shows `text` beside `icon`; a null icon shows none.
    void show(const QString& text, const QIcon& icon);
    QString text() const;

private:
    QLabel* m_icon;
    QLabel* m_text;
    /// The icon on show (QIcon::cacheKey).
    qint64 m_iconKey = 0;
};

} // namespace ryk

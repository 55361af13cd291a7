#include "desktop/results/StatusLine.h"

#include <QLabel>
#include <QStatusBar>

namespace ryk {

StatusLine::StatusLine(QWidget* owner) : m_icon(new QLabel(owner)), m_text(new QLabel(owner)) {
    m_text->setTextFormat(Qt::PlainText);
    m_text->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void StatusLine::addTo(QStatusBar& bar) {
    bar.addWidget(m_icon);
    bar.addWidget(m_text, 1);
}

void StatusLine::show(const QString& text, const QIcon& icon) {
    // A run of files of one kind shows the same icon line after line.
    if (icon.cacheKey() != m_iconKey || icon.isNull()) {
        m_icon->setPixmap(icon.isNull() ? QPixmap() : icon.pixmap(16, 16));
        m_iconKey = icon.cacheKey();
    }
    m_text->setText(text);
}

QString StatusLine::text() const {
    return m_text->text();
}

} // namespace ryk

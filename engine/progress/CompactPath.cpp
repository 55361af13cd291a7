#include "engine/progress/CompactPath.h"

#include <QFontMetrics>
#include <QLabel>

namespace ryk {

QString compactPath(const QString& path, const QFontMetrics& metrics, int width) {
    if (metrics.horizontalAdvance(path) <= width)
        return path;
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash > 0) {
        const QString name = path.mid(slash);
        const int room = width - metrics.horizontalAdvance(name);
        if (room >= metrics.horizontalAdvance(QStringLiteral("\u2026")))
            return metrics.elidedText(path.left(slash), Qt::ElideMiddle, room) + name;
    }
    // The name alone is too wide: shorten the whole path.
    return metrics.elidedText(path, Qt::ElideMiddle, width);
}

void CompactPathToControl(const QString& path, QLabel* label) {
    if (!label)
        return;
    const int width = label->contentsRect().width() * 4 / 5;
    label->setText(compactPath(path, label->fontMetrics(), width));
}

} // namespace ryk

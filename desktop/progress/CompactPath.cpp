#include "desktop/progress/CompactPath.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QStyle>
#include <QTextBoundaryFinder>
#include <vector>

namespace ryk {

namespace {

/// The positions in `text` where a character may be cut off: 0, every grapheme boundary, and
/// the end.
std::vector<qsizetype> graphemeBounds(const QString& text) {
    std::vector<qsizetype> bounds{0};
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    for (qsizetype at = finder.toNextBoundary(); at > 0; at = finder.toNextBoundary())
        bounds.push_back(at);
    if (bounds.back() != text.size())
        bounds.push_back(text.size());
    return bounds;
}

/// The largest n in [0, most] for which fits(n) holds, given that it holds for n = 0 and that
/// once it fails it fails for every larger n.
template <typename Fits> size_t largestFitting(size_t most, Fits fits) {
    size_t low = 0;
    size_t high = most;
    while (low < high) {
        const size_t middle = low + (high - low + 1) / 2;
        if (fits(middle))
            low = middle;
        else
            high = middle - 1;
    }
    return low;
}

/// The beginning of `head` and, behind the ellipsis, `tail`, as far as `width` allows.
QString keepBeginning(const QString& head, const QString& tail, const QFontMetrics& metrics,
                      int width) {
    const std::vector<qsizetype> bounds = graphemeBounds(head);
    const auto text = [&](size_t kept) { return head.left(bounds[kept]) + kEllipsis + tail; };
    const size_t kept = largestFitting(
        bounds.size() - 1, [&](size_t n) { return metrics.horizontalAdvance(text(n)) <= width; });
    return text(kept);
}

/// `text` without its middle, beginning and end of about equal length, as far as `width`
/// allows.
QString keepBothEnds(const QString& text, const QFontMetrics& metrics, int width) {
    const std::vector<qsizetype> bounds = graphemeBounds(text);
    const size_t characters = bounds.size() - 1;
    const auto shortened = [&](size_t kept) {
        const size_t front = (kept + 1) / 2;
        return text.left(bounds[front]) + kEllipsis + text.mid(bounds[characters - kept / 2]);
    };
    const size_t kept = largestFitting(
        characters - 1, [&](size_t n) { return metrics.horizontalAdvance(shortened(n)) <= width; });
    return shortened(kept);
}

} // namespace

QString compactPath(const QString& path, const QFontMetrics& metrics, int width) {
    if (metrics.horizontalAdvance(path) <= width)
        return path;
    // The last component begins at the last '/' that does not end the path.
    const qsizetype slash = path.size() > 1 ? path.lastIndexOf(u'/', path.size() - 2) : -1;
    if (slash >= 0) {
        const QString name = path.mid(slash);
        if (metrics.horizontalAdvance(kEllipsis + name) <= width)
            return keepBeginning(path.left(slash), name, metrics, width);
    }
    return keepBothEnds(path, metrics, width);
}

void CompactPathToControl(const QString& path, QLabel* label) {
    if (!label)
        return;
    const int width = label->contentsRect().width() * 4 / 5;
    label->setText(compactPath(path, label->fontMetrics(), width));
    label->setToolTip(path);
}

void CompactPathDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QStyle* style = item.widget ? item.widget->style() : QApplication::style();
    // The room the style leaves for the text once the icon and the margins have theirs.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, item.widget) + 1;
    const int width =
        style->subElementRect(QStyle::SE_ItemViewItemText, &item, item.widget).width() - 2 * margin;
    item.text = compactPath(item.text, item.fontMetrics, width);
    item.textElideMode = Qt::ElideNone;
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);
}

} // namespace ryk

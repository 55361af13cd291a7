#include "desktop/progress/CompactPath.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QStyle>
#include <QTextBoundaryFinder>
#include <algorithm>
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

/// widths[i] estimates the width of the first i graphemes of `text`: their characters measured
/// one by one, without the shaping of the whole line (kerning, ligatures).
std::vector<qreal> estimatedWidths(const QString& text, const std::vector<qsizetype>& bounds,
                                   const QFontMetricsF& metrics) {
    std::vector<qreal> widths{0};
    widths.reserve(bounds.size());
    for (size_t i = 1; i < bounds.size(); ++i) {
        const qsizetype from = bounds[i - 1];
        const qsizetype length = bounds[i] - from;
        widths.push_back(widths.back() + (length == 1
                                              ? metrics.horizontalAdvance(text[from])
                                              : metrics.horizontalAdvance(text.mid(from, length))));
    }
    return widths;
}

/// The largest n in [0, most] for which fits(n) holds, given that it holds for n = 0 and that
/// once it fails it fails for every larger n. The search starts at `guess` and steps away from
/// it in growing steps, so that a close guess takes two measurements rather than a dozen.
template <typename Fits> size_t largestFitting(size_t most, size_t guess, Fits fits) {
    size_t low = 0;
    size_t high = most;
    guess = std::min(guess, most);
    if (guess == 0 || fits(guess)) {
        low = guess;
        for (size_t step = 1; low < high; step *= 2) {
            const size_t at = std::min(high, low + step);
            if (!fits(at)) {
                high = at - 1;
                break;
            }
            low = at;
        }
    } else {
        high = guess - 1;
        for (size_t step = 1; low < high; step *= 2) {
            const size_t at = high + 1 > step ? high + 1 - step : 0;
            if (at == 0 || fits(at)) {
                low = at;
                break;
            }
            high = at - 1;
        }
    }
    while (low < high) {
        const size_t middle = low + (high - low + 1) / 2;
        if (fits(middle))
            low = middle;
        else
            high = middle - 1;
    }
    return low;
}

/// The largest n in [0, most] for which estimate(n) <= width, given that estimate grows with n.
template <typename Estimate> size_t largestEstimated(size_t most, qreal width, Estimate estimate) {
    size_t n = 0;
    while (n < most && estimate(n + 1) <= width)
        ++n;
    return n;
}

/// The beginning of `head` and, behind the ellipsis, `tail`, as far as `width` allows;
/// `tailWidth` is the width of the ellipsis and `tail` together.
QString keepBeginning(const QString& head, const QString& tail, const QFontMetrics& metrics,
                      int width, int tailWidth) {
    const std::vector<qsizetype> bounds = graphemeBounds(head);
    const std::vector<qreal> widths = estimatedWidths(head, bounds, QFontMetricsF(metrics));
    const auto text = [&](size_t kept) { return head.left(bounds[kept]) + kEllipsis + tail; };
    const size_t most = bounds.size() - 1;
    const size_t guess =
        largestEstimated(most, width, [&](size_t n) { return widths[n] + tailWidth; });
    const size_t kept = largestFitting(
        most, guess, [&](size_t n) { return metrics.horizontalAdvance(text(n)) <= width; });
    return text(kept);
}

/// `text` without its middle, beginning and end of about equal length, as far as `width`
/// allows.
QString keepBothEnds(const QString& text, const QFontMetrics& metrics, int width) {
    const std::vector<qsizetype> bounds = graphemeBounds(text);
    const size_t characters = bounds.size() - 1;
    if (characters == 0)
        return text;
    const std::vector<qreal> widths = estimatedWidths(text, bounds, QFontMetricsF(metrics));
    const qreal ellipsisWidth = QFontMetricsF(metrics).horizontalAdvance(kEllipsis);
    const auto shortened = [&](size_t kept) {
        const size_t front = (kept + 1) / 2;
        return text.left(bounds[front]) + kEllipsis + text.mid(bounds[characters - kept / 2]);
    };
    const size_t guess = largestEstimated(characters - 1, width, [&](size_t kept) {
        return widths[(kept + 1) / 2] + widths[characters] - widths[characters - kept / 2] +
               ellipsisWidth;
    });
    const size_t kept = largestFitting(characters - 1, guess, [&](size_t n) {
        return metrics.horizontalAdvance(shortened(n)) <= width;
    });
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
        if (const int tailWidth = metrics.horizontalAdvance(kEllipsis + name); tailWidth <= width)
            return keepBeginning(path.left(slash), name, metrics, width, tailWidth);
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

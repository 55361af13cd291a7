#pragma once

#include <QString>
#include <QStyledItemDelegate>

class QFontMetrics;
class QLabel;

namespace ryk {

/// The one mark that stands for the part of a text left out.
inline constexpr char16_t kEllipsis = u'\u2026';

/// `path` shortened to at most `width` pixels of `metrics` by one ellipsis: where the last
/// component fits, it is kept whole behind as much of the beginning as fits; otherwise the
/// middle of the whole path goes, so that its start and the end of the name stay. A path that
/// fits is returned unchanged; a name is never cut inside a character.
QString compactPath(const QString& path, const QFontMetrics& metrics, int width);

/// Shows `path` in `label` compacted to four fifths of the label's width, with the whole path
/// as its tooltip; nothing without a label.
void CompactPathToControl(const QString& path, QLabel* label);

/// Draws each item compacted to its cell as compactPath() does; the item keeps its whole text,
/// and its size is measured on the whole text.
class CompactPathDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

} // namespace ryk

#pragma once

#include <QString>

class QFontMetrics;
class QLabel;

namespace ryk {

/// `path` shortened to at most `width` pixels of `metrics` by an ellipsis in its middle; the
/// file name (the text after the last '/') is kept whole where it fits.
QString compactPath(const QString& path, const QFontMetrics& metrics, int width);

/// Shows `path` in `label` compacted to four fifths of the label's width; nothing without a label.
void CompactPathToControl(const QString& path, QLabel* label);

} // namespace ryk

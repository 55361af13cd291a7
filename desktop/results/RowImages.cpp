#include "desktop/results/RowImages.h"

#include "platform/qt/ByteText.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <utility>

namespace ryk {

namespace {

const QColor kYellow(0xff, 0xff, 0x00);
const QColor kOlive(0x80, 0x80, 0x00);
const QColor kGreen(0x00, 0xff, 0x00);
const QColor kDarkGreen(0x00, 0x80, 0x00);
const QColor kMagenta(0xff, 0x00, 0xff);
const QColor kPurple(0x80, 0x00, 0x80);
const QColor kCyan(0x00, 0xff, 0xff);
const QColor kTeal(0x00, 0x80, 0x80);
const QColor kBlue(0x00, 0x00, 0xff);
const QColor kNavy(0x00, 0x00, 0x80);
const QColor kRed(0xff, 0x00, 0x00);
const QColor kMaroon(0x80, 0x00, 0x00);

void borderedSquare(QPainter& p, const QColor& fill, const QColor& border) {
    p.setPen(QPen(border, 1));
    p.setBrush(fill);
    p.drawRect(QRectF(2.5, 2.5, 11, 11));
}

void smallSquare(QPainter& p, const QColor& fill) {
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRect(QRectF(4, 4, 8, 8));
}

void drawCommand(QPainter& p, OperationCommand command) {
    switch (command) {
    case OperationCommand::Copy:
        return borderedSquare(p, kYellow, kOlive);
    case OperationCommand::Update:
        return borderedSquare(p, kGreen, kDarkGreen);
    case OperationCommand::Move:
        return smallSquare(p, kOlive);
    case OperationCommand::UpAndMove:
        return smallSquare(p, kDarkGreen);
    case OperationCommand::Delete:
        return borderedSquare(p, kMagenta, kPurple);
    case OperationCommand::Rmdir:
        return smallSquare(p, kPurple);
    case OperationCommand::Find:
        return borderedSquare(p, kCyan, kTeal);
    case OperationCommand::Mkdir:
        return borderedSquare(p, kBlue, kNavy);
    case OperationCommand::Error:
        return borderedSquare(p, kRed, kMaroon);
    }
}

void drawLetterE(QPainter& p, QPointF offset, const QColor& colour) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRect(QRectF(4, 2, 3, 12).translated(offset));
    p.drawRect(QRectF(4, 2, 8, 2.5).translated(offset));
    p.drawRect(QRectF(4, 6.75, 6.5, 2.5).translated(offset));
    p.drawRect(QRectF(4, 11.5, 8, 2.5).translated(offset));
}

void drawOverlay(QPainter& p, RowOverlay overlay) {
    switch (overlay) {
    case RowOverlay::None:
        return;
    case RowOverlay::Failed:
        // A white edge keeps the mark visible on a square of its own colour.
        for (const auto& [colour, width] : {std::pair{QColor(Qt::white), 3.8}, {kRed, 2.2}}) {
            p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(2, 2), QPointF(14, 14));
            p.drawLine(QPointF(14, 2), QPointF(2, 14));
        }
        return;
    case RowOverlay::Done:
        p.setBrush(Qt::NoBrush);
        for (const auto& [colour, width] : {std::pair{QColor(Qt::white), 3.8}, {kBlue, 2.2}}) {
            p.setPen(QPen(colour, width));
            p.drawEllipse(QPointF(8, 8), 5.2, 5.2);
        }
        return;
    case RowOverlay::Running: {
        QPainterPath arrow;
        arrow.moveTo(1.5, 6);
        arrow.lineTo(8, 6);
        arrow.lineTo(8, 2.5);
        arrow.lineTo(14.5, 8);
        arrow.lineTo(8, 13.5);
        arrow.lineTo(8, 10);
        arrow.lineTo(1.5, 10);
        arrow.closeSubpath();
        p.setPen(QPen(kDarkGreen, 1));
        p.setBrush(kGreen);
        p.drawPath(arrow);
        return;
    }
    case RowOverlay::Batch:
        drawLetterE(p, QPointF(1, 1), kNavy);
        drawLetterE(p, QPointF(0, 0), kOlive);
        return;
    }
}

QPixmap blankImage(int size, qreal ratio) {
    QPixmap pixmap(QSize(size, size) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

} // namespace

RowImages::RowImages() {
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    for (int c = 0; c < kCommands; ++c) {
        for (int o = 0; o < kOverlays; ++o) {
            QPixmap pixmap = blankImage(kSize, ratio);
            QPainter painter(&pixmap);
            painter.setRenderHint(QPainter::Antialiasing);
            drawCommand(painter, static_cast<OperationCommand>(c));
            drawOverlay(painter, static_cast<RowOverlay>(o));
            painter.end();
            m_images[c * kOverlays + o] = pixmap;
        }
    }
}

const QPixmap& RowImages::image(OperationCommand command, RowOverlay overlay) const {
    const int c = static_cast<int>(command);
    const int o = static_cast<int>(overlay);
    if (c < 0 || c >= kCommands || o < 0 || o >= kOverlays)
        return m_empty;
    return m_images[c * kOverlays + o];
}

QIcon RowImages::programIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48}) {
        QPixmap pixmap = blankImage(size, 1.0);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 32.0, size / 32.0);
        p.setPen(QPen(kOlive, 2));
        p.setBrush(kYellow);
        p.drawRect(QRectF(2, 2, 15, 15));
        p.setPen(QPen(kDarkGreen, 2));
        p.setBrush(kGreen);
        p.drawRect(QRectF(15, 15, 15, 15));
        // From the source square round to the destination square.
        QPainterPath arrow;
        arrow.moveTo(19, 8);
        arrow.lineTo(25, 8);
        arrow.lineTo(25, 12);
        arrow.moveTo(21.5, 9.5);
        arrow.lineTo(25, 13);
        arrow.lineTo(28.5, 9.5);
        p.setPen(QPen(kNavy, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(arrow);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon FileIcons::icon(const OperationEntry& entry) {
    if (entry.command == OperationCommand::Mkdir || entry.command == OperationCommand::Rmdir)
        return m_provider.icon(QAbstractFileIconProvider::Folder);
    const std::string path = entry.source.path.str();
    // By name only: reading every file's first bytes would slow the run down.
    const QMimeType type =
        m_mimeTypes.mimeTypeForFile(fromBytes(path), QMimeDatabase::MatchExtension);
    if (const auto known = m_byType.constFind(type.name()); known != m_byType.constEnd())
        return *known;
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(type.genericIconName());
    if (icon.isNull())
        icon = m_provider.icon(QAbstractFileIconProvider::File);
    m_byType.insert(type.name(), icon);
    return icon;
}

} // namespace ryk

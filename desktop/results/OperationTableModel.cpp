#include "desktop/results/OperationTableModel.h"

#include "platform/FileSystem.h"
#include "platform/qt/ByteText.h"

#include <QCoreApplication>
#include <algorithm>

namespace ryk {

namespace {

/// Past this many separate runs of rows, one reset is cheaper for the views than a removal
/// signal per run.
constexpr size_t kMaxRunsRemovedOneByOne = 64;

constexpr size_t kProgressStep = 256;

QString text(const std::string& bytes) {
    return fromBytes(bytes);
}

bool hasError(const OperationEntry& entry) {
    return entry.state == kStateFailed || entry.command == OperationCommand::Error;
}

/// The heading of the column that shows the target, or the source.
QString columnName(bool target) {
    return target ? QCoreApplication::translate("OperationTableModel", "先ファイル名")
                  : QCoreApplication::translate("OperationTableModel", "元ファイル名");
}

/// The whole path of a path cell, and on a row with an error whose file it is, the system's
/// text for it.
QString toolTip(const OperationEntry& entry, int column) {
    const bool target = column == OperationTableModel::TargetColumn && hasTarget(entry.command);
    if (column != OperationTableModel::SourceColumn && !target)
        return {};
    const SharedPath path = target ? entry.targetPath() : entry.source.path;
    QStringList lines;
    if (!path.empty())
        lines << text(path.str());
    if (hasError(entry) && entry.lastError != 0 && entry.targetIsAtFault() == target)
        lines << text(errorText(entry.lastError));
    return lines.join(u'\n');
}

} // namespace

QString OperationTableModel::problemText(int row) const {
    const OperationEntry* entry =
        row >= 0 && row < rowCount() ? m_list.at(static_cast<size_t>(row)) : nullptr;
    if (!entry || !hasError(*entry))
        return {};
    QString line = entry->command == OperationCommand::Error
                       ? QCoreApplication::translate("OperationTableModel", "エラーが発生")
                       : QCoreApplication::translate("OperationTableModel", "失敗");
    line += u' ' + columnName(entry->targetIsAtFault()) + QStringLiteral(": ") +
            text(entry->faultyPath().str());
    if (entry->lastError != 0)
        line += QStringLiteral(" (") + text(errorText(entry->lastError)) + u')';
    return line;
}

OperationTableModel::OperationTableModel(OperationList& list, TransferMode mode, QObject* parent)
    : QAbstractTableModel(parent), m_list(list), m_mode(mode) {}

int OperationTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_overlays.size());
}

int OperationTableModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return m_mode == TransferMode::Search || m_mode == TransferMode::Delete ? 2 : 3;
}

QVariant OperationTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || static_cast<size_t>(index.row()) >= m_overlays.size())
        return {};
    const OperationEntry* entry = m_list.at(static_cast<size_t>(index.row()));
    if (!entry)
        return {};
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case ActionColumn:
            // A copy that the run makes a further name of an earlier line's copy.
            if (!entry->hardLinkTo().empty())
                return QStringLiteral("Link");
            return QString::fromLatin1(commandName(entry->command));
        case SourceColumn:
            // An Error line names the file it could not take, which may be its target.
            if (entry->command == OperationCommand::Error)
                return QCoreApplication::translate("OperationTableModel", "エラーが発生: ") +
                       text(entry->faultyPath().str());
            return text(entry->source.path.str());
        case TargetColumn:
            return hasTarget(entry->command) ? text(entry->targetPath().str()) : QString();
        default:
            return {};
        }
    }
    if (role == Qt::ToolTipRole) {
        const QString tip = index.column() == ActionColumn ? problemText(index.row())
                                                           : toolTip(*entry, index.column());
        return tip.isEmpty() ? QVariant() : QVariant(tip);
    }
    if (role == Qt::DecorationRole && index.column() == ActionColumn)
        return m_images.image(entry->command, overlay(static_cast<size_t>(index.row())));
    return {};
}

QVariant OperationTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case ActionColumn:
        return QCoreApplication::translate("OperationTableModel", "行動");
    case SourceColumn:
        return QCoreApplication::translate("OperationTableModel", "元ファイル名");
    case TargetColumn:
        return section < columnCount()
                   ? QCoreApplication::translate("OperationTableModel", "先ファイル名")
                   : QVariant();
    default:
        return {};
    }
}

Qt::ItemFlags OperationTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

bool OperationTableModel::removeRows(int row, int count, const QModelIndex& parent) {
    if (parent.isValid() || row < 0 || count < 1 || row > rowCount() - count)
        return false;
    beginRemoveRows(parent, row, row + count - 1);
    eraseRows(row, count);
    endRemoveRows();
    return true;
}

void OperationTableModel::eraseRows(int first, int count) {
    const size_t from = static_cast<size_t>(first);
    const size_t to = std::min(from + static_cast<size_t>(count), m_list.size());
    for (size_t i = from; i < to; ++i)
        m_totals.remove(*m_list.at(i));
    if (from < to)
        (void)m_list.removeRange(from, to - from);
    const auto marks = m_overlays.begin() + first;
    m_overlays.erase(marks, marks + count);
}

void OperationTableModel::reset(const Progress& progress) {
    beginResetModel();
    const size_t count = m_list.size();
    m_overlays.assign(count, static_cast<uint8_t>(RowOverlay::None));
    m_overlays.shrink_to_fit();
    m_totals = {};
    for (size_t i = 0; i < count; ++i) {
        m_totals.add(*m_list.at(i));
        if (progress && ((i + 1) % kProgressStep == 0 || i + 1 == count))
            progress(i + 1, count);
    }
    endResetModel();
}

void OperationTableModel::removeRowSet(const std::vector<int>& rows) {
    // Runs of consecutive rows, removed from the bottom up so the rows above keep their numbers.
    std::vector<std::pair<int, int>> runs;
    for (const int row : rows) {
        if (row < 0 || row >= rowCount())
            continue;
        if (!runs.empty() && runs.back().first + runs.back().second == row)
            ++runs.back().second;
        else
            runs.emplace_back(row, 1);
    }
    if (runs.size() <= kMaxRunsRemovedOneByOne) {
        for (auto run = runs.rbegin(); run != runs.rend(); ++run)
            removeRows(run->first, run->second);
        return;
    }
    beginResetModel();
    for (auto run = runs.rbegin(); run != runs.rend(); ++run)
        eraseRows(run->first, run->second);
    endResetModel();
}

void OperationTableModel::clear(const Progress& progress) {
    beginResetModel();
    const size_t count = m_list.size();
    // From the tail, so no entry behind a destroyed one has to move.
    for (size_t left = count; left > 0; --left) {
        (void)m_list.removeAt(left - 1);
        if (progress && (left == count || (left - 1) % kProgressStep == 0))
            progress(left - 1, count);
    }
    m_list.clear();
    m_overlays.clear();
    m_overlays.shrink_to_fit();
    m_totals = {};
    endResetModel();
}

void OperationTableModel::factsChanged(size_t row) {
    if (row >= m_overlays.size())
        return;
    const int r = static_cast<int>(row);
    emit dataChanged(index(r, 0), index(r, columnCount() - 1));
}

int OperationTableModel::nextErrorRow(int row, Direction direction) const {
    const int step = direction == Direction::Down ? 1 : -1;
    for (int at = row + step; at >= 0 && at < rowCount(); at += step)
        if (const OperationEntry* entry = m_list.at(static_cast<size_t>(at));
            entry && hasError(*entry))
            return at;
    return -1;
}

void OperationTableModel::setOverlay(size_t row, RowOverlay overlay) {
    setOverlays({{row, overlay}});
}

void OperationTableModel::setOverlays(const std::vector<RowMark>& marks) {
    size_t first = m_overlays.size();
    size_t last = 0;
    for (const auto& [row, overlay] : marks) {
        if (row >= m_overlays.size())
            continue;
        m_overlays[row] = static_cast<uint8_t>(overlay);
        first = std::min(first, row);
        last = std::max(last, row);
    }
    if (first > last)
        return;
    emit dataChanged(index(static_cast<int>(first), ActionColumn),
                     index(static_cast<int>(last), ActionColumn), {Qt::DecorationRole});
}

RowOverlay OperationTableModel::overlay(size_t row) const {
    return row < m_overlays.size() ? static_cast<RowOverlay>(m_overlays[row]) : RowOverlay::None;
}

} // namespace ryk

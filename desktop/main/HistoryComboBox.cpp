#include "desktop/main/HistoryComboBox.h"

#include "desktop/progress/CompactPath.h"
#include "platform/qt/ByteText.h"

#include <QAbstractItemView>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>
#include <filesystem>
#include <system_error>

namespace ryk {

HistoryComboBox::HistoryComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setDuplicatesEnabled(true);
    // The history decides what an item means; the completer would pick one case for the user.
    setCompleter(nullptr);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(20);
    view()->setItemDelegate(new CompactPathDelegate(view()));
    view()->setTextElideMode(Qt::ElideNone);
    // Drops go to the box, which decides what they enter, not to the line edit.
    lineEdit()->setAcceptDrops(false);
    setAcceptDrops(true);
    connect(this, &QComboBox::editTextChanged, this,
            [this](const QString& text) { setToolTip(text); });
}

HistoryList HistoryComboBox::history() const {
    std::vector<std::string> items;
    items.reserve(static_cast<size_t>(count()));
    for (int i = 0; i < count(); ++i)
        items.push_back(toBytes(itemText(i)));
    HistoryList list;
    list.assign(std::move(items));
    return list;
}

void HistoryComboBox::setHistory(const HistoryList& history) {
    const QString text = currentText();
    const QSignalBlocker blocker(this);
    clear();
    for (const std::string& item : history.items())
        addItem(fromBytes(item));
    setEditText(text);
}

void HistoryComboBox::pushHistory(const QString& text, HistoryList::Push how) {
    HistoryList list = history();
    const std::string bytes = toBytes(text);
    if (!list.push(bytes, how))
        return;
    const QString edit = currentText();
    setHistory(list);
    setCurrentIndex(how == HistoryList::Push::Used ? 0 : count() - 1);
    // Selecting puts the item's text in the field: as used, that is the same text; when
    // loading, the field keeps what the command line gave it.
    if (how == HistoryList::Push::Loaded)
        setEditText(edit);
}

QString HistoryComboBox::dropText(const QString& path) const {
    namespace fs = std::filesystem;
    if (path.isEmpty())
        return {};
    std::error_code error;
    const fs::path file(toBytes(path));
    const fs::file_status status = fs::status(file, error);
    if (error || !fs::exists(status))
        return {};
    // The name as the file system holds it, without a trailing '/'.
    std::string full = fs::absolute(file, error).lexically_normal().string();
    while (full.size() > 1 && full.back() == '/')
        full.pop_back();
    const bool directory = fs::is_directory(status);
    if (m_acceptsDirectories)
        return directory ? fromBytes(full) : QString();
    if (directory)
        return {};
    return fromBytes(m_dropsFullPath ? full : full.substr(full.rfind('/') + 1));
}

QString HistoryComboBox::firstDroppedPath(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return {};
    const QList<QUrl> urls = data->urls();
    // Read from the address's bytes: toLocalFile() would rewrite a name that is not UTF-8.
    return urls.isEmpty() ? QString() : fromBytes(localPath(urls.front()));
}

void HistoryComboBox::dragEnterEvent(QDragEnterEvent* event) {
    if (!dropText(firstDroppedPath(event->mimeData())).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void HistoryComboBox::dragMoveEvent(QDragMoveEvent* event) {
    if (!dropText(firstDroppedPath(event->mimeData())).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void HistoryComboBox::dropEvent(QDropEvent* event) {
    const QString text = dropText(firstDroppedPath(event->mimeData()));
    if (text.isEmpty()) {
        event->ignore();
        return;
    }
    // Only the edit field changes: the history waits for the job to be executed.
    setEditText(text);
    event->acceptProposedAction();
}

} // namespace ryk

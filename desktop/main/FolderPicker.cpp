#include "desktop/main/FolderPicker.h"

#include "desktop/main/FolderTreeModel.h"
#include "platform/FileSystem.h"
#include "platform/qt/ByteText.h"
#include "platform/text/NameMatch.h"
#include "ui_FolderPicker.h"

#include <QPushButton>
#include <filesystem>
#include <system_error>

namespace ryk {

namespace {

/// `text` as an absolute folder path without "." or ".." or a trailing '/'; empty when it
/// names no folder (wildcards, a file, nothing there).
std::string existingFolder(FileSystem& fileSystem, const std::string& text) {
    if (text.empty() || hasWildcard(text))
        return {};
    std::error_code error;
    std::string path = std::filesystem::absolute(text, error).lexically_normal().string();
    while (path.size() > 1 && path.ends_with('/'))
        path.pop_back();
    FileStatus status;
    if (error || fileSystem.status(path, status, LinkMode::Follow) != 0 ||
        status.kind != FileKind::Directory)
        return {};
    return path;
}

} // namespace

FolderPicker::FolderPicker(FileSystem& fileSystem, const std::string& initialPath,
                           const QString& title, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::FolderPicker>()),
      m_model(new FolderTreeModel(fileSystem, this)) {
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    m_ui->titleLabel->setText(title);
    m_ui->folderTree->setAccessibleName(title);
    // A long path is cut at the edge rather than widening the window.
    m_ui->statusLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_ui->folderTree->setModel(m_model);
    connect(m_ui->folderTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &FolderPicker::showCurrent);
    connect(m_ui->okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    QTreeView& tree = *m_ui->folderTree;
    const QModelIndex top = m_model->index(0, 0);
    tree.expand(top);
    if (const std::string folder = existingFolder(fileSystem, initialPath); !folder.empty()) {
        const QModelIndex initial = m_model->find(folder);
        for (QModelIndex above = initial.parent(); above.isValid(); above = above.parent())
            tree.expand(above);
        tree.setCurrentIndex(initial);
        tree.scrollTo(initial, QAbstractItemView::PositionAtCenter);
    }
    showCurrent();
    tree.setFocus();
}

FolderPicker::~FolderPicker() = default;

std::string FolderPicker::chosenPath() const {
    return m_model->path(m_ui->folderTree->currentIndex());
}

void FolderPicker::showCurrent() {
    const std::string path = chosenPath();
    m_ui->statusLabel->setText(fromBytes(path));
    m_ui->okButton->setEnabled(!path.empty());
}

} // namespace ryk

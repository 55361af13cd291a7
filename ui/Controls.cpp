#include "ui/Controls.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QVariant>
#include <QWidget>

namespace ryk {

QWidget* controlById(const QWidget* window, int id) {
    if (!window)
        return nullptr;
    const QList<QWidget*> children = window->findChildren<QWidget*>();
    for (QWidget* child : children) {
        const QVariant value = child->property("controlId");
        if (value.isValid() && value.toInt() == id)
            return child;
    }
    return nullptr;
}

void EnableControls(const QWidget* window, std::initializer_list<int> ids, bool enable) {
    for (const int id : ids)
        if (QWidget* control = controlById(window, id))
            control->setEnabled(enable);
}

QString BrowseForFolder(QWidget* owner, const QString& initialPath, const QString& title) {
    QFileDialog dialog(owner, QStringLiteral("Rykmere - folder select"));
    // Our own picker: a desktop's would have no room for the status line.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    // Say which folder is asked for where the dialog has room for a line of ours.
    dialog.setLabelText(QFileDialog::LookIn, title);
    dialog.setAccessibleDescription(title);

    // The status line: the path of the highlighted folder, nothing for anything else.
    auto* status = new QLabel(&dialog);
    status->setObjectName(QStringLiteral("statusLine"));
    status->setFrameShape(QFrame::StyledPanel);
    status->setFrameShadow(QFrame::Sunken);
    // A long path must not widen the dialog.
    status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
        grid->addWidget(status, grid->rowCount(), 0, 1, grid->columnCount());
    const auto showStatus = [status](const QString& path) {
        status->setText(QFileInfo(path).isDir() ? QDir::cleanPath(path) : QString());
    };
    QObject::connect(&dialog, &QFileDialog::currentChanged, status, showStatus);

    // A text with wildcards or a folder that is gone gives no starting point. A folder is
    // highlighted in its parent, so that it can be chosen at once: opened, it would have
    // nothing selected ("dst/", the form of the histories and the command line).
    const QFileInfo initial(initialPath);
    if (!initialPath.isEmpty() && initial.isDir()) {
        const QFileInfo folder(QDir::cleanPath(initial.absoluteFilePath()));
        if (folder.isRoot()) {
            dialog.setDirectory(folder.absoluteFilePath());
        } else {
            dialog.setDirectory(folder.absolutePath());
            dialog.selectFile(folder.fileName());
        }
        showStatus(folder.absoluteFilePath());
    }
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : QDir::cleanPath(chosen.front());
}

} // namespace ryk

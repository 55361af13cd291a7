#include "ui/Controls.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
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
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    // Say which folder is asked for where the dialog has room for a line of ours.
    dialog.setLabelText(QFileDialog::LookIn, title);
    dialog.setAccessibleDescription(title);
    // A text with wildcards or a folder that is gone gives no starting point.
    const QFileInfo initial(initialPath);
    if (!initialPath.isEmpty() && initial.isDir()) {
        const QString folder = initial.absoluteFilePath();
        dialog.setDirectory(folder);
        dialog.selectFile(folder);
    }
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : QDir::cleanPath(chosen.front());
}

} // namespace ryk

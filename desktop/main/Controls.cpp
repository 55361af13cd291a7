#include "desktop/main/Controls.h"

#include "desktop/main/FolderPicker.h"
#include "platform/qt/ByteText.h"

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

QString BrowseForFolder(QWidget* owner, FileSystem& fileSystem, const QString& initialPath,
                        const QString& title) {
    // Our own picker: Qt's file dialog leaves out every name that is not UTF-8.
    FolderPicker picker(fileSystem, toBytes(initialPath), title, owner);
    picker.setWindowModality(Qt::WindowModal);
    if (picker.exec() != QDialog::Accepted)
        return {};
    return fromBytes(picker.chosenPath());
}

} // namespace ryk

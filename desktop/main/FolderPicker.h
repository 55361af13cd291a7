#pragma once

#include <QDialog>
#include <memory>
#include <string>

namespace Ui {
class FolderPicker;
}

namespace ryk {

class FileSystem;
class FolderTreeModel;

/// "Rykmere - folder select": the folders of the file system as a tree, the highlighted one's
/// path in the line below it. Names that are not UTF-8 are listed and chosen as they are.
class FolderPicker : public QDialog {
    Q_OBJECT
public:
    /// Asks for the folder `title` names; `initialPath` (bytes, relative to the current
    /// directory or absolute, a trailing '/' allowed) is highlighted when it is a folder.
    FolderPicker(FileSystem& fileSystem, const std::string& initialPath, const QString& title,
                 QWidget* parent = nullptr);
    ~FolderPicker() override;

    /// The highlighted folder's path as bytes; empty when none is.
    std::string chosenPath() const;

private:
    void showCurrent();

    std::unique_ptr<Ui::FolderPicker> m_ui;
    FolderTreeModel* m_model;
};

} // namespace ryk

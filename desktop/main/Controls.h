#pragma once

#include <QString>
#include <initializer_list>

class QWidget;

namespace ryk {

class FileSystem;

/// The control of `window` whose "controlId" property is `id` (the ids the window logic names,
/// as the mode rules do); null when there is none.
QWidget* controlById(const QWidget* window, int id);

/// Enables or disables the controls of `window` with the given ids.
void EnableControls(const QWidget* window, std::initializer_list<int> ids, bool enable);

/// Lets the user pick a folder, starting at `initialPath` where that is an existing folder.
/// The chosen folder's path (see fromBytes); empty when the user cancelled.
QString BrowseForFolder(QWidget* owner, FileSystem& fileSystem, const QString& initialPath,
                        const QString& title);

} // namespace ryk

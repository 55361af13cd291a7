#pragma once

#include <QAbstractItemModel>
#include <QIcon>
#include <memory>
#include <string>
#include <string_view>

namespace ryk {

class FileSystem;

/// The folders of the file system as one tree below "/", each level listed when the view first
/// opens it, under the names the kernel gives (any bytes, shown through fromBytes). A link that
/// leads to a folder counts as one; folders whose name starts with '.' are left out, except on
/// the way to the folder find() was asked for.
class FolderTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit FolderTreeModel(FileSystem& fileSystem, QObject* parent = nullptr);
    ~FolderTreeModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    /// The folder's path as bytes; empty for an invalid index.
    std::string path(const QModelIndex& index) const;
    /// The folder at the absolute `path` (no "." or ".." in it), its levels listed on the way;
    /// invalid when one of them is not there.
    QModelIndex find(const std::string& path);

private:
    struct Node;
    Node* nodeOf(const QModelIndex& index) const;
    QModelIndex indexOf(const Node& node) const;
    /// Adds the folder `name` of `parent` that its listing left out; null when it is none.
    Node* addFolder(Node& parent, std::string_view name);

    FileSystem& m_fileSystem;
    /// Holds the one top-level folder "/".
    std::unique_ptr<Node> m_root;
    QIcon m_folderIcon;
};

} // namespace ryk

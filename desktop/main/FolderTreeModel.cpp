#include "desktop/main/FolderTreeModel.h"

#include "engine/JobSettings.h"
#include "engine/Patterns.h"
#include "platform/FileSystem.h"
#include "platform/qt/ByteText.h"
#include "platform/text/NameMatch.h"

#include <QFileIconProvider>
#include <algorithm>
#include <string_view>
#include <vector>

namespace ryk {

struct FolderTreeModel::Node {
    std::string name;
    std::string path;
    Node* parent = nullptr;
    int row = 0;
    bool listed = false;
    std::vector<std::unique_ptr<Node>> children;
};

FolderTreeModel::FolderTreeModel(FileSystem& fileSystem, QObject* parent)
    : QAbstractItemModel(parent), m_fileSystem(fileSystem), m_root(std::make_unique<Node>()),
      m_folderIcon(QFileIconProvider().icon(QAbstractFileIconProvider::Folder)) {
    auto folder = std::make_unique<Node>();
    folder->name = "/";
    folder->path = "/";
    folder->parent = m_root.get();
    m_root->children.push_back(std::move(folder));
    m_root->listed = true;
}

FolderTreeModel::~FolderTreeModel() = default;

FolderTreeModel::Node* FolderTreeModel::nodeOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : m_root.get();
}

QModelIndex FolderTreeModel::indexOf(const Node& node) const {
    return node.parent ? createIndex(node.row, 0, const_cast<Node*>(&node)) : QModelIndex();
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex& parent) const {
    const Node* node = nodeOf(parent);
    if (column != 0 || row < 0 || static_cast<size_t>(row) >= node->children.size())
        return {};
    return createIndex(row, 0, node->children[static_cast<size_t>(row)].get());
}

QModelIndex FolderTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid())
        return {};
    return indexOf(*nodeOf(child)->parent);
}

int FolderTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0)
        return 0;
    return static_cast<int>(nodeOf(parent)->children.size());
}

int FolderTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant FolderTreeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const Node& node = *nodeOf(index);
    switch (role) {
    case Qt::DisplayRole:
        return fromBytes(node.name);
    case Qt::DecorationRole:
        return m_folderIcon;
    default:
        return {};
    }
}

bool FolderTreeModel::hasChildren(const QModelIndex& parent) const {
    const Node* node = nodeOf(parent);
    // Not listed yet: the view offers to open it, and opening it lists it.
    return !node->listed || !node->children.empty();
}

bool FolderTreeModel::canFetchMore(const QModelIndex& parent) const {
    return !nodeOf(parent)->listed;
}

void FolderTreeModel::fetchMore(const QModelIndex& parent) {
    Node* node = nodeOf(parent);
    if (node->listed)
        return;
    node->listed = true;
    std::string listing = node->path;
    joinPath(listing, kDefaultPattern);
    const auto search = m_fileSystem.newSearch();
    search->setReadStoredBits(false);
    std::vector<std::unique_ptr<Node>> found;
    if (search->findFile(listing) == 0) {
        while (search->findNextFile()) {
            if (search->isDots())
                continue;
            std::string path = search->filePath();
            if (search->fileName().starts_with('.'))
                continue;
            if (!search->isDirectory()) {
                // A link to a folder is a folder to choose; anything else is no folder.
                FileStatus status;
                if (search->status(status) != 0 || status.kind != FileKind::Link ||
                    m_fileSystem.status(path, status, LinkMode::Follow) != 0 ||
                    status.kind != FileKind::Directory)
                    continue;
            }
            auto child = std::make_unique<Node>();
            child->name = search->fileName();
            child->path = std::move(path);
            child->parent = node;
            child->row = static_cast<int>(found.size());
            found.push_back(std::move(child));
        }
    }
    search->close();
    if (found.empty()) {
        // No arrow any more: there is nothing below.
        const QModelIndex index = indexOf(*node);
        emit dataChanged(index, index);
        return;
    }
    beginInsertRows(parent, 0, static_cast<int>(found.size()) - 1);
    node->children = std::move(found);
    endInsertRows();
}

FolderTreeModel::Node* FolderTreeModel::addFolder(Node& parent, std::string_view name) {
    std::string path = parent.path;
    joinPath(path, name);
    FileStatus status;
    if (m_fileSystem.status(path, status, LinkMode::Follow) != 0 ||
        status.kind != FileKind::Directory)
        return nullptr;
    auto& children = parent.children;
    const auto at = std::find_if(children.begin(), children.end(), [&](const auto& child) {
        return compareNames(child->name, name) > 0;
    });
    const int row = static_cast<int>(at - children.begin());
    beginInsertRows(indexOf(parent), row, row);
    auto node = std::make_unique<Node>();
    node->name = name;
    node->path = std::move(path);
    node->parent = &parent;
    Node* added = children.insert(at, std::move(node))->get();
    for (size_t i = static_cast<size_t>(row); i < children.size(); ++i)
        children[i]->row = static_cast<int>(i);
    endInsertRows();
    return added;
}

std::string FolderTreeModel::path(const QModelIndex& index) const {
    return index.isValid() ? nodeOf(index)->path : std::string();
}

QModelIndex FolderTreeModel::find(const std::string& path) {
    if (!path.starts_with('/'))
        return {};
    Node* node = m_root->children.front().get();
    size_t at = 1;
    while (at < path.size()) {
        const size_t end = std::min(path.find('/', at), path.size());
        const std::string_view name = std::string_view(path).substr(at, end - at);
        at = end + 1;
        if (name.empty())
            continue;
        fetchMore(indexOf(*node));
        Node* next = nullptr;
        for (const auto& child : node->children)
            if (child->name == name)
                next = child.get();
        // A hidden folder left out when its level was listed.
        if (!next && name.starts_with('.'))
            next = addFolder(*node, name);
        if (!next)
            return {};
        node = next;
    }
    return indexOf(*node);
}

} // namespace ryk

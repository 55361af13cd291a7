#pragma once

#include "platform/BlockReader.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "platform/LineReader.h"

#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace ryk::test {

/// A directory search that hands every call to another one. A double derives from it and
/// overrides only the calls it changes, so the others take the path production takes.
class ForwardingDirectorySearch : public DirectorySearch {
public:
    explicit ForwardingDirectorySearch(std::unique_ptr<DirectorySearch> inner)
        : m_inner(std::move(inner)) {}

    int findFile(std::string_view pathOrPattern) override {
        return m_inner->findFile(pathOrPattern);
    }
    bool seek(std::string_view name) override { return m_inner->seek(name); }
    int rewind() override { return m_inner->rewind(); }
    bool findNextFile() override { return m_inner->findNextFile(); }
    const std::string& fileName() const override { return m_inner->fileName(); }
    std::string filePath() const override { return m_inner->filePath(); }
    bool isDirectory() const override { return m_inner->isDirectory(); }
    bool isDots() const override { return m_inner->isDots(); }
    int status(FileStatus& out) override { return m_inner->status(out); }
    void setReadStoredBits(bool read) override { m_inner->setReadStoredBits(read); }
    void close() override { m_inner->close(); }

private:
    std::unique_ptr<DirectorySearch> m_inner;
};

/// A file copy that hands every call to another one.
class ForwardingFileCopy : public FileCopy {
public:
    explicit ForwardingFileCopy(std::unique_ptr<FileCopy> inner) : m_inner(std::move(inner)) {}

    int open(const TreePath& source, const TreePath& target) override {
        return m_inner->open(source, target);
    }
    int copyChunk(size_t maxBytes, size_t& copied) override {
        return m_inner->copyChunk(maxBytes, copied);
    }
    bool failedAtTarget() const override { return m_inner->failedAtTarget(); }
    int sourceStatus(FileStatus& out) override { return m_inner->sourceStatus(out); }
    int openedStatus(FileStatus& out) override { return m_inner->openedStatus(out); }
    int copyTimes() override { return m_inner->copyTimes(); }
    int copyAttributes() override { return m_inner->copyAttributes(); }
    int flush() override { return m_inner->flush(); }
    int verify() override { return m_inner->verify(); }
    int commit(const PlannedTarget& planned) override { return m_inner->commit(planned); }
    void abandon() override { m_inner->abandon(); }

private:
    std::unique_ptr<FileCopy> m_inner;
};

/// A line reader that hands every call to another one.
class ForwardingLineReader : public LineReader {
public:
    explicit ForwardingLineReader(std::unique_ptr<LineReader> inner) : m_inner(std::move(inner)) {}

    LineRead next(std::string& text) override { return m_inner->next(text); }
    int error() const override { return m_inner->error(); }
    int rewind() override { return m_inner->rewind(); }

private:
    std::unique_ptr<LineReader> m_inner;
};

/// A block reader that hands every call to another one.
class ForwardingBlockReader : public BlockReader {
public:
    explicit ForwardingBlockReader(std::unique_ptr<BlockReader> inner)
        : m_inner(std::move(inner)) {}

    int read(char* buffer, size_t size, size_t& got) override {
        return m_inner->read(buffer, size, got);
    }

private:
    std::unique_ptr<BlockReader> m_inner;
};

/// A file system that hands every call to another one (the searches, copies and readers it
/// gives are the other one's own).
class ForwardingFileSystem : public FileSystem {
public:
    explicit ForwardingFileSystem(std::unique_ptr<FileSystem> inner) : m_inner(std::move(inner)) {}

    std::unique_ptr<DirectorySearch> newSearch() override { return m_inner->newSearch(); }
    std::unique_ptr<FileCopy> newCopy() override { return m_inner->newCopy(); }
    int status(const std::string& path, FileStatus& out, LinkMode links) override {
        return m_inner->status(path, out, links);
    }
    int setAttributes(const TreePath& path, uint32_t attributes) override {
        return m_inner->setAttributes(path, attributes);
    }
    int setTimes(const TreePath& path, const FileTime* lastAccess,
                 const FileTime* lastWrite) override {
        return m_inner->setTimes(path, lastAccess, lastWrite);
    }
    int renameNoReplace(const TreePath& from, const TreePath& to) override {
        return m_inner->renameNoReplace(from, to);
    }
    int linkFile(const TreePath& existing, const TreePath& link) override {
        return m_inner->linkFile(existing, link);
    }
    int removeFile(const TreePath& path) override { return m_inner->removeFile(path); }
    int removeFileIfSame(const TreePath& path, const FileStatus& expected) override {
        return m_inner->removeFileIfSame(path, expected);
    }
    int makeDirectory(const TreePath& path, uint32_t permissions = 0) override {
        return m_inner->makeDirectory(path, permissions);
    }
    int removeDirectory(const TreePath& path) override { return m_inner->removeDirectory(path); }
    int moveToTrash(const TreePath& path) override { return m_inner->moveToTrash(path); }
    ErrorOr<std::string> resolvePath(const std::string& path) override {
        return m_inner->resolvePath(path);
    }
    ErrorOr<FileIdentity> identity(const std::string& path) override {
        return m_inner->identity(path);
    }
    ErrorOr<DiskSpace> diskSpace(const std::string& path) override {
        return m_inner->diskSpace(path);
    }
    int readFile(const std::string& path, std::string& contents, size_t limit) override {
        return m_inner->readFile(path, contents, limit);
    }
    int writeFileAtomically(const std::string& path, std::string_view contents) override {
        return m_inner->writeFileAtomically(path, contents);
    }
    ErrorOr<std::unique_ptr<LineReader>> openLines(const std::string& path,
                                                   size_t lineLimit) override {
        return m_inner->openLines(path, lineLimit);
    }
    ErrorOr<std::unique_ptr<BlockReader>> openBlocks(const std::string& path) override {
        return m_inner->openBlocks(path);
    }
    void keepDirectoriesOpen(bool keep) override { m_inner->keepDirectoriesOpen(keep); }
    void pinRoots(std::vector<RootPin>* roots) override { m_inner->pinRoots(roots); }
    int copyDirectoryFacts(const TreePath& from, const TreePath& made,
                           DirectoryFinish& finish) override {
        return m_inner->copyDirectoryFacts(from, made, finish);
    }
    int finishDirectory(const TreePath& made, const DirectoryFinish& finish) override {
        return m_inner->finishDirectory(made, finish);
    }
    int flushWrites() override { return m_inner->flushWrites(); }

private:
    std::unique_ptr<FileSystem> m_inner;
};

// A forwarder that missed a pure virtual of its interface would be abstract. One that missed a
// virtual with a default would quietly run the default instead of the inner object's own, so
// each of those is checked to be declared by the forwarder itself.
static_assert(!std::is_abstract_v<ForwardingDirectorySearch>);
static_assert(!std::is_abstract_v<ForwardingFileCopy>);
static_assert(!std::is_abstract_v<ForwardingLineReader>);
static_assert(!std::is_abstract_v<ForwardingBlockReader>);
static_assert(!std::is_abstract_v<ForwardingFileSystem>);
static_assert(std::is_same_v<decltype(&ForwardingDirectorySearch::seek),
                             bool (ForwardingDirectorySearch::*)(std::string_view)>);
static_assert(std::is_same_v<decltype(&ForwardingDirectorySearch::setReadStoredBits),
                             void (ForwardingDirectorySearch::*)(bool)>);
static_assert(std::is_same_v<decltype(&ForwardingFileSystem::pinRoots),
                             void (ForwardingFileSystem::*)(std::vector<RootPin>*)>);
static_assert(std::is_same_v<decltype(&ForwardingFileCopy::openedStatus),
                             int (ForwardingFileCopy::*)(FileStatus&)>);

} // namespace ryk::test

#pragma once

#include <cstdint>
#include <string>

namespace ryk {

/// The search window's detail line: where a scan is.
class SearchSink {
public:
    virtual ~SearchSink() = default;
    virtual void showDetailPath(const std::string& path) = 0;
};

/// The copy window: source and target lines, a status line and a bar over the current file.
class CopyProgressSink {
public:
    virtual ~CopyProgressSink() = default;
    virtual void showSourcePath(const std::string& path) = 0;
    virtual void showTargetPath(const std::string& path) = 0;
    virtual void setStatus(const std::string& text) = 0;
    virtual void setRange(uint64_t total) = 0;
    virtual void setPosition(uint64_t done) = 0;
    virtual bool isVisible() const = 0;
    virtual void setVisible(bool visible) = 0;
    /// Whether a file's own progress is shown while it is copied: a run then copies every file
    /// this shows on its own.
    virtual bool showsFileProgress() const { return true; }
};

} // namespace ryk

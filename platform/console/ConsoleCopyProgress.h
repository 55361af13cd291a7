#pragma once

#include "platform/ProgressSinks.h"

namespace ryk {

/// The copy window of a terminal run: a terminal shows each line's outcome instead of a bar.
class ConsoleCopyProgress : public CopyProgressSink {
public:
    void showSourcePath(const std::string&) override {}
    void showTargetPath(const std::string&) override {}
    void setStatus(const std::string&) override {}
    void setRange(uint64_t) override {}
    void setPosition(uint64_t) override {}
    bool isVisible() const override { return m_visible; }
    void setVisible(bool visible) override { m_visible = visible; }
    bool showsFileProgress() const override { return false; }

private:
    bool m_visible = false;
};

} // namespace ryk

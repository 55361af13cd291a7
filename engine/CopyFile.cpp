#include "engine/CopyFile.h"

#include "engine/FileUtility.h"
#include "engine/OperationEntry.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "platform/ProgressSinks.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace ryk {

namespace {

/// "(Copy 16,384 bytes.) 25.0%": what the line does, bytes done and tenths of a percent of
/// `total`, never above 100.0% (a file may have grown after its size was taken).
std::string copyStatusText(OperationCommand command, uint64_t done, uint64_t total) {
    const uint64_t perMille = total == 0 ? 1000 : std::min(done, total) * 1000 / total;
    return std::string("(") + commandName(command) + " " +
           FileUtility::FormatSize(static_cast<int64_t>(done)) + ") " +
           std::to_string(perMille / 10) + "." + std::to_string(perMille % 10) + "%";
}

/// Drives the copy window and polls the abort key after every step of the copy.
class WindowListener : public CopyListener {
public:
    WindowListener(const FileUtility& utility, const OperationEntry& entry,
                   CopyProgressSink& window)
        : m_utility(utility), m_entry(entry), m_window(window) {}

    void opened(const FileStatus* source) override {
        m_total = source ? source->size : m_entry.source.size;
        m_window.setRange(m_total);
        m_window.setPosition(0);
        // Runs of small files do not flash the window; once a large file brought it up it
        // stays. The texts of the last file stay until the next file replaces them.
        m_visible = m_window.isVisible() || m_total > kCopyChunkBytes;
        if (m_visible) {
            m_window.showSourcePath(m_entry.source.path.str());
            m_window.showTargetPath(m_entry.targetPath().str());
            m_window.setStatus("Open...");
            if (!m_window.isVisible())
                m_window.setVisible(true);
        }
    }
    bool stepped(uint64_t done) override {
        m_window.setPosition(std::min(done, m_total));
        if (m_visible)
            m_window.setStatus(copyStatusText(m_entry.command, done, m_total));
        return m_utility.PollAbortKey() != 0;
    }
    // A signal cut the call short: the user's abort key stops, anything else goes on.
    bool interrupted() override { return m_utility.PollAbortKey() != 0; }

private:
    const FileUtility& m_utility;
    const OperationEntry& m_entry;
    CopyProgressSink& m_window;
    uint64_t m_total = 0;
    bool m_visible = false;
};

} // namespace

PlannedTarget plannedTargetFor(const OperationEntry& entry, const RunChoices& choices) {
    // Copy and Move plan for a target that did not exist: one that appeared since is kept.
    PlannedTarget planned(replacesTarget(entry.command) ? CommitMode::Replace
                                                        : CommitMode::NoReplace);
    planned.check = choices.verify ? CopyCheck::ReadBack : CopyCheck::None;
    planned.replaced = choices.trash ? ReplacedFile::Trashed : ReplacedFile::Removed;
    if (planned.mode != CommitMode::Replace)
        return planned;
    const FileFacts target = entry.target();
    if (target.found && entry.plannedTargetWrite(planned.lastWriteTime)) {
        planned.known = true;
        planned.link = (target.attributes & attr::kReparsePoint) != 0;
        planned.size = target.size;
    }
    return planned;
}

int CopyFileWithProgress(const Platform& platform, OperationEntry& entry, CopyProgressSink& window,
                         bool* stopRequested, FileStatus* copiedSource, bool* copiedSourceKnown,
                         const RunChoices& choices) {
    const FileUtility utility(platform);
    WindowListener listener(utility, entry, window);
    // A move deletes its source next: its copy is on disk first.
    const bool durable = !copiesData(entry.command);
    const CopyOutcome outcome =
        copyWholeFile(platform.fileSystem, entry.source.treePath(), entry.targetPath().treePath(),
                      plannedTargetFor(entry, choices), &listener, durable);
    if (copiedSource)
        *copiedSource = outcome.source;
    if (copiedSourceKnown)
        *copiedSourceKnown = outcome.sourceKnown;
    if (outcome.stopped && stopRequested)
        *stopRequested = true;
    return NoteCopyOutcome(platform, entry, outcome);
}

int NoteCopyOutcome(const Platform& platform, OperationEntry& entry, const CopyOutcome& outcome) {
    const FileUtility utility(platform);
    entry.lastError = outcome.error;
    // A copy that is in place but lacks some of the source's facts is the target's problem too.
    entry.setTargetAtFault(outcome.error != 0 ? outcome.failedAtTarget : outcome.keptError() != 0);
    if (outcome.error != 0)
        return 0;

    // Only a copy that took the target's place is worth a word about its times or attributes.
    if (outcome.statusError != 0)
        platform.messageBox.tell(platform.translation.translate("CopyFile", "日付が取得できません"),
                                 MessageIcon::Exclamation);
    else if (outcome.timesError != 0)
        platform.messageBox.tell(platform.translation.translate("CopyFile", "日付が設定できません"),
                                 MessageIcon::Exclamation);
    if (outcome.attributesError != 0)
        utility.ShowSystemError(outcome.attributesError);
    // The copy is in place, but without all of the source's facts: the line says so.
    entry.lastError = outcome.keptError();
    return entry.lastError == 0 ? 1 : 0;
}

} // namespace ryk

#pragma once

#include "engine/TransferJob.h"
#include "platform/Platform.h"
#include "platform/posix/PosixFileBatch.h"
#include "support/FakeMessageBox.h"
#include "support/FaultyFileSystem.h"
#include "support/ScriptedAbortKey.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace ryk::test {

/// What a job of a test works in: a fresh directory of real files, the real file system (with
/// faults only where a test injects them), its batch operation, and the user at the keyboard
/// scripted.
struct EngineWorld {
    /// The settings of a job over every file ("*.*") of `source`, into `destination`.
    static JobSettings settings(TransferMode mode, const std::string& source,
                                const std::string& destination = {}, const OptionFlags& flags = {});
    /// A new job that has taken `settings` whole; `accepted` (when given) tells whether its
    /// directory checks let it through.
    std::unique_ptr<TransferJob> newJob(const JobSettings& settings, bool* accepted = nullptr);
    /// A new job that has taken `settings` and planned them; both steps are expected to succeed.
    std::unique_ptr<TransferJob> plannedJob(const JobSettings& settings);
    /// Runs the pending entries of `job` with nobody watching the rows or the copy window.
    RunSummary run(TransferJob& job);
    /// The clipboard lines of the job's list with the directory's own path cut from every path,
    /// so tests read short paths.
    std::vector<std::string> lines(const TransferJob& job) const;
    /// The flags of "-r": every subdirectory, as deep as it goes.
    static OptionFlags recursive();

    TempDir tmp;
    FaultyFileSystem fileSystem;
    FakeMessageBox messages;
    ScriptedAbortKey keys;
    PosixFileBatch batch{fileSystem, nullptr};
    Platform platform{fileSystem, messages, keys, &batch};
};

/// The fixture of tests that plan and run jobs.
class EngineTest : public ::testing::Test, public EngineWorld {};

} // namespace ryk::test

#include "support/EngineFixture.h"

#include "engine/ListText.h"
#include "platform/console/ConsoleCopyProgress.h"

namespace ryk::test {

namespace {

/// A run's rows where nobody looks at them.
class NullRunObserver : public RunObserver {
public:
    void entryStarting(size_t, const OperationEntry&, const std::string&) override {}
    void entryFinished(size_t, const OperationEntry&, EntryOutcome) override {}
};

} // namespace

JobSettings EngineWorld::settings(TransferMode mode, const std::string& source,
                                  const std::string& destination, const OptionFlags& flags) {
    JobSettings settings;
    settings.mode = mode;
    settings.sourceDirectory = source;
    settings.sourcePatterns = kDefaultPattern;
    settings.destinationDirectory = destination;
    settings.flags = flags;
    return settings;
}

std::unique_ptr<TransferJob> EngineWorld::newJob(const JobSettings& settings, bool* accepted) {
    auto job = std::make_unique<TransferJob>(platform);
    const bool taken = job->takeJob(settings);
    if (accepted)
        *accepted = taken;
    return job;
}

std::unique_ptr<TransferJob> EngineWorld::plannedJob(const JobSettings& settings) {
    bool accepted = false;
    auto job = newJob(settings, &accepted);
    EXPECT_TRUE(accepted) << "the job's directories were refused";
    EXPECT_TRUE(job->PlanJob()) << "the plan was abandoned";
    return job;
}

RunSummary EngineWorld::run(TransferJob& job) {
    NullRunObserver observer;
    ConsoleCopyProgress progress;
    return job.OnOK(observer, progress);
}

std::vector<std::string> EngineWorld::lines(const TransferJob& job) const {
    std::vector<std::string> result;
    const std::string prefix = tmp.path() + "/";
    for (const auto& entry : job.list()) {
        std::string line = clipboardLine(*entry);
        for (size_t at; (at = line.find(prefix)) != std::string::npos;)
            line.erase(at, prefix.size());
        result.push_back(line);
    }
    return result;
}

OptionFlags EngineWorld::recursive() {
    OptionFlags flags;
    flags.subdirectories = flags.recurse = 1;
    return flags;
}

} // namespace ryk::test

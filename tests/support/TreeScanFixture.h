// A tree scan of a test: flags written as command line letters, jobs planned in the
// fixture's temporary tree, and their lines read relative to it.
#pragma once

#include "engine/TransferJob.h"
#include "platform/ErrorCodes.h"
#include "support/EngineFixture.h"
#include "support/ScopedEnv.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace ryk::test {

constexpr int64_t kBase = 1700000000;

inline void setWriteTime(const std::string& path, int64_t seconds, long nanoseconds = 0) {
    const timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

class TreeScanTest : public EngineTest {
protected:
    /// Flags as the command line letters give them.
    OptionFlags flags(std::string_view letters) {
        OptionFlags f;
        for (size_t i = 0; i < letters.size(); ++i) {
            switch (letters[i]) {
            case 'r':
                f.subdirectories = f.recurse = 1;
                break;
            case 'e':
                f.subdirectories = f.includeEmptyDirectories = 1;
                break;
            case 'E':
                f.subdirectories = f.directoriesOnly = 1;
                break;
            case 'm':
                f.subdirectories = f.recurse = f.removeSourceDirectories = 1;
                break;
            case 'x':
                f.dateConditions = f.ignoreDates = 1;
                break;
            case 'u':
                f.dateConditions = f.onlyExisting = 1;
                break;
            case '0':
                f.dateConditions = f.onlyMissing = 1;
                break;
            case 'a':
                f.dateConditions = f.afterDateOnly = 1;
                break;
            case 'c':
                create = true;
                break;
            }
        }
        return f;
    }

    /// Plans a job; the lines as "Command source target" with the temp dir cut away.
    std::vector<std::string> plan(TransferMode mode, std::string_view letters,
                                  const std::string& source, const std::string& patterns,
                                  const std::string& destination = {},
                                  const std::string& destinationPattern = {},
                                  const std::string& exclusions = {}) {
        create = false;
        JobSettings stated = settings(mode, source, destination, flags(letters));
        stated.sourcePatterns = patterns;
        stated.exclusionPatterns = exclusions;
        stated.destinationPattern = destinationPattern;
        stated.afterDate = afterDate;
        stated.createDestination = create;
        bool accepted = false;
        job = newJob(stated, &accepted);
        if (!accepted)
            return {"refused"};
        fileSystem.searched.clear();
        fileSystem.statused.clear();
        if (!job->PlanJob())
            return {"abandoned"};
        std::vector<std::string> lines;
        for (const auto& e : job->list()) {
            std::string line = commandName(e->command);
            line += " " + relative(e->source.path.str());
            if (!e->targetPath().empty() && e->command != OperationCommand::Mkdir)
                line += " " + relative(e->targetPath().str());
            lines.push_back(line);
        }
        return lines;
    }

    std::string relative(const std::string& path) const {
        const std::string prefix = tmp.path() + "/";
        return path.compare(0, prefix.size(), prefix) == 0 ? path.substr(prefix.size()) : path;
    }

    std::unique_ptr<TransferJob> job;
    DateTime afterDate = DateTime::fromFileTime({kBase, 0});
    bool create = false;
};

} // namespace ryk::test

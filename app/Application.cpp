#include "app/Application.h"

#include "engine/FileUtility.h"
#include "platform/Environment.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"

namespace ryk {

Application::Application(const Platform& platform)
    : m_platform(platform), m_settings(SettingsFile::defaultPath(executablePath())) {
    m_job.afterDate = DateTime::now();
}

Application::StartResult Application::startUp(const std::vector<std::string>& arguments) {
    readCommandLine(arguments, m_job, m_flags, m_platform.fileSystem, m_platform.messageBox);
    if (m_flags.showUsage &&
        m_platform.messageBox.show(usageText(), kUsageCaption, MessageButtons::YesNo,
                                   MessageIcon::Information) != MessageAnswer::Yes)
        return StartResult::Exit;
    if (!m_flags.noSettingsFile)
        (void)m_settings.load(m_platform.fileSystem);
    return StartResult::Proceed;
}

void Application::shutDown() {
    if (m_flags.noSettingsFile)
        return;
    if (const int error = m_settings.save(m_platform.fileSystem); error != 0)
        FileUtility(m_platform).ShowSystemError(error, m_settings.path());
}

std::string describeJob(const JobSettings& job) {
    std::string text;
    auto line = [&text](const char* name, const std::string& value) {
        text += name;
        text += ": ";
        text += value;
        text += '\n';
    };
    line("mode", std::to_string(static_cast<int>(job.mode)) + " " + modeName(job.mode));
    line("sourceDirectory", job.sourceDirectory);
    line("sourcePatterns", job.sourcePatterns);
    line("exclusionPatterns", job.exclusionPatterns);
    line("destinationDirectory", job.destinationDirectory);
    line("destinationPattern", job.destinationPattern);
    line("createDestination", job.createDestination ? "1" : "0");
    static constexpr const char* kFlagNames[OptionFlags::kCount] = {
        "subdirectories", "recurse",     "includeEmptyDirectories", "directoriesOnly",
        "removeSourceDirectories", "dateConditions", "ignoreDates", "onlyMissing",
        "onlyExisting", "afterDateOnly"};
    for (int i = 0; i < OptionFlags::kCount; ++i)
        line(kFlagNames[i], std::to_string(job.flags[i]));
    line("afterDate", job.afterDate.text());
    line("explorerStyle", job.explorerStyle ? "1" : "0");
    return text;
}

} // namespace ryk

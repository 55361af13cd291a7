#include "app/Application.h"

#include "engine/FileUtility.h"
#include "engine/TransferJob.h"
#include "platform/Environment.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"

namespace ryk {

Application::Application(const Platform& platform, Program program)
    : m_platform(platform), m_program(program),
      m_settings(SettingsFile::defaultPath(executablePath())) {
    m_job.afterDate = DateTime::now();
}

Application::StartResult Application::startUp(const std::vector<std::string>& arguments) {
    if (!readCommandLine(arguments, m_job, m_flags, m_platform.fileSystem, m_platform.messageBox,
                         m_platform.translation)) {
        m_exitStatus = kExitCommandLineError;
        return StartResult::Exit;
    }
    if (m_flags.showUsage && m_program == Program::Terminal)
        return StartResult::PrintUsage;
    if (m_flags.showUsage &&
        m_platform.messageBox.show(usageText(m_platform.translation),
                                   m_platform.translation.translate("CommandLine", kUsageCaption),
                                   MessageButtons::YesNo,
                                   MessageIcon::Information) != MessageAnswer::Yes)
        return StartResult::Exit;
    if (usesSettingsFile())
        (void)m_settings.load(m_platform.fileSystem);
    return StartResult::Proceed;
}

bool Application::usesSettingsFile() const {
    return m_program == Program::Desktop && !m_flags.noSettingsFile;
}

bool Application::startJob(TransferJob& job, const JobChoices& choices) const {
    JobSettings settings = m_job;
    settings.createDestination = choices.createDestination;
    settings.explorerStyle = choices.explorerStyle;
    settings.skipUnchanged = choices.skipUnchanged;
    settings.trash = choices.trash;
    settings.verify = choices.verify;
    settings.hardLinks = choices.hardLinks;
    return job.takeJob(settings, toolPaths());
}

ToolPaths Application::toolPaths() const {
    return m_settings.toolPaths();
}

void Application::shutDown() {
    if (!usesSettingsFile())
        return;
    if (const int error = m_settings.save(m_platform.fileSystem); error != 0)
        FileUtility(m_platform).ShowSystemError(error, m_settings.path());
}

} // namespace ryk

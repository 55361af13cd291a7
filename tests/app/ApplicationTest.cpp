#include "app/Application.h"

#include "platform/ErrorCodes.h"
#include "platform/FileSystem.h"
#include "support/EngineFixture.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace ryk {
namespace {

class ApplicationTest : public test::EngineTest {
protected:
    void SetUp() override {
        settingsPath = tmp / "ryk.INI";
        tmp.writeFile("ryk.INI", "[SrcDir]\n1=/kept/source\n");
    }

    std::string settingsPath;
};

TEST_F(ApplicationTest, UsageAnsweredNoEndsBeforeTheSettingsAreRead) {
    Application app(platform);
    app.settings().setPath(settingsPath);
    messages.answers = {MessageAnswer::No};
    EXPECT_EQ(app.startUp({"-?", "-r"}), Application::StartResult::Exit);
    EXPECT_EQ(app.exitStatus(), 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, "Command line の説明");
    EXPECT_EQ(messages.shown[0].buttons, MessageButtons::YesNo);
    EXPECT_TRUE(app.settings().history(SettingsSection::SrcDir).empty());
}

TEST_F(ApplicationTest, UsageAnsweredYesGoesOnWithTheOtherOptions) {
    Application app(platform);
    app.settings().setPath(settingsPath);
    messages.answers = {MessageAnswer::Yes};
    EXPECT_EQ(app.startUp({"-?", "-r"}), Application::StartResult::Proceed);
    EXPECT_EQ(app.job().flags.recurse, 1);
    EXPECT_EQ(app.settings().history(SettingsSection::SrcDir),
              std::vector<std::string>{"/kept/source"});
}

TEST_F(ApplicationTest, UnknownOptionEndsWithAnErrorStatusBeforeTheUsageAndSettings) {
    Application app(platform);
    app.settings().setPath(settingsPath);
    EXPECT_EQ(app.startUp({"--rnu", "-?"}), Application::StartResult::Exit);
    EXPECT_EQ(app.exitStatus(), kExitCommandLineError);
    EXPECT_NE(app.exitStatus(), 0);
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"不明なオプションです: --rnu"});
    EXPECT_TRUE(app.settings().history(SettingsSection::SrcDir).empty());
}

TEST_F(ApplicationTest, NoSettingsFileOptionNeitherReadsNorWrites) {
    const std::string before = tmp.readFile("ryk.INI");
    Application app(platform);
    app.settings().setPath(settingsPath);
    EXPECT_EQ(app.startUp({"-i"}), Application::StartResult::Proceed);
    EXPECT_TRUE(app.settings().history(SettingsSection::SrcDir).empty());
    app.settings().setHistory(SettingsSection::SrcDir, {"/changed"});
    app.shutDown();
    EXPECT_EQ(tmp.readFile("ryk.INI"), before);
}

TEST_F(ApplicationTest, TerminalProgramPrintsTheUsageAndLeavesTheSettingsFileAlone) {
    const std::string before = tmp.readFile("ryk.INI");
    Application app(platform, Application::Program::Terminal);
    app.settings().setPath(settingsPath);
    EXPECT_EQ(app.startUp({"-r", "-?"}), Application::StartResult::PrintUsage);
    EXPECT_TRUE(messages.shown.empty()) << "asked the usage question";

    EXPECT_EQ(app.startUp({"-r"}), Application::StartResult::Proceed);
    EXPECT_EQ(app.job().flags.recurse, 1);
    EXPECT_TRUE(app.settings().history(SettingsSection::SrcDir).empty());
    app.settings().setHistory(SettingsSection::SrcDir, {"/changed"});
    app.shutDown();
    EXPECT_EQ(tmp.readFile("ryk.INI"), before);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ApplicationTest, SavesOnShutDownAndReportsAFileThatCannotBeWritten) {
    Application app(platform);
    app.settings().setPath(settingsPath);
    ASSERT_EQ(app.startUp({}), Application::StartResult::Proceed);
    app.settings().setHistory(SettingsSection::DstDir, {"/new/destination"});
    app.shutDown();
    EXPECT_NE(tmp.readFile("ryk.INI").find("/new/destination"), std::string::npos);
    EXPECT_TRUE(messages.shown.empty());

    // A settings path that is a directory can never be replaced by a file.
    tmp.makeDir("blocked.INI");
    app.settings().setPath(tmp / "blocked.INI");
    app.shutDown();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find(tmp / "blocked.INI"), std::string::npos);

    // A file that is not text is left as it was, and the user is told once.
    constexpr char kBinary[] = "[SrcDir]\n1=/a\n\0\x01";
    const std::string binary(kBinary, sizeof kBinary - 1);
    tmp.writeFile("binary.INI", binary);
    Application binaryApp(platform);
    binaryApp.settings().setPath(tmp / "binary.INI");
    ASSERT_EQ(binaryApp.startUp({}), Application::StartResult::Proceed);
    binaryApp.settings().setHistory(SettingsSection::DstDir, {"/new/destination"});
    binaryApp.shutDown();
    EXPECT_EQ(tmp.readFile("binary.INI"), binary);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_NE(messages.shown[1].text.find(errorText(kErrorNotText)), std::string::npos);
}

} // namespace
} // namespace ryk

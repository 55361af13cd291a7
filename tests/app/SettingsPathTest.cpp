// Where the settings file lives: the XDG rules, the account's home, never an installed
// program's own directory.

#include "app/SettingsFile.h"
#include "platform/Environment.h"
#include "platform/ErrorCodes.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ryk {
namespace {

namespace fs = std::filesystem;
using test::ScopedEnv;

TEST(SettingsFileTest, DefaultPath) {
    test::TempDir dir;
    const std::string bin = dir.makeDir("opt/ryk.d");
    const std::string config = dir.makeDir("xdg");
    ScopedEnv xdg("XDG_CONFIG_HOME", config);
    ScopedEnv home("HOME", dir.path());
    struct Case {
        std::string executable;
        std::string expected;
    };
    const Case cases[] = {
        {bin + "/ryk", bin + "/ryk.INI"},
        {bin + "/ryk.bin", bin + "/ryk.INI"},
        {bin + "/ryk.tar.gz", bin + "/ryk.tar.INI"},
        {bin + "/.ryk", bin + "/.ryk.INI"},
        // Not writable because it does not exist: the configuration directory.
        {dir / "missing.d/ryk", config + "/rykmere/ryk.INI"},
        {dir / "missing.d/Ryk.exe", config + "/rykmere/Ryk.INI"},
        {"", config + "/rykmere/ryk.INI"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SettingsFile::defaultPath(c.executable), c.expected) << c.executable;

    {
        ScopedEnv unset("XDG_CONFIG_HOME", std::nullopt);
        EXPECT_EQ(SettingsFile::defaultPath(dir / "missing.d/ryk"),
                  dir / ".config/rykmere/ryk.INI");
    }
    {
        ScopedEnv relative("XDG_CONFIG_HOME", "relative/dir");
        EXPECT_EQ(SettingsFile::defaultPath(dir / "missing.d/ryk"),
                  dir / ".config/rykmere/ryk.INI");
    }

    // An existing file beside the executable is used even where nothing can be written.
    const std::string ro = dir.makeDir("ro");
    dir.writeFile("ro/ryk.INI");
    fs::permissions(ro, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(SettingsFile::defaultPath(ro + "/ryk"), ro + "/ryk.INI");
}

TEST(SettingsFileTest, DefaultPathOfAnInstalledProgramIsTheUsers) {
    test::TempDir dir;
    const std::string bin = dir.makeDir("usr/bin");
    const std::string config = dir.makeDir("xdg");
    ScopedEnv xdg("XDG_CONFIG_HOME", config);
    const std::string own = config + "/rykmere/ryk.INI";

    // Writable, as /usr/bin is for root, and even with a file there already.
    EXPECT_EQ(SettingsFile::defaultPath(bin + "/ryk", bin), own);
    dir.writeFile("usr/bin/ryk.INI");
    EXPECT_EQ(SettingsFile::defaultPath(bin + "/ryk", bin), own);
    // The same directory by another name: a merged /usr's /bin, a trailing '/'.
    fs::create_directory_symlink(bin, dir / "bin");
    EXPECT_EQ(SettingsFile::defaultPath(dir / "bin/ryk", bin), own);
    EXPECT_EQ(SettingsFile::defaultPath(bin + "/ryk", bin + "/"), own);

    // A copy anywhere else is still a portable install, also one beside the installed
    // directory or below it.
    const std::string opt = dir.makeDir("opt/rykmere");
    EXPECT_EQ(SettingsFile::defaultPath(opt + "/ryk", bin), opt + "/ryk.INI");
    const std::string usr = dir / "usr";
    EXPECT_EQ(SettingsFile::defaultPath(usr + "/ryk", bin), usr + "/ryk.INI");
    const std::string below = dir.makeDir("usr/bin/portable");
    EXPECT_EQ(SettingsFile::defaultPath(below + "/ryk", bin), below + "/ryk.INI");
    EXPECT_EQ(SettingsFile::defaultPath(bin + "/ryk", ""), bin + "/ryk.INI");

    // Without a usable HOME the home is the account's, never the program's directory.
    ScopedEnv noXdg("XDG_CONFIG_HOME", std::nullopt);
    const struct passwd* account = getpwuid(geteuid());
    ASSERT_NE(account, nullptr);
    for (const std::optional<std::string>& value :
         {std::optional<std::string>(), std::optional<std::string>(""),
          std::optional<std::string>("relative")}) {
        ScopedEnv home("HOME", value);
        EXPECT_EQ(SettingsFile::defaultPath(bin + "/ryk", bin),
                  std::string(account->pw_dir) + "/.config/rykmere/ryk.INI")
            << value.value_or("unset");
    }
}

TEST(SettingsFileTest, DefaultPathKnowsWhereThisBuildInstallsPrograms) {
    test::TempDir dir;
    const std::string config = dir.makeDir("xdg");
    ScopedEnv xdg("XDG_CONFIG_HOME", config);
    EXPECT_EQ(SettingsFile::defaultPath(RYK_INSTALLED_PROGRAM_DIR "/ryk"),
              config + "/rykmere/ryk.INI");
}

TEST(SettingsFileTest, DefaultPathLeavesReadOnlyDirectory) {
    test::TempDir dir;
    const std::string config = dir.makeDir("xdg");
    ScopedEnv xdg("XDG_CONFIG_HOME", config);
    dir.makeDir("ro2");
    fs::permissions(dir / "ro2", fs::perms::owner_read | fs::perms::owner_exec);
    if (isWritableDirectory(dir / "ro2"))
        GTEST_SKIP() << "running with rights that ignore permissions";
    EXPECT_EQ(SettingsFile::defaultPath(dir / "ro2/ryk"), config + "/rykmere/ryk.INI");
}

} // namespace
} // namespace ryk

#include "support/CliRun.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace ryk {
namespace {

using test::runCli;
using test::ScopedEnv;
using test::TempDir;

// The locale variables choose the language as the C library does for messages; Japanese, the
// source language, is byte for byte what it always was.
TEST(CliLanguageTest, LocaleVariablesChooseJapaneseOrEnglish) {
    TempDir temp;
    const struct {
        std::optional<std::string> lcAll, lcMessages, lang;
        bool english;
    } cases[] = {
        {std::nullopt, std::nullopt, "C", false},
        {std::nullopt, std::nullopt, std::nullopt, false},
        {std::nullopt, std::nullopt, "ja_JP.UTF-8", false},
        {std::nullopt, std::nullopt, "en_US.UTF-8", true},
        {std::nullopt, "en_GB.UTF-8", "ja_JP.UTF-8", true},
        {"C", "en_GB.UTF-8", "en_US.UTF-8", false},
        {"", "", "en_US.UTF-8", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lcAll.value_or("-") + " " + c.lcMessages.value_or("-") + " " +
                     c.lang.value_or("-"));
        const ScopedEnv lcAll("LC_ALL", c.lcAll);
        const ScopedEnv lcMessages("LC_MESSAGES", c.lcMessages);
        const ScopedEnv lang("LANG", c.lang);

        const auto refused = runCli(temp, {"-zz"});
        EXPECT_EQ(refused.exitCode, 2);
        EXPECT_NE(refused.err.find(c.english ? "Unknown option: -zz" : "不明なオプションです: -zz"),
                  std::string::npos);
        EXPECT_NE(refused.err.find(c.english ? "See ryk-cli --help for details.\n"
                                             : "詳しくは ryk-cli --help を見てください。\n"),
                  std::string::npos);

        const auto help = runCli(temp, {"--help"});
        EXPECT_EQ(help.out.find("Open Rykmere?"), std::string::npos);
        EXPECT_NE(help.out.find(c.english ? "    --run                 carry out the planned list\n"
                                          : "    --run                 計画した一覧を実行する\n"),
                  std::string::npos);

        temp.writeFile("src/a.txt", "a");
        const auto plan = runCli(temp, {"-s", temp / "src/", "--run"});
        EXPECT_NE(plan.out.find(c.english ? "Finished.(Error=0)" : "完了しました.(Error=0)"),
                  std::string::npos)
            << plan.out;
    }
}

} // namespace
} // namespace ryk
